// The camera path: the waypoint file "wp.dat" (a signed count, then 28-byte records of seven
// little-endian floats) read once at start-up into a fixed table of 2000 slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class ResourcePack;

// A camera position and the view rotation there, as stored in one record of the file.
struct Waypoint {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float qx = 0.0f, qy = 0.0f, qz = 0.0f, qw = 0.0f;
};

constexpr int kMaxWaypoints = 2000;
constexpr size_t kWaypointCountBytes = 4;
constexpr size_t kWaypointRecordBytes = 28;
static_assert(sizeof(Waypoint) == kWaypointRecordBytes);

struct WaypointPath {
    std::array<Waypoint, kMaxWaypoints> points{};   // slots beyond the loaded ones stay zero
    int32_t count = 0;

    // Extracts the asset from the pack and reads the copy; on failure the run stops with a message.
    void load(ResourcePack& pack, const char* name);
    // Reads the file at path in place of the current path. False when it cannot be read, after the
    // fatal message "Error loading WP file." (the pointer left as it is).
    bool readFile(const std::string& path);
};

// How a file's bytes were taken in, for the log.
struct WaypointParseReport {
    int32_t storedCount = 0;     // the count as the file states it (0 when the file is too short for it)
    int32_t recordsRead = 0;     // complete records filled in
    bool countClamped = false;   // the stored count was negative or above the table's capacity
};

// Fills path from a file's bytes. The table starts zeroed; a negative count reads as 0 and a count
// above 2000 as 2000; records missing at the end stay zero while count keeps the (clamped) stored value.
WaypointParseReport parseWaypoints(const uint8_t* data, size_t size, WaypointPath& path);
