// A three-masted sailing ship in its own model axes (y up, bow toward -z, waterline at y = 2):
// lofted hull with a painted stripe, deck, masts and yards, billowing sails, rigging and flags.
#pragma once

#include "mesh_builder.h"
#include "picture.h"

#include <cstdint>

constexpr double kShipWaterline = 2.0;      // model y that sits at the sea surface
constexpr double kShipKeel = -4.0;          // deepest point of the hull
constexpr double kShipHullLength = 46.0;    // stem to transom, along z
constexpr int kShipTriangleBudget = 6000;
constexpr int kShipHullTextureWidth = 256, kShipHullTextureHeight = 512;
constexpr int kShipDeckTextureSize = 256;

// The seed varies the sails' fill and the flags' wave; the build is the same ship.
ModelDescription makeShipModel(uint64_t seed);
// "shiphull.jpg": planking in bands of paint by height (the hull maps it by model y).
Picture makeShipHullTexture(uint64_t seed);
// "shipdeck.jpg": deck planks running fore and aft.
Picture makeShipDeckTexture(uint64_t seed);
