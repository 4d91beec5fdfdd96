// Meshes from Autodesk 3DS files in the resource pack: materials (name, diffuse colour, texture
// map), objects with vertices, mapping coordinates, triangles and per-material triangle groups,
// converted from the file's Z-up axes to the engine's Y-up axes; vertex normals from the
// companion text file "n" + model name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ResourcePack;

struct ModelMaterial {
    std::string name;                   // at most 79 characters
    uint32_t texture = 0;               // OpenGL texture name
    bool textured = false;
    uint8_t colour[4] = {0, 0, 0, 255}; // R, G, B, A (A always 255)
    std::vector<std::string> mapNames;  // texture map names in file order; the last one's texture stays
};

struct MaterialFaces {
    std::vector<uint16_t> indices;      // three vertex indices per listed triangle
    int32_t material = 0;               // index into the materials; numMaterials when no name matched
};

struct ModelObject {
    std::string name;
    std::vector<float> vertices;        // x, y, z per vertex, engine axes
    std::vector<float> normals;         // x, y, z per vertex
    std::vector<float> texCoords;       // u, v per coordinate, at least one pair per vertex
    std::vector<uint16_t> faces;        // three vertex indices per triangle
    int32_t numFaceIndices = 0;
    int32_t numMaterialGroups = 0;
    int32_t numVertices = 0;
    int32_t numTexCoords = 0;
    bool textured = false;              // the object had mapping coordinates
    std::vector<MaterialFaces> materialGroups;
    float referencePoint[3] = {0, 0, 0};
};

class Model_3DS {
public:
    std::vector<int32_t> drawOrder;     // the blended draw's visiting order
    std::vector<float> drawDistance;    // the blended draw's sort keys
    std::string name;
    int32_t numObjects = 0;
    int32_t numMaterials = 0;
    std::vector<ModelMaterial> materials;
    std::vector<ModelObject> objects;
    float position[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};      // degrees about x, y and z
    float scale = 1.0f;

    virtual ~Model_3DS() = default;

    // Extracts the model from the pack and reads it with its textures and its normals file.
    void loadFromPack(ResourcePack& pack, const char* name);
    void setScale(float s);
    void move(float dx, float dy, float dz);

    // Opaque draw, one glDrawElements per material group. With bindTextures false the caller's
    // texture bindings stay in force.
    void draw(bool bindTextures);
    // Blended draw with depth writes off; with sort, the objects are first ordered far to near
    // from the viewpoint (-x, -y, -z) (callers sort on the frames isSortFrame names).
    void drawBlended(bool bindTextures, bool sort, float x, float y, float z);

    // The loading steps without OpenGL, for tests and the fuzz target. readModel replaces the
    // model's materials and objects with those of a 3DS file held in memory; readNormals puts
    // the normals of a normals file's text into the objects' vertices in order and returns how
    // many vertices it filled; finishLoad sets the reference points and the draw order.
    void readModel(const uint8_t* data, size_t size);
    int readNormals(const char* text, size_t size);
    void finishLoad();
    // Orders drawOrder by drawDistance from the viewpoint (-x, -y, -z), farthest first;
    // objects at equal distance keep their index order.
    void sortDrawOrder(float x, float y, float z);
};

// Whether the blended draw re-sorts on a frame with this frame counter (the frame timer's): on
// 0 and 30, twice in each second's window.
bool isSortFrame(float frameCounter);

// 3DS chunk identifiers the reader acts on.
enum : uint16_t {
    kChunkEditor = 0x3D3D,
    kChunkMaterial = 0xAFFF,
    kChunkMaterialName = 0xA000,
    kChunkDiffuse = 0xA020,
    kChunkColourFloat = 0x0010,
    kChunkColour24 = 0x0011,
    kChunkColour24Gamma = 0x0012,
    kChunkColourFloatGamma = 0x0013,
    kChunkTextureMap = 0xA200,
    kChunkTextureMapAlt = 0xA030,
    kChunkMapName = 0xA300,
    kChunkObject = 0x4000,
    kChunkMesh = 0x4100,
    kChunkVertices = 0x4110,
    kChunkFaces = 0x4120,
    kChunkFaceMaterial = 0x4130,
    kChunkMapping = 0x4140,
};

constexpr size_t kModelNameBytes = 80;   // names are read up to their zero byte, at most this many bytes
