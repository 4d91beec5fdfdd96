// Fuzzes the TGA decoder (and the power-of-two resampler on what it decodes): any bytes must
// give either nothing or a picture whose buffer matches its size.
#include "assets/image_scale.h"
#include "assets/tga.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::optional<TgaImage> image = decodeTGA(data, size);
    if (!image) return 0;
    size_t expected = static_cast<size_t>(image->width) * image->height * image->components;
    if (image->pixels.size() != expected || (image->components != 3 && image->components != 4)) std::abort();
    if (image->width > 0 && image->height > 0 && expected < (1u << 20)) {
        int tw = nearestPowerOfTwo(image->width, 4096), th = nearestPowerOfTwo(image->height, 4096);
        if (resamplePixels(image->pixels.data(), image->width, image->height, image->components, tw, th).size() !=
            static_cast<size_t>(tw) * th * image->components)
            std::abort();
    }
    return 0;
}
