// The sky: a dome with a skirt below the horizon, seen from inside, and its fisheye-mapped
// picture (zenith at the centre, the skirt at the rim) with haze, clouds and the sun's glow.
#pragma once

#include "mesh_builder.h"
#include "picture.h"

#include <cstdint>

constexpr double kSkyRadius = 75.0;             // model units; drawn at scale 30 and 36
constexpr double kSkySkirtDegrees = -15.0;      // lowest elevation the dome reaches
constexpr int kSkyTextureSize = 1024;

ModelDescription makeSkyModel();
Picture makeSkyTexture(uint64_t seed);

// Where a direction of the given elevation (degrees) and horizontal unit direction (dx, dz)
// lies on the sky picture, as texture coordinates.
void skyTexCoord(double elevationDegrees, double dx, double dz, double& u, double& v);
