// Fuzzes the JPEG decoder: corrupt data must come back as an error, never end the process,
// and a decoded picture's buffer must match its size.
#include "assets/jpeg.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    std::optional<JpegImage> image = decodeJPEG(data, size, &error);
    if (!image) return 0;
    if (image->rowBytes != image->width * 3 ||
        image->pixels.size() != static_cast<size_t>(image->rowBytes) * image->height)
        std::abort();
    return 0;
}
