// Drawing a loaded model with client vertex arrays, one glDrawElements per material group:
// opaque, or blended with depth writes off in a far-to-near order refreshed twice a second.
#include "assets/model_3ds.h"

#include <epoxy/gl.h>
#include <cmath>

// The frame counter values on which the blended draw re-sorts: twice in each second's window.
static constexpr float kSortFrameFirst = 0.0f;
static constexpr float kSortFrameSecond = 30.0f;

bool isSortFrame(float frameCounter) { return frameCounter == kSortFrameFirst || frameCounter == kSortFrameSecond; }

static void beginModelTransform(const Model_3DS& model)
{
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glTranslatef(model.position[0], model.position[1], model.position[2]);
    glRotatef(model.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef(model.rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef(model.rotation[2], 0.0f, 0.0f, 1.0f);
    glScalef(model.scale, model.scale, model.scale);
}

static void endModelTransform()
{
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}

static void setObjectArrays(const ModelObject& object)
{
    if (object.textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, object.texCoords.data());
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, object.normals.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, object.vertices.data());
}

// A group whose material name matched nothing draws with no texture bound.
static GLuint groupTexture(const Model_3DS& model, const MaterialFaces& group)
{
    if (group.material < 0 || group.material >= model.numMaterials) return 0;
    return model.materials[static_cast<size_t>(group.material)].texture;
}

static void drawGroup(const MaterialFaces& group)
{
    if (!group.indices.empty())
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(group.indices.size()), GL_UNSIGNED_SHORT, group.indices.data());
}

void Model_3DS::draw(bool bindTextures)
{
    beginModelTransform(*this);
    for (const ModelObject& object : objects) {
        setObjectArrays(object);
        for (const MaterialFaces& group : object.materialGroups) {
            if (bindTextures) glBindTexture(GL_TEXTURE_2D, groupTexture(*this, group));
            drawGroup(group);
        }
    }
    endModelTransform();
}

void Model_3DS::sortDrawOrder(float x, float y, float z)
{
    const size_t n = objects.size();
    drawOrder.resize(n);
    drawDistance.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const float* p = objects[k].referencePoint;
        float dx = p[0] + x, dy = p[1] + y, dz = p[2] + z;   // from the viewpoint (-x, -y, -z)
        drawOrder[k] = static_cast<int32_t>(k);
        drawDistance[k] = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    // Exchange sort, farthest first; neighbours swap only when the later one is strictly farther.
    for (size_t pass = 0; pass + 1 < n; ++pass)
        for (size_t k = 0; k + 1 < n - pass; ++k)
            if (drawDistance[k + 1] > drawDistance[k]) {
                std::swap(drawDistance[k], drawDistance[k + 1]);
                std::swap(drawOrder[k], drawOrder[k + 1]);
            }
}

void Model_3DS::drawBlended(bool bindTextures, bool sort, float x, float y, float z)
{
    if (sort) sortDrawOrder(x, y, z);
    beginModelTransform(*this);
    for (int32_t index : drawOrder) {
        if (index < 0 || index >= numObjects) continue;
        const ModelObject& object = objects[static_cast<size_t>(index)];
        setObjectArrays(object);
        for (const MaterialFaces& group : object.materialGroups) {
            if (bindTextures) glBindTexture(GL_TEXTURE_2D, groupTexture(*this, group));
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
            drawGroup(group);
            glDisable(GL_BLEND);
            glDepthMask(GL_TRUE);
        }
    }
    endModelTransform();
}
