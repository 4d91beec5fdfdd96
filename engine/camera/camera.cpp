// Camera flight: spline evaluation, the per-frame step, restarts, and the view matrix.
#include "camera/camera.h"

#include "base/numeric.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

// Below this distance from 1 the cosine makes the sines too small to divide by: blend straight.
static constexpr float kSlerpLinearThreshold = 0.0001f;
// Four waypoints shape a segment, so a path of n has segments 0 to n - 4.
static constexpr int kWaypointsPerSegment = 4;

float catmullRom(float p0, float p1, float p2, float p3, float t)
{
    float c0 = p1;
    float c1 = 0.5f * (p2 - p0);
    float c2 = 0.5f * (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3);
    float c3 = 0.5f * (-p0 + 3.0f * p1 - 3.0f * p2 + p3);
    return c0 + c1 * t + c2 * t * t + c3 * t * t * t;
}

Quaternion slerp(const Quaternion& a, const Quaternion& b, float t)
{
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    Quaternion to = b;
    if (d < 0.0f) {
        d = -d;
        to = {-b.x, -b.y, -b.z, -b.w};
    }
    float k0, k1;
    if (1.0f - d > kSlerpLinearThreshold) {
        float omega = std::acos(d);
        float s = std::sin(omega);
        k0 = std::sin((1.0f - t) * omega) / s;
        k1 = std::sin(t * omega) / s;
    } else {
        k0 = 1.0f - t;
        k1 = t;
    }
    return {k0 * a.x + k1 * to.x, k0 * a.y + k1 * to.y, k0 * a.z + k1 * to.z, k0 * a.w + k1 * to.w};
}

Quaternion quaternionSpline(const Quaternion& q0, const Quaternion& q1, const Quaternion& q2,
                            const Quaternion& q3, float t)
{
    Quaternion a = slerp(q0, q1, t + 1.0f);
    Quaternion b = slerp(q1, q2, t);
    Quaternion c = slerp(q2, q3, t - 1.0f);
    Quaternion ab = slerp(a, b, (t + 1.0f) * 0.5f);
    Quaternion bc = slerp(b, c, t * 0.5f);
    return slerp(ab, bc, t);
}

std::array<float, 16> rotationMatrix(const Quaternion& q)
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    return {1.0f - 2.0f * (y * y + z * z), 2.0f * (w * z + x * y),        2.0f * (x * z - w * y),        0.0f,
            2.0f * (x * y - w * z),        1.0f - 2.0f * (x * x + z * z), 2.0f * (w * x + y * z),        0.0f,
            2.0f * (x * z + w * y),        2.0f * (y * z - w * x),        1.0f - 2.0f * (x * x + y * y), 0.0f,
            0.0f,                          0.0f,                          0.0f,                          1.0f};
}

static Quaternion orientationOf(const Waypoint& p) { return {p.qx, p.qy, p.qz, p.qw}; }

void Camera::advance(const WaypointPath& path, float frameRateFactor)
{
    t = static_cast<float>(t + speed * kCameraStepScale * frameRateFactor);
    // The part of the step beyond 1 is dropped: the next segment starts at its beginning.
    if (t > 1.0f) {
        ++segment;
        t = 0.0f;
    }
    // Paths of fewer than four waypoints stay on segment 0 and read the table's zero slots.
    int n = std::min(path.count, kMaxWaypoints);
    if (segment >= n - (kWaypointsPerSegment - 1) || segment < 0) segment = 0;

    const Waypoint& w0 = path.points[segment];
    const Waypoint& w1 = path.points[segment + 1];
    const Waypoint& w2 = path.points[segment + 2];
    const Waypoint& w3 = path.points[segment + 3];
    translation = {-catmullRom(w0.x, w1.x, w2.x, w3.x, t), -catmullRom(w0.y, w1.y, w2.y, w3.y, t),
                   -catmullRom(w0.z, w1.z, w2.z, w3.z, t)};
    orientation = quaternionSpline(orientationOf(w0), orientationOf(w1), orientationOf(w2), orientationOf(w3), t);
}

void Camera::restart(const WaypointPath& path)
{
    // The range includes n - 3, which the next advance turns into segment 0; for n < 3 it is empty
    // and randomInRange gives 0.
    segment = randomInRange(0, path.count - 3);
}

void Camera::apply() const
{
    std::array<float, 16> rotation = rotationMatrix(orientation);
    glMultMatrixf(rotation.data());
    glTranslatef(translation[0], translation[1], translation[2]);
}
