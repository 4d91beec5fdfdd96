// What the terrain's meshes and pictures both take from the ground: its normal from heights.
#pragma once

#include <array>
#include <cmath>

constexpr double kPi = 3.14159265358979323846;

// The unit normal of a height field at (x, z), from central differences h apart.
template <typename Height>
std::array<double, 3> groundNormal(Height height, double x, double z, double h)
{
    double dx = (height(x + h, z) - height(x - h, z)) / (2 * h);
    double dz = (height(x, z + h) - height(x, z - h)) / (2 * h);
    double n[3] = {-dx, 1.0, -dz};
    double l = std::sqrt(n[0] * n[0] + 1.0 + n[2] * n[2]);
    return {n[0] / l, n[1] / l, n[2] / l};
}
