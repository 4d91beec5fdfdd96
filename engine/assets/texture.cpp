// Texture creation over the decoders. Uploads use an unpack alignment of 1 (restored after),
// so pictures of any width arrive unskewed; sides that are not powers of two are resampled here.
#include "assets/texture.h"

#include "assets/image_scale.h"
#include "assets/pack.h"
#include "base/exit_hooks.h"
#include "base/messages.h"
#include "base/whole_file.h"

#include <epoxy/gl.h>
#include <GL/glu.h>
#include <cstring>
#include <string>

// A picture that cannot be loaded stops the run; the pointer shows for its box.
static void reportFailure(const char* text, const char* path)
{
    showFatalMessage(text, path, FailurePointer::Shown);
}

static const char* const kTgaFailure = "Error loading tga file.";
static const char* const kJpegFailure = "Error loading jpg file.";
static constexpr int kJpegExitStatus = 0;

int imageKind(const char* name)
{
    size_t length = std::strlen(name);
    if (length < 3) return kImageUnknown;
    const char* end = name + length - 3;
    if (std::strcmp(end, "tga") == 0 || std::strcmp(end, "TGA") == 0) return kImageTga;
    for (const char* jpeg : {"jpg", "peg", "JPG", "PEG"})
        if (std::strcmp(end, jpeg) == 0) return kImageJpeg;
    return kImageUnknown;
}

std::optional<TgaImage> loadTGA(const char* path)
{
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    if (!bytes) {
        reportFailure(kTgaFailure, path);
        return std::nullopt;
    }
    TgaProblem problem = TgaProblem::None;
    std::optional<TgaImage> image = decodeTGA(bytes->data(), bytes->size(), &problem);
    if (problem == TgaProblem::Truncated) logLine("%s ends before its picture does; not loaded", path);
    return image;
}

std::optional<JpegImage> loadJPEG(const char* path)
{
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    std::optional<JpegImage> image;
    if (bytes) {
        std::string reason;
        image = decodeJPEG(bytes->data(), bytes->size(), &reason);
        if (!image) logLine("%s: %s", path, reason.c_str());
    }
    if (!image) reportFailure(kJpegFailure, path);
    return image;
}

// A new texture name bound to the 2D target with the given filters.
static GLuint newTexture(GLint minification)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minification);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

static void uploadMipmapped(const uint8_t* pixels, int width, int height, int components, GLenum format,
                            TextureName& texture)
{
    // Without a current context (the window's could not be made) GLU would crash on the missing
    // version string: the picture is left out, and the start-up check that follows reports the failure.
    if (!glGetString(GL_VERSION)) return;
    GLint maxSize = 1024;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    std::vector<uint8_t> resampled;
    if (width > 0 && height > 0) {
        int tw = nearestPowerOfTwo(width, maxSize), th = nearestPowerOfTwo(height, maxSize);
        if (tw != width || th != height) {
            resampled = resamplePixels(pixels, width, height, components, tw, th);
            pixels = resampled.data();
            width = tw;
            height = th;
        }
    }
    GLuint name = newTexture(GL_LINEAR_MIPMAP_NEAREST);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    texture = name;
}

void createTextureTGA(const char* path, TextureName& texture)
{
    std::optional<TgaImage> image = loadTGA(path);
    if (!image) return;
    uploadMipmapped(image->pixels.data(), image->width, image->height, image->components,
                    image->components == 4 ? GL_RGBA : GL_RGB, texture);
}

void createTextureJPEG(const char* path, TextureName& texture)
{
    std::optional<JpegImage> image = loadJPEG(path);
    if (!image) endProcess(kJpegExitStatus);
    uploadMipmapped(image->pixels.data(), image->width, image->height, 3, GL_RGB, texture);
}

void loadTexture(const char* path, TextureName& texture)
{
    if (imageKind(path) == kImageTga) createTextureTGA(path, texture);
    else createTextureJPEG(path, texture);
}

void loadTextureFromPack(ResourcePack& pack, const char* name, TextureName& texture)
{
    pack.extract(name);
    std::string path = pack.tempPath(name);
    if (isPlainEntryName(name)) {
        loadTexture(path.c_str(), texture);
        return;
    }
    // A name with a folder part was never extracted (the pack said so) and is not opened
    // either: it would reach outside the temporary folder. It fails like a missing file.
    if (imageKind(name) == kImageTga) {
        reportFailure(kTgaFailure, path.c_str());
        return;
    }
    reportFailure(kJpegFailure, path.c_str());
    endProcess(kJpegExitStatus);
}

void createRenderTexture(int width, int height, TextureName& texture)
{
    GLuint name = newTexture(GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    texture = name;
}

void createColourTexture(uint8_t r, uint8_t g, uint8_t b, TextureName& texture)
{
    const uint8_t pixels[2 * 2 * 3] = {r, g, b, r, g, b, r, g, b, r, g, b};
    GLuint name = newTexture(GL_LINEAR);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    texture = name;
}
