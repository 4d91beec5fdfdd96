// The island world that every visual asset is made from, in world units (y up, sea level 0):
// the ground of terrain 1 (island, beaches, shelf), the sea floor of terrain 2 with a few
// distant islands, where the palms stand, and where the ship lies. Made once per seed.
#pragma once

#include <cstdint>
#include <vector>

// How the engine places the models (scale 2, then its offset): world = 2 × model + offset.
constexpr double kTerrain1OffsetY = -22.6;
constexpr double kTerrain2OffsetY = -22.4;
constexpr double kPalmOffsetY = -22.2;
constexpr double kModelScale = 2.0;

constexpr double kIslandExtent = 500.0;     // terrain 1 covers [-500, 500] in x and z
constexpr double kSeaFloorExtent = 4000.0;  // terrain 2 reaches past the far plane from anywhere on the path
constexpr double kSunAzimuthX = -400.0, kSunAzimuthZ = -300.0;   // toward the scene's light
constexpr double kSunElevationDegrees = 24.0;                     // the baked light's sun height

struct Palm {
    double x = 0, z = 0, baseY = 0;     // world position of the foot
    double height = 0;                  // world units, 10 to 20
    double leanX = 0, leanZ = 0;        // horizontal unit direction of the lean
    double lean = 0;                    // top offset as a share of the height
    double turn = 0;                    // crown rotation, radians
    uint32_t seed = 0;
};

struct DistantIsland {
    double x = 0, z = 0, radius = 0, peak = 0;
};

struct ShipPlacement {
    double x = 0, y = -2.0, z = -500.0;
    double turnYDegrees = 30.0, tiltXDegrees = -2.0;
    double length = 52.0;
};

class Island {
public:
    explicit Island(uint64_t seed);

    // Ground of terrain 1 at a world point (analytic; slow, use for building grids).
    double height(double x, double z) const;
    // Terrain 2: the sea floor with the distant islands; the floor alone; one distant island's
    // ground (under the floor at its rim).
    double seaFloor(double x, double z) const;
    double seaFloorBase(double x, double z) const;
    double distantIslandHeight(const DistantIsland& island, double x, double z) const;
    // The coast radius in a direction (radians about the y axis, from +x toward +z).
    double coastRadius(double angle) const;

    // Terrain 1 sampled on a regular grid over [-kIslandExtent, kIslandExtent]; bilinear lookups.
    double sampledHeight(double x, double z) const;
    // Height and the slope (rise over run) of the sampled ground.
    double slope(double x, double z) const;

    const std::vector<Palm>& palms() const { return palms_; }
    const std::vector<DistantIsland>& distantIslands() const { return distant_; }
    const ShipPlacement& ship() const { return ship_; }
    uint32_t seed() const { return seed_; }
    // Where the two peaks stand (x, z) and how high the first rises before its rocks.
    double peakX(int i) const { return peakX_[i]; }
    double peakZ(int i) const { return peakZ_[i]; }

    static constexpr int kGrid = 1025;   // samples a side of the height grid

private:
    void placePalms();
    uint32_t seed_;
    double headlandAngle_, bayAngle_;
    double peakX_[2], peakZ_[2], peakHeight_[2], peakWidth_[2];
    std::vector<DistantIsland> distant_;
    std::vector<float> grid_;
    std::vector<Palm> palms_;
    ShipPlacement ship_;
};

// The island of a seed, made on first use and shared by every asset (safe across threads).
const Island& islandFor(uint64_t seed);
