// The scene's passes under a real context: what each pass draws, where the sea comes in the main
// pass and what it clips, the leaves' sorting, and the lighting and blending each pass leaves.
#include "base/frame_timer.h"
#include "camera/camera.h"
#include "engine/world/world_gl_fixture.h"
#include "world/scene.h"
#include "world/shader_set.h"
#include "world/terrain.h"

// Flat squares seen from above, each in a colour of its own, stand in for the scene's models.
static ModelDescription flatSquare(float cx, float cz, float half, const char* material, std::array<uint8_t, 3> colour)
{
    ModelDescription d;
    d.materials = {{material, {colour[0], colour[1], colour[2]}, ""}};
    ObjectDescription o;
    o.name = material;
    o.vertices = {cx - half, 0, cz - half, cx - half, 0, cz + half, cx + half, 0, cz + half, cx + half, 0, cz - half};
    o.texCoords = {0, 0, 0, 1, 1, 1, 1, 0};
    o.triangles = {0, 1, 2, 0, 2, 3};
    o.groups = {{material, {0, 1}}};
    d.objects.push_back(o);
    return d;
}

class SceneGl : public WorldGl {
protected:
    Model_3DS sky, ship, trunks, leaves;
    Terrain ground;
    ShaderSet shaders;
    Camera camera;
    SceneObjects scene;
    void SetUp() override
    {
        WorldGl::SetUp();
        if (HasFatalFailure()) return;
        ModelDescription ground1 = flatSquare(0, 300, 40, "ground", {255, 255, 255});
        PackEntries entries = terrainAssets(ground1);
        auto addModel = [&](const char* name, const ModelDescription& d) {
            entries.push_back({name, encode3DS(d)});
            entries.push_back({std::string("n") + name, bytesOf(normalsText(d))});
        };
        addModel("sky.3ds", flatSquare(0, 0, 1, "sky", {0, 0, 255}));
        addModel("ship.3ds", flatSquare(0, 0, 20, "hull", {255, 0, 0}));
        addModel("trunk.3ds", flatSquare(300, 0, 30, "bark", {0, 255, 0}));
        addModel("leaf.3ds", flatSquare(-300, 0, 30, "leaf", {255, 255, 255}));
        openPack(entries);
        sky.loadFromPack(pack, "sky.3ds");
        ship.loadFromPack(pack, "ship.3ds");
        trunks.loadFromPack(pack, "trunk.3ds");
        leaves.loadFromPack(pack, "leaf.3ds");
        // Clipped like the engine's terrain program: in eye coordinates.
        writeText("t.vert", "void main() { gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex; gl_Position = ftransform(); }\n");
        writeText("yellow.frag", "void main() { gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0); }\n");
        shaders.createProgram("t.vert", "yellow.frag", kTerrainSlot);
        ground.shaders = &shaders;
        ground.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
        scene = {&sky, &ship, &trunks, &leaves, &ground, nullptr, &camera};
        ASSERT_TRUE(gl->bindFramebuffer());
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    void TearDown() override
    {
        ground.destroy();
        shaders.release();
        glDisable(GL_LIGHT1);
        WorldGl::TearDown();
    }
    // Looks straight down on x and z from -600 to 600 (x to the right, -z up the picture).
    std::vector<uint8_t> drawFromAbove(int pass)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-600, 600, -600, 600, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90, 1, 0, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScene(scene, pass);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "pass " << pass;
        if (pass != kPassAfterWater) {
            EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "pass " << pass;
        }
        return gl->readRgb();
    }
    static std::array<int, 3> at(const std::vector<uint8_t>& rgb, float x, float z)
    {
        int column = static_cast<int>((x + 600.0f) / 1200.0f * kContextSize);
        int row = static_cast<int>((z + 600.0f) / 1200.0f * kContextSize);
        return pixel(rgb, column, row);
    }
};

static bool black(const std::array<int, 3>& p) { return p[0] < 8 && p[1] < 8 && p[2] < 8; }
static bool mostly(const std::array<int, 3>& p, int channel)
{
    for (int c = 0; c < 3; ++c)
        if (c != channel && p[c] > p[channel] / 3) return false;
    return p[channel] > 40;
}

TEST_F(SceneGl, EachPassDrawsItsObjectsAndLeavesLightingAndBlendingOff)
{
    for (int pass : {kPassReflection, kPassRefraction, kPassMain}) {
        std::vector<uint8_t> rgb = drawFromAbove(pass);
        // The sky twice: 30 across its first copy's half, 36 for the second, so the ring between shows.
        EXPECT_TRUE(mostly(at(rgb, 0, 0), 2)) << pass;
        EXPECT_TRUE(mostly(at(rgb, 33, 0), 2)) << pass;
        EXPECT_TRUE(black(at(rgb, 40, 0))) << pass;
        // The ship at its place 500 out along -z, the trunks, the terrain.
        EXPECT_TRUE(mostly(at(rgb, 0, -500), 0)) << pass;
        EXPECT_TRUE(black(at(rgb, 0, -460))) << pass;
        EXPECT_TRUE(mostly(at(rgb, 300, 0), 1)) << pass;
        auto terrain = at(rgb, 0, 300);
        EXPECT_GT(terrain[0], 200) << pass;
        EXPECT_GT(terrain[1], 200) << pass;
        EXPECT_LT(terrain[2], 40) << pass;
        // The leaves only in the reflection.
        EXPECT_EQ(black(at(rgb, -300, 0)), pass != kPassReflection) << pass;
    }
    glEnable(GL_BLEND);
    std::vector<uint8_t> rgb = drawFromAbove(kPassAfterWater);
    EXPECT_FALSE(black(at(rgb, -300, 0)));
    for (auto [x, z] : {std::pair{0.0f, 0.0f}, {33.0f, 0.0f}, {0.0f, -500.0f}, {300.0f, 0.0f}, {0.0f, 300.0f}})
        EXPECT_TRUE(black(at(rgb, x, z))) << x << ", " << z;
    glDisable(GL_BLEND);
}

// The leaves are sorted after the sea on the frame timer's sort frames only (0 and 30).
TEST_F(SceneGl, TheLeavesAreSortedOnTheTimersSortFramesOnly)
{
    FrameTimer timer;
    scene.timer = &timer;
    camera.translation = {10.0f, 0.0f, 0.0f};
    timer.frameCounter = 1;
    drawFromAbove(kPassAfterWater);
    EXPECT_EQ(leaves.drawDistance, std::vector<float>{0.0f}) << "sorted on frame 1";
    timer.frameCounter = 30;
    drawFromAbove(kPassAfterWater);
    ASSERT_EQ(leaves.drawDistance.size(), 1u);
    EXPECT_GT(leaves.drawDistance[0], 0.0f) << "not sorted on frame 30";
    glDisable(GL_BLEND);
}

// What the sea hook saw of the picture when the main pass called it.
static int g_seaDraws = 0;
static bool g_clippedDuringSea = false;
static std::array<int, 3> g_skyUnderSea{}, g_groundUnderSea{};

// The main pass draws the sea once, in place: after the island's ground and before the sky. From
// an eye well above the sea whatever lies below the sea's lowest level (here the ground when it is
// lowered, and the test's sky and ship, which always lie there) is clipped away; from a low eye, an eye
// under the sea, or in the water's own passes it is drawn.
TEST_F(SceneGl, TheMainPassDrawsTheSeaAfterTheGroundAndClipsWhatTheSeaHides)
{
    scene.drawSea = [] {
        ++g_seaDraws;
        g_clippedDuringSea = glIsEnabled(GL_CLIP_PLANE0);
        std::vector<uint8_t> rgb(kContextSize * kContextSize * 3);
        glReadPixels(0, 0, kContextSize, kContextSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        auto seen = [&](float x, float z) {
            int column = static_cast<int>((x + 600.0f) / 1200.0f * kContextSize);
            int row = kContextSize - 1 - static_cast<int>((z + 600.0f) / 1200.0f * kContextSize);
            size_t i = (static_cast<size_t>(row) * kContextSize + column) * 3;
            return std::array<int, 3>{rgb[i], rgb[i + 1], rgb[i + 2]};
        };
        g_skyUnderSea = seen(0, 0);
        g_groundUnderSea = seen(0, 300);
    };
    struct Case {
        float groundY, eyeY;
        int pass;
        bool groundShown, deepShown;   // deep: the test's sky and ship, which lie below the sea
    };
    const Case cases[] = {
        {kSeaLowest - 0.5f, 100.0f, kPassMain, false, false},
        {kSeaLowest + 0.2f, 100.0f, kPassMain, true, false},                // above the lowest level: kept
        {kSeaLowest - 0.5f, kSeaHighest + 1.0f, kPassMain, true, true},     // the near plane may dip into the sea
        {kSeaLowest - 0.5f, -10.0f, kPassMain, true, true},                 // under the sea
        {kSeaLowest - 0.5f, 100.0f, kPassReflection, true, true},
        {kSeaLowest - 0.5f, 100.0f, kPassRefraction, true, true},
    };
    for (const Case& c : cases) {
        ground.setOffset(0.0f, c.groundY, 0.0f);
        camera.translation = {0.0f, -c.eyeY, 0.0f};
        g_seaDraws = 0;
        g_groundUnderSea = g_skyUnderSea = {-1, -1, -1};
        std::vector<uint8_t> rgb = drawFromAbove(c.pass);
        const std::string which = "ground " + std::to_string(c.groundY) + ", eye " + std::to_string(c.eyeY) +
                                  ", pass " + std::to_string(c.pass);
        EXPECT_EQ(!black(at(rgb, 0, 300)), c.groundShown) << which;
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0)) << which;
        EXPECT_TRUE(c.deepShown ? mostly(at(rgb, 0, 0), 2) : black(at(rgb, 0, 0))) << which << ": the sky";
        EXPECT_TRUE(c.deepShown ? mostly(at(rgb, 0, -500), 0) : black(at(rgb, 0, -500))) << which << ": the ship";
        EXPECT_TRUE(mostly(at(rgb, 300, 0), 1)) << which << ": the trunks";
        if (c.pass != kPassMain) {
            EXPECT_EQ(g_seaDraws, 0) << which;
            continue;
        }
        EXPECT_EQ(g_seaDraws, 1) << which;
        EXPECT_FALSE(g_clippedDuringSea) << which;
        EXPECT_TRUE(black(g_skyUnderSea)) << which << ": the sky came before the sea";
        EXPECT_EQ(!black(g_groundUnderSea), c.groundShown) << which << ": the ground came after the sea";
    }
}

TEST_F(SceneGl, TheSecondSkyIsLowerAndTheShipPlacedAndTurned)
{
    drawFromAbove(kPassMain);
    // From above, nearer is higher: the first copy at -20 lies over the second at -25.
    auto depthAt = [](float x, float z) {
        GLfloat depth = 0;
        glReadPixels(static_cast<int>((x + 600.0f) / 1200.0f * kContextSize),
                     kContextSize - 1 - static_cast<int>((z + 600.0f) / 1200.0f * kContextSize), 1, 1,
                     GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    EXPECT_LT(depthAt(0, 0), depthAt(33, 0));
    EXPECT_FLOAT_EQ(sky.position[1], -25.0f);
    EXPECT_FLOAT_EQ(sky.scale, 36.0f);
    EXPECT_FLOAT_EQ(ship.rotation[0], -2.0f);
    EXPECT_FLOAT_EQ(ship.rotation[1], 30.0f);
    EXPECT_FLOAT_EQ(ship.position[1], -2.0f);
    EXPECT_FLOAT_EQ(ship.position[2], -500.0f);
    // Light 1 stays on, set in the world: its position went through the view's matrix.
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLfloat position[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[0], -400.0f);   // rotated about x by 90 degrees: (x, -z, y)
    EXPECT_NEAR(position[1], 300.0f, 1e-3);
    EXPECT_NEAR(position[2], 10.0f, 1e-3);
}
