// FreeType glyph rendering into float pictures.
#include "font_picture.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

std::string dejaVuSansPath() { return QUELM_DEJAVU_SANS; }
std::string dejaVuSansBoldPath() { return QUELM_DEJAVU_SANS_BOLD; }

static FT_Face asFace(void* face) { return static_cast<FT_Face>(face); }

TextFace::TextFace(const std::string& path)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType could not be started");
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        throw std::runtime_error("cannot open the font " + path + " (install fonts-dejavu-core)");
    }
    library_ = library;
    face_ = face;
}

TextFace::~TextFace()
{
    FT_Done_Face(asFace(face_));
    FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void TextFace::setPixelSize(int pixels) { FT_Set_Pixel_Sizes(asFace(face_), 0, static_cast<FT_UInt>(pixels)); }

double TextFace::advance(char32_t code)
{
    FT_Face face = asFace(face_);
    FT_Set_Transform(face, nullptr, nullptr);
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) return 0.0;
    return face->glyph->advance.x / 64.0;
}

double TextFace::width(const std::u32string& text)
{
    double w = 0.0;
    for (char32_t c : text) w += advance(c);
    return w;
}

void TextFace::draw(Picture& picture, double x, double baseline, const std::u32string& text, const Colour& colour,
                    float alpha, double xScale)
{
    FT_Face face = asFace(face_);
    Clip clip = clip_;
    if (clip.right <= clip.left || clip.bottom <= clip.top) clip = {0, 0, picture.width, picture.height};
    clip.left = std::max(clip.left, 0);
    clip.top = std::max(clip.top, 0);
    clip.right = std::min(clip.right, picture.width);
    clip.bottom = std::min(clip.bottom, picture.height);

    double pen = x;
    for (char32_t code : text) {
        // The pen's fraction of a pixel goes into the transform, so spacing does not round.
        double whole = std::floor(pen);
        FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(xScale * 65536.0)), 0, 0, 0x10000};
        FT_Vector delta{static_cast<FT_Pos>(std::lround((pen - whole) * 64.0)), 0};
        FT_Set_Transform(face, &matrix, &delta);
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = static_cast<int>(whole) + slot->bitmap_left;
        const int top = static_cast<int>(std::lround(baseline)) - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int py = top + static_cast<int>(row);
            if (py < clip.top || py >= clip.bottom) continue;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int px = left + static_cast<int>(column);
                if (px < clip.left || px >= clip.right) continue;
                const float coverage = bitmap.buffer[row * bitmap.pitch + column] / 255.0f * alpha;
                if (coverage <= 0.0f) continue;
                float* p = picture.at(px, py);
                if (coverageToAlpha_ && picture.channels == 4) {
                    for (int k = 0; k < 3; ++k) p[k] = colour[k];
                    p[3] = std::max(p[3], coverage);
                    continue;
                }
                for (int k = 0; k < std::min(picture.channels, 3); ++k) p[k] += (colour[k] - p[k]) * coverage;
                if (picture.channels == 4) p[3] += (1.0f - p[3]) * coverage;
            }
        }
        pen += slot->advance.x / 64.0;
    }
    FT_Set_Transform(face, nullptr, nullptr);
}

Picture resampleHeight(const Picture& picture, int height)
{
    Picture out(picture.width, height, picture.channels);
    const double scale = static_cast<double>(picture.height) / height;
    for (int y = 0; y < height; ++y) {
        const double from = y * scale, to = (y + 1) * scale;
        for (int source = static_cast<int>(from); source < picture.height && source < to; ++source) {
            const double weight = (std::min<double>(source + 1, to) - std::max<double>(source, from)) / scale;
            if (weight <= 0.0) continue;
            for (int x = 0; x < picture.width; ++x) {
                const float* s = picture.at(x, source);
                float* d = out.at(x, y);
                for (int k = 0; k < picture.channels; ++k) d[k] += static_cast<float>(s[k] * weight);
            }
        }
    }
    return out;
}
