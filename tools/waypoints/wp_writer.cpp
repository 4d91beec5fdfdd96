// Encoding and writing of "wp.dat", and a simple generated orbit.
#include "waypoints/wp_writer.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>

namespace fs = std::filesystem;

static void putLittle32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

static void putFloat(std::vector<uint8_t>& out, float f) { putLittle32(out, std::bit_cast<uint32_t>(f)); }

std::vector<uint8_t> encodeWaypointFile(int32_t count, const std::vector<Waypoint>& records)
{
    std::vector<uint8_t> out;
    out.reserve(kWaypointCountBytes + records.size() * kWaypointRecordBytes);
    putLittle32(out, static_cast<uint32_t>(count));
    for (const Waypoint& w : records)
        for (float f : {w.x, w.y, w.z, w.qx, w.qy, w.qz, w.qw}) putFloat(out, f);
    return out;
}

std::vector<uint8_t> encodeWaypointFile(const std::vector<Waypoint>& points)
{
    return encodeWaypointFile(static_cast<int32_t>(points.size()), points);
}

bool writeWaypointFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::string temp = path + ".part";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) {
        error = "cannot create " + temp + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    std::error_code ec;
    if (written) fs::rename(temp, path, ec);
    if (!written || ec) {
        error = "cannot write " + path + (ec ? ": " + ec.message() : std::string());
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool writeWaypointFile(const std::string& path, const std::vector<Waypoint>& points, std::string& error)
{
    return writeWaypointFile(path, encodeWaypointFile(points), error);
}

// Quaternion product a * b as (x, y, z, w).
static std::array<float, 4> multiply(const std::array<float, 4>& a, const std::array<float, 4>& b)
{
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
            a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
            a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
            a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

static std::array<float, 4> axisAngle(float ax, float ay, float az, float radians)
{
    float s = std::sin(radians * 0.5f);
    return {ax * s, ay * s, az * s, std::cos(radians * 0.5f)};
}

std::vector<Waypoint> orbitPath(float radius, float height, float pitchDegrees, int count)
{
    std::vector<Waypoint> path;
    if (count < 1) return path;
    const float pitch = pitchDegrees * std::numbers::pi_v<float> / 180.0f;
    for (int i = 0; i < count + 3; ++i) {
        float angle = 2.0f * std::numbers::pi_v<float> * static_cast<float>(i % count) / static_cast<float>(count);
        // Counter-clockwise seen from above: the flight direction is the tangent (-sin, 0, -cos)
        // for the position (radius cos, height, -radius sin).
        float x = radius * std::cos(angle), z = -radius * std::sin(angle);
        // The camera's own rotation turns its view axis (-z) onto the tangent and then pitches it down;
        // the view rotation stored in the file is its inverse.
        std::array<float, 4> yaw = axisAngle(0.0f, 1.0f, 0.0f, angle);
        std::array<float, 4> down = axisAngle(1.0f, 0.0f, 0.0f, -pitch);
        std::array<float, 4> camera = multiply(yaw, down);
        path.push_back({x, height, z, -camera[0], -camera[1], -camera[2], camera[3]});
    }
    return path;
}
