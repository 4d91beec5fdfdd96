// Viewport and orthographic matrices for the window and the overlays.
#include "base/projection.h"

ViewportSize viewportFor(int clientWidth, int clientHeight)
{
    int height = clientHeight == 0 ? 1 : clientHeight;
    return {clientWidth, height, static_cast<double>(clientWidth) / height};
}

Matrix4 orthoMatrix(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    Matrix4 m{};
    m[0] = static_cast<float>(2.0 / (right - left));
    m[5] = static_cast<float>(2.0 / (top - bottom));
    m[10] = static_cast<float>(-2.0 / (farZ - nearZ));
    m[12] = static_cast<float>(-(right + left) / (right - left));
    m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    m[14] = static_cast<float>(-(farZ + nearZ) / (farZ - nearZ));
    m[15] = 1.0f;
    return m;
}

Matrix4 overlayMatrix(unsigned viewWidth, unsigned viewHeight)
{
    return orthoMatrix(0.0, viewWidth, 0.0, viewHeight, kOverlayNear, kOverlayFar);
}

std::array<float, 2> projectPoint(const Matrix4& m, float x, float y, float z)
{
    float cx = m[0] * x + m[4] * y + m[8] * z + m[12];
    float cy = m[1] * x + m[5] * y + m[9] * z + m[13];
    float cw = m[3] * x + m[7] * y + m[11] * z + m[15];
    return {cx / cw, cy / cw};
}
