// Loading a model from the resource pack: the file, its material textures and its normals file.
#include "assets/model_3ds.h"

#include "assets/pack.h"
#include "assets/texture.h"
#include "base/messages.h"
#include "base/whole_file.h"

void Model_3DS::loadFromPack(ResourcePack& resourcePack, const char* modelName)
{
    name = modelName;
    resourcePack.extract(modelName);
    std::optional<std::vector<uint8_t>> bytes;
    if (isPlainEntryName(modelName)) bytes = readWholeFile(resourcePack.tempPath(modelName));
    if (!bytes) {
        logLine("model %s could not be read; it stays empty", modelName);
        readModel(nullptr, 0);
        finishLoad();
        return;
    }
    readModel(bytes->data(), bytes->size());

    for (ModelMaterial& material : materials)
        for (const std::string& map : material.mapNames) {
            loadTextureFromPack(resourcePack, map.c_str(), material.texture);
            material.textured = true;
        }

    std::string normalsName = "n" + name;
    resourcePack.extract(normalsName.c_str());
    std::optional<std::vector<uint8_t>> normals;
    if (isPlainEntryName(normalsName)) normals = readWholeFile(resourcePack.tempPath(normalsName.c_str()));
    if (normals) readNormals(reinterpret_cast<const char*>(normals->data()), normals->size());
    else logLine("no normals file %s; the normals from the triangles stay", normalsName.c_str());

    for (ModelMaterial& material : materials)
        if (!material.textured) {
            createColourTexture(material.colour[0], material.colour[1], material.colour[2], material.texture);
            material.textured = true;
        }
    finishLoad();
}
