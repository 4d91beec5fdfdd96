// The camera's flight along the waypoint path: a uniform Catmull-Rom spline through the positions,
// a matching spline of slerps through the view quaternions, random restarts, and the view matrix.
#pragma once

#include "camera/waypoints.h"

#include <array>
#include <cstdint>

struct Quaternion {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

// One coordinate of the Catmull-Rom segment from p1 (t = 0) to p2 (t = 1).
float catmullRom(float p0, float p1, float p2, float p3, float t);
// Spherical blend along the shorter arc; t may lie outside 0 to 1. The result is not normalised.
Quaternion slerp(const Quaternion& a, const Quaternion& b, float t);
// The Catmull-Rom pyramid with slerps in place of straight blends: q1 at t = 0, q2 at t = 1.
Quaternion quaternionSpline(const Quaternion& q0, const Quaternion& q1, const Quaternion& q2,
                            const Quaternion& q3, float t);
// The rotation matrix of a quaternion (not normalised first), columns first as glMultMatrixf takes it.
std::array<float, 16> rotationMatrix(const Quaternion& q);

// The path parameter step per frame at 60 frames per second is speed × this.
constexpr double kCameraStepScale = 0.07;
constexpr float kCameraBaseSpeed = 0.2f;

struct Camera {
    float speed = kCameraBaseSpeed;           // start-up multiplies it by the speed setting
    std::array<float, 3> translation{};       // the negated world position of the camera
    Quaternion orientation;                   // the view rotation
    int32_t segment = 0;                      // first of the four waypoints shaping the segment
    float t = 0.0f;                           // position within the segment, 0 to 1

    // One frame's move; frameRateFactor is the frame timer's 60 / frames per second.
    void advance(const WaypointPath& path, float frameRateFactor);
    // Jumps to a random segment; t is kept. Takes effect at the next advance.
    void restart(const WaypointPath& path);
    // Multiplies the view (rotation, then translation) onto the current OpenGL matrix.
    void apply() const;

    // The camera's position in the world.
    std::array<float, 3> position() const { return {-translation[0], -translation[1], -translation[2]}; }
};
