// frame_rate: how fast the engine renders its flight on X11 and on Wayland (a headless sway of
// its own at the X display's size), against a program that does only the fill work of a frame
// (clear, a textured full-screen quad, and a textured quad into a 1024² and a 512² target), so
// the ratio tells how much the scene costs beyond touching every pixel once.
//   frame_rate [PROGRAM_DIR] [FRAMES] [RUNS]   (defaults: the build's program folder, 600, 3)
// Needs a display at 1920 × 1080, for example the test script's Xvfb (scripts/xvfb.sh), and sway
// for the Wayland figures (left out with a line saying so where sway is not installed).
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

// A headless sway with one output of the given size, run as nobody when we are root (sway
// refuses root), in a fresh folder that is its HOME and runtime folder. No XWayland.
struct HeadlessSway {
    pid_t pid = -1;
    std::string folder, display;

    bool start(int width, int height)
    {
        char pattern[] = "/tmp/frame_rate_sway_XXXXXX";
        if (!mkdtemp(pattern)) return false;
        folder = pattern;
        std::ofstream(folder + "/config") << "xwayland disable\noutput HEADLESS-1 mode " << width << "x" << height
                                          << " scale 1\n";
        const bool asNobody = geteuid() == 0;
        if (asNobody && chown(folder.c_str(), 65534, 65534) != 0) return false;
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            int log = open((folder + "/sway.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (log >= 0) dup2(log, 2), dup2(log, 1);
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK"}) unsetenv(name);
            setenv("HOME", folder.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
            setenv("WLR_BACKENDS", "headless", 1);
            setenv("WLR_RENDERER", "pixman", 1);
            setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
            if (asNobody && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                             setresuid(65534, 65534, 65534) != 0))
                _exit(126);
            execlp("sway", "sway", "-c", (folder + "/config").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return false;
        // Its socket, once there, is listened on: a client that connects before sway's loop
        // runs waits for it.
        for (int i = 0; i < 300 && display.empty(); ++i) {
            std::error_code ec;
            for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
                if (e.is_socket(ec) && e.path().filename().string().starts_with("wayland-")) display = e.path().filename();
            if (display.empty()) {
                if (waitpid(pid, nullptr, WNOHANG) == pid) {
                    pid = -1;
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        return !display.empty();
    }
    ~HeadlessSway()
    {
        if (pid > 0) {
            kill(-pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            kill(-pid, SIGKILL);
        }
        std::error_code ec;
        if (!folder.empty()) fs::remove_all(folder, ec);
    }
};

// Runs the engine in capture mode (fixed clock and seed, only the last frame written) and reads
// the loop's own time from its log. Returns frames per second, or a negative number. With split,
// the engine times each part of its frame (waiting for the renderer after each) and split receives
// its summary line.
// env: the back end's environment (ZERO_BACKEND and the display's variables; an empty value
// unsets the variable).
static double engineFramesPerSecond(const fs::path& programDir, int frames, const std::map<std::string, std::string>& env,
                                    std::string* split = nullptr, double* firstFrame = nullptr)
{
    fs::path captureDir = fs::temp_directory_path() / ("frame_rate_" + std::to_string(getpid()));
    fs::path logPath = captureDir.string() + ".log";
    pid_t child = fork();
    if (child == 0) {
        if (chdir(programDir.c_str()) != 0) _exit(126);
        setenv("ZERO_CAPTURE_DIR", captureDir.c_str(), 1);
        setenv("ZERO_CAPTURE_FRAMES", std::to_string(frames).c_str(), 1);
        setenv("ZERO_SEED", "7", 1);
        setenv("ZERO_MESSAGES", "stderr", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const auto& [key, value] : env) {
            if (value.empty()) unsetenv(key.c_str());
            else setenv(key.c_str(), value.c_str(), 1);
        }
        if (split) setenv("ZERO_PASS_TIMES", "1", 1);
        if (!freopen(logPath.c_str(), "w", stderr)) _exit(126);
        execl("./zero", "zero", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    double seconds = -1.0;
    unsigned long long drawn = 0;
    if (FILE* log = std::fopen(logPath.c_str(), "r")) {
        char line[512];
        static const char kSplit[] = "zero: frame parts in ms per frame: ";
        while (std::fgets(line, sizeof line, log)) {
            std::sscanf(line, "zero: shutting down after %llu frames in %lf s", &drawn, &seconds);
            if (firstFrame) std::sscanf(line, "zero: first frame shown %lf s after start", firstFrame);
            if (split && std::strncmp(line, kSplit, sizeof kSplit - 1) == 0) {
                *split = line + sizeof kSplit - 1;
                if (!split->empty() && split->back() == '\n') split->pop_back();
            }
        }
        std::fclose(log);
    }
    std::error_code ignored;
    fs::remove_all(captureDir, ignored);
    fs::remove(logPath, ignored);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || drawn != static_cast<unsigned long long>(frames) || seconds <= 0)
        return -1.0;
    return frames / seconds;
}

struct FillTarget {
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int size = 0;
};

static FillTarget makeTarget(int size)
{
    FillTarget t;
    t.size = size;
    glGenFramebuffersEXT(1, &t.framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.framebuffer);
    glGenRenderbuffersEXT(1, &t.depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, t.depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT32, size, size);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, t.depth);
    glGenTextures(1, &t.colour);
    glBindTexture(GL_TEXTURE_2D, t.colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, t.colour, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return t;
}

static void texturedQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-1, -1);
    glTexCoord2f(4, 0); glVertex2f(1, -1);
    glTexCoord2f(4, 4); glVertex2f(1, 1);
    glTexCoord2f(0, 4); glVertex2f(-1, 1);
    glEnd();
}

// The fill work of a frame at the display's size, with a mipmapped 1024² picture like the terrain's.
static double referenceFramesPerSecond(int frames, int& width, int& height)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return -1.0;
    width = mode.w;
    height = mode.h;
    SDL_Window* window = SDL_CreateWindow("frame_rate reference", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
    if (!window) return -1.0;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) return -1.0;
    SDL_GL_SetSwapInterval(0);

    std::vector<unsigned char> pixels(1024 * 1024 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    GLuint picture = 0;
    glGenTextures(1, &picture);
    glBindTexture(GL_TEXTURE_2D, picture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, 1024, 1024, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    FillTarget reflection = makeTarget(1024), refraction = makeTarget(512);
    glEnable(GL_DEPTH_TEST);

    auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, picture);
        for (const FillTarget* t : {&reflection, &refraction}) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t->framebuffer);
            glViewport(0, 0, t->size, t->size);
            glClear(GL_DEPTH_BUFFER_BIT);
            texturedQuad();
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glViewport(0, 0, width, height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        texturedQuad();
        SDL_GL_SwapWindow(window);
        SDL_PumpEvents();
    }
    glFinish();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return frames / seconds;
}

static double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main(int argc, char** argv)
{
    fs::path programDir = argc > 1 ? fs::path(argv[1]) : fs::path(QUELM_PROGRAM_DIR);
    int frames = argc > 2 ? std::atoi(argv[2]) : 600;
    int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    if (frames < 1 || runs < 1 || !fs::exists(programDir / "zero")) {
        std::fprintf(stderr, "usage: frame_rate [PROGRAM_DIR] [FRAMES] [RUNS]  (no engine in %s)\n", programDir.c_str());
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "frame_rate: no display: %s\n", SDL_GetError());
        return 1;
    }
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        std::fprintf(stderr, "frame_rate: no display mode: %s\n", SDL_GetError());
        return 1;
    }
    // The same capture run on each back end: X11 on the display, Wayland on a headless sway of
    // the display's size.
    const std::map<std::string, std::string> onX11 = {{"ZERO_BACKEND", "x11"}, {"WAYLAND_DISPLAY", ""}};
    HeadlessSway sway;
    std::map<std::string, std::string> onWayland;
    if (std::system("command -v sway > /dev/null") != 0) {
        std::printf("Wayland: sway is not installed, its figures are left out\n");
    } else if (!sway.start(mode.w, mode.h)) {
        std::fprintf(stderr, "frame_rate: the headless sway did not start (its log: %s/sway.log)\n", sway.folder.c_str());
        return 1;
    } else {
        onWayland = {{"ZERO_BACKEND", "wayland"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", sway.display},
                     {"XDG_RUNTIME_DIR", sway.folder}};
    }
    struct BackEnd {
        const char* name;
        const std::map<std::string, std::string>* env;
        std::vector<double> fps, firstFrames;
    };
    std::vector<BackEnd> backEnds = {{"X11 (the display)", &onX11, {}, {}}};
    if (!onWayland.empty()) backEnds.push_back({"Wayland (headless sway)", &onWayland, {}, {}});
    for (int run = 0; run < runs; ++run)
        for (BackEnd& b : backEnds) {
            double firstFrame = -1.0;
            double fps = engineFramesPerSecond(programDir, frames, *b.env, nullptr, &firstFrame);
            if (fps < 0) {
                std::fprintf(stderr, "frame_rate: the engine run %d on %s failed\n", run + 1, b.name);
                return 1;
            }
            std::printf("engine run %d on %s: %.2f frames per second, first frame %.2f s after start\n", run + 1, b.name,
                        fps, firstFrame);
            b.fps.push_back(fps);
            b.firstFrames.push_back(firstFrame);
        }
    // One more run with the renderer waited for after each part of the frame: where the time goes.
    std::string split;
    double splitFps = engineFramesPerSecond(programDir, frames, onX11, &split);
    if (splitFps < 0 || split.empty()) {
        std::fprintf(stderr, "frame_rate: the engine run with its parts timed failed\n");
        return 1;
    }
    std::printf("engine parts (ms per frame, each waited for): %s\n", split.c_str());
    std::vector<double> reference;
    int width = 0, height = 0;
    for (int run = 0; run < runs; ++run) {
        double fps = referenceFramesPerSecond(frames, width, height);
        if (fps < 0) {
            std::fprintf(stderr, "frame_rate: the reference program could not draw: %s\n", SDL_GetError());
            return 1;
        }
        std::printf("reference run %d: %.2f frames per second\n", run + 1, fps);
        reference.push_back(fps);
    }
    double e = median(backEnds[0].fps), r = median(reference);
    std::printf("display %d x %d, %d frames, median of %d runs\n", width, height, frames, runs);
    std::printf("%-12s%-26s%s\n", "", "X11 (the display)", backEnds.size() > 1 ? "Wayland (headless sway)" : "");
    std::printf("%-12s%-26.2f", "engine fps", e);
    if (backEnds.size() > 1) std::printf("%.2f", median(backEnds[1].fps));
    std::printf("\n%-12s%-26.2f", "first frame", median(backEnds[0].firstFrames));
    if (backEnds.size() > 1) std::printf("%.2f", median(backEnds[1].firstFrames));
    std::printf("  (s after start)\n");
    std::printf("reference: %.2f frames per second (fill work only, X11)\n", r);
    std::printf("ratio:     %.2f (the engine on X11 to the reference)\n", e / r);
    SDL_Quit();
    return 0;
}
