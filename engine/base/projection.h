// The maths of the engine's two projections, kept free of GL so it can be tested alone.
#pragma once

#include <array>

using Matrix4 = std::array<float, 16>;  // column-major, as GL loads it

struct ViewportSize {
    int width;
    int height;   // never 0
    double aspect;
};

// The viewport for a client area: a height of 0 is taken as 1.
ViewportSize viewportFor(int clientWidth, int clientHeight);

// glOrtho's matrix.
Matrix4 orthoMatrix(double left, double right, double bottom, double top, double nearZ, double farZ);

// The pixel-aligned overlay projection: origin bottom-left, one unit per pixel.
Matrix4 overlayMatrix(unsigned viewWidth, unsigned viewHeight);

// Applies a column-major matrix to (x, y, z, 1) and returns the normalised device x and y.
std::array<float, 2> projectPoint(const Matrix4& m, float x, float y, float z);

constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 3000.0;
constexpr double kOverlayNear = -100.0;
constexpr double kOverlayFar = 100.0;
