// Camera flight: the spline maths, the per-frame step and its segment changes, restarts,
// paths too short for a segment, and frame-rate compensation.
#include "camera/camera.h"
#include "base/frame_timer.h"
#include "base/numeric.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include <set>

static constexpr float kDefaultStep = 0.2f * 0.07f;   // speed 0.2 at 60 frames per second

// A unit view quaternion: a turn of the given angle about the vertical axis.
static Quaternion yawQuaternion(float radians) { return {0.0f, std::sin(radians / 2), 0.0f, std::cos(radians / 2)}; }

// n waypoints with distinct positions and orientations turning a little further at each.
static WaypointPath makePath(int n)
{
    WaypointPath path;
    for (int i = 0; i < n; ++i) {
        Quaternion q = yawQuaternion(0.3f * static_cast<float>(i));
        float f = static_cast<float>(i);
        path.points[i] = {10.0f * f, 2.0f + f * f, -3.0f * f, q.x, q.y, q.z, q.w};
    }
    path.count = n;
    return path;
}

static void expectAt(const Camera& camera, const Waypoint& w, float tolerance)
{
    auto pos = camera.position();
    EXPECT_NEAR(pos[0], w.x, tolerance);
    EXPECT_NEAR(pos[1], w.y, tolerance);
    EXPECT_NEAR(pos[2], w.z, tolerance);
    // The same rotation: the quaternion or its negation.
    float d = camera.orientation.x * w.qx + camera.orientation.y * w.qy + camera.orientation.z * w.qz +
              camera.orientation.w * w.qw;
    EXPECT_NEAR(std::fabs(d), 1.0f, tolerance + 1e-6f);
}

TEST(CameraMaths, CatmullRomPassesThroughTheInnerPoints)
{
    EXPECT_EQ(catmullRom(4.0f, -1.5f, 7.0f, 2.0f, 0.0f), -1.5f);
    EXPECT_NEAR(catmullRom(4.0f, -1.5f, 7.0f, 2.0f, 1.0f), 7.0f, 1e-5f);
    // Evenly spaced points on a line are followed at an even pace.
    EXPECT_NEAR(catmullRom(0.0f, 1.0f, 2.0f, 3.0f, 0.25f), 1.25f, 1e-6f);
    // The tangent at p1 is half the span p0 to p2.
    float h = 1e-3f;
    EXPECT_NEAR((catmullRom(0.0f, 1.0f, 5.0f, 0.0f, h) - 1.0f) / h, 2.5f, 0.02f);
}

TEST(CameraMaths, SlerpBlendsOnTheShorterArcAndStraightWhenNearlyEqual)
{
    Quaternion identity;
    Quaternion quarter = yawQuaternion(std::numbers::pi_v<float> / 2);
    Quaternion half = slerp(identity, quarter, 0.5f);
    Quaternion eighth = yawQuaternion(std::numbers::pi_v<float> / 4);
    EXPECT_NEAR(half.y, eighth.y, 1e-6f);
    EXPECT_NEAR(half.w, eighth.w, 1e-6f);

    // A negative dot product: the blend runs to -b, so it matches the blend to b's positive twin.
    Quaternion negated{-quarter.x, -quarter.y, -quarter.z, -quarter.w};
    Quaternion viaNegated = slerp(identity, negated, 0.5f);
    EXPECT_EQ(viaNegated.y, half.y);
    EXPECT_EQ(viaNegated.w, half.w);
    EXPECT_GT(viaNegated.w, 0.9f) << "the long way round would pass near w = 0";

    // 1 - d <= 0.0001: straight blend with weights 1 - t and t, also beyond 0 to 1.
    Quaternion a = yawQuaternion(0.0f), b = yawQuaternion(0.02f);   // 1 - d = 1 - cos(0.01) = 0.00005
    for (float t : {0.3f, 2.0f, -1.0f}) {
        Quaternion r = slerp(a, b, t);
        EXPECT_EQ(r.y, (1.0f - t) * a.y + t * b.y) << t;
        EXPECT_EQ(r.w, (1.0f - t) * a.w + t * b.w) << t;
    }
    // Just outside the threshold the arc is used: same as the analytic turn.
    Quaternion c = yawQuaternion(0.05f), r = slerp(a, c, 0.5f);
    EXPECT_NEAR(r.y, std::sin(0.0125f), 1e-6f);
}

TEST(CameraMaths, SplineHitsItsInnerOrientations)
{
    Quaternion q0 = yawQuaternion(0.1f), q1 = yawQuaternion(0.4f), q2 = yawQuaternion(0.9f), q3 = yawQuaternion(1.0f);
    Quaternion atStart = quaternionSpline(q0, q1, q2, q3, 0.0f);
    EXPECT_EQ(atStart.y, q1.y);
    EXPECT_EQ(atStart.w, q1.w);
    Quaternion atEnd = quaternionSpline(q0, q1, q2, q3, 1.0f);
    EXPECT_NEAR(atEnd.y, q2.y, 1e-5f);
    EXPECT_NEAR(atEnd.w, q2.w, 1e-5f);
}

TEST(CameraMaths, RotationMatrixElementOrder)
{
    std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(rotationMatrix(Quaternion{0, 0, 0, 0}), identity) << "a zero quaternion is the identity";
    EXPECT_EQ(rotationMatrix(Quaternion{}), identity);

    // A quarter turn about z: column 0 (the image of x) is y, column 1 is -x.
    float s = std::sqrt(0.5f);
    std::array<float, 16> m = rotationMatrix(Quaternion{0, 0, s, s});
    std::array<float, 16> expected{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(m[k], expected[k], 1e-6f) << "element " << k;

    // A general unit quaternion: each column is the basis vector turned by q v q*.
    Quaternion g{0.2f, -0.4f, 0.5f, 0.0f};
    g.w = std::sqrt(1.0f - g.x * g.x - g.y * g.y - g.z * g.z);
    auto product = [](const Quaternion& a, const Quaternion& b) {
        return Quaternion{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
    };
    std::array<float, 16> general = rotationMatrix(g);
    for (int axis = 0; axis < 3; ++axis) {
        Quaternion v{axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f, 0.0f};
        Quaternion turned = product(product(g, v), Quaternion{-g.x, -g.y, -g.z, g.w});
        EXPECT_NEAR(general[4 * axis + 0], turned.x, 1e-5f) << "column " << axis;
        EXPECT_NEAR(general[4 * axis + 1], turned.y, 1e-5f) << "column " << axis;
        EXPECT_NEAR(general[4 * axis + 2], turned.z, 1e-5f) << "column " << axis;
        EXPECT_EQ(general[4 * axis + 3], 0.0f);
    }

    // Not normalised: a doubled quaternion scales the off-diagonal terms as the formula says.
    std::array<float, 16> big = rotationMatrix(Quaternion{0, 0, 2 * s, 2 * s});
    EXPECT_NEAR(big[0], 1.0f - 2.0f * 2.0f, 1e-5f);
    EXPECT_NEAR(big[1], 2.0f * 2.0f, 1e-5f);
}

TEST(CameraFlight, StandsOnTheSegmentsSecondWaypointAtItsStart)
{
    WaypointPath path = makePath(8);
    for (int segment = 0; segment < 5; ++segment) {
        Camera camera;
        camera.segment = segment;
        camera.advance(path, 0.0f);
        const Waypoint& w = path.points[segment + 1];
        EXPECT_EQ(camera.translation, (std::array<float, 3>{-w.x, -w.y, -w.z})) << segment;
        EXPECT_EQ(camera.orientation.y, w.qy) << segment;
        EXPECT_EQ(camera.orientation.w, w.qw) << segment;
        EXPECT_EQ(camera.orientation.x, 0.0f);
    }
}

TEST(CameraFlight, ApproachesTheThirdWaypointBeforeTheSegmentChanges)
{
    WaypointPath path = makePath(8);
    Camera camera;
    camera.segment = 2;
    float lastDistance = 1e9f;
    while (camera.segment == 2) {
        camera.advance(path, 1.0f);
        if (camera.segment != 2) break;
        auto p = camera.position();
        const Waypoint& target = path.points[4];
        float distance = std::hypot(p[0] - target.x, p[1] - target.y, p[2] - target.z);
        EXPECT_LE(distance, lastDistance + 1e-4f) << "t = " << camera.t;
        lastDistance = distance;
    }
    // The last frame of segment 2 was within one step of t = 1.
    EXPECT_LT(lastDistance, 0.5f);
    Camera nearEnd;
    nearEnd.segment = 2;
    nearEnd.t = 0.9999f;
    nearEnd.speed = 0.0f;
    nearEnd.advance(path, 1.0f);
    expectAt(nearEnd, path.points[4], 2e-3f);
}

TEST(CameraFlight, StepPastOneStartsTheNextSegmentAtZero)
{
    WaypointPath path = makePath(8);
    Camera camera;
    camera.segment = 1;
    camera.t = 0.99f;
    camera.advance(path, 1.0f);   // 0.99 + 0.014 = 1.004
    EXPECT_EQ(camera.segment, 2);
    EXPECT_EQ(camera.t, 0.0f) << "the part of the step beyond 1 is dropped";
    const Waypoint& w = path.points[3];
    EXPECT_EQ(camera.translation, (std::array<float, 3>{-w.x, -w.y, -w.z}));
    EXPECT_EQ(camera.orientation.w, w.qw);
}

TEST(CameraFlight, StepLandingExactlyOnOneWaitsForTheNextFrame)
{
    WaypointPath path = makePath(8);
    Camera camera;
    camera.segment = 1;
    // The largest start from which one default step gives exactly 1.0f.
    float start = 1.0f - kDefaultStep;
    while (static_cast<float>(std::nextafter(start, 2.0f) + camera.speed * kCameraStepScale) <= 1.0f)
        start = std::nextafter(start, 2.0f);
    while (static_cast<float>(start + camera.speed * kCameraStepScale) > 1.0f) start = std::nextafter(start, 0.0f);
    camera.t = start;
    ASSERT_EQ(static_cast<float>(camera.t + camera.speed * kCameraStepScale), 1.0f);
    camera.advance(path, 1.0f);
    EXPECT_EQ(camera.t, 1.0f);
    EXPECT_EQ(camera.segment, 1);
    expectAt(camera, path.points[3], 1e-4f);
    camera.advance(path, 1.0f);
    EXPECT_EQ(camera.segment, 2);
    EXPECT_EQ(camera.t, 0.0f);
}

TEST(CameraFlight, FivePointsGiveTwoSegmentsThenWrap)
{
    WaypointPath path = makePath(5);
    Camera camera;
    std::vector<int> order;
    while (order.size() < 5) {
        camera.advance(path, 1.0f);
        if (order.empty() || order.back() != camera.segment) order.push_back(camera.segment);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 0, 1, 0}));
}

TEST(CameraFlight, FourPointsGiveOneSegment)
{
    WaypointPath path = makePath(4);
    Camera camera;
    std::set<int> seen;
    int wraps = 0;
    for (int frame = 0; frame < 72 * 3; ++frame) {
        float before = camera.t;
        camera.advance(path, 1.0f);
        if (camera.t < before) ++wraps;
        seen.insert(camera.segment);
    }
    EXPECT_EQ(seen, std::set<int>{0});
    EXPECT_EQ(wraps, 3) << "the one segment is flown again from its start, every 72 frames";
}

TEST(CameraFlight, RestartDrawsUpToCountMinusThreeAndKeepsT)
{
    WaypointPath path = makePath(5);
    seedRandom(12345);
    Camera camera;
    camera.t = 0.375f;
    std::set<int> drawn;
    for (int i = 0; i < 200; ++i) {
        camera.restart(path);
        drawn.insert(camera.segment);
        EXPECT_EQ(camera.t, 0.375f);
    }
    EXPECT_EQ(drawn, (std::set<int>{0, 1, 2}));

    for (int i = 0; i < 1000 && camera.segment != 2; ++i) camera.restart(path);
    ASSERT_EQ(camera.segment, 2);
    camera.advance(path, 1.0f);
    EXPECT_EQ(camera.segment, 0) << "a drawn n - 3 becomes segment 0";
    EXPECT_NEAR(camera.t, 0.375f + kDefaultStep, 1e-6f);
}

TEST(CameraFlight, PathsTooShortForASegmentStayOnSegmentZero)
{
    for (int n : {0, 1, 2, 3}) {
        WaypointPath path = makePath(n);
        Camera camera;
        camera.segment = 7;
        camera.restart(path);
        EXPECT_EQ(camera.segment, 0) << n;
        for (int frame = 0; frame < 200; ++frame) {
            camera.advance(path, 1.0f);
            ASSERT_EQ(camera.segment, 0) << n;
            for (float v : camera.translation) ASSERT_TRUE(std::isfinite(v)) << n;
            ASSERT_TRUE(std::isfinite(camera.orientation.w)) << n;
        }
    }
    // With no waypoints at all the camera reads the zero slots: origin, identity view.
    WaypointPath empty;
    Camera camera;
    camera.advance(empty, 1.0f);
    EXPECT_EQ(camera.position(), (std::array<float, 3>{0, 0, 0}));
    std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(rotationMatrix(camera.orientation), identity);
}

TEST(CameraFlight, FullTableFliesItsLastSegmentWithinBounds)
{
    WaypointPath path = makePath(kMaxWaypoints);
    Camera camera;
    camera.segment = kMaxWaypoints - 4;
    camera.advance(path, 0.0f);
    EXPECT_EQ(camera.segment, kMaxWaypoints - 4);
    EXPECT_EQ(camera.position()[0], path.points[kMaxWaypoints - 3].x);
    camera.t = 0.99f;
    camera.advance(path, 1.0f);
    EXPECT_EQ(camera.segment, 0);
    camera.segment = kMaxWaypoints - 3;   // a drawn n - 3
    camera.advance(path, 0.0f);
    EXPECT_EQ(camera.segment, 0);
}

TEST(CameraFlight, SpeedSettingZeroStandsStill)
{
    WaypointPath path = makePath(8);
    Camera camera;
    camera.speed *= 0.0f;
    camera.segment = 3;
    camera.t = 0.5f;
    camera.advance(path, 1.0f);
    std::array<float, 3> where = camera.translation;
    for (int frame = 0; frame < 600; ++frame) camera.advance(path, 2.0f);
    EXPECT_EQ(camera.translation, where);
    EXPECT_EQ(camera.t, 0.5f);
    EXPECT_EQ(camera.segment, 3);
}

// Frames until the segment changes, at a fixed factor, from t = 0.
static int framesPerSegment(float factor, float speedSetting = 1.0f)
{
    WaypointPath path = makePath(8);
    Camera camera;
    camera.speed *= speedSetting;
    int frames = 0;
    while (camera.segment == 0) {
        camera.advance(path, factor);
        ++frames;
    }
    return frames;
}

TEST(CameraFlight, SegmentTimeDoesNotDependOnTheFrameRate)
{
    EXPECT_EQ(framesPerSegment(1.0f), 72);   // 1.2 s at 60 frames per second
    EXPECT_EQ(framesPerSegment(2.0f), 36);   // 1.2 s at 30
    EXPECT_EQ(framesPerSegment(1.0f, 2.0f), 36);
}

TEST(CameraFlight, DrivenByTheFrameTimerAtThirtyFramesASecond)
{
    WaypointPath path = makePath(kMaxWaypoints);
    Camera camera;
    camera.segment = 5;
    FrameTimer timer;
    const double start = 5000.0, frameTime = 1.0 / 30.0;

    // The very first frame advances with the timer's initial factor 0: no move at all.
    camera.advance(path, timer.frameRateFactor);
    EXPECT_EQ(camera.t, 0.0f);
    EXPECT_EQ(camera.segment, 5);
    timer.update(start);

    std::vector<double> changes;
    for (int frame = 1; frame < 30 * 12; ++frame) {
        int before = camera.segment;
        camera.advance(path, timer.frameRateFactor);
        double now = start + frame * frameTime;
        timer.update(now);
        if (camera.segment != before) changes.push_back(now);
    }
    ASSERT_GE(changes.size(), 6u);
    // Past the first second's 61-frame estimate the rate reads 30 or 31: each segment about 1.2 s.
    for (size_t i = 2; i < changes.size(); ++i)
        EXPECT_NEAR(changes[i] - changes[i - 1], 1.2, 0.05) << "segment " << i;
}
