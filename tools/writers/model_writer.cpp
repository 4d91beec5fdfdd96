// 3DS chunk writing, little-endian; vertices go out in the file's Z-up axes.
#include "model_writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

Chunk3DS& Chunk3DS::add(Chunk3DS child)
{
    children.push_back(std::move(child));
    return *this;
}

Chunk3DS& Chunk3DS::u16(uint16_t value)
{
    data.push_back(static_cast<uint8_t>(value & 0xFF));
    data.push_back(static_cast<uint8_t>(value >> 8));
    return *this;
}

Chunk3DS& Chunk3DS::f32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int k = 0; k < 4; ++k) data.push_back(static_cast<uint8_t>(bits >> (8 * k)));
    return *this;
}

Chunk3DS& Chunk3DS::text(const std::string& value)
{
    data.insert(data.end(), value.begin(), value.end());
    data.push_back(0);
    return *this;
}

Chunk3DS& Chunk3DS::raw(const std::vector<uint8_t>& bytes)
{
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<uint8_t> Chunk3DS::bytes() const
{
    std::vector<uint8_t> body = data;
    for (const Chunk3DS& child : children) {
        std::vector<uint8_t> c = child.bytes();
        body.insert(body.end(), c.begin(), c.end());
    }
    uint32_t length = static_cast<uint32_t>(body.size() + 6);
    std::vector<uint8_t> out = {static_cast<uint8_t>(id & 0xFF), static_cast<uint8_t>(id >> 8)};
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(length >> (8 * k)));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Chunk3DS materialChunk(const MaterialDescription& material)
{
    Chunk3DS chunk{0xAFFF, {}, {}};
    chunk.add(Chunk3DS{0xA000, {}, {}}.text(material.name));
    Chunk3DS colour{0x0011, {material.colour[0], material.colour[1], material.colour[2]}, {}};
    chunk.add(Chunk3DS{0xA020, {}, {colour}});
    if (!material.map.empty()) chunk.add(Chunk3DS{0xA200, {}, {Chunk3DS{0xA300, {}, {}}.text(material.map)}});
    return chunk;
}

Chunk3DS objectChunk(const ObjectDescription& object)
{
    const size_t vertexCount = object.vertices.size() / 3;
    Chunk3DS vertices{0x4110, {}, {}};
    vertices.u16(static_cast<uint16_t>(vertexCount));
    for (size_t i = 0; i < vertexCount; ++i) {
        // Engine (x, y, z) is stored as the file's (x, -z, y).
        vertices.f32(object.vertices[i * 3]).f32(-object.vertices[i * 3 + 2]).f32(object.vertices[i * 3 + 1]);
    }
    Chunk3DS mesh{0x4100, {}, {vertices}};
    if (!object.texCoords.empty()) {
        Chunk3DS mapping{0x4140, {}, {}};
        mapping.u16(static_cast<uint16_t>(object.texCoords.size() / 2));
        for (float c : object.texCoords) mapping.f32(c);
        mesh.add(mapping);
    }
    Chunk3DS faces{0x4120, {}, {}};
    faces.u16(static_cast<uint16_t>(object.triangles.size() / 3));
    for (size_t t = 0; t + 2 < object.triangles.size(); t += 3)
        faces.u16(object.triangles[t]).u16(object.triangles[t + 1]).u16(object.triangles[t + 2]).u16(0);
    for (const MaterialGroupDescription& group : object.groups) {
        Chunk3DS chunk{0x4130, {}, {}};
        chunk.text(group.material).u16(static_cast<uint16_t>(group.triangles.size()));
        for (uint16_t t : group.triangles) chunk.u16(t);
        faces.add(chunk);
    }
    mesh.add(faces);
    Chunk3DS chunk{0x4000, {}, {mesh}};
    chunk.text(object.name);
    return chunk;
}

std::vector<uint8_t> modelFile(const std::vector<Chunk3DS>& editorChunks)
{
    Chunk3DS version{0x0002, {}, {}};
    version.u16(3).u16(0);
    Chunk3DS editor{0x3D3D, {}, editorChunks};
    return Chunk3DS{0x4D4D, {}, {version, editor}}.bytes();
}

std::vector<uint8_t> encode3DS(const ModelDescription& model)
{
    std::vector<Chunk3DS> chunks;
    for (const MaterialDescription& m : model.materials) chunks.push_back(materialChunk(m));
    for (const ObjectDescription& o : model.objects) chunks.push_back(objectChunk(o));
    return modelFile(chunks);
}

std::vector<float> vertexNormals(const std::vector<float>& vertices, const std::vector<uint16_t>& triangles)
{
    std::vector<double> sum(vertices.size(), 0.0);
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const uint16_t i[3] = {triangles[t], triangles[t + 1], triangles[t + 2]};
        double e1[3], e2[3];
        for (int k = 0; k < 3; ++k) {
            e1[k] = vertices[i[1] * 3 + k] - vertices[i[0] * 3 + k];
            e2[k] = vertices[i[2] * 3 + k] - vertices[i[0] * 3 + k];
        }
        const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        for (uint16_t v : i)
            for (int k = 0; k < 3; ++k) sum[v * 3 + k] += n[k];
    }
    std::vector<float> normals(vertices.size());
    for (size_t v = 0; v + 2 < sum.size(); v += 3) {
        double length = std::sqrt(sum[v] * sum[v] + sum[v + 1] * sum[v + 1] + sum[v + 2] * sum[v + 2]);
        if (length < 1e-12) {
            normals[v] = 0.0f;
            normals[v + 1] = 1.0f;
            normals[v + 2] = 0.0f;
            continue;
        }
        for (int k = 0; k < 3; ++k) normals[v + k] = static_cast<float>(sum[v + k] / length);
    }
    return normals;
}

std::string normalsText(const ModelDescription& model)
{
    std::string out;
    char line[96];
    for (const ObjectDescription& object : model.objects) {
        std::vector<float> normals = object.normals.empty() ? vertexNormals(object.vertices, object.triangles)
                                                            : object.normals;
        for (size_t v = 0; v + 2 < normals.size(); v += 3) {
            std::snprintf(line, sizeof line, "%f %f %f\n", normals[v], normals[v + 1], normals[v + 2]);
            out += line;
        }
    }
    return out;
}
