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
    // No ramp to set: the last step of every fragment drawn into the view raises it to the same
    // power (the shaders' own, and a stand-in for the fixed pipeline's): no extra pass.
    pictureGamma = gammaFactor;
    if (pictureGamma != 1.0f) logLine("gamma %.2f applied to the picture (the display has no ramp for us)",
                                      static_cast<double>(pictureGamma));
}

void EngineApp::drawingIntoView(bool view)
{
    if (pictureGamma == 1.0f) return;
    g_shaders.setPictureExponent(view ? 1.0f / pictureGamma : 1.0f);
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
