// The camera's flight over the island as "wp.dat" waypoints, and the checks the generator runs
// on it: clearances over the ground, the sea, the palms and the ship, sampled along the very
// spline the engine flies.
#pragma once

#include "camera/waypoints.h"

#include <string>
#include <vector>

class Island;

// A closed loop: its first three waypoints repeated at the end.
std::vector<Waypoint> islandFlightPath(const Island& island);

struct PathReport {
    double terrain1Clearance = 1e9, terrain2Clearance = 1e9, seaClearance = 1e9;
    double palmClearance = 1e9, shipClearance = 1e9;
    double farthest = 0.0;
    double longestSegment = 0.0, shortestSegment = 1e9;
    int waypoints = 0;
    bool closed = false;
    std::vector<std::string> problems;   // empty when every limit holds
};

constexpr double kMinGroundClearance = 6.0, kMinSeaClearance = 3.0, kMinObjectClearance = 8.0;
constexpr double kMaxCameraDistance = 700.0;
constexpr int kSamplesPerSegment = 64;

PathReport checkFlightPath(const Island& island, const std::vector<Waypoint>& path);
std::string describe(const PathReport& report);
