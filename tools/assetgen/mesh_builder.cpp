// Accumulates the generator's model objects vertex by vertex and triangle by triangle.
#include "mesh_builder.h"

#include <stdexcept>

static constexpr size_t kMaxObjectVertices = 65535;   // 16-bit indices in the 3DS file

uint16_t MeshBuilder::vertex(Vec3 p, double u, double v)
{
    if (vertexCount() >= kMaxObjectVertices) throw std::length_error(object_.name + ": too many vertices");
    for (double c : {p.x, p.y, p.z}) object_.vertices.push_back(static_cast<float>(c));
    object_.texCoords.push_back(static_cast<float>(u));
    object_.texCoords.push_back(static_cast<float>(v));
    return static_cast<uint16_t>(vertexCount() - 1);
}

uint16_t MeshBuilder::vertex(Vec3 p, Vec3 normal, double u, double v)
{
    Vec3 n = normalized(normal);
    for (double c : {n.x, n.y, n.z}) object_.normals.push_back(static_cast<float>(c));
    return vertex(p, u, v);
}

void MeshBuilder::triangle(uint16_t a, uint16_t b, uint16_t c, const std::string& material)
{
    size_t group = 0;
    while (group < groupNames_.size() && groupNames_[group] != material) ++group;
    if (group == groupNames_.size()) {
        groupNames_.push_back(material);
        groupTriangles_.emplace_back();
    }
    if (triangleCount() >= kMaxObjectVertices) throw std::length_error(object_.name + ": too many triangles");
    groupTriangles_[group].push_back(static_cast<uint16_t>(triangleCount()));
    object_.triangles.insert(object_.triangles.end(), {a, b, c});
}

void MeshBuilder::quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, const std::string& material)
{
    triangle(a, b, c, material);
    triangle(a, c, d, material);
}

Vec3 MeshBuilder::position(uint16_t index) const
{
    const float* p = &object_.vertices[static_cast<size_t>(index) * 3];
    return {p[0], p[1], p[2]};
}

void MeshBuilder::facingTriangle(uint16_t a, uint16_t b, uint16_t c, Vec3 facing, const std::string& material)
{
    Vec3 n = cross(position(b) - position(a), position(c) - position(a));
    if (dot(n, facing) >= 0) triangle(a, b, c, material);
    else triangle(a, c, b, material);
}

void MeshBuilder::facingQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, Vec3 facing, const std::string& material)
{
    // Judged on the whole quad, so that a degenerate half cannot flip it.
    Vec3 n = cross(position(c) - position(a), position(d) - position(b));
    if (dot(n, facing) >= 0) quad(a, b, c, d, material);
    else quad(a, d, c, b, material);
}

ObjectDescription MeshBuilder::finish() const
{
    if (!object_.normals.empty() && object_.normals.size() != object_.vertices.size())
        throw std::logic_error(object_.name + ": normals given for some vertices only");
    ObjectDescription done = object_;
    for (size_t g = 0; g < groupNames_.size(); ++g) done.groups.push_back({groupNames_[g], groupTriangles_[g]});
    return done;
}
