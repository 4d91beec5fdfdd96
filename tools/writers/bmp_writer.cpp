// A BITMAPFILEHEADER, a BITMAPINFOHEADER and the rows, blue-green-red, each padded to 4 bytes.
#include "bmp_writer.h"

#include <cstddef>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> encodeBMP(const std::vector<uint8_t>& pixels, int width, int height)
{
    if (width <= 0 || height <= 0 || pixels.size() != std::size_t(width) * std::size_t(height) * 3) return {};
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u, imageBytes = rowBytes * uint32_t(height);
    const uint32_t headerBytes = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headerBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, headerBytes + imageBytes);
    put32(out, 0);
    put32(out, headerBytes);
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);          // BI_RGB
    put32(out, imageBytes);
    put32(out, 2835);       // 72 dots per inch
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = pixels.data() + std::size_t(y) * std::size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            out.push_back(row[3 * x + 2]);
            out.push_back(row[3 * x + 1]);
            out.push_back(row[3 * x]);
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return out;
}
