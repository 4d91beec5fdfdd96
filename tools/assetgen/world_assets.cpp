// The world's catalogue functions over the island, the terrain painters and the flight.
#include "world_assets.h"

#include "flight_path.h"
#include "palm_models.h"
#include "ship_model.h"
#include "sky_model.h"
#include "island.h"
#include "terrain_assets.h"
#include "waypoints/wp_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

static constexpr int kJpegQuality = 92;

static uint32_t pictureSeed(uint64_t seed) { return static_cast<uint32_t>(seed * 2654435761u); }

static std::vector<uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> makeTerrain1Model(uint64_t seed) { return encode3DS(terrain1Model(islandFor(seed))); }
std::vector<uint8_t> makeTerrain1Normals(uint64_t seed) { return textBytes(normalsText(terrain1Model(islandFor(seed)))); }
std::vector<uint8_t> makeTerrain1Surface(uint64_t seed) { return encodePictureJpeg(terrain1Surface(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrain1Mixing(uint64_t seed) { return encodePictureJpeg(terrain1Mixing(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrain1Light(uint64_t seed) { return encodePictureJpeg(terrain1Light(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrainDetail(uint64_t seed) { return encodePictureJpeg(terrainDetail(pictureSeed(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrain2Model(uint64_t seed) { return encode3DS(terrain2Model(islandFor(seed))); }
std::vector<uint8_t> makeTerrain2Normals(uint64_t seed) { return textBytes(normalsText(terrain2Model(islandFor(seed)))); }
std::vector<uint8_t> makeTerrain2Surface(uint64_t seed) { return encodePictureJpeg(terrain2Surface(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrain2Mixing(uint64_t seed) { return encodePictureJpeg(terrain2Mixing(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeTerrain2Light(uint64_t seed) { return encodePictureJpeg(terrain2Light(islandFor(seed)), kJpegQuality); }
std::vector<uint8_t> makeWaterDistortion(uint64_t seed) { return encodePictureJpeg(waterDistortion(pictureSeed(seed) + 1), kJpegQuality); }

std::vector<uint8_t> makeShipModel3ds(uint64_t seed) { return encode3DS(makeShipModel(seed)); }
std::vector<uint8_t> makeShipNormals(uint64_t seed) { return textBytes(normalsText(makeShipModel(seed))); }
std::vector<uint8_t> makeShipHull(uint64_t seed) { return encodePictureJpeg(makeShipHullTexture(seed), kJpegQuality); }
std::vector<uint8_t> makeShipDeck(uint64_t seed) { return encodePictureJpeg(makeShipDeckTexture(seed), kJpegQuality); }
std::vector<uint8_t> makePalmTrunkModel(uint64_t seed) { return encode3DS(makePalmTrunks(islandFor(seed))); }
std::vector<uint8_t> makePalmTrunkNormals(uint64_t seed) { return textBytes(normalsText(makePalmTrunks(islandFor(seed)))); }
std::vector<uint8_t> makePalmLeafModel(uint64_t seed) { return encode3DS(makePalmLeaves(islandFor(seed))); }
std::vector<uint8_t> makePalmLeafNormals(uint64_t seed) { return textBytes(normalsText(makePalmLeaves(islandFor(seed)))); }
std::vector<uint8_t> makePalmBark(uint64_t seed) { return encodePictureJpeg(makeBarkTexture(seed), kJpegQuality); }
std::vector<uint8_t> makePalmLeaf(uint64_t seed) { return encodePictureTga(makeLeafTexture(seed)); }
std::vector<uint8_t> makeSkyDome(uint64_t) { return encode3DS(makeSkyModel()); }
std::vector<uint8_t> makeSkyNormals(uint64_t) { return textBytes(normalsText(makeSkyModel())); }
std::vector<uint8_t> makeSkyPicture(uint64_t seed) { return encodePictureJpeg(makeSkyTexture(seed), kJpegQuality); }

std::vector<uint8_t> makeFlightPath(uint64_t seed)
{
    const Island& island = islandFor(seed);
    std::vector<Waypoint> path = islandFlightPath(island);
    PathReport report = checkFlightPath(island, path);
    std::fprintf(stderr, "assetgen: wp.dat: %s\n", describe(report).c_str());
    if (!report.problems.empty()) return {};
    return encodeWaypointFile(path);
}

namespace {

void dot(Picture& p, double fx, double fy, double radius, const float colour[3])
{
    for (int y = static_cast<int>(fy - radius); y <= static_cast<int>(fy + radius); ++y)
        for (int x = static_cast<int>(fx - radius); x <= static_cast<int>(fx + radius); ++x)
            if (x >= 0 && y >= 0 && x < p.width && y < p.height && std::hypot(x - fx, y - fy) <= radius)
                std::copy(colour, colour + 3, p.at(x, y));
}

// Pastes a picture scaled (nearest) into a square cell of the sheet.
void paste(Picture& sheet, const Picture& picture, int cellX, int cellY, int cell)
{
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) {
            const float* src = picture.at(x * picture.width / cell, y * picture.height / cell);
            float* dst = sheet.at(cellX * cell + x, cellY * cell + y);
            for (int k = 0; k < 3; ++k) dst[k] = src[std::min(k, picture.channels - 1)];
        }
}

} // namespace

bool writeWorldPreview(uint64_t seed, const std::string& folder)
{
    const Island& island = islandFor(seed);
    // Top-down map: the surface colour on land, the sea tinted by depth.
    const int size = 1024;
    const double extent = 650.0;
    Picture map(size, size, 3);
    auto toPixel = [&](double x, double z, double& px, double& py) {
        px = (x + extent) / (2 * extent) * size;
        py = (1.0 - (z + extent) / (2 * extent)) * size;
    };
    Picture surface = terrain1Surface(island);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            double x = -extent + 2 * extent * (i + 0.5) / size, z = -extent + 2 * extent * (1.0 - (j + 0.5) / size);
            bool inside = std::fabs(x) < kIslandExtent && std::fabs(z) < kIslandExtent;
            double h = inside ? std::max(island.sampledHeight(x, z), island.seaFloor(x, z)) : island.seaFloor(x, z);
            float* p = map.at(i, j);
            if (inside && h > 0.0) {
                int si = static_cast<int>((x + kIslandExtent) / (2 * kIslandExtent) * surface.width);
                int sj = static_cast<int>((1.0 - (z + kIslandExtent) / (2 * kIslandExtent)) * surface.height);
                std::copy(surface.at(si, sj), surface.at(si, sj) + 3, p);
            } else {
                double depth = std::clamp(-h / 40.0, 0.0, 1.0);
                p[0] = static_cast<float>(0.25 - 0.2 * depth);
                p[1] = static_cast<float>(0.75 - 0.4 * depth);
                p[2] = static_cast<float>(0.80 - 0.25 * depth);
            }
        }
    const float palmColour[3] = {0.05f, 0.35f, 0.05f}, shipColour[3] = {0.45f, 0.25f, 0.1f};
    const float pathColour[3] = {0.9f, 0.1f, 0.1f}, waypointColour[3] = {1.0f, 1.0f, 0.2f};
    double px, py;
    for (const Palm& palm : island.palms()) {
        toPixel(palm.x, palm.z, px, py);
        dot(map, px, py, 4, palmColour);
    }
    const ShipPlacement& ship = island.ship();
    double turn = ship.turnYDegrees * 3.14159265358979 / 180.0;   // the ship's length turned about y
    for (double s = -ship.length / 2; s <= ship.length / 2; s += 1.0) {
        toPixel(ship.x + std::sin(turn) * s, ship.z + std::cos(turn) * s, px, py);
        dot(map, px, py, 3, shipColour);
    }
    std::vector<Waypoint> path = islandFlightPath(island);
    for (size_t i = 0; i + 1 < path.size(); ++i)
        for (int k = 0; k < 20; ++k) {
            double t = k / 20.0;
            toPixel(path[i].x + (path[i + 1].x - path[i].x) * t, path[i].z + (path[i + 1].z - path[i].z) * t, px, py);
            dot(map, px, py, 1.2, pathColour);
        }
    for (const Waypoint& w : path) {
        toPixel(w.x, w.z, px, py);
        dot(map, px, py, 2.5, waypointColour);
    }
    bool ok = writePicturePng(folder + "/island-map.png", map);

    const int cell = 256;
    std::vector<Picture> pictures = {surface, terrain1Mixing(island), terrain1Light(island),
                                     terrainDetail(pictureSeed(seed)), terrain2Surface(island), terrain2Mixing(island),
                                     terrain2Light(island), waterDistortion(pictureSeed(seed) + 1),
                                     makeSkyTexture(seed), makeShipHullTexture(seed), makeShipDeckTexture(seed),
                                     makeBarkTexture(seed), makeLeafTexture(seed)};
    Picture sheet(cell * 4, cell * 4, 3);
    for (size_t i = 0; i < pictures.size(); ++i) paste(sheet, pictures[i], static_cast<int>(i % 4), static_cast<int>(i / 4), cell);
    return writePicturePng(folder + "/textures.png", sheet) && ok;
}
