// TGA writing; run-length packets group equal neighbours into runs of up to 128 and the rest
// into raw packets of up to 128.
#include "tga_writer.h"

#include <cstdio>

static constexpr uint8_t kUncompressedTrueColour = 2;
static constexpr uint8_t kRunLengthTrueColour = 10;
static constexpr int kMaxPacketPixels = 128;

static std::vector<uint8_t> header(int width, int height, int bits, uint8_t type, bool alpha)
{
    std::vector<uint8_t> h(18, 0);
    h[2] = type;
    h[12] = static_cast<uint8_t>(width & 0xFF);
    h[13] = static_cast<uint8_t>(width >> 8);
    h[14] = static_cast<uint8_t>(height & 0xFF);
    h[15] = static_cast<uint8_t>(height >> 8);
    h[16] = static_cast<uint8_t>(bits);
    h[17] = alpha ? 8 : 0;   // alpha bits; bottom-left origin
    return h;
}

static void putPixel(std::vector<uint8_t>& out, const uint8_t* rgba, int components)
{
    out.push_back(rgba[2]);
    out.push_back(rgba[1]);
    out.push_back(rgba[0]);
    if (components == 4) out.push_back(rgba[3]);
}

std::vector<uint8_t> encodeTGA(const std::vector<uint8_t>& pixels, int width, int height, int components,
                               bool runLength)
{
    std::vector<uint8_t> out = header(width, height, components * 8,
                                      runLength ? kRunLengthTrueColour : kUncompressedTrueColour, components == 4);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    auto pixel = [&](size_t i) { return &pixels[i * components]; };
    auto same = [&](size_t a, size_t b) {
        for (int k = 0; k < components; ++k)
            if (pixel(a)[k] != pixel(b)[k]) return false;
        return true;
    };
    if (!runLength) {
        for (size_t i = 0; i < count; ++i) putPixel(out, pixel(i), components);
        return out;
    }
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < kMaxPacketPixels && same(i, i + run)) ++run;
        if (run > 1) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            putPixel(out, pixel(i), components);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < count && raw < kMaxPacketPixels && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
        out.push_back(static_cast<uint8_t>(raw - 1));
        for (size_t k = 0; k < raw; ++k) putPixel(out, pixel(i + k), components);
        i += raw;
    }
    return out;
}

std::vector<uint8_t> encodeTGA16(const std::vector<uint16_t>& words, int width, int height)
{
    std::vector<uint8_t> out = header(width, height, 16, kUncompressedTrueColour, false);
    for (uint16_t w : words) {
        out.push_back(static_cast<uint8_t>(w & 0xFF));
        out.push_back(static_cast<uint8_t>(w >> 8));
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
