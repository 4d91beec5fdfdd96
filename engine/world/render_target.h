// An off-screen framebuffer with an RGBA colour texture and a 32-bit depth renderbuffer.
#pragma once

#include <cstdint>

struct RenderTarget {
    int width = 0;
    int height = 0;
    uint32_t framebuffer = 0;
    uint32_t colourTexture = 0;
    uint32_t depthBuffer = 0;
    bool complete = false;

    // Makes the framebuffer (left bound) and reports whether the driver calls it complete.
    bool create(int w, int h);
    // Deletes the framebuffer and the depth buffer; the colour texture stays.
    void destroy();
};
