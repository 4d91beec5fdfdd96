// hostpics: turns frames the engine captured (PNG) into the host's preview and slideshow
// pictures: hostpics FRAME.png MINI.jpg MYSCR.jpg
#include "area_scale.h"
#include "jpeg_writer.h"
#include "tga_writer.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kMiniWidth = 152, kMiniHeight = 112;
constexpr int kSlideWidth = 286, kSlideHeight = 215;
constexpr int kQuality = 92;

bool readRgbPng(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = int(image.width);
    height = int(image.height);
    return true;
}

bool writeScaled(const std::vector<uint8_t>& rgb, int width, int height, int outWidth, int outHeight,
                 const std::string& path)
{
    const std::vector<uint8_t> jpeg = encodeJPEG(scaleByArea(rgb, width, height, outWidth, outHeight), outWidth,
                                                 outHeight, 3, kQuality);
    return !jpeg.empty() && writeFile(path, jpeg);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: hostpics FRAME.png MINI.jpg MYSCR.jpg\n");
        return 2;
    }
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!readRgbPng(argv[1], rgb, width, height) || width < kSlideWidth || height < kSlideHeight) {
        std::fprintf(stderr, "hostpics: %s is not a frame of at least %dx%d\n", argv[1], kSlideWidth, kSlideHeight);
        return 1;
    }
    if (!writeScaled(rgb, width, height, kMiniWidth, kMiniHeight, argv[2]) ||
        !writeScaled(rgb, width, height, kSlideWidth, kSlideHeight, argv[3])) {
        std::fprintf(stderr, "hostpics: could not write %s or %s\n", argv[2], argv[3]);
        return 1;
    }
    return 0;
}
