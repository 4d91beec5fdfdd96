// Small vector maths and an accumulator that turns vertices, coordinates and triangles, each
// with a material, into one model object of the generator's models.
#pragma once

#include "model_writer.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalized(Vec3 a)
{
    double l = length(a);
    return l > 0 ? a * (1.0 / l) : Vec3{0, 1, 0};
}

class MeshBuilder {
public:
    explicit MeshBuilder(std::string name) { object_.name = std::move(name); }

    // With explicitNormals, every vertex must be given its normal; otherwise the writer
    // computes smooth ones from the triangles that share a vertex.
    uint16_t vertex(Vec3 p, double u = 0, double v = 0);
    uint16_t vertex(Vec3 p, Vec3 normal, double u, double v);
    // Counter-clockwise seen from the side the triangle faces.
    void triangle(uint16_t a, uint16_t b, uint16_t c, const std::string& material);
    void quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, const std::string& material);
    // The same, wound so that the face looks along facing (a, b, c, d go around the quad).
    void facingTriangle(uint16_t a, uint16_t b, uint16_t c, Vec3 facing, const std::string& material);
    void facingQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, Vec3 facing, const std::string& material);
    Vec3 position(uint16_t index) const;

    size_t vertexCount() const { return object_.vertices.size() / 3; }
    size_t triangleCount() const { return object_.triangles.size() / 3; }
    // The object with its material groups in the order the materials were first used.
    ObjectDescription finish() const;

private:
    ObjectDescription object_;
    std::vector<std::string> groupNames_;
    std::vector<std::vector<uint16_t>> groupTriangles_;
};
