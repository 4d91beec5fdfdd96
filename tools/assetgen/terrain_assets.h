// The two terrains as 3DS models with their normals, and their four textures each: surface
// colour, mixing map (how much of each detail layer applies: red sand, green vegetation,
// blue rock), the tileable detail (the same three layers as its channels) and the baked light.
// Texture coordinates run over the terrain's square: u along x, v along z, both 0 to 1.
#pragma once

#include "model_writer.h"
#include "picture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Island;

// Grid of terrain 1 and the polar sea floor of terrain 2 (plus one object per distant island).
// Terrain 1's grid is finer where the ground is high and steep and the flight comes close.
ModelDescription terrain1Model(const Island& island);
// How often each base cell of terrain 1 (rows along z, kTerrain1Cells a side) is halved, 0 to
// kTerrain1Levels; neighbouring cells differ by at most one.
std::vector<int> terrain1Levels(const Island& island);
ModelDescription terrain2Model(const Island& island);

Picture terrain1Surface(const Island& island);
Picture terrain1Mixing(const Island& island);
Picture terrain1Light(const Island& island);
Picture terrain2Surface(const Island& island);
Picture terrain2Mixing(const Island& island);
Picture terrain2Light(const Island& island);
Picture terrainDetail(uint32_t seed);
// The detail map's rock channel at (u, v) in lattice cells of a tile cells wide: around 0.5,
// darker along the cracks; and the cracks alone, 1 on a crack to 0 on whole stone. The cracks
// run, fork and end rather than close into rings.
double rockDetail(double u, double v, int cells, uint32_t seed);
double rockCracks(double u, double v, int cells, uint32_t seed);
// Tileable water distortion: two channels of smooth noise derivatives around mid-grey.
Picture waterDistortion(uint32_t seed);

constexpr int kTerrain1Cells = 120;          // base grid cells a side
constexpr int kTerrain1Levels = 2;           // a base cell is halved at most this often
// Where the base cells are halved: once where the ground rises above kFinerHeight, steeper than
// kFinerSlope, within kFinerRange of the flight; to the finest level where it is higher, steeper
// and nearer still. Elsewhere the flight keeps its distance and the base grid serves.
constexpr double kFinerHeight = 16.0, kFinerSlope = 0.5, kFinerRange = 80.0;
constexpr double kFinestHeight = 40.0, kFinestSlope = 0.8, kFinestRange = 35.0;
// The 3DS format counts vertices and triangles of an object in 16 bits.
constexpr size_t kModelIndexLimit = 65535;
constexpr int kTerrain2Rings = 40, kTerrain2Sectors = 72;
constexpr int kDistantIslandCells = 22;
constexpr int kTerrainTextureSize = 1024, kDetailTextureSize = 512, kDudvTextureSize = 256;
// The light map stores light / kLightScale, so lit ground can be brighter than its colour.
constexpr double kLightScale = 1.25;
