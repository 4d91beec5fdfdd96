// The settings form's skin as a user meets it under X (the xcb platform, where window shapes
// work): quelmscr /c grows to its working size at the work area's centre within a second, its
// outline cuts it out of a busy background (screenshots of two skins go to skin_shots/ in the
// test folder), a click outside the outline reaches a window behind it, the slideshow changes
// after 5.1 s, the exit button changes its look under the mouse and back, and a double click on
// the frame ends the dialog.
#include "support/program_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

// Xlib last: its macros clash with GoogleTest.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFormWidth = 789, kFormHeight = 554;
const char* const kTitlePrefix = "Quelm 3D Screensaver Settings";

struct Point {
    int x, y;
};
// Places on the form: outside the outline (left of the lower left post, in the notch above the
// right post, under the lower left post), on the frame, on the background, and the exit button.
constexpr Point kOutside[] = {{10, 450}, {770, 12}, {50, 551}};
constexpr Point kLeftPost{45, 440}, kOutsideLeft{12, 440}, kBackground{200, 420}, kBeam{300, 8};
constexpr Point kExit{708, 38};
constexpr int kExitWidth = 35, kExitHeight = 28;
constexpr Point kScreenCentre{191, 163};

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// The busy background: stripes and squares in strong colours, a function of the place.
unsigned long busyColour(int x, int y)
{
    const bool stripe = ((x + y) / 12) % 2 == 0, square = ((x / 40) + (y / 40)) % 2 == 0;
    return stripe ? (square ? 0xd01060 : 0x10a0e0) : (square ? 0xf0e020 : 0x202020);
}

// Windows come and go between a query and the next request (a program starting, another ending):
// such an error only means that window is gone. Xlib's own handler would end the test program
// and leave the dialog it started running.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

class Display_Connection {
public:
    Display_Connection() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreXError); }
    ~Display_Connection()
    {
        if (display_) XCloseDisplay(display_);
    }
    Display* get() const { return display_; }

    // A window of that size with the busy pattern, or with one colour; override-redirect, so it
    // stays where it is put, and lowered under what is already shown.
    Window create(int x, int y, int width, int height, bool busy, long events = 0)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = events | ExposureMask;
        attributes.background_pixel = 0x8040c0;
        Window w = XCreateWindow(display_, DefaultRootWindow(display_), x, y, unsigned(width), unsigned(height), 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWEventMask | CWBackPixel, &attributes);
        XMapWindow(display_, w);
        XLowerWindow(display_, w);
        if (busy) {
            XImage* image = XGetImage(display_, w, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
            for (int yy = 0; yy < height; ++yy)
                for (int xx = 0; xx < width; ++xx) XPutPixel(image, xx, yy, busyColour(x + xx, y + yy));
            GC gc = XCreateGC(display_, w, 0, nullptr);
            // Painted again on every exposure below, so what the form uncovers shows the pattern.
            busy_.push_back({w, image, gc});
            XPutImage(display_, w, gc, image, 0, 0, 0, 0, unsigned(width), unsigned(height));
        }
        XSync(display_, False);
        return w;
    }

    // Repaints the busy windows where they were exposed; returns button presses on watch.
    std::vector<XButtonEvent> pump(Window watch)
    {
        std::vector<XButtonEvent> presses;
        while (XPending(display_)) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == Expose)
                for (const Busy& b : busy_)
                    if (b.window == e.xexpose.window)
                        XPutImage(display_, b.window, b.gc, b.image, e.xexpose.x, e.xexpose.y, e.xexpose.x, e.xexpose.y,
                                  unsigned(e.xexpose.width), unsigned(e.xexpose.height));
            if (e.type == ButtonPress && e.xbutton.window == watch) presses.push_back(e.xbutton);
        }
        XFlush(display_);
        return presses;
    }

    // Colours of a rectangle of the screen, rows top first, 0xRRGGBB.
    std::vector<unsigned long> grab(int x, int y, int width, int height)
    {
        pump(None);
        std::vector<unsigned long> pixels;
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, unsigned(width), unsigned(height),
                                  AllPlanes, ZPixmap);
        if (!image) return pixels;
        for (int yy = 0; yy < height; ++yy)
            for (int xx = 0; xx < width; ++xx) pixels.push_back(XGetPixel(image, xx, yy) & 0xffffff);
        XDestroyImage(image);
        return pixels;
    }

    // The top-level window whose name starts with prefix.
    Window find(const std::string& prefix)
    {
        Window root = DefaultRootWindow(display_), parent, *children = nullptr;
        unsigned count = 0;
        Window found = None;
        if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return None;
        const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
        for (unsigned i = 0; i < count && found == None; ++i) {
            Atom type;
            int format;
            unsigned long items, after;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, children[i], netName, 0, 256, False, utf8, &type, &format, &items, &after,
                                   &data) == Success &&
                data) {
                if (std::string(reinterpret_cast<char*>(data), items).rfind(prefix, 0) == 0) found = children[i];
                XFree(data);
            }
        }
        if (children) XFree(children);
        return found;
    }

    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
        bool viewable = false;
    };
    Geometry geometry(Window w)
    {
        XWindowAttributes a{};
        if (w == None || !XGetWindowAttributes(display_, w, &a)) return {};
        return {a.x, a.y, a.width, a.height, a.map_state == IsViewable};
    }

private:
    struct Busy {
        Window window;
        XImage* image;
        GC gc;
    };
    Display* display_;
    std::vector<Busy> busy_;
};

bool waitFor(const std::function<bool()>& condition, double seconds)
{
    const auto start = Clock::now();
    while (secondsSince(start) < seconds) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

// A 24-bit picture of the build's skin, read back through ImageMagick.
std::optional<Picture> skinPicture(const std::string& name)
{
    const std::string png = (fs::temp_directory_path() / ("quelm-skin-" + name + ".png")).string();
    int status = 0;
    shell("convert '" + std::string(QUELM_HOST_SKIN_DIR) + "/BITMAP/" + name + ".bmp' '" + png + "' 2>&1", &status);
    auto picture = status == 0 ? readPng(png) : std::nullopt;
    fs::remove(png);
    return picture;
}

// How many drawn pixels of the picture the screen shows at (x, y) exactly.
int matchingPixels(const Picture& picture, const std::vector<unsigned long>& screen, int* drawn)
{
    int same = 0;
    *drawn = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const auto c = picture.at(x, y);
            if (c[0] == 0 && c[1] == 255 && c[2] == 0) continue;
            ++*drawn;
            const unsigned long s = screen[size_t(y) * picture.width + x];
            same += int((s >> 16) & 255) == c[0] && int((s >> 8) & 255) == c[1] && int(s & 255) == c[2];
        }
    return same;
}

}  // namespace

class QuelmscrSkin : public ::testing::Test {
protected:
    ProgramDir dir;
    TempFolder config{"skin-config"};
    RunningProgram host;
    Display_Connection x;
    Window form = None;
    Display_Connection::Geometry at;
    double openingSeconds = 0;
    fs::path shots = fs::current_path() / "skin_shots";

    void SetUp() override
    {
        ASSERT_TRUE(x.get()) << "no display";
        fs::create_directories(shots);
        fs::create_directories(config / "Velmora");
        std::ofstream(config.file("Velmora/Quelm 3D.ini")) << "[General]\nPath=" << dir.path << "\n";
    }
    void TearDown() override
    {
        if (host.pid > 0 && !host.waitExit(0)) {
            shell("xdotool key Escape");
            host.waitExit(10);
        }
    }

    // Starts the dialog with that skin seed; waits until it is viewable at its working size,
    // timing the growth from the first viewable frame.
    void open(int seed)
    {
        ASSERT_TRUE(host.start(dir.path, "quelmscr", {{"XDG_CONFIG_HOME", config.str()}, {"QUELMSCR_SEED", std::to_string(seed)}},
                               {"/c"}));
        Clock::time_point shown;
        ASSERT_TRUE(waitFor([&] {
            form = x.find(kTitlePrefix);
            shown = Clock::now();
            return x.geometry(form).viewable;
        }, 30)) << host.stderrText();
        ASSERT_TRUE(waitFor([&] {
            at = x.geometry(form);
            return at.width == kFormWidth && at.height == kFormHeight;
        }, 10)) << "the form stayed " << at.width << "x" << at.height;
        openingSeconds = secondsSince(shown);
        // Opened: the slideshow screen shows a picture, not the background's even columns.
        ASSERT_TRUE(waitFor([&] {
            const auto column = x.grab(at.x + kScreenCentre.x, at.y + 100, 1, 130);
            return std::any_of(column.begin(), column.end(), [&](unsigned long c) { return c != column.front(); });
        }, 10));
    }

    // Ends the dialog with Esc, ready for the next open.
    void close()
    {
        shell("xdotool key Escape");
        ASSERT_TRUE(host.waitExit(15)) << host.stderrText();
        std::remove(host.stderrPath.c_str());
        host = RunningProgram();
    }

    std::string place(Point p) const { return std::to_string(at.x + p.x) + " " + std::to_string(at.y + p.y); }
};

TEST_F(QuelmscrSkin, GrowsToItsWorkingSizeAtTheCentreWithinASecond)
{
    for (int seed : {3, 4, 5}) {
        open(seed);
        if (HasFatalFailure()) return;
        std::printf("opening with seed %d: %.3f s to %dx%d at (%d, %d)\n", seed, openingSeconds, at.width, at.height,
                    at.x, at.y);
        EXPECT_LT(openingSeconds, 1.0);
        const int screenWidth = DisplayWidth(x.get(), 0), screenHeight = DisplayHeight(x.get(), 0);
        EXPECT_LE(std::abs(at.x + kFormWidth / 2 - screenWidth / 2), 25);
        EXPECT_LE(std::abs(at.y + kFormHeight / 2 - screenHeight / 2), 15);
        close();
        if (HasFatalFailure()) return;
    }
}

TEST_F(QuelmscrSkin, OutlineCutsTheFormOutOfABusyBackground)
{
    const int screenWidth = DisplayWidth(x.get(), 0), screenHeight = DisplayHeight(x.get(), 0);
    x.create(0, 0, screenWidth, screenHeight, true);
    std::vector<std::vector<unsigned long>> leftPosts;
    for (int seed : {1, 2}) {
        open(seed);
        if (HasFatalFailure()) return;
        const std::string shot = (shots / ("skin-seed-" + std::to_string(seed) + ".png")).string();
        shell("import -window root -crop " + std::to_string(kFormWidth + 40) + "x" + std::to_string(kFormHeight + 40) +
              "+" + std::to_string(at.x - 20) + "+" + std::to_string(at.y - 20) + " +repage '" + shot + "'");
        for (Point p : kOutside)
            EXPECT_EQ(x.grab(at.x + p.x, at.y + p.y, 1, 1).at(0), busyColour(at.x + p.x, at.y + p.y))
                << "outside at " << p.x << "," << p.y;
        for (Point p : {kLeftPost, kBackground, kBeam})
            EXPECT_NE(x.grab(at.x + p.x, at.y + p.y, 1, 1).at(0), busyColour(at.x + p.x, at.y + p.y))
                << "inside at " << p.x << "," << p.y;
        leftPosts.push_back(x.grab(at.x + 2, at.y + 60, 30, 280));
        close();
        if (HasFatalFailure()) return;
    }
    // The two seeds draw different left posts.
    int differing = 0;
    for (size_t i = 0; i < leftPosts[0].size(); ++i) differing += leftPosts[0][i] != leftPosts[1][i];
    EXPECT_GT(differing, int(leftPosts[0].size()) / 2);
}

TEST_F(QuelmscrSkin, AClickOutsideTheOutlineReachesTheWindowBehind)
{
    open(6);
    if (HasFatalFailure()) return;
    // Behind the form: a small window under both the outside and the lower left post.
    const Window behind = x.create(at.x + 2, at.y + 400, 56, 80, false, ButtonPressMask);
    std::vector<XButtonEvent> presses;
    auto pressesSoFar = [&](size_t n) {
        return waitFor([&] {
            for (const XButtonEvent& e : x.pump(behind)) presses.push_back(e);
            return presses.size() >= n;
        }, 3);
    };
    shell("xdotool mousemove " + place(kOutsideLeft) + " click 1");
    ASSERT_TRUE(pressesSoFar(1)) << "the click outside the outline did not reach the window behind";
    EXPECT_EQ(presses[0].x, kOutsideLeft.x - 2);
    // A click on the post goes to the form; the next click outside is the next press behind.
    shell("xdotool mousemove " + place(kLeftPost) + " click 1");
    shell("xdotool mousemove " + place({kOutsideLeft.x, kOutsideLeft.y + 20}) + " click 1");
    ASSERT_TRUE(pressesSoFar(2));
    EXPECT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[1].y, kOutsideLeft.y + 20 - 400);
}

TEST_F(QuelmscrSkin, SlideshowShowsANewPictureAfterFiveSecondsAndATenth)
{
    open(12);
    if (HasFatalFailure()) return;
    auto centre = [&] { return x.grab(at.x + kScreenCentre.x - 40, at.y + kScreenCentre.y - 40, 80, 80); };
    // When the picture next differs from the one shown; the new one, let settle, is then the one shown.
    auto nextChange = [&](std::vector<unsigned long>& shown) -> std::optional<Clock::time_point> {
        const auto before = shown;
        if (!waitFor([&] { return centre() != before; }, 11.5)) return std::nullopt;
        const auto changed = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        shown = centre();
        return changed;
    };
    // The opening shows one drawn picture and the slideshow goes on from another drawn index, so
    // the first tick may bring the same picture again. The form shows some time after the timer
    // starts (later on a busy machine), so the period is timed between two changes.
    auto shown = centre();
    const auto first = nextChange(shown);
    const auto second = first ? nextChange(shown) : std::nullopt;
    ASSERT_TRUE(first && second) << "the slideshow kept its picture";
    const double period = std::chrono::duration<double>(*second - *first).count();
    std::printf("the slideshow changed its picture after %.3f s\n", period);
    EXPECT_NEAR(period, 5.1, 0.08);   // a coarse timer drifts by up to a quarter of a second
}

TEST_F(QuelmscrSkin, ExitButtonChangesItsLookUnderTheMouseAndBack)
{
    const auto rest = skinPicture("Exit_Image_active"), hover = skinPicture("Exit_Image_passive");
    ASSERT_TRUE(rest && hover);
    open(8);
    if (HasFatalFailure()) return;
    auto shows = [&](const Picture& picture) {
        int drawn = 0;
        const int same = matchingPixels(picture, x.grab(at.x + kExit.x, at.y + kExit.y, kExitWidth, kExitHeight), &drawn);
        return drawn > 0 && same == drawn;
    };
    EXPECT_TRUE(shows(*rest));
    shell("xdotool mousemove " + place({kExit.x + 17, kExit.y + 14}));
    EXPECT_TRUE(waitFor([&] { return shows(*hover); }, 3)) << "no change under the mouse";
    shell("xdotool mousemove " + place(kBackground));
    EXPECT_TRUE(waitFor([&] { return shows(*rest); }, 3)) << "no change back off the button";
}

TEST_F(QuelmscrSkin, DoubleClickOnTheFrameEndsTheDialog)
{
    open(9);
    if (HasFatalFailure()) return;
    shell("xdotool mousemove " + place(kBeam) + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(host.waitExit(10)) << "the dialog did not end";
    EXPECT_EQ(host.exitCode, 0);
    // Closing saves, as every way of hiding the form does.
    EXPECT_TRUE(fs::exists(dir.path + "/ControlsAdj.cfg"));
}
