// Glyph cells, text formatting and cutting, and the font's display lists and print.
#include "overlay/bitmap_font.h"

#include "assets/pack.h"
#include "assets/texture.h"
#include "base/view_size.h"

#include <GL/gl.h>
#include <cstdio>

int glyphCell(unsigned char code, int set)
{
    const int cell = code - kFirstGlyphCode + kGlyphsPerSet * (set > 0 ? 1 : 0);
    // Set 0 may not reach into set 1's cells from below, and set 1 has nothing past cell 255.
    if (code < kFirstGlyphCode || cell >= kGlyphCells) return -1;
    return cell;
}

CellCorner cellCorner(int cell)
{
    const float s = static_cast<float>(cell % kGlyphGrid) / kGlyphGrid;
    const float t = 1.0f - static_cast<float>(cell / kGlyphGrid) / kGlyphGrid;
    return {s, t - 1.0f / kGlyphGrid};
}

size_t textCells(const char* text, int set, uint8_t* cells)
{
    size_t n = 0;
    for (size_t i = 0; i < kMaxTextLength && text[i]; ++i) {
        int cell = glyphCell(static_cast<unsigned char>(text[i]), set);
        if (cell >= 0) cells[n++] = static_cast<uint8_t>(cell);
    }
    return n;
}

size_t formatTextV(TextBuffer& buffer, const char* format, va_list args)
{
    int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(written) < sizeof buffer ? static_cast<size_t>(written) : kMaxTextLength;
}

size_t formatText(TextBuffer& buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t n = formatTextV(buffer, format, args);
    va_end(args);
    return n;
}

void BitmapFont::loadFontFromPack(ResourcePack& pack, const char* name)
{
    pack.extract(name);
    build(pack.tempPath(name).c_str());
}

void BitmapFont::build(const char* path)
{
    listBase = glGenLists(kGlyphCells);
    loadTexture(path, texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const float side = 1.0f / kGlyphGrid;
    for (int cell = 0; cell < kGlyphCells; ++cell) {
        CellCorner c = cellCorner(cell);
        glNewList(listBase + static_cast<GLuint>(cell), GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(c.s, c.t);
        glVertex2i(0, 0);
        glTexCoord2f(c.s + side, c.t);
        glVertex2i(1, 0);
        glTexCoord2f(c.s + side, c.t + side);
        glVertex2i(1, 1);
        glTexCoord2f(c.s, c.t + side);
        glVertex2i(0, 1);
        glEnd();
        glTranslatef(kGlyphAdvance, 0.0f, 0.0f);
        glEndList();
    }
}

void BitmapFont::print(int set, float size, float x, float y, const char* format, ...) const
{
    if (!format) return;
    TextBuffer text;
    va_list args;
    va_start(args, format);
    formatTextV(text, format, args);
    va_end(args);
    uint8_t cells[kMaxTextLength];
    const size_t count = textCells(text, set, cells);

    glBindTexture(GL_TEXTURE_2D, texture);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // An empty view (no window yet) still gives a valid projection.
    const ViewSize& view = viewSize();
    glOrtho(0.0, view.overlayWidth() > 0 ? view.overlayWidth() : 1, 0.0,
            view.overlayHeight() > 0 ? view.overlayHeight() : 1, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    glScalef(size, size, 1.0f);
    // Each byte names its cell directly, so no code can reach a list outside the font's 256.
    glListBase(listBase);
    glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, cells);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}
