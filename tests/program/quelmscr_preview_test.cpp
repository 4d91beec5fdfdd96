// The preview painted into a window of another program: one of the first five pictures, stretched
// over the parent, pure blue shown white; the host ends with its parent, and at once without one.
#include "jpeg_picture.h"
#include "support/program_runner.h"

#include <QFile>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>
#include <thread>

static constexpr int kPictures = 6;

// Picture N as the preview must show it: decoded, every pure blue pixel white.
static QImage expectedPicture(int n)
{
    QFile file(QString(QUELM_HOST_PICTURE_DIR "/MINI_SSHOT_%1.jpg").arg(n));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QImage picture = Decode_Jpeg(file.readAll());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) == qRgb(0, 0, 255)) picture.setPixel(x, y, qRgb(255, 255, 255));
    return picture;
}

// Mean absolute channel difference between a capture reduced to the picture's size and the picture.
static double meanDifference(const Picture& capture, const QImage& picture)
{
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            // the capture's cell that this pixel covers, averaged
            const int x0 = x * capture.width / picture.width(), x1 = (x + 1) * capture.width / picture.width();
            const int y0 = y * capture.height / picture.height(), y1 = (y + 1) * capture.height / picture.height();
            double cell[3] = {0, 0, 0};
            for (int cy = y0; cy < y1; ++cy)
                for (int cx = x0; cx < x1; ++cx)
                    for (int c = 0; c < 3; ++c) cell[c] += capture.at(cx, cy)[c];
            const double n = double((x1 - x0) * (y1 - y0));
            const QRgb p = picture.pixel(x, y);
            sum += std::abs(cell[0] / n - qRed(p)) + std::abs(cell[1] / n - qGreen(p)) + std::abs(cell[2] / n - qBlue(p));
        }
    return sum / (3.0 * picture.width() * picture.height());
}

struct ParentWindow {
    RunningProgram xev;
    WindowInfo info;
    unsigned long id = 0;
    bool open(int width, int height, const std::string& name)
    {
        if (!xev.start("/", "/usr/bin/xev", {}, {"-geometry", std::to_string(width) + "x" + std::to_string(height), "-name", name}))
            return false;
        auto window = waitForWindow(name, 10);
        if (!window) return false;
        info = *window;
        id = std::stoul(info.id, nullptr, 16);
        return true;
    }
};

// Starts the preview into the parent; returns the picture number the host reports, or -1.
static int startPreview(RunningProgram& host, unsigned long parent)
{
    if (!host.start("/", QUELM_PROGRAM_DIR "/quelmscr", {}, {"/p", std::to_string(parent)})) return -1;
    const std::string line = "quelmscr: preview picture ";
    if (!host.waitForOutput(line, 20)) return -1;
    const std::string text = host.stderrText();
    return std::atoi(text.c_str() + text.find(line) + line.size());
}

// Waits until the host's child window shows a picture within tolerance of the expected one;
// returns the last difference seen.
static double shownDifference(const QImage& expected, double tolerance, double seconds = 5)
{
    double difference = 1e9;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        auto child = waitForWindow("quelmscr", 5);
        if (!child) break;
        shell("import -window root -crop " + std::to_string(child->width) + "x" + std::to_string(child->height) + "+" +
              std::to_string(child->x) + "+" + std::to_string(child->y) + " /tmp/quelm-preview.png");
        if (auto capture = readPng("/tmp/quelm-preview.png")) difference = meanDifference(*capture, expected);
        if (difference < tolerance) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return difference;
}

TEST(QuelmscrPreview, ShowsOneOfTheFirstFivePicturesUnscaledAndAllFiveOverManyStarts)
{
    std::vector<QImage> pictures;
    for (int n = 0; n < kPictures; ++n) pictures.push_back(expectedPicture(n));
    ASSERT_EQ(pictures[0].size(), QSize(152, 112));
    ParentWindow parent;
    ASSERT_TRUE(parent.open(152, 112, "QuelmPreviewParent"));
    std::set<int> seen;
    for (int start = 0; start < 40; ++start) {
        RunningProgram host;
        const int n = startPreview(host, parent.id);
        ASSERT_GE(n, 0) << host.stderrText();
        ASSERT_LT(n, 5) << "the sixth picture is the slideshow's only";
        if (!seen.count(n)) {
            EXPECT_LT(shownDifference(pictures[n], 1.0), 1.0) << "picture " << n;
        }
        seen.insert(n);
        host.signal(SIGTERM);
        ASSERT_TRUE(host.waitExit(5));
        EXPECT_EQ(host.exitCode, 0);
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST(QuelmscrPreview, FillsALargerParentStretchedAndEndsWithIt)
{
    ParentWindow parent;
    ASSERT_TRUE(parent.open(400, 300, "QuelmPreviewLarge"));
    RunningProgram host;
    const int n = startPreview(host, parent.id);
    ASSERT_GE(n, 0) << host.stderrText();
    auto child = waitForWindow("quelmscr", 5);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->width, 400);
    EXPECT_EQ(child->height, 300);
    EXPECT_LT(shownDifference(expectedPicture(n), 6.0), 6.0);

    parent.xev.signal(SIGTERM);   // its connection closes and the server destroys its window
    const auto gone = std::chrono::steady_clock::now();
    ASSERT_TRUE(host.waitExit(3));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - gone).count(), 1.0);
    EXPECT_EQ(host.exitCode, 0);
}

TEST(QuelmscrPreview, NoParentOrAMissingOneEndsAtOnce)
{
    const std::vector<std::vector<std::string>> commandLines = {{"/p:1234"}, {"/p", "0"}, {"/p"}, {"/p", "536870911"}};
    for (const auto& args : commandLines) {
        RunningProgram host;
        ASSERT_TRUE(host.start("/", QUELM_PROGRAM_DIR "/quelmscr", {}, args));
        ASSERT_TRUE(host.waitExit(2)) << args[0];
        EXPECT_EQ(host.exitCode, 0);
        EXPECT_EQ(countWindows("quelmscr"), 0);
    }
}
