// The tour: past the ship, a wide view of the whole island, a low sweep in over the sea, a run
// along the beach past the palms, up over the hills and between the peaks, and down to the
// ship again. Stations are joined by a spline, resampled evenly, lifted clear of the ground
// and smoothed; each waypoint looks at its station's subject.
#include "flight_path.h"

#include "camera/camera.h"
#include "island.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWaypointSpacing = 30.0;   // world units between waypoints: about 25 units a second
constexpr double kLiftOverGround = 15.0, kLiftOverSea = 5.0;
constexpr double kPalmCrownRadius = 7.0;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double length(Vec3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

struct Station {
    Vec3 at, look;
};

Vec3 polar(double degrees, double r, double y)
{
    double a = degrees * kPi / 180.0;
    return {std::cos(a) * r, y, std::sin(a) * r};
}

double catmull(double p0, double p1, double p2, double p3, double t)
{
    return catmullRom(static_cast<float>(p0), static_cast<float>(p1), static_cast<float>(p2), static_cast<float>(p3),
                      static_cast<float>(t));
}

std::vector<Station> stations(const Island& island)
{
    auto coast = [&](double degrees) { return island.coastRadius(degrees * kPi / 180.0); };
    auto ground = [&](Vec3 p) { return std::max(0.0, island.height(p.x, p.z)); };
    const ShipPlacement& ship = island.ship();
    const Vec3 shipCentre{ship.x, 6.0, ship.z};
    const Vec3 centre{0, 28, 0};
    const Vec3 peak0{island.peakX(0), ground({island.peakX(0), 0, island.peakZ(0)}) * 0.8, island.peakZ(0)};

    std::vector<Station> s;
    // Past the ship.
    s.push_back({{75, 12, ship.z + 40}, shipCentre});
    s.push_back({{30, 10, ship.z - 75}, shipCentre});
    s.push_back({{-70, 13, ship.z - 40}, shipCentre});
    // Wide views of the whole island.
    s.push_back({polar(-145, 560, 70), centre});
    s.push_back({polar(-185, 610, 45), centre});
    // Low over the sea toward the island, then along its beach, looking ahead at the palms.
    s.push_back({polar(155, 470, 9), polar(140, coast(140) - 30, 8)});
    for (double a = 135; a >= 45; a -= 22.5) {
        Vec3 at = polar(a, coast(a) + 28, 9);
        Vec3 look = polar(a - 28, coast(a - 28) - 25, 6);
        s.push_back({at, look});
    }
    // Inland and up over the hills, between the peaks, looking at the high one.
    Vec3 inland = polar(20, coast(20) * 0.55, 0);
    inland.y = ground(inland) + 30;
    s.push_back({inland, peak0});
    Vec3 between{(island.peakX(0) + island.peakX(1)) * 0.5, 0, (island.peakZ(0) + island.peakZ(1)) * 0.5};
    between.y = ground(between) + 35;
    s.push_back({between, shipCentre});
    // Down the far slope toward the ship.
    Vec3 down = polar(-80, coast(-80) * 0.6, 0);
    down.y = ground(down) + 28;
    s.push_back({down, shipCentre});
    s.push_back({polar(-70, coast(-70) + 45, 22), shipCentre});
    return s;
}

Vec3 splineAt(const std::vector<Vec3>& p, double u)
{
    const size_t n = p.size();
    size_t i = static_cast<size_t>(std::floor(u)) % n;
    double t = u - std::floor(u);
    const Vec3 &a = p[(i + n - 1) % n], &b = p[i], &c = p[(i + 1) % n], &d = p[(i + 2) % n];
    return {catmull(a.x, b.x, c.x, d.x, t), catmull(a.y, b.y, c.y, d.y, t), catmull(a.z, b.z, c.z, d.z, t)};
}

// The camera's turn as a quaternion: its view axis (-z) toward the subject, pitch then yaw.
std::array<double, 4> lookRotation(Vec3 from, Vec3 to)
{
    Vec3 d = to - from;
    double l = length(d);
    double pitch = std::asin(std::clamp(d.y / l, -0.6, 0.6));
    double yaw = std::atan2(-d.x, -d.z);
    double cy = std::cos(yaw / 2), sy = std::sin(yaw / 2), cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    // yaw about y times pitch about x.
    return {cy * sp, sy * cp, -sy * sp, cy * cp};
}

double groundClearance(const Island& island, Vec3 p, double& t1, double& t2)
{
    t1 = p.y - (std::fabs(p.x) < kIslandExtent && std::fabs(p.z) < kIslandExtent ? island.height(p.x, p.z) : -1e9);
    t2 = p.y - island.seaFloor(p.x, p.z);
    return std::min(t1, t2);
}

double distanceToSegment(Vec3 p, Vec3 a, Vec3 b)
{
    Vec3 ab = b - a, ap = p - a;
    double t = std::clamp((ap.x * ab.x + ap.y * ab.y + ap.z * ab.z) / (ab.x * ab.x + ab.y * ab.y + ab.z * ab.z), 0.0, 1.0);
    return length({ap.x - ab.x * t, ap.y - ab.y * t, ap.z - ab.z * t});
}

double shipDistance(const ShipPlacement& ship, Vec3 p)
{
    // In the ship's own frame (turned about y): a box around hull and rigging.
    double a = ship.turnYDegrees * kPi / 180.0;
    double dx = p.x - ship.x, dz = p.z - ship.z;
    double lx = std::cos(a) * dx - std::sin(a) * dz, lz = std::sin(a) * dx + std::cos(a) * dz;
    double ex = std::max(0.0, std::fabs(lx) - 9.0), ez = std::max(0.0, std::fabs(lz) - ship.length * 0.5 - 4.0);
    double ey = std::max(0.0, std::max(-6.0 - p.y, p.y - 42.0));
    return std::sqrt(ex * ex + ey * ey + ez * ez);
}

} // namespace

std::vector<Waypoint> islandFlightPath(const Island& island)
{
    std::vector<Station> s = stations(island);
    std::vector<Vec3> at, look;
    for (const Station& st : s) {
        at.push_back(st.at);
        look.push_back(st.look);
    }
    // Even spacing along the loop.
    const int fine = 200;
    std::vector<double> arc = {0.0};
    Vec3 previous = splineAt(at, 0.0);
    for (int k = 1; k <= static_cast<int>(at.size()) * fine; ++k) {
        Vec3 p = splineAt(at, static_cast<double>(k) / fine);
        arc.push_back(arc.back() + length(p - previous));
        previous = p;
    }
    const int count = std::max(8, static_cast<int>(std::lround(arc.back() / kWaypointSpacing)));
    std::vector<Vec3> points, subjects;
    size_t k = 0;
    for (int i = 0; i < count; ++i) {
        double want = arc.back() * i / count;
        while (k + 1 < arc.size() && arc[k + 1] < want) ++k;
        double u = (k + (want - arc[k]) / std::max(1e-9, arc[k + 1] - arc[k])) / fine;
        points.push_back(splineAt(at, u));
        subjects.push_back(splineAt(look, u));
    }
    // Clear of the ground, the sea and the ship, then smoothed so the climbs are gentle.
    auto lift = [&] {
        for (Vec3& p : points) {
            double ground = std::fabs(p.x) < kIslandExtent && std::fabs(p.z) < kIslandExtent ? island.height(p.x, p.z) : -1e9;
            p.y = std::max({p.y, ground + kLiftOverGround, island.seaFloor(p.x, p.z) + kLiftOverGround, kLiftOverSea});
        }
    };
    for (int pass = 0; pass < 6; ++pass) {
        lift();
        std::vector<Vec3> smoothed = points;
        for (int i = 0; i < count; ++i)
            smoothed[i].y = 0.25 * points[(i + count - 1) % count].y + 0.5 * points[i].y + 0.25 * points[(i + 1) % count].y;
        points = smoothed;
    }
    lift();

    std::vector<Waypoint> path;
    for (int i = 0; i < count + 3; ++i) {
        const Vec3& p = points[i % count];
        std::array<double, 4> q = lookRotation(p, subjects[i % count]);
        // The file holds the view rotation, the inverse of the camera's turn.
        path.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z), static_cast<float>(-q[0]),
                        static_cast<float>(-q[1]), static_cast<float>(-q[2]), static_cast<float>(q[3])});
    }
    return path;
}

PathReport checkFlightPath(const Island& island, const std::vector<Waypoint>& path)
{
    PathReport report;
    const int n = static_cast<int>(path.size());
    report.waypoints = n;
    report.closed = n >= 7;
    for (int i = 0; report.closed && i < 3; ++i) {
        const Waypoint &a = path[i], &b = path[n - 3 + i];
        report.closed = a.x == b.x && a.y == b.y && a.z == b.z && a.qx == b.qx && a.qy == b.qy && a.qz == b.qz && a.qw == b.qw;
    }
    for (int s = 0; s + 3 < n; ++s) {
        const Waypoint &w0 = path[s], &w1 = path[s + 1], &w2 = path[s + 2], &w3 = path[s + 3];
        double segment = length(Vec3{w2.x - w1.x, w2.y - w1.y, w2.z - w1.z});
        report.longestSegment = std::max(report.longestSegment, segment);
        report.shortestSegment = std::min(report.shortestSegment, segment);
        for (int k = 0; k <= kSamplesPerSegment; ++k) {
            double t = static_cast<double>(k) / kSamplesPerSegment;
            Vec3 p{catmull(w0.x, w1.x, w2.x, w3.x, t), catmull(w0.y, w1.y, w2.y, w3.y, t), catmull(w0.z, w1.z, w2.z, w3.z, t)};
            double t1, t2;
            groundClearance(island, p, t1, t2);
            report.terrain1Clearance = std::min(report.terrain1Clearance, t1);
            report.terrain2Clearance = std::min(report.terrain2Clearance, t2);
            report.seaClearance = std::min(report.seaClearance, p.y);
            for (const Palm& palm : island.palms()) {
                Vec3 foot{palm.x, palm.baseY, palm.z};
                Vec3 top{palm.x + palm.leanX * palm.lean * palm.height, palm.baseY + palm.height,
                         palm.z + palm.leanZ * palm.lean * palm.height};
                double d = std::min(distanceToSegment(p, foot, top), length(p - top) - kPalmCrownRadius);
                report.palmClearance = std::min(report.palmClearance, d);
            }
            report.shipClearance = std::min(report.shipClearance, shipDistance(island.ship(), p));
            report.farthest = std::max(report.farthest, std::hypot(p.x, p.z));
        }
    }
    auto require = [&](bool ok, const char* what) {
        if (!ok) report.problems.push_back(what);
    };
    require(report.closed, "the path does not repeat its first three waypoints at its end");
    require(n >= 40 + 3 && n <= 100 + 3, "the path needs 40 to 100 waypoints");
    require(report.terrain1Clearance >= kMinGroundClearance, "too close to the island's ground");
    require(report.terrain2Clearance >= kMinGroundClearance, "too close to the sea floor or a distant island");
    require(report.seaClearance >= kMinSeaClearance, "too close to the sea");
    require(report.palmClearance >= kMinObjectClearance, "too close to a palm");
    require(report.shipClearance >= kMinObjectClearance, "too close to the ship");
    require(report.farthest <= kMaxCameraDistance, "too far from the island for the sky dome");
    return report;
}

std::string describe(const PathReport& r)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "%d waypoints, segments %.1f to %.1f units; least clearance: island %.1f, sea floor %.1f, sea %.1f, "
                  "palms %.1f, ship %.1f; farthest from the origin %.1f",
                  r.waypoints, r.shortestSegment, r.longestSegment, r.terrain1Clearance, r.terrain2Clearance,
                  r.seaClearance, r.palmClearance, r.shipClearance, r.farthest);
    std::string out = text;
    for (const std::string& p : r.problems) out += "\n  problem: " + p;
    return out;
}
