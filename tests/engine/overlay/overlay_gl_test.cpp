// The overlays drawn with a real OpenGL context: which glyph cell a character shows and where,
// the state print leaves behind, and the fader's and the help picture's quads.
#include "assets/texture.h"
#include "base/view_size.h"
#include "overlay/bitmap_font.h"
#include "overlay/fader.h"
#include "overlay/help_screen.h"
#include "support/gl_context.h"
#include "tga_writer.h"

#include <gtest/gtest.h>

#include <epoxy/gl.h>
#include <array>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

static constexpr int kWidth = 128, kHeight = 64;
static constexpr int kCellPixels = 16;

// A glyph picture whose cells are each one opaque colour that names the cell: red = cell,
// green = 255 - cell. Rows are written bottom first, as the format keeps them.
static std::vector<uint8_t> cellCodedFont()
{
    const int side = 16 * kCellPixels;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 4);
    for (int yTop = 0; yTop < side; ++yTop)
        for (int x = 0; x < side; ++x) {
            const int cell = (yTop / kCellPixels) * 16 + x / kCellPixels;
            uint8_t* p = &pixels[(static_cast<size_t>(side - 1 - yTop) * side + x) * 4];
            p[0] = static_cast<uint8_t>(cell), p[1] = static_cast<uint8_t>(255 - cell), p[2] = 0, p[3] = 255;
        }
    return encodeTGA(pixels, side, side, 4, true);
}

class OverlayGl : public ::testing::Test {
protected:
    TestGlContext gl{kWidth, kHeight};
    std::vector<uint8_t> rgb;

    void SetUp() override
    {
        ASSERT_TRUE(gl.ok()) << "no OpenGL context (is a display running?)";
        ASSERT_TRUE(gl.bindFramebuffer());
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
    }

    // Colour at (x, y) counted from the bottom-left, as the overlays place things.
    std::array<int, 3> at(int x, int y)
    {
        const size_t i = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    void read() { rgb = gl.readRgb(); }
    bool black(int x, int y) { return at(x, y) == std::array<int, 3>{0, 0, 0}; }
    // The cell whose colour shows at (x, y), or -1 for anything else.
    int cellAt(int x, int y)
    {
        auto c = at(x, y);
        return c[0] + c[1] == 255 && c[2] == 0 ? c[0] : -1;
    }
};

class FontGl : public OverlayGl {
protected:
    std::string path;
    BitmapFont font;
    GLuint listsBefore = 0, listsAfter = 0;

    void SetUp() override
    {
        OverlayGl::SetUp();
        if (HasFatalFailure()) return;
        path = "/tmp/quelm-font-test-" + std::to_string(getpid()) + ".tga";
        ASSERT_TRUE(writeFile(path, cellCodedFont()));
        // Lists of another owner on both sides of the font's, each painting the window white:
        // text must never reach them.
        listsBefore = glGenLists(64);
        setViewSize(kWidth, kHeight);   // the view text is placed in
        font.build(path.c_str());
        listsAfter = glGenLists(64);
        for (GLuint list : {listsBefore, listsAfter})
            for (GLuint i = 0; i < 64; ++i) {
                glNewList(list + i, GL_COMPILE);
                glColor3f(1, 1, 1);
                glRectf(-100, -100, 100, 100);
                glEndList();
            }
        glColor3f(1, 1, 1);
    }
    void TearDown() override { fs::remove(path); }
};

TEST_F(FontGl, LetterADrawsRowTwoColumnOneInSetZeroAndCell161InSetOne)
{
    ASSERT_NE(font.listBase, 0u);
    ASSERT_NE(font.texture, 0u);
    ASSERT_EQ(font.listBase, listsBefore + 64) << "the fence lists must sit right beside the font's";
    ASSERT_EQ(listsAfter, font.listBase + 256);
    font.print(0, 64, 0, 0, "%s", "A");
    read();
    EXPECT_EQ(cellAt(32, 32), 33);
    EXPECT_EQ(cellAt(4, 4), 33);
    EXPECT_EQ(cellAt(59, 59), 33);
    EXPECT_TRUE(black(70, 32)) << "one glyph square only";

    glClear(GL_COLOR_BUFFER_BIT);
    font.print(1, 64, 0, 0, "A");
    read();
    EXPECT_EQ(cellAt(32, 32), 161);
    glClear(GL_COLOR_BUFFER_BIT);
    font.print(9, 64, 0, 0, "A");
    read();
    EXPECT_EQ(cellAt(32, 32), 161) << "a set above 1 counts as 1";
}

TEST_F(FontGl, GlyphsSitAtThePixelAskedAndAdvanceBy0525OfTheirSize)
{
    font.print(0, 20, 40, 10, "%d", 0);   // "0" is cell 16
    read();
    EXPECT_EQ(cellAt(41, 11), 16);
    EXPECT_EQ(cellAt(58, 28), 16);
    EXPECT_TRUE(black(38, 20));
    EXPECT_TRUE(black(61, 20));
    EXPECT_TRUE(black(50, 8));
    EXPECT_TRUE(black(50, 31));

    glClear(GL_COLOR_BUFFER_BIT);
    font.print(0, 64, 0, 0, "AB");
    read();
    EXPECT_EQ(cellAt(16, 32), 33);
    EXPECT_EQ(cellAt(32, 32), 33);
    EXPECT_EQ(cellAt(35, 32), 34) << "B starts 0.525 x 64 = 33.6 pixels on, over A";
    EXPECT_EQ(cellAt(96, 32), 34);
    EXPECT_TRUE(black(99, 32));
}

// The font places text in the one view size, whatever size the view had when it was built: a
// view twice as large in each direction (a window that changed size) halves the text's pixels.
TEST_F(FontGl, TextFollowsTheViewSizeWhenItChanges)
{
    setViewSize(2 * kWidth, 2 * kHeight);
    font.print(0, 64, 40, 20, "A");
    read();
    EXPECT_EQ(cellAt(21, 11), 33);
    EXPECT_EQ(cellAt(50, 40), 33);
    EXPECT_TRUE(black(18, 25));
    EXPECT_TRUE(black(54, 25));
    EXPECT_TRUE(black(35, 8));
    EXPECT_TRUE(black(35, 43));
    setViewSize(kWidth, kHeight);
}

TEST_F(FontGl, CodesWithoutACellReachNoOtherList)
{
    font.print(0, 64, 0, 0, "%s", "\x01\x1f");
    font.print(1, 64, 0, 0, "%s", "\xa0\xff");
    read();
    EXPECT_TRUE(black(32, 32)) << "a control code or a set 1 code past 159 called a list outside the font";
    font.print(0, 64, 0, 0, "\tA");
    read();
    EXPECT_EQ(cellAt(16, 32), 33) << "the skipped code takes no place either";
}

TEST_F(FontGl, TextLongerThan255CharactersIsCut)
{
    // Placed so that the 255th character covers x = -0.5 to 19.5 and a 256th would start at 10.
    const float size = 20.0f, x = 10.0f - 255 * kGlyphAdvance * size;
    std::string text(255, '!');   // cell 1
    text += "AAAA";
    font.print(0, size, x, 0, "%s", text.c_str());
    read();
    EXPECT_EQ(cellAt(5, 10), 1) << "the 255th character is drawn";
    EXPECT_TRUE(black(25, 10)) << "the 256th is not";
}

TEST_F(FontGl, EmptyTextLeavesDepthTestOnAndBlendingAndTexturingOff)
{
    GLint projectionDepth = 0, modelviewDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -3, 3, -3, 3);
    std::array<float, 16> projection{}, after{};
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    font.print(0, 40, 5, 5, "%s", "");
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint mode = 0, depthNow = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthNow);
    EXPECT_EQ(depthNow, projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthNow);
    EXPECT_EQ(depthNow, modelviewDepth);
    glGetFloatv(GL_PROJECTION_MATRIX, after.data());
    EXPECT_EQ(after, projection);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    read();
    EXPECT_TRUE(black(32, 32));
}

TEST_F(FontGl, NoFormatDoesNothingAtAll)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    font.print(0, 40, 5, 5, nullptr);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

// The overlay projection of the engine: one unit per pixel from the bottom-left corner.
static void pixelProjection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(OverlayGl, FaderDrawsTheLoadingPictureThenThePaleFlashOverTheWholeScreen)
{
    pixelProjection();
    ScreenFader fader;
    createColourTexture(0, 200, 0, fader.texture);
    fader.draw(kWidth, kHeight);
    read();
    for (auto [x, y] : {std::pair{0, 0}, {127, 63}, {64, 32}}) EXPECT_EQ(at(x, y), (std::array<int, 3>{0, 200, 0}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    glClear(GL_COLOR_BUFFER_BIT);
    fader.loadingAlpha = 0.0f;
    fader.flashAlpha = 1.0f;
    fader.draw(kWidth, kHeight);
    read();
    for (auto [x, y] : {std::pair{0, 0}, {127, 63}}) {
        auto c = at(x, y);
        EXPECT_NEAR(c[0], 217, 1);
        EXPECT_NEAR(c[1], 242, 1);
        EXPECT_NEAR(c[2], 255, 1);
    }

    glClear(GL_COLOR_BUFFER_BIT);
    fader.flashAlpha = 0.0f;
    fader.draw(kWidth, kHeight);
    read();
    EXPECT_TRUE(black(64, 32)) << "at alpha 0 both quads leave the frame alone";
}

TEST_F(OverlayGl, HelpPictureCoversTheMiddle055OfTheScreenAtItsAlpha)
{
    pixelProjection();
    HelpScreen help;
    createColourTexture(255, 255, 255, help.texture);
    help.alpha = kHelpMaximum;
    help.draw(kWidth / 2, kHeight / 2);
    read();
    // 64 +- 35.2 across, 32 +- 17.6 up.
    EXPECT_NEAR(at(64, 32)[0], 178, 1);
    EXPECT_NEAR(at(30, 16)[1], 178, 1);
    EXPECT_NEAR(at(98, 48)[2], 178, 1);
    EXPECT_TRUE(black(27, 32));
    EXPECT_TRUE(black(100, 32));
    EXPECT_TRUE(black(64, 13));
    EXPECT_TRUE(black(64, 50));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}
