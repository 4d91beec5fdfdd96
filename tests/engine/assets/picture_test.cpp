// The TGA and JPEG decoders over bytes made by the project's writers, the name rule that picks
// one, and the failure paths of the file loaders.
#include "assets/image_scale.h"
#include "assets/jpeg.h"
#include "assets/texture.h"
#include "assets/tga.h"
#include "base/exit_hooks.h"
#include "engine/base/fatal_messages.h"
#include "jpeg_writer.h"
#include "support/temp_folder.h"
#include "tga_writer.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

static std::optional<TgaImage> decode(const std::vector<uint8_t>& file, TgaProblem* problem = nullptr)
{
    return decodeTGA(file.data(), file.size(), problem);
}

TEST(ImageKind, LooksAtTheLastThreeCharactersOnly)
{
    EXPECT_EQ(imageKind("font.tga"), kImageTga);
    EXPECT_EQ(imageKind("FONT.TGA"), kImageTga);
    EXPECT_EQ(imageKind("font.Tga"), kImageUnknown);   // so loadTexture hands it to the JPEG decoder
    EXPECT_EQ(imageKind("sky.jpg"), kImageJpeg);
    EXPECT_EQ(imageKind("sky.jpeg"), kImageJpeg);
    EXPECT_EQ(imageKind("SKY.JPG"), kImageJpeg);
    EXPECT_EQ(imageKind("SKY.JPEG"), kImageJpeg);
    EXPECT_EQ(imageKind("sky.Jpg"), kImageUnknown);
    EXPECT_EQ(imageKind("ga"), kImageUnknown);
    EXPECT_EQ(imageKind(""), kImageUnknown);
}

TEST(TgaDecoder, TrueColourSwapsBlueAndRedAndKeepsRowOrder)
{
    // 2 × 2, bottom row first: red, green / blue, half-transparent white.
    std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    std::optional<TgaImage> image = decode(encodeTGA(rgba, 2, 2, 4));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->components, 4);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels, rgba);

    std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    image = decode(encodeTGA(rgb, 3, 1, 3));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(image->pixels, rgb);
}

TEST(TgaDecoder, SkipsTheImageId)
{
    std::vector<uint8_t> file = encodeTGA({1, 2, 3}, 1, 1, 3);
    file[0] = 5;
    file.insert(file.begin() + 18, {9, 9, 9, 9, 9});
    std::optional<TgaImage> image = decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(TgaDecoder, SixteenBitWordsFillTheTopFiveBitsOfEachChannel)
{
    std::optional<TgaImage> image = decode(encodeTGA16({0x7FFF, 0x7C00, 0x03E0, 0x001F, 0xFFFF}, 5, 1));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(image->pixels, (std::vector<uint8_t>{248, 248, 248, 248, 0, 0, 0, 248, 0, 0, 0, 248, 248, 248, 248}));
}

TEST(TgaDecoder, RunLengthRoundTripsAndEndsExactlyOnARun)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 300; ++i) {   // raw stretches, runs longer than one packet, a final run
        uint8_t v = i < 40 ? static_cast<uint8_t>(i * 5) : i < 250 ? 7 : 99;
        rgba.insert(rgba.end(), {v, static_cast<uint8_t>(255 - v), 3, static_cast<uint8_t>(i < 100 ? 255 : 0)});
    }
    std::vector<uint8_t> file = encodeTGA(rgba, 20, 15, 4, true);
    EXPECT_EQ(file[2], 10);
    EXPECT_GE(file[file.size() - 5], 0x80) << "the last packet is a run";
    std::optional<TgaImage> image = decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->components, 4);
    EXPECT_EQ(image->pixels, rgba);
}

TEST(TgaDecoder, RunLengthPacketsBeyondThePictureAreClipped)
{
    std::vector<uint8_t> file = encodeTGA({0, 0, 0}, 1, 1, 3);   // header only is reused
    file.resize(18);
    file[2] = 10;
    file[12] = 3;   // 3 × 1 pixels
    file.insert(file.end(), {0x80 | 1, 1, 2, 3,        // run of 2
                             0x80 | 9, 4, 5, 6});      // run of 10, clipped to 1
    std::optional<TgaImage> image = decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint8_t>{3, 2, 1, 3, 2, 1, 6, 5, 4}));

    // A raw packet that overshoots is clipped the same way.
    file.resize(18);
    file.insert(file.end(), {4, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5});
    image = decode(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3}));
}

TEST(TgaDecoder, RefusesWhatItCannotDecode)
{
    TgaProblem problem;
    std::vector<uint8_t> eightBit = encodeTGA({1, 2, 3}, 1, 1, 3);
    eightBit[16] = 8;
    EXPECT_FALSE(decode(eightBit, &problem));
    EXPECT_EQ(problem, TgaProblem::UnsupportedDepth);

    std::vector<uint8_t> rle16 = encodeTGA16({0x7FFF}, 1, 1);
    rle16[2] = 10;
    EXPECT_FALSE(decode(rle16, &problem));
    EXPECT_EQ(problem, TgaProblem::UnsupportedDepth);

    std::vector<uint8_t> shortData = encodeTGA(std::vector<uint8_t>(4 * 4 * 3, 9), 4, 4, 3);
    shortData.resize(shortData.size() - 1);
    EXPECT_FALSE(decode(shortData, &problem));
    EXPECT_EQ(problem, TgaProblem::Truncated);

    // A huge picture over a few bytes of run-length data is refused before any allocation.
    std::vector<uint8_t> huge = encodeTGA({1, 2, 3}, 1, 1, 3, true);
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
    EXPECT_FALSE(decode(huge, &problem));
    EXPECT_EQ(problem, TgaProblem::Truncated);

    EXPECT_FALSE(decode(std::vector<uint8_t>(10, 0), &problem));
}

static std::optional<JpegImage> decodeJ(const std::vector<uint8_t>& file, std::string* error = nullptr)
{
    return decodeJPEG(file.data(), file.size(), error);
}

TEST(JpegDecoder, RowsComeBottomFirst)
{
    // 3 × 2, top row red, bottom row blue.
    std::vector<uint8_t> top_first = {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255};
    std::optional<JpegImage> image = decodeJ(encodeJPEG(top_first, 3, 2, 3, 100));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rowBytes, 9);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    ASSERT_EQ(image->pixels.size(), 18u);
    EXPECT_GT(image->pixels[9], 200) << "the top scanline is row 1";
    EXPECT_LT(image->pixels[11], 60);
    EXPECT_GT(image->pixels[2], 200) << "the bottom scanline is row 0";
    EXPECT_LT(image->pixels[0], 60);
}

TEST(JpegDecoder, GreyscaleIsExpandedToRgb)
{
    std::vector<uint8_t> grey(8 * 8, 100);
    std::optional<JpegImage> image = decodeJ(encodeJPEG(grey, 8, 8, 1, 100));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rowBytes, 24);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(image->pixels[k], 100, 2);
}

TEST(JpegDecoder, CorruptDataComesBackAsAnErrorNotAnExit)
{
    std::string error;
    EXPECT_FALSE(decodeJ({0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decodeJ({}, &error));
    EXPECT_FALSE(decodeJ(std::vector<uint8_t>(100, 0x41), &error));

    // A frame header that claims an enormous picture is refused rather than allocated.
    std::vector<uint8_t> file = encodeJPEG(std::vector<uint8_t>(16 * 16 * 3, 50), 16, 16, 3);
    for (size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = file[i + 6] = file[i + 7] = file[i + 8] = 0xFF;
            break;
        }
    EXPECT_FALSE(decodeJ(file, &error));
}

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override { setenv("ZERO_MESSAGES", "stderr", 1); }
    FatalMessages fatal;
};

TEST_F(PictureFiles, MissingTgaIsAFatalMessageWithThePointerShown)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadTGA("/nonexistent/font.tga"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[/nonexistent/font.tga] Error loading tga file."), std::string::npos) << err;
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>{FailurePointer::Shown});

    // An unsupported depth is silent and leaves the texture name alone.
    TempFolder folder("tga");
    const std::string path = folder.file("eight.tga");
    std::vector<uint8_t> eightBit = encodeTGA({1, 2, 3}, 1, 1, 3);
    eightBit[16] = 8;
    ASSERT_TRUE(writeFile(path, eightBit));
    TextureName texture = 77;
    testing::internal::CaptureStderr();
    createTextureTGA(path.c_str(), texture);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(texture, 77u);
    EXPECT_EQ(err, "");
    EXPECT_EQ(fatal.count(), 1u);
}

static void announceHook() { std::fputs("exit hooks ran\n", stderr); }

TEST_F(PictureFiles, UnreadableOrCorruptJpegEndsTheProcessThroughTheExitHooks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TextureName texture = 0;
    EXPECT_EXIT(
        {
            addExitHook(announceHook);
            createTextureJPEG("/nonexistent/loader.jpg", texture);
        },
        testing::ExitedWithCode(0), "Error loading jpg file.(.|\n)*exit hooks ran");

    // A death test's child runs this test again from its start, and so makes a file of its own:
    // an exit hook removes it there, as the line after the death test does here.
    static char path[] = "/tmp/quelm-jpg-XXXXXX";
    int fd = mkstemp(path);
    close(fd);
    ASSERT_TRUE(writeFile(path, {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 7, 7}));
    EXPECT_EXIT(
        {
            addExitHook([] { std::remove(path); });
            addExitHook(announceHook);
            loadTexture(path, texture);   // not a TGA name, so the JPEG decoder
        },
        testing::ExitedWithCode(0), "Error loading jpg file.(.|\n)*exit hooks ran");
    std::remove(path);
}

TEST(ImageScale, SidesGoToTheNearestPowerOfTwoWithinTheLimit)
{
    EXPECT_EQ(nearestPowerOfTwo(1, 4096), 1);
    EXPECT_EQ(nearestPowerOfTwo(3, 4096), 4);
    EXPECT_EQ(nearestPowerOfTwo(5, 4096), 4);
    EXPECT_EQ(nearestPowerOfTwo(6, 4096), 8);
    EXPECT_EQ(nearestPowerOfTwo(600, 4096), 512);
    EXPECT_EQ(nearestPowerOfTwo(800, 4096), 1024);
    EXPECT_EQ(nearestPowerOfTwo(1024, 4096), 1024);
    EXPECT_EQ(nearestPowerOfTwo(9000, 4096), 4096);

    // Stretching 3 → 4 keeps both edge columns and every row.
    std::vector<uint8_t> rows = {0, 100, 200, 10, 110, 210};   // 3 × 2, one component
    std::vector<uint8_t> out = resamplePixels(rows.data(), 3, 2, 1, 4, 2);
    ASSERT_EQ(out.size(), 8u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[3], 200);
    EXPECT_EQ(out[4], 10);
    EXPECT_EQ(out[7], 210);
    EXPECT_LT(out[1], out[2]);
}
