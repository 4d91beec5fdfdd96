// 3DS files and their companion normals files. Chunks can be built one by one (tests lay out
// unusual files with them) or a whole model written from a description in engine axes (Y up).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Chunk3DS {
    uint16_t id = 0;
    std::vector<uint8_t> data;          // the chunk's own data, before its sub-chunks
    std::vector<Chunk3DS> children;

    Chunk3DS& add(Chunk3DS child);
    Chunk3DS& u16(uint16_t value);
    Chunk3DS& f32(float value);
    Chunk3DS& text(const std::string& value);   // with its zero byte
    Chunk3DS& raw(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> bytes() const;          // header (length counts everything), data, children
};

struct MaterialDescription {
    std::string name;
    uint8_t colour[3] = {200, 200, 200};
    std::string map;                    // texture picture name; empty for a plain colour
};

struct MaterialGroupDescription {
    std::string material;
    std::vector<uint16_t> triangles;    // indices into the object's triangle list
};

struct ObjectDescription {
    std::string name;
    std::vector<float> vertices;        // x, y, z per vertex, engine axes
    std::vector<float> texCoords;       // u, v per vertex; empty for none
    std::vector<uint16_t> triangles;    // three vertex indices each
    std::vector<MaterialGroupDescription> groups;
    std::vector<float> normals;         // x, y, z per vertex, engine axes; empty: computed
};

struct ModelDescription {
    std::vector<MaterialDescription> materials;
    std::vector<ObjectDescription> objects;
};

// The chunks of one material and one object, for files laid out by hand.
Chunk3DS materialChunk(const MaterialDescription& material);
Chunk3DS objectChunk(const ObjectDescription& object);
// A main chunk (0x4D4D) holding an editor block (0x3D3D) with these chunks in order.
std::vector<uint8_t> modelFile(const std::vector<Chunk3DS>& editorChunks);
// Materials first, then objects.
std::vector<uint8_t> encode3DS(const ModelDescription& model);

// Unit vertex normals averaged from the triangles (area weighted); (0, 1, 0) where none touch.
std::vector<float> vertexNormals(const std::vector<float>& vertices, const std::vector<uint16_t>& triangles);
// The normals file: one "x y z" line per vertex of every object in order, each object's given
// normals or, when it has none, its computed ones.
std::string normalsText(const ModelDescription& model);
