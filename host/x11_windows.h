// The host's own view of the X server: which window has the foreground, the preview's parent,
// where a window lies among the screen's monitors, and a passing OpenGL context that tells the
// settings dialog the renderer's video memory. The host's one file that knows Xlib and GLX.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// The foreground window: the root window's _NET_ACTIVE_WINDOW where a window manager publishes it,
// else the window that holds the input focus. 0 when no display can be opened.
unsigned long Foreground_Window();

struct Window_Extent {
    int width = 0;
    int height = 0;
};
// The size of a window of any client; false when there is no such window (or no display).
bool Window_Size(unsigned long window, Window_Extent& size);

struct Screen_Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
// Which of the monitors holds the middle of the window; -1 when none does.
int Monitor_Holding(const Screen_Rect& window, const std::vector<Screen_Rect>& monitors);

// Where the window lies on its screen, and the screen's monitors (RandR's list with the primary
// one moved to the front). False when the window is gone or the server cannot tell.
bool Window_Place(unsigned long window, Screen_Rect& place);
std::vector<Screen_Rect> Screen_Monitors();

// A 1x1 OpenGL context (a GLX pbuffer) on a connection of its own, current while the probe lives.
class GL_Probe {
public:
    // Nothing where there is no display, no GLX, or the server refuses the context.
    static std::unique_ptr<GL_Probe> Open();
    ~GL_Probe();
    GL_Probe(const GL_Probe&) = delete;
    GL_Probe& operator=(const GL_Probe&) = delete;
    // The renderer's video memory in bytes (GLX_MESA_query_renderer, else GL_NVX_gpu_memory_info);
    // 0 where it does not tell.
    uint64_t Video_Memory_Bytes() const;

private:
    struct Parts;
    explicit GL_Probe(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};
