// Picture encoding through the project's writers (and libpng for previews).
#include "picture.h"

#include "base/png_writer.h"
#include "jpeg_writer.h"
#include "tga_writer.h"

#include <algorithm>
#include <cmath>

static uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

std::vector<uint8_t> Picture::bytes() const
{
    std::vector<uint8_t> out(values.size());
    std::transform(values.begin(), values.end(), out.begin(), toByte);
    return out;
}

std::vector<uint8_t> Picture::bytesBottomFirst() const
{
    std::vector<uint8_t> top = bytes(), out(top.size());
    const size_t row = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y)
        std::copy(top.begin() + y * row, top.begin() + (y + 1) * row, out.begin() + (height - 1 - y) * row);
    return out;
}

std::vector<uint8_t> encodePictureJpeg(const Picture& picture, int quality)
{
    return encodeJPEG(picture.bytes(), picture.width, picture.height, picture.channels, quality);
}

std::vector<uint8_t> encodePictureTga(const Picture& picture)
{
    return encodeTGA(picture.bytesBottomFirst(), picture.width, picture.height, picture.channels, true);
}

bool writePicturePng(const std::string& path, const Picture& picture)
{
    std::vector<uint8_t> rgb;
    if (picture.channels == 3) {
        rgb = picture.bytes();
    } else {
        std::vector<uint8_t> all = picture.bytes();
        for (size_t p = 0; p < all.size(); p += picture.channels)
            for (int k = 0; k < 3; ++k) rgb.push_back(picture.channels >= 3 ? all[p + k] : all[p]);
    }
    return writePngRgb(path, rgb.data(), picture.width, picture.height);
}
