// The 3DS reader over files laid out with the project's model writer: the axes, chunk order,
// materials and colours, groups, normals, placement, and files that lie about their sizes.
#include "assets/model_3ds.h"
#include "model_writer.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

static Chunk3DS chunk(uint16_t id) { return Chunk3DS{id, {}, {}}; }

static Chunk3DS fileVertices(const std::vector<float>& abc)
{
    Chunk3DS c = chunk(kChunkVertices);
    c.u16(static_cast<uint16_t>(abc.size() / 3));
    for (float f : abc) c.f32(f);
    return c;
}

static Chunk3DS faces(const std::vector<uint16_t>& triangles, std::vector<Chunk3DS> groups = {})
{
    Chunk3DS c = chunk(kChunkFaces);
    c.u16(static_cast<uint16_t>(triangles.size() / 3));
    for (size_t t = 0; t < triangles.size(); t += 3) c.u16(triangles[t]).u16(triangles[t + 1]).u16(triangles[t + 2]).u16(7);
    c.children = std::move(groups);
    return c;
}

static Chunk3DS group(const std::string& material, const std::vector<uint16_t>& triangles)
{
    Chunk3DS c = chunk(kChunkFaceMaterial);
    c.text(material).u16(static_cast<uint16_t>(triangles.size()));
    for (uint16_t t : triangles) c.u16(t);
    return c;
}

static Chunk3DS object(const std::string& name, std::vector<Chunk3DS> meshParts)
{
    Chunk3DS mesh{kChunkMesh, {}, std::move(meshParts)};
    Chunk3DS c = chunk(kChunkObject);
    c.text(name);
    c.add(mesh);
    return c;
}

static Model_3DS load(const std::vector<uint8_t>& file)
{
    Model_3DS model;
    model.readModel(file.data(), file.size());
    model.finishLoad();
    return model;
}

static ObjectDescription triangleObject(const std::string& name, float x, const std::string& material = "m")
{
    ObjectDescription o;
    o.name = name;
    o.vertices = {x, 0, 0, x + 1, 0, 0, x, 1, 0};
    o.triangles = {0, 1, 2};
    o.groups = {{material, {0}}};
    return o;
}

TEST(Model3ds, FileZUpBecomesEngineYUp)
{
    Model_3DS model = load(modelFile({object("box", {fileVertices({1, 2, 3, 4, 5, 6})})}));
    ASSERT_EQ(model.numObjects, 1);
    const ModelObject& o = model.objects[0];
    EXPECT_EQ(o.name, "box");
    ASSERT_EQ(o.numVertices, 2);
    EXPECT_EQ(o.vertices, (std::vector<float>{1, 3, -2, 4, 6, -5}));
    EXPECT_EQ(o.normals, std::vector<float>(6, 0.0f));
    EXPECT_EQ(o.numTexCoords, 0);
    EXPECT_FALSE(o.textured);
    EXPECT_FLOAT_EQ(o.referencePoint[1], 3.0f);
}

TEST(Model3ds, FacesBeforeVerticesLoadTheSame)
{
    std::vector<float> verts = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::vector<uint16_t> tris = {0, 1, 2, 0, 2, 3};
    std::vector<Chunk3DS> mats = {materialChunk({"m", {1, 2, 3}, ""})};
    auto file = [&](bool facesFirst) {
        std::vector<Chunk3DS> parts = {fileVertices(verts), faces(tris, {group("m", {1, 0})})};
        if (facesFirst) std::swap(parts[0], parts[1]);
        std::vector<Chunk3DS> editor = mats;
        editor.push_back(object("o", parts));
        return modelFile(editor);
    };
    Model_3DS usual = load(file(false)), reversed = load(file(true));
    ASSERT_EQ(reversed.numObjects, 1);
    const ModelObject &a = usual.objects[0], &b = reversed.objects[0];
    EXPECT_EQ(a.vertices, b.vertices);
    EXPECT_EQ(a.faces, b.faces);
    EXPECT_EQ(a.normals, b.normals);
    ASSERT_EQ(b.numMaterialGroups, 1);
    EXPECT_EQ(b.materialGroups[0].indices, (std::vector<uint16_t>{0, 2, 3, 0, 1, 2}));
    EXPECT_EQ(b.materialGroups[0].indices.size(), 6u);
    EXPECT_EQ(b.numFaceIndices, 6);
}

TEST(Model3ds, AccumulatedNormalsAreUnnormalisedCrossProducts)
{
    // Engine-axis triangle (0,0,0) (2,0,0) (0,0,-3): (b-a)x(c-a) = (0, 6, 0).
    Model_3DS model = load(modelFile({object("o", {fileVertices({0, 0, 0, 2, 0, 0, 0, 3, 0}), faces({0, 1, 2})})}));
    const ModelObject& o = model.objects[0];
    for (int v = 0; v < 3; ++v) {
        EXPECT_FLOAT_EQ(o.normals[v * 3 + 0], 0.0f);
        EXPECT_FLOAT_EQ(o.normals[v * 3 + 1], 6.0f);
        EXPECT_FLOAT_EQ(o.normals[v * 3 + 2], 0.0f);
    }
}

TEST(Model3ds, NormalsFileReplacesThemInObjectOrder)
{
    ModelDescription d;
    d.materials = {{"m", {1, 1, 1}, ""}};
    d.objects = {triangleObject("a", 0), triangleObject("b", 5)};
    Model_3DS model = load(encode3DS(d));
    std::string text = "0 0 1\n0 0 1\n0 0 1\n1 0 0\n0.5 0.25 -1\n";   // one line short
    EXPECT_EQ(model.readNormals(text.data(), text.size()), 5);
    EXPECT_EQ(model.objects[0].normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_FLOAT_EQ(model.objects[1].normals[3], 0.5f);
    EXPECT_FLOAT_EQ(model.objects[1].normals[5], -1.0f);
    // The vertex without a line keeps the normal from its triangle ((1,0,0) x (0,1,0)).
    EXPECT_FLOAT_EQ(model.objects[1].normals[8], 1.0f);

    std::string written = normalsText(d);
    Model_3DS again = load(encode3DS(d));
    EXPECT_EQ(again.readNormals(written.data(), written.size()), 6);
    EXPECT_FLOAT_EQ(again.objects[1].normals[2], 1.0f);
}

TEST(Model3ds, MappingCoordinatesMakeAnObjectTextured)
{
    ObjectDescription o = triangleObject("t", 0);
    o.texCoords = {0, 0, 1, 0, 0, 1};
    Model_3DS model = load(encode3DS({{{"m", {1, 1, 1}, "bark.jpg"}}, {o}}));
    ASSERT_EQ(model.numMaterials, 1);
    EXPECT_EQ(model.materials[0].mapNames, (std::vector<std::string>{"bark.jpg"}));
    EXPECT_TRUE(model.objects[0].textured);
    EXPECT_EQ(model.objects[0].numTexCoords, 3);
    EXPECT_EQ(model.objects[0].texCoords, o.texCoords);
}

TEST(Model3ds, ObjectWithoutAMeshLoadsEmpty)
{
    Chunk3DS light = chunk(kChunkObject);
    light.text("Sun").add(Chunk3DS{0x4600, std::vector<uint8_t>(12, 0), {}});
    Model_3DS model = load(modelFile({light, object("o", {fileVertices({1, 1, 1})})}));
    ASSERT_EQ(model.numObjects, 2);
    EXPECT_EQ(model.objects[0].name, "Sun");
    EXPECT_EQ(model.objects[0].numVertices, 0);
    EXPECT_EQ(model.objects[0].numMaterialGroups, 0);
    EXPECT_EQ(model.objects[0].numFaceIndices, 0);
    EXPECT_EQ(model.objects[1].numVertices, 1);
}

static Chunk3DS colourMaterial(const std::string& name, std::vector<Chunk3DS> colours)
{
    Chunk3DS m = chunk(kChunkMaterial);
    m.add(chunk(kChunkMaterialName).text(name));
    m.add(Chunk3DS{kChunkDiffuse, {}, std::move(colours)});
    return m;
}

static Chunk3DS floatColour(uint16_t id, float r, float g, float b) { return chunk(id).f32(r).f32(g).f32(b); }

TEST(Model3ds, DiffuseColourFromAnyColourChunkTheLastWinning)
{
    Model_3DS model = load(modelFile({
        colourMaterial("float", {floatColour(kChunkColourFloat, 0.5f, 0.25f, 1.0f)}),
        colourMaterial("gamma", {floatColour(kChunkColourFloatGamma, 0.0f, 1.0f, 0.1f)}),
        colourMaterial("bytes-last", {floatColour(kChunkColourFloat, 1, 1, 1), Chunk3DS{kChunkColour24, {9, 8, 7}, {}}}),
        colourMaterial("float-last", {Chunk3DS{kChunkColour24Gamma, {9, 8, 7}, {}}, floatColour(kChunkColourFloat, 0, 0, 0)}),
        colourMaterial("wild", {floatColour(kChunkColourFloat, 7.0f, -3.0f, std::nanf(""))}),
    }));
    ASSERT_EQ(model.numMaterials, 5);
    auto rgb = [&](int m) {
        const uint8_t* c = model.materials[m].colour;
        return std::vector<int>{c[0], c[1], c[2], c[3]};
    };
    EXPECT_EQ(rgb(0), (std::vector<int>{127, 63, 255, 255}));
    EXPECT_EQ(rgb(1), (std::vector<int>{0, 255, 25, 255}));
    EXPECT_EQ(rgb(2), (std::vector<int>{9, 8, 7, 255}));
    EXPECT_EQ(rgb(3), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(rgb(4), (std::vector<int>{255, 0, 0, 255}));   // out-of-range floats are held to a byte
    EXPECT_EQ(model.materials[0].name, "float");
    EXPECT_FALSE(model.materials[0].textured);
}

TEST(Model3ds, GroupsReferToTheFirstMaterialOfTheirNameOrToNone)
{
    ModelDescription d;
    d.materials = {{"leaf", {1, 0, 0}, ""}, {"leaf", {0, 1, 0}, ""}, {"bark", {0, 0, 1}, "bark.jpg"}};
    d.objects = {triangleObject("a", 0, "leaf"), triangleObject("b", 0, "bark"), triangleObject("c", 0, "Bark")};
    Model_3DS model = load(encode3DS(d));
    EXPECT_EQ(model.objects[0].materialGroups[0].material, 0);
    EXPECT_EQ(model.objects[1].materialGroups[0].material, 2);
    EXPECT_EQ(model.objects[2].materialGroups[0].material, 3) << "names match exactly, so none: numMaterials";
}

TEST(Model3ds, ScaleThenMovePlacesReferencePoints)
{
    Model_3DS model = load(modelFile({object("p", {fileVertices({1, -1, 1})})}));   // engine (1, 1, 1)
    model.setScale(2.0f);
    model.move(0.0f, -22.2f, 0.0f);
    EXPECT_FLOAT_EQ(model.objects[0].referencePoint[0], 2.0f);
    EXPECT_FLOAT_EQ(model.objects[0].referencePoint[1], -20.2f);
    EXPECT_FLOAT_EQ(model.objects[0].referencePoint[2], 2.0f);
    EXPECT_FLOAT_EQ(model.scale, 2.0f);
    EXPECT_FLOAT_EQ(model.position[1], -22.2f);
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{0}));
}

TEST(Model3ds, BlendedSortIsFarthestFirstAndStableForEqualDistances)
{
    ModelDescription d;
    d.materials = {{"m", {1, 1, 1}, ""}};
    // Reference points at x = 0, 10, -10, 20 (each object's first vertex).
    d.objects = {triangleObject("a", 0), triangleObject("b", 10), triangleObject("c", -10), triangleObject("d", 20)};
    Model_3DS model = load(encode3DS(d));
    model.sortDrawOrder(0, 0, 0);   // viewpoint at the origin: b and c tie
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{3, 1, 2, 0}));
    model.sortDrawOrder(-20, 0, 0);   // viewpoint (20, 0, 0)
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{2, 0, 1, 3}));
    EXPECT_FLOAT_EQ(model.drawDistance[0], 30.0f);
}

// Files whose lengths and counts lie must neither crash nor read past their arrays.
TEST(Model3dsHostile, ChunksRunningPastTheirParentEndItsWalk)
{
    ModelDescription d;
    d.materials = {{"m", {1, 1, 1}, ""}};
    d.objects = {triangleObject("a", 0), triangleObject("b", 1)};
    std::vector<uint8_t> file = encode3DS(d);
    Model_3DS whole = load(file);
    ASSERT_EQ(whole.numObjects, 2);

    // Cut the file at every length: each prefix loads something sane.
    for (size_t n = 0; n < file.size(); ++n) {
        std::vector<uint8_t> prefix(file.begin(), file.begin() + n);
        Model_3DS model = load(prefix);
        EXPECT_LE(model.numObjects, 2);
        for (const ModelObject& o : model.objects)
            for (const MaterialFaces& g : o.materialGroups)
                for (uint16_t i : g.indices) EXPECT_LT(i, o.numVertices);
    }

    // A zero-length chunk ends the walk instead of looping on it.
    std::vector<uint8_t> zero = modelFile({Chunk3DS{0x1234, {}, {}}, object("o", {fileVertices({1, 2, 3})})});
    size_t at = 6 + 10 + 6;   // main header, version chunk, editor header: the first editor sub-chunk
    zero[at + 2] = zero[at + 3] = zero[at + 4] = zero[at + 5] = 0;
    EXPECT_EQ(load(zero).numObjects, 0);
}

TEST(Model3dsHostile, CountsAreCutToWhatTheirChunkHolds)
{
    Chunk3DS v = fileVertices({1, 2, 3, 4, 5, 6});
    v.data[0] = 0xFF;   // claims 255 vertices, holds 2
    v.data[1] = 0x00;
    Chunk3DS f = faces({0, 1, 1});
    f.data[0] = 0x50;   // claims 80 triangles, holds 1
    Chunk3DS g = group("m", {0});
    g.data[2] = 0x30;   // claims 48 entries, holds 1
    f.children = {g};
    Model_3DS model = load(modelFile({object("o", {v, f})}));
    const ModelObject& o = model.objects[0];
    EXPECT_EQ(o.numVertices, 2);
    EXPECT_EQ(o.vertices.size(), 6u);
    EXPECT_EQ(o.numFaceIndices, 3);
    // The group's chunk had its count cut to what it holds, so its one entry lies in the
    // triangle list's data; whatever it names, no index may pass the vertex count.
    for (const MaterialFaces& grp : o.materialGroups)
        for (uint16_t i : grp.indices) EXPECT_LT(i, 2);
}

TEST(Model3dsHostile, IndicesBeyondTheirArraysAreDropped)
{
    Chunk3DS f = faces({0, 1, 2, 0, 1, 9, 2, 1, 0}, {group("m", {0, 1, 2, 3, 200})});
    Model_3DS model = load(modelFile({materialChunk({"m", {1, 1, 1}, ""}),
                                      object("o", {fileVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}), f})}));
    const ModelObject& o = model.objects[0];
    EXPECT_EQ(o.numFaceIndices, 6) << "the triangle naming vertex 9 is dropped";
    EXPECT_EQ(o.faces, (std::vector<uint16_t>{0, 1, 2, 2, 1, 0}));
    ASSERT_EQ(o.numMaterialGroups, 1);
    // Triangle 1 was dropped and 3 and 200 do not exist: file triangles 0 and 2 stay.
    EXPECT_EQ(o.materialGroups[0].indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(o.materialGroups[0].indices.size(), 6u);
}

TEST(Model3dsHostile, ShortMappingIsPaddedAndLongNamesAreCut)
{
    Chunk3DS mapping = chunk(kChunkMapping);
    mapping.u16(1).f32(0.5f).f32(0.5f);
    std::string longName(200, 'x');
    Chunk3DS o = chunk(kChunkObject);
    o.raw(std::vector<uint8_t>(longName.begin(), longName.end()));   // no zero byte at all
    Model_3DS model = load(modelFile({object("o", {fileVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}), mapping}), o}));
    ASSERT_EQ(model.numObjects, 2);
    EXPECT_EQ(model.objects[0].numTexCoords, 1);
    EXPECT_EQ(model.objects[0].texCoords.size(), 6u) << "one pair per vertex for the vertex arrays";
    EXPECT_EQ(model.objects[1].name.size(), 79u);
}

TEST(Model3dsHostile, LaterMeshWithFewerVerticesDropsTheGroupsThatNoLongerFit)
{
    Chunk3DS first{kChunkMesh, {}, {fileVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}), faces({0, 1, 2}, {group("m", {0})})}};
    Chunk3DS second{kChunkMesh, {}, {fileVertices({5, 5, 5})}};
    Chunk3DS o = chunk(kChunkObject);
    o.text("o").add(first).add(second);
    Model_3DS model = load(modelFile({o}));
    const ModelObject& obj = model.objects[0];
    EXPECT_EQ(obj.numVertices, 1);
    ASSERT_EQ(obj.numMaterialGroups, 1);
    EXPECT_EQ(obj.materialGroups[0].indices.size(), 0u);
    EXPECT_EQ(obj.numFaceIndices, 0);
}

TEST(BlendedSort, SortFramesAreZeroAndThirtyOfEachSecondsWindow)
{
    for (int counter = 0; counter < 120; ++counter)
        EXPECT_EQ(isSortFrame(static_cast<float>(counter)), counter == 0 || counter == 30) << counter;
    EXPECT_FALSE(isSortFrame(0.5f));
}
