// Terrain loading, the recorded shaded draw and the per-frame list call.
#include "world/terrain.h"

#include "world/shader_set.h"

#include <epoxy/gl.h>

// Sampler names on texture units 0 to 3, in the order the units are set up.
static const char* const kSamplerNames[4] = {"SurfaceTex", "MixingTex", "DetailTex", "ShadowTex"};

// Records (or runs) the terrain program with its four textures around the model's own draw.
// Uniform locations are looked up now, while the list is being compiled.
static void shadedDraw(Terrain& terrain, ShaderSet& shaders)
{
    const TextureName textures[4] = {terrain.surface, terrain.mixing, terrain.detail, terrain.shadow};
    shaders.use(kTerrainSlot);
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
        shaders.setUniform1i(kSamplerNames[unit], unit);
    }
    shaders.setUniform1f("dsize", terrain.detailSize);
    // Unit 3 is active: the model's draw enables and then disables texturing on it.
    terrain.model.draw(false);
    for (int unit = 2; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    shaders.use(kNoProgram);
}

void Terrain::load(float size, ResourcePack& pack, const char* modelName, const char* surfaceName,
                   const char* mixingName, const char* detailName, const char* shadowName)
{
    model.loadFromPack(pack, modelName);
    loadTextureFromPack(pack, surfaceName, surface);
    loadTextureFromPack(pack, mixingName, mixing);
    loadTextureFromPack(pack, detailName, detail);
    loadTextureFromPack(pack, shadowName, shadow);
    detailSize = size;
    if (!shaders) return;
    displayList = glGenLists(1);
    glNewList(displayList, GL_COMPILE);
    shadedDraw(*this, *shaders);
    glEndList();
}

void Terrain::setScale(float x, float y, float z)
{
    scale[0] = x;
    scale[1] = y;
    scale[2] = z;
}

void Terrain::setOffset(float x, float y, float z)
{
    offset[0] = x;
    offset[1] = y;
    offset[2] = z;
}

void Terrain::draw() const
{
    glPushMatrix();
    glScalef(scale[0], scale[1], scale[2]);
    glTranslatef(offset[0], offset[1], offset[2]);
    if (displayList) glCallList(displayList);
    glPopMatrix();
    // The list ends on the fixed pipeline as it was when recorded; what follows is drawn with
    // today's (the picture's gamma may want a program in its place).
    if (displayList && shaders) shaders->use(kNoProgram);
}

void Terrain::destroy()
{
    if (displayList) glDeleteLists(displayList, 1);
    displayList = 0;
    model = Model_3DS();
}
