// Sky dome geometry (rings of elevation, denser near the horizon) and its painted picture.
#include "sky_model.h"

#include "island.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

static constexpr double kPi = 3.14159265358979323846;
static constexpr int kSkySegments = 48;
// Ring elevations in degrees: close together near the horizon, where the haze changes fastest.
static constexpr double kSkyRings[] = {kSkySkirtDegrees, -8, -3, 0, 2, 5, 9, 14, 20, 27, 35, 44, 54, 65, 77};
static constexpr double kRimShare = 0.5;        // the skirt's edge lies on the picture's inscribed circle
static const char* const kSkyMaterial = "sky";

void skyTexCoord(double elevationDegrees, double dx, double dz, double& u, double& v)
{
    double r = kRimShare * (90.0 - elevationDegrees) / (90.0 - kSkySkirtDegrees);
    u = 0.5 + r * dx;
    v = 0.5 + r * dz;
}

ModelDescription makeSkyModel()
{
    MeshBuilder mesh("sky");
    const int rings = static_cast<int>(std::size(kSkyRings));
    for (int r = 0; r < rings; ++r) {
        double e = kSkyRings[r] * kPi / 180.0;
        for (int s = 0; s < kSkySegments; ++s) {
            double a = 2 * kPi * s / kSkySegments;
            double dx = std::cos(a), dz = std::sin(a);
            Vec3 p{kSkyRadius * std::cos(e) * dx, kSkyRadius * std::sin(e), kSkyRadius * std::cos(e) * dz};
            double u, v;
            skyTexCoord(kSkyRings[r], dx, dz, u, v);
            mesh.vertex(p, p * -1.0, u, v);
        }
    }
    uint16_t zenith = mesh.vertex({0, kSkyRadius, 0}, {0, -1, 0}, 0.5, 0.5);
    // Azimuth runs from +x toward +z; each quad goes along its lower ring, then up, so that it
    // is counter-clockwise seen from inside the dome.
    auto at = [](int r, int s) { return static_cast<uint16_t>(r * kSkySegments + (s % kSkySegments)); };
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < kSkySegments; ++s)
            mesh.quad(at(r, s), at(r, s + 1), at(r + 1, s + 1), at(r + 1, s), kSkyMaterial);
    for (int s = 0; s < kSkySegments; ++s) mesh.triangle(at(rings - 1, s), at(rings - 1, s + 1), zenith, kSkyMaterial);

    ModelDescription model;
    model.materials = {{kSkyMaterial, {150, 185, 225}, "sky.jpg"}};
    model.objects.push_back(mesh.finish());
    return model;
}

namespace {
struct Rgb {
    double r, g, b;
};
Rgb blend(Rgb a, Rgb b, double t) { return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)}; }

const Rgb kZenith{0.16, 0.36, 0.74};
const Rgb kHighSky{0.30, 0.55, 0.86};
const Rgb kHorizonHaze{0.74, 0.84, 0.92};
const Rgb kSeaHorizon{0.50, 0.62, 0.70};     // below the horizon: the far sea seen through haze
const Rgb kSunGlow{1.00, 0.86, 0.62};
const Rgb kSunCore{1.00, 0.98, 0.90};
const Rgb kCloudLit{1.00, 0.99, 0.96};
const Rgb kCloudShade{0.70, 0.74, 0.82};
}

Picture makeSkyTexture(uint64_t seed)
{
    const uint32_t cloudSeed = static_cast<uint32_t>(seed * 2654435761u + 101u);
    const double sunLength = std::hypot(kSunAzimuthX, kSunAzimuthZ);
    const double sunX = kSunAzimuthX / sunLength, sunZ = kSunAzimuthZ / sunLength;
    const double sunElevation = kSunElevationDegrees * kPi / 180.0;
    const Vec3 sun{std::cos(sunElevation) * sunX, std::sin(sunElevation), std::cos(sunElevation) * sunZ};

    Picture picture(kSkyTextureSize, kSkyTextureSize, 3);
    for (int py = 0; py < kSkyTextureSize; ++py)
        for (int px = 0; px < kSkyTextureSize; ++px) {
            double u = (px + 0.5) / kSkyTextureSize, v = 1.0 - (py + 0.5) / kSkyTextureSize;
            double ox = u - 0.5, oz = v - 0.5;
            double r = std::hypot(ox, oz);
            // Past the rim (the picture's corners) the skirt colour carries on, so filtering at
            // the rim never picks up anything else.
            double elevationDegrees = std::max(kSkySkirtDegrees, 90.0 - r / kRimShare * (90.0 - kSkySkirtDegrees));
            double dx = r > 0 ? ox / r : 1, dz = r > 0 ? oz / r : 0;
            double e = elevationDegrees * kPi / 180.0;
            Vec3 dir{std::cos(e) * dx, std::sin(e), std::cos(e) * dz};

            double height = std::max(0.0, std::sin(e));
            Rgb colour = blend(kHighSky, kZenith, std::pow(height, 0.8));
            colour = blend(kHorizonHaze, colour, std::pow(height, 0.35));
            // Warm light toward the sun: a wide glow low over the sea and a small bright core.
            double toSun = std::max(0.0, dot(dir, sun));
            double horizontalToSun = std::max(0.0, dx * sunX + dz * sunZ);
            double glow = 0.45 * std::pow(toSun, 8.0) + 0.35 * std::pow(horizontalToSun, 3.0) * std::exp(-height * 6.0);
            colour = blend(colour, kSunGlow, std::min(1.0, glow));
            double angle = std::acos(std::min(1.0, dot(dir, sun)));
            colour = blend(colour, kSunCore, std::exp(-std::pow(angle / 0.035, 2.0)) + 0.3 * std::exp(-angle / 0.09));

            // Clouds on a flat layer overhead: near the horizon they crowd and flatten.
            if (elevationDegrees > -1.0) {
                double spread = 1.0 / (std::max(height, 0.0) + 0.12);
                double cx = dir.x * spread * 1.6, cz = dir.z * spread * 1.6;
                double warp = fbm(cx * 0.7 + 11.0, cz * 0.7 - 4.0, 3, cloudSeed + 7);
                double density = fbm(cx + warp * 0.8, cz * 1.6 + warp * 0.8, 6, cloudSeed);
                double cover = smoothstep(0.05, 0.55, density + 0.1 * fbm(cx * 4, cz * 4, 3, cloudSeed + 3));
                cover *= smoothstep(-1.0, 4.0, elevationDegrees) * (1.0 - 0.45 * std::pow(height, 2.0));
                double shade = smoothstep(0.1, 0.9, density - fbm(cx + 0.15 * sunX, cz * 1.6 + 0.15 * sunZ, 5, cloudSeed));
                Rgb cloud = blend(kCloudShade, kCloudLit, 0.5 + 0.5 * shade);
                cloud = blend(cloud, kSunGlow, 0.5 * std::pow(toSun, 6.0));
                // Distant clouds fade into the haze.
                cloud = blend(kHorizonHaze, cloud, smoothstep(0.0, 12.0, elevationDegrees) * 0.7 + 0.3);
                colour = blend(colour, cloud, cover * 0.9);
            }
            // Below the horizon the haze turns into the sea's far grey-blue within a few degrees.
            colour = blend(colour, kSeaHorizon, smoothstep(0.0, -4.0, elevationDegrees));

            float* p = picture.at(px, py);
            p[0] = static_cast<float>(colour.r), p[1] = static_cast<float>(colour.g), p[2] = static_cast<float>(colour.b);
        }
    return picture;
}
