// The two terrains as 3DS models with their normals, and their four textures each: surface
// colour, mixing map (how much of each detail layer applies: red sand, green vegetation,
// blue rock), the tileable detail (the same three layers as its channels) and the baked light.
// Texture coordinates run over the terrain's square: u along x, v along z, both 0 to 1.
#pragma once

#include "model_writer.h"
#include "picture.h"

#include <cstdint>

class Island;

// Grid of terrain 1 and the polar sea floor of terrain 2 (plus one object per distant island).
ModelDescription terrain1Model(const Island& island);
ModelDescription terrain2Model(const Island& island);

Picture terrain1Surface(const Island& island);
Picture terrain1Mixing(const Island& island);
Picture terrain1Light(const Island& island);
Picture terrain2Surface(const Island& island);
Picture terrain2Mixing(const Island& island);
Picture terrain2Light(const Island& island);
Picture terrainDetail(uint32_t seed);
// Tileable water distortion: two channels of smooth noise derivatives around mid-grey.
Picture waterDistortion(uint32_t seed);

constexpr int kTerrain1Cells = 120;          // grid cells a side
constexpr int kTerrain2Rings = 40, kTerrain2Sectors = 72;
constexpr int kDistantIslandCells = 22;
constexpr int kTerrainTextureSize = 1024, kDetailTextureSize = 512, kDudvTextureSize = 256;
// The light map stores light / kLightScale, so lit ground can be brighter than its colour.
constexpr double kLightScale = 1.25;
