// The back-buffer read for capture mode.
#include "app/back_buffer.h"

#include "base/png_writer.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cstdint>
#include <vector>

bool captureBackBuffer(const std::string& path, int width, int height)
{
    if (width <= 0 || height <= 0) return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    GLint oldPack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldPack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, oldPack);
    // GL's rows run bottom first; a PNG's top first.
    std::vector<uint8_t> flipped(pixels.size());
    size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + (height - 1 - y) * rowBytes, rowBytes, flipped.data() + y * rowBytes);
    return writePngRgb(path, flipped.data(), width, height);
}
