// The engine's side of its window: made and ended through the session's back end, the view's
// size (following the window's) and projection, the gamma (window/display_gamma.h), the overlays'
// projection and the swap.
#include "app/engine_app.h"

#include "base/messages.h"
#include "base/projection.h"
#include "base/view_size.h"
#include "window/window_backend.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

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

    gamma.keep(*window, hostWindow != 0);
    return true;
}

bool EngineApp::followHostWindow()
{
    int width = viewSize().width, height = viewSize().height;
    if (!window->followHost(timer.currentTime, width, height)) return false;
    resized(width, height);
    return true;
}

// A back end also reports the size a window already has (when it is first shown): only a new
// size (or scale) counts.
void EngineApp::resized(int width, int height)
{
    const double scale = window ? window->scale() : 1.0;
    if (width == viewSize().width && height == viewSize().height && scale == viewSize().scale) return;
    resizeView(width, height);
    logLine("the view is now %d x %d", viewSize().width, viewSize().height);
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


// Without a ramp to set, the last step of every fragment drawn into the view raises it to the
// picture's power (the shaders' own, and a stand-in for the fixed pipeline's): no extra pass.
void EngineApp::drawingIntoView(bool view)
{
    const float power = gamma.pictureGamma();
    if (power == 1.0f) return;
    g_shaders.setPictureExponent(view ? 1.0f / power : 1.0f);
}

void EngineApp::restoreGamma()
{
    if (window) gamma.restore(*window);
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
