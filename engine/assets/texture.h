// Pictures into OpenGL textures: TGA and JPEG files as mipmapped textures, empty render
// textures and solid-colour textures. Every operation writes a new texture name into the
// caller's place and leaves it bound to the 2D target; textures live for the whole run.
#pragma once

#include "assets/jpeg.h"
#include "assets/tga.h"

#include <cstdint>
#include <optional>

class ResourcePack;

using TextureName = uint32_t;   // an OpenGL texture name

enum ImageKind { kImageUnknown = 0, kImageTga = 1, kImageJpeg = 2 };

// By the last three characters of the name alone: "tga"/"TGA" is TGA; "jpg", "peg", "JPG",
// "PEG" are JPEG; anything else (mixed case too) is unknown.
int imageKind(const char* name);

// The decoders over a file. Both show "Error loading tga file." / "Error loading jpg file." with
// the path as caption, as a fatal message with the pointer shown, when the file cannot be read (a
// corrupt JPEG counts as unreadable); a TGA of an unsupported depth gives nothing silently.
std::optional<TgaImage> loadTGA(const char* path);
std::optional<JpegImage> loadJPEG(const char* path);

// On failure the texture name is left as it was.
void createTextureTGA(const char* path, TextureName& texture);
// An unreadable JPEG ends the process (exit status 0) after its message; the exit hooks run.
void createTextureJPEG(const char* path, TextureName& texture);
// TGA when imageKind says so, JPEG for every other name.
void loadTexture(const char* path, TextureName& texture);
// The one call every asset loader uses: extract the picture from the pack, then load the copy.
void loadTextureFromPack(ResourcePack& pack, const char* name, TextureName& texture);
// Storage for a width × height RGB image without contents, for render targets.
void createRenderTexture(int width, int height, TextureName& texture);
// A 2 × 2 texture of one colour, for materials without a picture.
void createColourTexture(uint8_t r, uint8_t g, uint8_t b, TextureName& texture);
