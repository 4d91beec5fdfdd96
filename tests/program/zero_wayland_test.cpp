// The engine as a Wayland client under a headless sway of the test's own, without an X server:
// each output covered edge to edge at its scale (the clock drawn at the output's own resolution),
// capture mode's picture close to the X11 reference, the ends (a key, the pointer past 15 points,
// SIGTERM, the output removed) with a clean shutdown, and no frames while the compositor asks for
// none.
#include "zero_wayland_fixture.h"


// The clock's box in points from the view's lower-right corner (engine/app/overlays.h: it starts
// 192 points left of the right edge, 5 above the bottom, 40 high), with a little room around it.
static constexpr int kClockLeft = 196, kClockTop = 49, kClockBottom = 1;

struct LayerSurface {
    std::string output;
    int width = 0, height = 0;
    double scale = 0;
};

static std::optional<LayerSurface> layerSurface(const std::string& log)
{
    std::smatch m;
    if (!std::regex_search(log, m, std::regex(std::string(kLayerLine) +
                                              "([^,]+), ([0-9]+) x ([0-9]+) pixels at scale ([0-9.]+)")))
        return std::nullopt;
    return LayerSurface{m[1], std::stoi(m[2]), std::stoi(m[3]), std::stod(m[4])};
}


static int luminance(const Picture& p, int x, int y)
{
    auto c = p.at(x, y);
    return (c[0] * 3 + c[1] * 6 + c[2]) / 10;
}

// The part of a picture from (left, top), w × h pixels, as luminance.
static std::vector<int> region(const Picture& p, int left, int top, int w, int h)
{
    std::vector<int> out;
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x) out.push_back(luminance(p, x, y));
    return out;
}

// Twice the size, each new pixel interpolated between its neighbours (what a compositor's smooth
// scaling of a picture drawn at scale 1 would give).
static std::vector<int> doubled(const std::vector<int>& small, int w, int h)
{
    std::vector<int> big(static_cast<size_t>(4 * w * h));
    auto at = [&](double x, double y) {
        x = std::clamp(x, 0.0, w - 1.0), y = std::clamp(y, 0.0, h - 1.0);
        const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
        const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        const double fx = x - x0, fy = y - y0;
        return (small[y0 * w + x0] * (1 - fx) + small[y0 * w + x1] * fx) * (1 - fy) +
               (small[y1 * w + x0] * (1 - fx) + small[y1 * w + x1] * fx) * fy;
    };
    for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 2 * w; ++x) big[y * 2 * w + x] = static_cast<int>(at((x - 0.5) / 2, (y - 0.5) / 2) + 0.5);
    return big;
}

// Detail finer than two pixels: what is left after a 2 × 2 box average put back at full size. A
// picture drawn at half the resolution and scaled up has little or none of it.
static double fineDetail(const std::vector<int>& p, int w, int h)
{
    double sum = 0;
    for (int y = 0; y + 1 < h; y += 2)
        for (int x = 0; x + 1 < w; x += 2) {
            const int a = p[y * w + x], b = p[y * w + x + 1], c = p[(y + 1) * w + x], d = p[(y + 1) * w + x + 1];
            const double mean = (a + b + c + d) / 4.0;
            sum += (a - mean) * (a - mean) + (b - mean) * (b - mean) + (c - mean) * (c - mean) + (d - mean) * (d - mean);
        }
    return sum / (w * h);
}

static double meanDifference(const std::vector<int>& a, const std::vector<int>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
    return sum / static_cast<double>(a.size());
}

// Two outputs, one at scale 1 and one at scale 2, an engine on each: each covers its output edge to
// edge in its own pixels, the clock on the doubled one holds detail a scaled-up picture cannot,
// no X server is involved, and SIGTERM ends both cleanly with their temporary folders gone.
TEST_F(ZeroWayland, CoversEachOutputAtItsScaleAndEndsOnSigterm)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    std::optional<std::string> doubledOutput = sway.createOutput({1280, 720, 2});
    ASSERT_TRUE(doubledOutput) << sway.error();
    writeSettings("clock_on=1\r\nfpsch_on=0\r\ncamjump_vo=0\r\nmouse_on=0\r\n");
    const std::string names[2] = {"HEADLESS-1", *doubledOutput};
    RunningProgram engines[2];
    for (int k = 0; k < 2; ++k) ASSERT_TRUE(startEngine(engines[k], sway, names[k], knownFlight()));
    for (RunningProgram& engine : engines) ASSERT_TRUE(engine.waitForOutput(kFadedLine, 120.0)) << engine.stderrText();

    std::optional<Picture> shots[2];
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(names[k]);
        const std::string log = engines[k].stderrText();
        EXPECT_NE(log.find("zero: running"), std::string::npos) << log;
        std::optional<LayerSurface> surface = layerSurface(log);
        ASSERT_TRUE(surface) << log;
        EXPECT_EQ(surface->output, names[k]);
        EXPECT_EQ(surface->width, 1280);
        EXPECT_EQ(surface->height, 720);
        EXPECT_DOUBLE_EQ(surface->scale, k + 1.0);
        shots[k] = sway.screenshot(names[k], shotPath(names[k]));
        ASSERT_TRUE(shots[k]);
        // The scale-2 output is 640 × 360 points: its picture is twice that, every pixel the engine's.
        EXPECT_EQ(shots[k]->width, 1280);
        EXPECT_EQ(shots[k]->height, 720);
        EXPECT_EQ(greyOnTheEdges(*shots[k]), 0) << "the desktop shows at the edges of " << shotPath(names[k]);
        auto top = shots[k]->at(shots[k]->width / 2, 0);
        EXPECT_GT(top[2], top[0]) << "no sky at the top";
    }
    // No X server: the compositor was told to start none, and the engine had no DISPLAY.
    EXPECT_EQ(shell("pgrep -x Xwayland -P " + std::to_string(sway.pid())), "");

    // The clock's box: at scale 1 w × h pixels, at scale 2 twice that, at the same place in points.
    const int w = kClockLeft, h = kClockTop - kClockBottom;
    std::vector<int> single = region(*shots[0], 1280 - w, 720 - kClockTop, w, h);
    std::vector<int> twice = region(*shots[1], 1280 - 2 * w, 720 - 2 * kClockTop, 2 * w, 2 * h);
    std::vector<int> scaledUp = doubled(single, w, h);
    const double detail = fineDetail(twice, 2 * w, 2 * h), scaledDetail = fineDetail(scaledUp, 2 * w, 2 * h);
    const double apart = meanDifference(twice, scaledUp);
    std::printf("clock at scale 2: fine detail %.1f, scaled up from scale 1: %.1f; mean difference %.1f\n", detail,
                scaledDetail, apart);
    // The same text in the same place: the pictures differ little on the whole.
    EXPECT_LT(apart, 24.0) << "the clocks differ: " << shotPath(names[0]) << ", " << shotPath(names[1]);
    EXPECT_GT(detail, 2.0 * scaledDetail) << "the clock at scale 2 looks scaled up: " << shotPath(names[1]);

    for (RunningProgram& engine : engines) engine.signal(SIGTERM);
    // Both gone before either is judged: the folder holds the other's until it has ended.
    for (RunningProgram& engine : engines)
        ASSERT_TRUE(engine.waitExit(5.0)) << "SIGTERM did not end the run\n" << engine.stderrText();
    for (RunningProgram& engine : engines) {
        expectCleanShutdown(engine);
        EXPECT_NE(engine.stderrText().find("zero: shutting down after "), std::string::npos);
    }
    if (!HasFailure())
        for (const std::string& name : names) fs::remove(shotPath(name));
}

// Capture mode on the Wayland back end gives the picture of the X11 one: the frame the scene
// tests compare, at the reference's size, within their tolerance.
// At gamma 100 the picture is X11's; at 133 the picture itself carries what the display's ramp
// would have done on X11 (a Wayland client has no ramp): the reference through that ramp.
TEST_F(ZeroWayland, CaptureIsCloseToTheX11Reference)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1920, 1080, 1})) << sway.error();
    std::ofstream(dir.path + "/controls.cfg") << "[FullScreen behaviour Control]\nclock_on=0\nfpsch_on=0\ncamjump_vo=0\n";
    std::optional<Picture> reference = readPng(QUELM_REFERENCE_DIR "/scene-0.png");
    ASSERT_TRUE(reference);
    for (int gamma : {100, 133}) {
        SCOPED_TRACE("gamma " + std::to_string(gamma));
        const std::string frames = dir.path + "-frames";
        RunningProgram zero;
        ASSERT_TRUE(startEngine(zero, sway, "HEADLESS-1",
                                {{"ZERO_CAPTURE_DIR", frames}, {"ZERO_CAPTURE_FRAMES", "130"}, {"ZERO_SEED", "7"},
                                 {"ZERO_CAPTURE_SEGMENT", "0"}, {"ZERO_SETTINGS", "gamma_vo=" + std::to_string(gamma)}}));
        ASSERT_TRUE(zero.waitExit(240)) << zero.stderrText();
        ASSERT_EQ(zero.exitCode, 0) << zero.stderrText();
        EXPECT_NE(zero.stderrText().find(kLayerLine), std::string::npos) << "not the Wayland back end\n" << zero.stderrText();
        std::optional<Picture> frame = readPng(frames + "/frame-00130.png");
        fs::remove_all(frames);
        ASSERT_TRUE(frame) << zero.stderrText();
        ASSERT_EQ(frame->width, 1920);
        ASSERT_EQ(frame->height, 1080);
        const GammaRamp ramp = buildGammaRamp(static_cast<float>(gamma) / 100.0f);
        // The scene tests' comparison: a quarter of the size each way, box-filtered.
        const int scale = frame->width / reference->width;
        ASSERT_EQ(scale, 4);
        double total = 0;
        size_t far = 0;
        for (int y = 0; y < reference->height; ++y)
            for (int x = 0; x < reference->width; ++x) {
                int most = 0;
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx) sum += frame->at(x * scale + dx, y * scale + dy)[c];
                    const int expected = ramp[static_cast<size_t>(reference->at(x, y)[c])] >> 8;
                    const int diff = std::abs(sum / (scale * scale) - expected);
                    total += diff;
                    most = std::max(most, diff);
                }
                if (most > 48) ++far;
            }
        const double pixels = static_cast<double>(reference->width) * reference->height;
        EXPECT_LT(total / (pixels * 3), 4.0);
        EXPECT_LT(far / pixels, 0.02);
    }
}

// With the mouse setting on, the pointer may wander 15 points from where it first entered the
// surface; 17 away ends the run. The first place is where the surface appeared under the pointer
// or where it first moved (one point apart here): every move stays within 15 of both.
TEST_F(ZeroWayland, PointerWithinFifteenPointsKeepsItRunningAndFurtherEndsIt)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    writeSettings("mouse_on=1\r\ncamjump_vo=0\r\n");
    ASSERT_TRUE(sway.movePointer(640, 360));
    RunningProgram zero;
    ASSERT_TRUE(startEngine(zero, sway, "HEADLESS-1"));
    ASSERT_TRUE(zero.waitForOutput("zero: running", 120.0)) << zero.stderrText();
    ASSERT_TRUE(sway.movePointer(641, 361));
    for (auto [dx, dy] : {std::pair{15, 0}, {0, 15}, {-14, -14}, {15, 15}, {-14, 15}}) {
        ASSERT_TRUE(sway.movePointer(640 + dx, 360 + dy));
        // The engine's next frames see the motion; a run that ends does so within them.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        ASSERT_FALSE(zero.waitExit(0.0)) << "a move to " << dx << ", " << dy << " ended the run\n" << zero.stderrText();
    }
    ASSERT_TRUE(sway.movePointer(640 + 17, 360));
    ASSERT_TRUE(zero.waitExit(10.0)) << "a move of 17 points did not end the run\n" << zero.stderrText();
    expectCleanShutdown(zero);
}

// An output that shows nothing (powered down where the compositor can; hidden in the parent of a
// nested sway otherwise, which headless sway 1.7 needs: it cannot power its outputs down) asks for
// no frames: the engine says so, then draws nothing and nearly sleeps until frames are asked for
// again. Removing the output under it then ends the run cleanly.
TEST_F(ZeroWayland, NoFramesWhileTheOutputShowsNothingAndItsRemovalEndsTheRun)
{
    SwaySession host;
    ASSERT_TRUE(host.start({1280, 720, 1})) << host.error();
    SwaySession sway;
    ASSERT_TRUE(sway.startNested(host)) << sway.error();
    writeSettings("mouse_on=0\r\ncamjump_vo=0\r\n");
    RunningProgram zero;
    ASSERT_TRUE(startEngine(zero, sway, "WL-1"));
    ASSERT_TRUE(zero.waitForOutput(kFadedLine, 120.0)) << zero.stderrText();

    bool powered = sway.setPower("WL-1", false);
    if (!powered) {
        std::printf("%s: hiding the output instead\n", sway.error().c_str());
        ASSERT_TRUE(sway.hideOutput("WL-1", true)) << sway.error();
    }
    ASSERT_TRUE(zero.waitForOutput("zero: the compositor asks for no frames", 10.0)) << zero.stderrText();
    std::smatch m;
    std::string log = zero.stderrText();
    ASSERT_TRUE(std::regex_search(log, m, std::regex("asks for no frames \\(frame ([0-9]+) was the last\\)"))) << log;
    const long lastFrame = std::stol(m[1]);
    const double cpuBefore = processorSeconds(zero.pid);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double used = processorSeconds(zero.pid) - cpuBefore;
    std::printf("processor time over 3 s without frames: %.2f s (last frame %ld)\n", used, lastFrame);
    EXPECT_LT(used, 0.2) << zero.stderrText();
    EXPECT_EQ(zero.stderrText().find("frames again after"), std::string::npos) << zero.stderrText();

    ASSERT_TRUE(powered ? sway.setPower("WL-1", true) : sway.hideOutput("WL-1", false)) << sway.error();
    ASSERT_TRUE(zero.waitForOutput("zero: frames again after ", 10.0)) << zero.stderrText();

    ASSERT_TRUE(sway.removeOutput("WL-1")) << sway.error();
    ASSERT_TRUE(zero.waitExit(10.0)) << "the run went on without its output\n" << zero.stderrText();
    expectCleanShutdown(zero);
    log = zero.stderrText();
    ASSERT_TRUE(std::regex_search(log, m, std::regex("shutting down after ([0-9]+) frames"))) << log;
    EXPECT_GT(std::stol(m[1]), lastFrame) << "no frames after they were asked for again";
}
