// The bitmap font: a 16 x 16 grid of glyphs in one picture, one display list per cell that
// draws a unit square and moves the pen 0.525 to the right, and text printed in window pixels.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

class ResourcePack;

constexpr int kGlyphCells = 256;          // 16 x 16 cells, two sets of 128
constexpr int kGlyphGrid = 16;
constexpr int kGlyphsPerSet = 128;
constexpr int kFirstGlyphCode = 32;       // the first cell of each set holds the space
constexpr float kGlyphAdvance = 0.525f;   // pen step per character, in glyph squares
constexpr size_t kMaxTextLength = 255;    // longer text is cut

// The cell that character code c of the set draws, or -1 when that cell lies outside the
// picture (codes below 32, or from 160 on, have no glyph). A set above 1 counts as 1.
int glyphCell(unsigned char code, int set);

// Texture coordinates of a cell's lower-left corner (s, t), each cell 1/16 a side.
struct CellCorner {
    float s, t;
};
CellCorner cellCorner(int cell);

// The cells a text draws, in order, with characters without a glyph left out. At most
// kMaxTextLength characters of the text are read. Returns how many cells were written.
size_t textCells(const char* text, int set, uint8_t* cells);

// Formats into a buffer of kMaxTextLength + 1 bytes, cutting what does not fit.
// Returns the length written; a format error gives an empty text.
using TextBuffer = char[kMaxTextLength + 1];
size_t formatText(TextBuffer& buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
size_t formatTextV(TextBuffer& buffer, const char* format, va_list args);

struct BitmapFont {
    uint32_t listBase = 0;
    uint32_t texture = 0;

    void loadFontFromPack(ResourcePack& pack, const char* name);
    // Allocates the 256 lists, loads the picture and compiles the glyphs.
    void build(const char* path);
    // Draws the formatted text with its lower-left corner at pixel (x, y) of the view
    // (base/view_size.h; origin at its lower-left corner), each glyph size x size pixels, in
    // the current colour. Depth test on, blending and texturing off afterwards.
    void print(int set, float size, float x, float y, const char* format, ...) const
        __attribute__((format(printf, 6, 7)));
};
