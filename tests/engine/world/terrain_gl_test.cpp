// The terrain's recorded draw under a real context: the program, pictures and detail size its
// display list binds, its scale and offset, and the state it leaves.
#include "engine/world/world_gl_fixture.h"
#include "world/shader_set.h"
#include "world/terrain.h"

// A unit square facing +z in the x-y plane from (0, 0) to (1, 1), with texture coordinates.
static ModelDescription wall()
{
    ModelDescription d;
    d.materials = {{"ground", {255, 255, 255}, ""}};
    ObjectDescription o;
    o.name = "wall";
    o.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    o.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    o.triangles = {0, 1, 2, 0, 2, 3};
    o.groups = {{"ground", {0, 1}}};
    d.objects.push_back(o);
    return d;
}

// A shader that shows which picture sits on which unit: red of the surface, green of the
// mixing map, blue of the detail map; or, in the second form, dsize and the shadow map.
static const char* const kUnitsFragment =
    "uniform sampler2D SurfaceTex, MixingTex, DetailTex, ShadowTex;\nuniform float dsize;\n"
    "void main() { vec2 c = gl_TexCoord[0].st;\n"
    "  gl_FragColor = vec4(texture2D(SurfaceTex, c).r, texture2D(MixingTex, c).g, texture2D(DetailTex, c).b, 1.0); }\n";
static const char* const kSizeFragment =
    "uniform sampler2D SurfaceTex, MixingTex, DetailTex, ShadowTex;\nuniform float dsize;\n"
    "void main() { gl_FragColor = vec4(dsize / 100.0, texture2D(ShadowTex, gl_TexCoord[0].st).g, 0.0, 1.0); }\n";
static const char* const kTexturedVertex =
    "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }\n";

// Looks at world x from -4 to 4 and y from -26 to -18 across the whole framebuffer.
static void sideView()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -26, -18, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

static int rowOfY(float y) { return static_cast<int>((-18.0f - y) / 8.0f * kContextSize); }   // rows top first
static int columnOfX(float x) { return static_cast<int>((x + 4.0f) / 8.0f * kContextSize); }

TEST_F(WorldGl, TerrainRecordsItsProgramUnitsAndSizeAndScalesBeforeItsOffset)
{
    writeText("t.vert", kTexturedVertex);
    writeText("units.frag", kUnitsFragment);
    writeText("size.frag", kSizeFragment);
    openPack(terrainAssets(wall()));
    ASSERT_TRUE(gl->bindFramebuffer());

    // Two sets, so each list records a program of its own in the terrain slot.
    ShaderSet shaders, otherShaders;
    Terrain first, second;
    first.shaders = &shaders;
    second.shaders = &otherShaders;
    shaders.createProgram("t.vert", "units.frag", kTerrainSlot);
    first.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
    otherShaders.createProgram("t.vert", "size.frag", kTerrainSlot);
    second.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
    ASSERT_NE(first.displayList, 0u);
    // The same detail picture loaded twice gives each terrain its own texture.
    EXPECT_NE(first.detail, second.detail);
    EXPECT_NE(first.detail, 0u);

    // Scale 2 and then offset -11.3 in scaled units: the wall spans y -22.6 to -20.6, x 0 to 2.
    first.setScale(2, 2, 2);
    first.setOffset(0, -11.3f, 0);
    sideView();
    GLhandleARB stray = shaders.programs[kTerrainSlot];
    messUpState(stray);
    first.draw();
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    expectShadedDrawStateLeft();
    std::vector<uint8_t> rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {200, 150, 100});
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-22.8f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-20.4f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(-0.2f), rowOfY(-21.6f)), {0, 0, 0});

    // The second list recorded the other program, its size and the shadow map on unit 3.
    sideView();
    second.setScale(2, 2, 2);
    second.setOffset(0, -11.3f, 0);
    second.draw();
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    expectShadedDrawStateLeft();
    rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {163, 77, 0});

    // Moving it afterwards needs no new list.
    GLuint list = second.displayList;
    second.setOffset(1, -11.3f, 0);
    sideView();
    second.draw();
    EXPECT_EQ(second.displayList, list);
    rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(3.0f), rowOfY(-21.6f)), {163, 77, 0});

    first.destroy();
    second.destroy();
    EXPECT_FALSE(glIsList(list));
    shaders.release();
    otherShaders.release();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
