// The generated overlay pictures read back with the engine's decoders: the font grid's glyphs in
// their cells, placed for the engine's 0.525 advance; the loading and help pictures' sizes and
// contents; and the text painter's refusal of a missing font.
#include "assets/jpeg.h"
#include "assets/tga.h"
#include "font_picture.h"
#include "overlay_assets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

static std::vector<uint8_t> builtFile(const std::string& name)
{
    std::ifstream in(fs::path(QUELM_ASSET_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct CellInk {
    int pixels = 0;
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;   // within the cell, top first
    double centreX() const { return (left + right + 1) / 2.0; }
};

class FontGrid : public ::testing::Test {
protected:
    static inline std::optional<TgaImage> font;
    static void SetUpTestSuite()
    {
        std::vector<uint8_t> file = builtFile("font.tga");
        font = decodeTGA(file.data(), file.size());
    }

    // Alpha of a pixel of cell g, x and y from the cell's top-left corner.
    static int alpha(int cell, int x, int y)
    {
        const int px = (cell % 16) * kFontCellSize + x, pyTop = (cell / 16) * kFontCellSize + y;
        const int row = font->height - 1 - pyTop;   // stored bottom row first
        return font->pixels[(static_cast<size_t>(row) * font->width + px) * 4 + 3];
    }
    static CellInk ink(int cell)
    {
        CellInk ink;
        for (int y = 0; y < kFontCellSize; ++y)
            for (int x = 0; x < kFontCellSize; ++x)
                if (alpha(cell, x, y) > 64) {
                    ++ink.pixels;
                    ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
                    ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
                }
        return ink;
    }
};

TEST_F(FontGrid, IsA32BitSixteenBySixteenGrid)
{
    ASSERT_TRUE(font);
    EXPECT_EQ(font->width, kFontPictureSize);
    EXPECT_EQ(font->height, kFontPictureSize);
    EXPECT_EQ(font->components, 4) << "the glyphs are blended by their alpha";
    EXPECT_EQ(kFontCellSize * 16, kFontPictureSize);
}

TEST_F(FontGrid, EveryPrintableCharacterHasAGlyphInBothSetsAndTheGapsStayEmpty)
{
    ASSERT_TRUE(font);
    for (int set = 0; set < 2; ++set)
        for (int code = 32; code < 160; ++code) {
            const int cell = code - 32 + 128 * set;
            const bool expected = fontCodeCharacter(code) != 0 && code != 32;
            EXPECT_EQ(ink(cell).pixels > 0, expected) << "set " << set << " code " << code;
        }
}

TEST_F(FontGrid, GlyphsSitInTheLeftPartOfTheirCellsOnOneBaseline)
{
    ASSERT_TRUE(font);
    const double band = kFontAdvanceShare * kFontCellSize;
    for (int set = 0; set < 2; ++set) {
        for (int code = 33; code < 127; ++code) {
            CellInk g = ink(code - 32 + 128 * set);
            EXPECT_LE(g.right, band + 2) << "set " << set << " '" << static_cast<char>(code) << "' reaches the next glyph";
        }
        // Digits, the clock's and the frame rate's characters, are spaced evenly: each centred in the band.
        for (char digit = '0'; digit <= '9'; ++digit) {
            CellInk g = ink(digit - 32 + 128 * set);
            EXPECT_NEAR(g.centreX(), band / 2.0, 2.5) << "set " << set << " digit " << digit;
            EXPECT_NEAR(g.bottom, kFontBaseline - 1, 1) << "digit " << digit << " stands on the baseline";
            EXPECT_GT(g.bottom - g.top, 30) << "digit " << digit << " is large enough to read at 40 pixels";
        }
    }
    // The bold set is heavier than the regular one.
    EXPECT_GT(ink('8' - 32 + 128).pixels, ink('8' - 32).pixels * 1.2);
}

static std::optional<JpegImage> builtJpeg(const std::string& name)
{
    std::vector<uint8_t> file = builtFile(name);
    return decodeJPEG(file.data(), file.size());
}

// Pixel of a decoded JPEG, y from the top.
static std::array<int, 3> pixel(const JpegImage& image, int x, int yTop)
{
    const uint8_t* p = &image.pixels[static_cast<size_t>(image.height - 1 - yTop) * image.rowBytes + x * 3];
    return {p[0], p[1], p[2]};
}

TEST(OverlayPictures, LoadingAndHelpPicturesArePowerOfTwoPicturesWithContent)
{
    for (const char* name : {"loader.jpg", "help.jpg"}) {
        SCOPED_TRACE(name);
        auto image = builtJpeg(name);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, kOverlayPictureWidth);
        EXPECT_EQ(image->height, kOverlayPictureHeight);
        // Bright text over a darker ground: the brightest and darkest pixels lie far apart.
        int brightest = 0, darkest = 765;
        for (int y = 0; y < image->height; y += 2)
            for (int x = 0; x < image->width; x += 2) {
                auto c = pixel(*image, x, y);
                brightest = std::max(brightest, c[0] + c[1] + c[2]);
                darkest = std::min(darkest, c[0] + c[1] + c[2]);
            }
        EXPECT_GT(brightest, 700);
        EXPECT_LT(darkest, 250);
    }
    // The loading picture: sky above, sea below.
    auto loader = builtJpeg("loader.jpg");
    ASSERT_TRUE(loader);
    auto sky = pixel(*loader, 40, 100), sea = pixel(*loader, 40, 480);
    EXPECT_GT(sky[2], sky[0] + 40);
    EXPECT_GT(sea[2], sea[0] + 40);
    EXPECT_LT(sea[0] + sea[1] + sea[2], sky[0] + sky[1] + sky[2]);
}

TEST(OverlayPictures, TextFaceRefusesAMissingFontByName)
{
    try {
        TextFace face("/no/such/font.ttf");
        FAIL() << "a missing font was opened";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/no/such/font.ttf"), std::string::npos) << e.what();
    }
}

TEST(OverlayPictures, ResamplingKeepsAnEvenPictureAndItsAverage)
{
    Picture stripes(4, 576, 3);
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 4; ++x) stripes.at(x, y)[0] = static_cast<float>(y % 2);
    Picture out = resampleHeight(stripes, 512);
    ASSERT_EQ(out.height, 512);
    double sum = 0;
    for (int y = 0; y < 512; ++y) sum += out.at(1, y)[0];
    EXPECT_NEAR(sum / 512, 0.5, 1e-3);
    Picture flat(2, 576, 3);
    for (float& v : flat.values) v = 0.25f;
    Picture flatOut = resampleHeight(flat, 512);
    for (float v : flatOut.values) EXPECT_NEAR(v, 0.25f, 1e-5f);
}
