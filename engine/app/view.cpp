// The engine's side of its window: made and ended through the session's back end, the view's
// size and projection, the gamma (the display's ramp, or the picture's own), the overlays'
// projection and the swap.
#include "app/engine_app.h"

#include "base/messages.h"
#include "base/projection.h"
#include "base/view_size.h"
#include "window/window_backend.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

EngineApp::EngineApp() = default;
EngineApp::~EngineApp() = default;

bool EngineApp::createWindow(std::unique_ptr<WindowBackend> backend)
{
    window = std::move(backend);
    WindowRequest request;
    request.title = windowTitle;
    request.hostWindow = hostWindow;
    request.outputName = outputName;
    if (!window || !window->create(request)) return false;
    hasContext = true;

    resizeView(window->pixelWidth(), window->pixelHeight());
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    // The display's ramp is the daemon's business while it lends us a window.
    if (!hostWindow) rampSaved = window->gammaRamp(savedRamp);
    return true;
}

bool EngineApp::followHostWindow()
{
    int width = viewSize().width, height = viewSize().height;
    if (!window->followHost(timer.currentTime, width, height)) return false;
    resized(width, height);
    return true;
}

void EngineApp::resizeView(int width, int height)
{
    setViewSize(width, height, window ? window->scale() : 1.0);
    ViewportSize view = viewportFor(viewSize().width, viewSize().height);
    glViewport(0, 0, view.width, view.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfViewDegrees, view.aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void EngineApp::applyGamma()
{
    if (!window || hostWindow) return;
    if (window->hasGammaRamp()) {
        window->setGammaRamp(buildGammaRamp(gammaFactor));   // a refusal keeps the display's own
        return;
    }
    // No ramp to set: the last step of each frame raises the picture to the same power.
    pictureGamma = gammaFactor;
    if (pictureGamma != 1.0f) logLine("gamma %.2f applied to the picture (the display has no ramp for us)",
                                      static_cast<double>(pictureGamma));
}

namespace {

// The frame, copied into a texture, drawn back over itself raised to the gamma's power: the one
// step a display without a ramp needs. Made on first use, at the view's size.
struct PictureGammaPass {
    GLuint program = 0;
    GLuint texture = 0;
    int width = 0, height = 0;
    bool failed = false;
};

PictureGammaPass g_gammaPass;

const char* const kGammaVertex = "#version 110\n"
                                 "varying vec2 at;\n"
                                 "void main() { at = gl_MultiTexCoord0.xy; gl_Position = gl_Vertex; }\n";
const char* const kGammaFragment =
    "#version 110\n"
    "uniform sampler2D frame;\n"
    "uniform float exponent;\n"
    "varying vec2 at;\n"
    "void main() { gl_FragColor = vec4(pow(texture2D(frame, at).rgb, vec3(exponent)), 1.0); }\n";

GLuint compiled(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    glDeleteShader(shader);
    return 0;
}

bool gammaProgramReady(PictureGammaPass& pass)
{
    if (pass.program || pass.failed) return pass.program != 0;
    pass.failed = true;
    if (epoxy_gl_version() < 20) return false;
    GLuint vertex = compiled(GL_VERTEX_SHADER, kGammaVertex);
    GLuint fragment = compiled(GL_FRAGMENT_SHADER, kGammaFragment);
    GLuint program = glCreateProgram();
    if (vertex) glAttachShader(program, vertex);
    if (fragment) glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    if (!vertex || !fragment || !ok) {
        glDeleteProgram(program);
        return false;
    }
    pass.program = program;
    pass.failed = false;
    return true;
}

}  // namespace

void EngineApp::applyPictureGamma()
{
    if (pictureGamma == 1.0f) return;
    PictureGammaPass& pass = g_gammaPass;
    if (!gammaProgramReady(pass)) {
        logLine("the picture's gamma cannot be drawn here (no GLSL 1.10); the picture stays as it is");
        pictureGamma = 1.0f;
        return;
    }
    const int width = viewSize().width, height = viewSize().height;
    if (width <= 0 || height <= 0) return;
    GLint oldProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &oldProgram);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glActiveTexture(GL_TEXTURE0);
    if (!pass.texture) glGenTextures(1, &pass.texture);
    glBindTexture(GL_TEXTURE_2D, pass.texture);
    if (pass.width != width || pass.height != height) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        pass.width = width;
        pass.height = height;
    }
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CLIP_PLANE0);
    glViewport(0, 0, width, height);
    glUseProgram(pass.program);
    glUniform1i(glGetUniformLocation(pass.program, "frame"), 0);
    glUniform1f(glGetUniformLocation(pass.program, "exponent"), 1.0f / pictureGamma);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glUseProgram(static_cast<GLuint>(oldProgram));
    glPopAttrib();
}

void EngineApp::restoreGamma()
{
    if (!window || !rampSaved) return;
    if (displayLost) {
        // The ramp belonged to the display that went away; SDL would only report its own copy.
        rampSaved = false;
        logLine("display gamma not restored: the display is gone");
        return;
    }
    window->setGammaRamp(savedRamp);
    rampSaved = false;
    GammaRamp now{};
    if (window->gammaRamp(now)) logLine(now == savedRamp ? "display gamma restored" : "display gamma could not be restored");
}

void EngineApp::destroyWindow()
{
    restoreGamma();
    if (!window) return;
    window->destroy();
    hasContext = false;
}

void EngineApp::beginOverlay2D()
{
    // Laid out in points, so that overlays keep their size on the screen at any output scale.
    Matrix4 ortho = overlayMatrix(static_cast<unsigned>(viewSize().overlayWidth()),
                                  static_cast<unsigned>(viewSize().overlayHeight()));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMultMatrixf(ortho.data());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void EngineApp::endOverlay2D()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void EngineApp::swapBuffers()
{
    if (window && hasContext) window->swap();
}

void EngineApp::stopOnError()
{
    if (window) window->stepAside();
    running = false;
}
