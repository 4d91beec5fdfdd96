// Writes the camera path file "wp.dat": a signed 32-bit count, then one 28-byte record of seven
// little-endian floats (position x, y, z, view quaternion x, y, z, w) per waypoint.
#pragma once

#include "camera/waypoints.h"

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes for these waypoints, their number as the count.
std::vector<uint8_t> encodeWaypointFile(const std::vector<Waypoint>& points);
// The same with a count of the caller's choice, which need not match the records (for malformed files).
std::vector<uint8_t> encodeWaypointFile(int32_t count, const std::vector<Waypoint>& records);

// Writes the bytes to path through a temporary file beside it, so a failed write leaves neither a
// partial file nor the temporary one. False on failure, with the reason in error.
bool writeWaypointFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
bool writeWaypointFile(const std::string& path, const std::vector<Waypoint>& points, std::string& error);

// A closed loop circling the point (0, height, 0) at the given radius, looking along the flight and
// tilted down by pitchDegrees; the first three waypoints are repeated at the end so the flight runs
// on smoothly when it wraps. count is the number of distinct waypoints (at least 1).
std::vector<Waypoint> orbitPath(float radius, float height, float pitchDegrees, int count);
