// A sway compositor of the test's own, without a screen or input devices: started headless (or as a
// client of another one, whose windows are its outputs), as the user nobody when the tests run as
// root; its outputs made, powered, hidden and removed, screenshots, keys and a pointer for clients.
#pragma once

#include "support/program_runner.h"
#include "support/virtual_devices.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct OutputMode {
    int width = 1280, height = 720;   // in pixels
    int scale = 1;
};

struct OutputState {
    std::string name;
    int x = 0, y = 0;                 // in the layout, in points
    int width = 0, height = 0;        // in pixels
    double scale = 1.0;
    bool active = false;
    bool powered = false;             // the output's DPMS state
};

// What sway shows where no surface is: its grey, give or take one step of each channel.
bool isDesktopGrey(const std::array<int, 3>& rgb);
// How many pixels of the picture's one-pixel border show the desktop's grey.
int greyOnTheEdges(const Picture& picture);

class SwaySession {
public:
    // Whether sway, swaymsg, grim and wtype are on the PATH.
    static bool installed();

    // Starts sway headless with one output, HEADLESS-1, of that mode, and waits until it answers
    // on its IPC socket with the output listed; false with error() saying why.
    bool start(const OutputMode& first = {}, double seconds = 30.0);
    // Starts sway as a client of parent (WLR_BACKENDS=wayland): each output, WL-1 and those made
    // later, is a window of the parent's, so it can be hidden there (no frames asked for) or closed
    // there (the output removed). Its outputs take the size the parent gives their windows.
    bool startNested(SwaySession& parent, double seconds = 30.0);
    ~SwaySession();
    SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    const std::string& error() const { return why; }
    pid_t pid() const { return swayPid; }
    // WAYLAND_DISPLAY, XDG_RUNTIME_DIR and SWAYSOCK, for a client of this compositor.
    std::map<std::string, std::string> clientEnv() const;
    // The compositor's own log so far (its standard error), for failure messages.
    std::string log() const;

    // Runs swaymsg with these arguments; its output, and its exit status through status.
    std::string msg(const std::string& arguments, int* status = nullptr) const;
    std::vector<OutputState> outputs() const;
    std::optional<OutputState> output(const std::string& name) const;

    // Makes an output of that mode right of the others and gives its name; nullopt when sway
    // refuses (error() says why).
    std::optional<std::string> createOutput(const OutputMode& mode);
    // DPMS on or off; false when the output's state did not follow (wlroots 0.15's headless and
    // Wayland outputs cannot be disabled, so sway 1.7 refuses both there).
    bool setPower(const std::string& name, bool on);
    // Removes the output: disabled in a headless sway (refused by sway 1.7, see setPower), its
    // window closed in the parent for a nested one. Waits until sway no longer lists it.
    bool removeOutput(const std::string& name, double seconds = 10.0);
    // Nested only: the output's window moved to a workspace the parent does not show (the parent
    // then asks it for no frames, as for an output powered down) or back.
    bool hideOutput(const std::string& name, bool hidden);

    // A screenshot of one output at its full size in pixels (grim -o), read back; the PNG is
    // written to path and left there. grim waits for the output's next frame, so a hidden output
    // gives none (nullopt after 20 s).
    std::optional<Picture> screenshot(const std::string& output, const std::string& path) const;
    // Types keys with wtype, arguments as wtype takes them ("-k Escape", "a", "-P space -p space").
    bool type(const std::string& wtypeArguments) const;
    // Puts the seat's pointer at (x, y) of the layout, in points. The seat has a pointer device
    // (a virtual pointer this session made at start), so clients get pointer events at all.
    bool movePointer(int x, int y) const;
    // Presses and releases a pointer button (1 left, 2 middle, 3 right, 4 and 5 the wheel).
    bool click(int button) const;

private:
    bool launch(const std::map<std::string, std::string>& env, double seconds);
    bool waitUntil(double seconds, const std::string& what, bool (SwaySession::*check)() const);
    bool answers() const;
    bool connectPointer();
    std::string windowTitle(const std::string& output) const;

    std::string folder;         // HOME and XDG_RUNTIME_DIR, 0700, the compositor user's
    std::string configPath, logPath, runtimeDir, display, socket;
    pid_t swayPid = -1;
    SwaySession* parent = nullptr;
    std::string why;
    std::unique_ptr<VirtualDevices> devices;
};
