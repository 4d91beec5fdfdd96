// Text painted into the generator's pictures with FreeType from the DejaVu faces: one face at a
// pixel size, measured and drawn glyph by glyph with anti-aliased coverage.
#pragma once

#include "picture.h"

#include <array>
#include <string>

// The faces the pictures use (from Debian's fonts-dejavu-core).
std::string dejaVuSansPath();
std::string dejaVuSansBoldPath();

using Colour = std::array<float, 3>;

class TextFace {
public:
    // Throws std::runtime_error naming the file when FreeType cannot open it.
    explicit TextFace(const std::string& path);
    ~TextFace();
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    void setPixelSize(int pixels);
    // Horizontal advance of the text in pixels at the current size.
    double width(const std::u32string& text);
    double advance(char32_t code);

    // Paints the text with its baseline starting at (x, baseline), y counted down from the top,
    // over the picture's colour with the coverage as opacity (times alpha). xScale squeezes or
    // widens the glyphs horizontally. Pixels outside [clipLeft, clipRight) x [clipTop, clipBottom)
    // are left alone (the whole picture when the clip is empty).
    void draw(Picture& picture, double x, double baseline, const std::u32string& text, const Colour& colour,
              float alpha = 1.0f, double xScale = 1.0);

    struct Clip {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    void setClip(const Clip& clip) { clip_ = clip; }

    // When set, drawing raises the picture's alpha channel (4 channels) to the coverage instead of
    // blending colour: a glyph picture that the engine blends by its alpha.
    void setCoverageToAlpha(bool on) { coverageToAlpha_ = on; }

private:
    void* library_ = nullptr;
    void* face_ = nullptr;
    Clip clip_;
    bool coverageToAlpha_ = false;
};

// The same picture with another height, each row the area average of the rows it covers:
// pictures are painted in the screen's proportions and stored at power-of-two sides.
Picture resampleHeight(const Picture& picture, int height);
