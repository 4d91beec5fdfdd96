// frame_rate: how fast the engine renders its flight, against a program that does only the fill
// work of a frame (clear, a textured full-screen quad, and a textured quad into a 1024² and a
// 512² target), so the ratio tells how much the scene costs beyond touching every pixel once.
//   frame_rate [PROGRAM_DIR] [FRAMES] [RUNS]   (defaults: the build's program folder, 600, 3)
// Needs a display at 1920 × 1080, for example the test script's Xvfb (scripts/xvfb.sh).
#include <GL/glew.h>
#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Runs the engine in capture mode (fixed clock and seed, only the last frame written) and reads
// the loop's own time from its log. Returns frames per second, or a negative number. With split,
// the engine times each part of its frame (waiting for the renderer after each) and split receives
// its summary line.
static double engineFramesPerSecond(const fs::path& programDir, int frames, std::string* split = nullptr,
                                    double* firstFrame = nullptr)
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
    if (!context || glewInit() != GLEW_OK) return -1.0;
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
    std::vector<double> engine, firstFrames;
    for (int run = 0; run < runs; ++run) {
        double firstFrame = -1.0;
        double fps = engineFramesPerSecond(programDir, frames, nullptr, &firstFrame);
        if (fps < 0) {
            std::fprintf(stderr, "frame_rate: the engine run %d failed\n", run + 1);
            return 1;
        }
        std::printf("engine run %d: %.2f frames per second, first frame %.2f s after start\n", run + 1, fps, firstFrame);
        engine.push_back(fps);
        firstFrames.push_back(firstFrame);
    }
    // One more run with the renderer waited for after each part of the frame: where the time goes.
    std::string split;
    double splitFps = engineFramesPerSecond(programDir, frames, &split);
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
    double e = median(engine), r = median(reference);
    std::printf("display %d x %d, %d frames, median of %d runs\n", width, height, frames, runs);
    std::printf("engine:    %.2f frames per second, first frame %.2f s after start\n", e, median(firstFrames));
    std::printf("reference: %.2f frames per second (fill work only)\n", r);
    std::printf("ratio:     %.2f\n", e / r);
    SDL_Quit();
    return 0;
}
