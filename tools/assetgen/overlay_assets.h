// The overlay pictures: the glyph grid of the engine's bitmap font ("font.tga"), the loading
// picture ("loader.jpg") and the key help ("help.jpg"), with their text set in DejaVu.
#pragma once

#include "picture.h"

#include <cstdint>
#include <vector>

constexpr int kFontPictureSize = 1024;              // 16 x 16 cells of 64 pixels
constexpr int kFontCellSize = kFontPictureSize / 16;
constexpr int kFontPixelSize = 50;                  // the face's size inside a cell
constexpr int kFontBaseline = 51;                   // from the cell's top
constexpr double kFontAdvanceShare = 0.525;         // the engine's pen step, as a share of a cell
// The overlay pictures are painted in 16:9, the common screen shape they are stretched over,
// and stored 1024 x 512.
constexpr int kOverlayPaintWidth = 1024, kOverlayPaintHeight = 576;
constexpr int kOverlayPictureWidth = 1024, kOverlayPictureHeight = 512;

// The character a font code stands for (Windows-1252), or 0 for codes without one.
char32_t fontCodeCharacter(int code);

// White glyphs with their coverage as alpha: set 0 (cells 0 to 127) in DejaVu Sans, set 1
// (cells 128 to 255) in DejaVu Sans Bold, codes 32 to 159 in each, every glyph centred in the
// left 0.525 of its cell and squeezed to fit there when wider.
Picture makeFontGlyphs();
Picture makeLoaderScreen(uint64_t seed);
Picture makeHelpScreen();

std::vector<uint8_t> makeFontPicture(uint64_t seed);     // "font.tga"
std::vector<uint8_t> makeLoaderPicture(uint64_t seed);   // "loader.jpg"
std::vector<uint8_t> makeHelpPicture(uint64_t seed);     // "help.jpg"
