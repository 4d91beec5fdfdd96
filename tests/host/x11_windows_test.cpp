// The host's X11 file: which monitor holds a window, and, on the test script's display, questions
// about a window that is not there and the passing OpenGL context answered without ending the
// program.
#include "x11_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The daemon's copy on the first monitor plays the sound; a window finds its monitor by its middle.
TEST(X11Windows, MonitorHoldingTheMiddle)
{
    const std::vector<Screen_Rect> monitors = {{0, 0, 1280, 720}, {1280, 0, 1280, 720}, {0, 720, 1920, 1080}};
    const struct {
        const char* name;
        Screen_Rect window;
        int monitor;
    } rows[] = {
        {"left", {0, 0, 1280, 720}, 0},
        {"right", {1280, 0, 1280, 720}, 1},
        {"below", {0, 720, 1920, 1080}, 2},
        {"spanning two, middle on the right", {200, 0, 2360, 720}, 1},
        {"off every monitor", {2600, 800, 100, 100}, -1},
        {"small pane inside the right one", {2000, 300, 200, 150}, 1},
    };
    for (const auto& row : rows) EXPECT_EQ(Monitor_Holding(row.window, monitors), row.monitor) << row.name;
}

// An X error is fatal to a program that does not catch it: a window gone meanwhile must be an
// answer, not the end, and the next question must not see that error.
TEST(X11Windows, AWindowThatIsNotThereIsAnAnswer)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs the test script's display";
    const unsigned long no_window = 0x7ffffff0;
    Window_Extent size;
    Screen_Rect place;
    EXPECT_FALSE(Window_Size(no_window, size));
    EXPECT_FALSE(Window_Place(no_window, place));
    EXPECT_FALSE(Window_Size(no_window, size));
    EXPECT_FALSE(Screen_Monitors().empty());
}

TEST(X11Windows, TheGLProbeTellsTheRenderersMemory)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs the test script's display";
    std::unique_ptr<GL_Probe> probe = GL_Probe::Open();
    ASSERT_TRUE(probe);
    // Mesa's renderers (llvmpipe under Xvfb) answer GLX_MESA_query_renderer.
    EXPECT_GT(probe->Video_Memory_Bytes(), 0u);
    probe.reset();
    probe = GL_Probe::Open();   // a second one after the first is gone
    EXPECT_TRUE(probe);
}

}  // namespace
