// TGA decoding over a byte buffer. Every read is bounded by the buffer, and run-length packets
// never write past width × height pixels (a longer last packet is clipped there).
#include "assets/tga.h"

static constexpr size_t kHeaderBytes = 18;
static constexpr uint8_t kRunLengthTrueColour = 10;
static constexpr uint8_t kRunPacketBit = 0x80;

static uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Writes one file pixel (B, G, R[, A]) as R, G, B[, A].
static void putPixel(uint8_t* out, const uint8_t* in, int bytes)
{
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (bytes == 4) out[3] = in[3];
}

static std::optional<TgaImage> fail(TgaProblem* problem, TgaProblem why)
{
    if (problem) *problem = why;
    return std::nullopt;
}

std::optional<TgaImage> decodeTGA(const uint8_t* data, size_t size, TgaProblem* problem)
{
    if (problem) *problem = TgaProblem::None;
    if (size < kHeaderBytes) return fail(problem, TgaProblem::Truncated);
    const uint8_t idLength = data[0];
    const uint8_t imageType = data[2];
    const int width = readU16(data + 12);
    const int height = readU16(data + 14);
    const int bits = data[16];
    size_t pos = kHeaderBytes + idLength;
    if (pos > size) return fail(problem, TgaProblem::Truncated);
    const size_t available = size - pos;
    const uint8_t* in = data + pos;
    const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);

    TgaImage image;
    image.width = width;
    image.height = height;

    if (imageType == kRunLengthTrueColour) {
        if (bits != 24 && bits != 32) return fail(problem, TgaProblem::UnsupportedDepth);
        const int p = bits / 8;
        // Each packet is at least 1 + p bytes and yields at most 128 pixels: a picture the data
        // cannot possibly fill is refused before anything is allocated for it.
        if (pixelCount > (available / static_cast<size_t>(1 + p) + 1) * 128)
            return fail(problem, TgaProblem::Truncated);
        image.components = p;
        image.pixels.assign(pixelCount * static_cast<size_t>(p), 0);
        size_t written = 0, at = 0;
        while (written < pixelCount) {
            if (at >= available) return fail(problem, TgaProblem::Truncated);
            const uint8_t header = in[at++];
            if (header & kRunPacketBit) {
                if (available - at < static_cast<size_t>(p)) return fail(problem, TgaProblem::Truncated);
                size_t run = static_cast<size_t>(header - 127);
                if (run > pixelCount - written) run = pixelCount - written;
                for (size_t i = 0; i < run; ++i) putPixel(&image.pixels[(written + i) * p], in + at, p);
                at += p;
                written += run;
            } else {
                size_t raw = static_cast<size_t>(header) + 1;
                if (available - at < raw * p) return fail(problem, TgaProblem::Truncated);
                size_t kept = raw > pixelCount - written ? pixelCount - written : raw;
                for (size_t i = 0; i < kept; ++i) putPixel(&image.pixels[(written + i) * p], in + at + i * p, p);
                at += raw * p;
                written += kept;
            }
        }
        return image;
    }

    if (bits == 24 || bits == 32) {
        const int p = bits / 8;
        const size_t needed = pixelCount * static_cast<size_t>(p);
        if (available < needed) return fail(problem, TgaProblem::Truncated);
        image.components = p;
        image.pixels.resize(needed);
        for (size_t i = 0; i < pixelCount; ++i) putPixel(&image.pixels[i * p], in + i * p, p);
        return image;
    }
    if (bits == 16) {
        if (available < pixelCount * 2) return fail(problem, TgaProblem::Truncated);
        image.components = 3;
        image.pixels.resize(pixelCount * 3);
        for (size_t i = 0; i < pixelCount; ++i) {
            const uint16_t v = readU16(in + i * 2);
            image.pixels[i * 3 + 0] = static_cast<uint8_t>((v >> 7) & 0xF8);
            image.pixels[i * 3 + 1] = static_cast<uint8_t>((v >> 2) & 0xF8);
            image.pixels[i * 3 + 2] = static_cast<uint8_t>((v << 3) & 0xFF);
        }
        return image;
    }
    return fail(problem, TgaProblem::UnsupportedDepth);
}
