// The 3DS chunk walker and the model's loading steps. Every read stays inside the file and its
// arrays whatever the lengths and counts claim: a sub-chunk running past its parent ends that
// parent's walk, counts are cut to what their chunk holds, and out-of-range triangle or vertex
// indices are dropped. A well-formed file loads exactly as written.
#include "assets/model_3ds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace {

constexpr size_t kChunkHeaderBytes = 6;

struct Span {
    size_t begin = 0, end = 0;
    size_t size() const { return end > begin ? end - begin : 0; }
};

class ChunkFile {
public:
    ChunkFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint16_t u16(size_t at) const { return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)); }
    uint32_t u32(size_t at) const
    {
        return static_cast<uint32_t>(data_[at]) | (static_cast<uint32_t>(data_[at + 1]) << 8) |
               (static_cast<uint32_t>(data_[at + 2]) << 16) | (static_cast<uint32_t>(data_[at + 3]) << 24);
    }
    float f32(size_t at) const
    {
        uint32_t bits = u32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint8_t byte(size_t at) const { return data_[at]; }

    // Visits the sub-chunks laid end to end in the span, in file order.
    template <typename Visit>
    void walk(Span parent, Visit visit) const
    {
        size_t pos = parent.begin;
        while (pos < parent.end && parent.end - pos >= kChunkHeaderBytes) {
            uint16_t id = u16(pos);
            uint32_t length = u32(pos + 2);
            if (length < kChunkHeaderBytes || length > parent.end - pos) return;
            visit(id, Span{pos + kChunkHeaderBytes, pos + length});
            pos += length;
        }
    }

    // A zero-terminated name of at most kModelNameBytes bytes at the span's start; after is
    // where the data behind it begins.
    std::string name(Span span, size_t* after = nullptr) const
    {
        size_t limit = std::min(span.size(), kModelNameBytes);
        size_t length = 0;
        while (length < limit && data_[span.begin + length] != 0) ++length;
        if (after) *after = span.begin + std::min(length + 1, limit);
        return std::string(reinterpret_cast<const char*>(data_ + span.begin), std::min(length, kModelNameBytes - 1));
    }

private:
    const uint8_t* data_;
    size_t size_;
};

// Count as written, cut to the records the span holds after the count itself.
size_t heldCount(const ChunkFile& file, Span body, size_t recordBytes)
{
    if (body.size() < 2) return 0;
    return std::min<size_t>(file.u16(body.begin), (body.size() - 2) / recordBytes);
}

uint8_t colourByte(float value)
{
    float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) return 0;   // also NaN
    if (scaled >= 255.0f) return 255;
    return static_cast<uint8_t>(scaled);
}

void readColour(const ChunkFile& file, Span body, ModelMaterial& material)
{
    file.walk(body, [&](uint16_t id, Span colour) {
        if ((id == kChunkColourFloat || id == kChunkColourFloatGamma) && colour.size() >= 12) {
            for (int i = 0; i < 3; ++i) material.colour[i] = colourByte(file.f32(colour.begin + 4 * i));
        } else if ((id == kChunkColour24 || id == kChunkColour24Gamma) && colour.size() >= 3) {
            for (int i = 0; i < 3; ++i) material.colour[i] = file.byte(colour.begin + i);
        }
    });
}

void readMaterial(const ChunkFile& file, Span body, ModelMaterial& material)
{
    file.walk(body, [&](uint16_t id, Span chunk) {
        if (id == kChunkMaterialName) material.name = file.name(chunk);
        else if (id == kChunkDiffuse) readColour(file, chunk, material);
        else if (id == kChunkTextureMap || id == kChunkTextureMapAlt)
            file.walk(chunk, [&](uint16_t mapId, Span map) {
                if (mapId == kChunkMapName) material.mapNames.push_back(file.name(map));
            });
    });
}

void readVertices(const ChunkFile& file, Span body, ModelObject& object)
{
    size_t n = heldCount(file, body, 12);
    object.vertices.resize(n * 3);
    object.normals.assign(n * 3, 0.0f);
    object.numVertices = static_cast<int32_t>(n);
    for (size_t i = 0; i < n; ++i) {
        size_t at = body.begin + 2 + i * 12;
        float a = file.f32(at), b = file.f32(at + 4), c = file.f32(at + 8);
        object.vertices[i * 3 + 0] = a;   // the file is Z-up, the engine Y-up
        object.vertices[i * 3 + 1] = c;
        object.vertices[i * 3 + 2] = -b;
    }
}

void readMapping(const ChunkFile& file, Span body, ModelObject& object)
{
    size_t n = heldCount(file, body, 8);
    object.texCoords.resize(n * 2);
    for (size_t i = 0; i < n * 2; ++i) object.texCoords[i] = file.f32(body.begin + 2 + i * 4);
    object.numTexCoords = static_cast<int32_t>(n);
    object.textured = true;
}

void addFaceNormal(ModelObject& object, uint16_t a, uint16_t b, uint16_t c)
{
    const float* v = object.vertices.data();
    float e1[3], e2[3];
    for (int k = 0; k < 3; ++k) {
        e1[k] = v[b * 3 + k] - v[a * 3 + k];
        e2[k] = v[c * 3 + k] - v[a * 3 + k];
    }
    float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    for (uint16_t index : {a, b, c})
        for (int k = 0; k < 3; ++k) object.normals[index * 3 + k] += n[k];
}

void readFaceMaterial(const ChunkFile& file, Span body, const std::vector<ModelMaterial>& materials,
                      const std::vector<int>& keptTriangle, const ModelObject& object, MaterialFaces& group)
{
    size_t after = body.begin;
    std::string materialName = file.name(body, &after);
    group.material = static_cast<int32_t>(materials.size());
    for (size_t m = 0; m < materials.size(); ++m)
        if (materials[m].name == materialName) {
            group.material = static_cast<int32_t>(m);
            break;
        }
    size_t n = heldCount(file, Span{after, body.end}, 2);
    group.indices.clear();
    group.indices.reserve(n * 3);
    for (size_t i = 0; i < n; ++i) {
        uint16_t t = file.u16(after + 2 + i * 2);
        if (t >= keptTriangle.size() || keptTriangle[t] < 0) continue;
        const uint16_t* face = &object.faces[static_cast<size_t>(keptTriangle[t]) * 3];
        group.indices.insert(group.indices.end(), face, face + 3);
    }
}

void readFaces(const ChunkFile& file, Span body, const std::vector<ModelMaterial>& materials, ModelObject& object)
{
    size_t n = heldCount(file, body, 8);
    std::vector<int> keptTriangle(n, -1);   // file triangle → index among the kept ones
    object.faces.clear();
    object.faces.reserve(n * 3);
    int kept = 0;
    for (size_t t = 0; t < n; ++t) {
        size_t at = body.begin + 2 + t * 8;
        uint16_t a = file.u16(at), b = file.u16(at + 2), c = file.u16(at + 4);   // then flags, dropped
        uint32_t limit = static_cast<uint32_t>(object.numVertices);
        if (a >= limit || b >= limit || c >= limit) continue;
        object.faces.insert(object.faces.end(), {a, b, c});
        addFaceNormal(object, a, b, c);
        keptTriangle[t] = kept++;
    }
    object.numFaceIndices = kept * 3;

    Span groups{body.begin + 2 + n * 8, body.end};
    int count = 0;
    file.walk(groups, [&](uint16_t id, Span) { count += id == kChunkFaceMaterial; });
    object.materialGroups.assign(static_cast<size_t>(count), MaterialFaces{});
    object.numMaterialGroups = count;
    int next = 0;
    file.walk(groups, [&](uint16_t id, Span chunk) {
        if (id == kChunkFaceMaterial)
            readFaceMaterial(file, chunk, materials, keptTriangle, object, object.materialGroups[next++]);
    });
}

// Holds the arrays handed to OpenGL to what the vertex count allows, whatever order and number
// of mesh chunks produced them.
void settleObject(ModelObject& object)
{
    const uint32_t limit = static_cast<uint32_t>(object.numVertices);
    auto inRange = [limit](const std::vector<uint16_t>& indices, size_t t) {
        return indices[t] < limit && indices[t + 1] < limit && indices[t + 2] < limit;
    };
    for (MaterialFaces& group : object.materialGroups) {
        std::vector<uint16_t> kept;
        for (size_t t = 0; t + 2 < group.indices.size(); t += 3)
            if (inRange(group.indices, t)) kept.insert(kept.end(), group.indices.begin() + t, group.indices.begin() + t + 3);
        if (kept.size() != group.indices.size()) group.indices = std::move(kept);
    }
    std::vector<uint16_t> faces;
    for (size_t t = 0; t + 2 < object.faces.size(); t += 3)
        if (inRange(object.faces, t)) faces.insert(faces.end(), object.faces.begin() + t, object.faces.begin() + t + 3);
    object.faces = std::move(faces);
    object.numFaceIndices = static_cast<int32_t>(object.faces.size());
    if (object.textured && object.texCoords.size() < object.vertices.size() / 3 * 2)
        object.texCoords.resize(object.vertices.size() / 3 * 2, 0.0f);
}

void readObject(const ChunkFile& file, Span body, const std::vector<ModelMaterial>& materials, ModelObject& object)
{
    size_t after = body.begin;
    object.name = file.name(body, &after);
    file.walk(Span{after, body.end}, [&](uint16_t id, Span mesh) {
        if (id != kChunkMesh) return;
        // Vertices first, then triangles, whatever their order in the file.
        file.walk(mesh, [&](uint16_t part, Span chunk) {
            if (part == kChunkVertices) readVertices(file, chunk, object);
            else if (part == kChunkMapping) readMapping(file, chunk, object);
        });
        file.walk(mesh, [&](uint16_t part, Span chunk) {
            if (part == kChunkFaces) readFaces(file, chunk, materials, object);
        });
    });
    settleObject(object);
}

void readEditor(const ChunkFile& file, Span body, std::vector<ModelMaterial>& materials,
                std::vector<ModelObject>& objects)
{
    size_t objectCount = 0, materialCount = 0;
    file.walk(body, [&](uint16_t id, Span) {
        objectCount += id == kChunkObject;
        materialCount += id == kChunkMaterial;
    });
    materials.assign(materialCount, ModelMaterial{});
    size_t next = 0;
    file.walk(body, [&](uint16_t id, Span chunk) {
        if (id == kChunkMaterial) readMaterial(file, chunk, materials[next++]);
    });
    objects.assign(objectCount, ModelObject{});
    next = 0;
    file.walk(body, [&](uint16_t id, Span chunk) {
        if (id == kChunkObject) readObject(file, chunk, materials, objects[next++]);
    });
}

} // namespace

void Model_3DS::readModel(const uint8_t* data, size_t size)
{
    materials.clear();
    objects.clear();
    if (size >= kChunkHeaderBytes) {
        ChunkFile file(data, size);
        // The first chunk's identifier is not examined; a length beyond the file is held to it.
        size_t end = std::min<size_t>(std::max<size_t>(file.u32(2), kChunkHeaderBytes), size);
        file.walk(Span{kChunkHeaderBytes, end}, [&](uint16_t id, Span chunk) {
            if (id == kChunkEditor) readEditor(file, chunk, materials, objects);
        });
    }
    numMaterials = static_cast<int32_t>(materials.size());
    numObjects = static_cast<int32_t>(objects.size());
}

int Model_3DS::readNormals(const char* text, size_t size)
{
    std::string copy(text, size);   // strtof needs the terminating zero
    const char* at = copy.c_str();
    int filled = 0;
    for (ModelObject& object : objects)
        for (int32_t v = 0; v < object.numVertices; ++v) {
            float values[3];
            for (float& value : values) {
                char* end = nullptr;
                value = std::strtof(at, &end);
                if (end == at) return filled;
                at = end;
            }
            std::copy(values, values + 3, &object.normals[static_cast<size_t>(v) * 3]);
            ++filled;
        }
    return filled;
}

void Model_3DS::finishLoad()
{
    for (ModelObject& object : objects)
        if (object.numVertices > 0) std::copy(object.vertices.begin(), object.vertices.begin() + 3, object.referencePoint);
    drawOrder.resize(objects.size());
    std::iota(drawOrder.begin(), drawOrder.end(), 0);
    drawDistance.assign(objects.size(), 0.0f);
}

void Model_3DS::setScale(float s)
{
    scale = s;
    for (ModelObject& object : objects)
        for (float& c : object.referencePoint) c *= s;
}

void Model_3DS::move(float dx, float dy, float dz)
{
    const float d[3] = {dx, dy, dz};
    for (int k = 0; k < 3; ++k) {
        position[k] += d[k];
        for (ModelObject& object : objects) object.referencePoint[k] += d[k];
    }
}
