// Float RGB(A) pictures as the generator paints them, encoded to the pack's formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0, channels = 3;
    std::vector<float> values;   // rows top first, channels per pixel, nominally 0 to 1

    Picture(int w, int h, int c = 3) : width(w), height(h), channels(c), values(static_cast<size_t>(w) * h * c, 0.0f) {}
    float* at(int x, int y) { return &values[(static_cast<size_t>(y) * width + x) * channels]; }
    const float* at(int x, int y) const { return &values[(static_cast<size_t>(y) * width + x) * channels]; }
    // Bytes, rows top first, each value clamped to 0..1 and rounded.
    std::vector<uint8_t> bytes() const;
    // Bytes with the rows reversed (bottom first), as TGA stores them.
    std::vector<uint8_t> bytesBottomFirst() const;
};

std::vector<uint8_t> encodePictureJpeg(const Picture& picture, int quality = 90);
// 32-bit (with alpha) or 24-bit TGA, run-length packed.
std::vector<uint8_t> encodePictureTga(const Picture& picture);
bool writePicturePng(const std::string& path, const Picture& picture);
