// Fuzzes the 3DS reader and the normals file: the input's first two bytes say where the
// model ends and the normals text begins. Whatever the chunks claim, every array handed to
// OpenGL must agree with the counts and every index must name an existing vertex.
#include "assets/model_3ds.h"

#include <cstdlib>

static void check(bool ok)
{
    if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    size_t split = (static_cast<size_t>(data[0]) | (static_cast<size_t>(data[1]) << 8)) % (size - 1);
    const uint8_t* model = data + 2;
    size_t modelSize = std::min(split, size - 2);
    Model_3DS m;
    m.readModel(model, modelSize);
    m.readNormals(reinterpret_cast<const char*>(model + modelSize), size - 2 - modelSize);
    m.finishLoad();
    m.setScale(2.0f);
    m.move(0.0f, -22.2f, 0.0f);
    m.sortDrawOrder(1.0f, 2.0f, 3.0f);

    check(m.numObjects == static_cast<int32_t>(m.objects.size()));
    check(m.numMaterials == static_cast<int32_t>(m.materials.size()));
    check(m.drawOrder.size() == m.objects.size());
    for (const ModelObject& o : m.objects) {
        size_t n = static_cast<size_t>(o.numVertices);
        check(o.vertices.size() == n * 3 && o.normals.size() == n * 3);
        if (o.textured) check(o.texCoords.size() >= n * 2);
        check(o.numFaceIndices == static_cast<int32_t>(o.faces.size()));
        for (uint16_t i : o.faces) check(i < n);
        check(o.numMaterialGroups == static_cast<int32_t>(o.materialGroups.size()));
        for (const MaterialFaces& g : o.materialGroups) {
            check(g.indices.size() % 3 == 0);
            check(g.material >= 0 && g.material <= m.numMaterials);
            for (uint16_t i : g.indices) check(i < n);
        }
        check(o.name.size() < kModelNameBytes);
    }
    return 0;
}
