// The palms of an island: the trunks (one object, tapered leaning cylinders with bark rings)
// and the leaves (one object per crown, its first vertex at the crown, fronds as drooping
// strips cut out by the leaf texture's alpha), with the bark and leaf pictures.
#pragma once

#include "island.h"
#include "mesh_builder.h"
#include "picture.h"

#include <cstdint>

constexpr int kPalmTrunkTriangleBudget = 6000;
constexpr int kPalmLeafTriangleBudget = 8000;
constexpr int kBarkTextureWidth = 256, kBarkTextureHeight = 512;
constexpr int kLeafTextureWidth = 512, kLeafTextureHeight = 256;   // along the frond, across it

// Model coordinates of a world point for the palm models (drawn at scale 2 after their offset).
Vec3 palmModelPoint(Vec3 world);
// World position of a palm's crown, where its trunk ends and its fronds start.
Vec3 palmCrown(const Palm& palm);

ModelDescription makePalmTrunks(const Island& island);
// Each frond has both windings (front and back faces), since culling would hide half of them.
ModelDescription makePalmLeaves(const Island& island);
Picture makeBarkTexture(uint64_t seed);
Picture makeLeafTexture(uint64_t seed);
