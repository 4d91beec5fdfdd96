// The island world's pack assets, each made from the seed alone: the terrains with their
// normals files and textures, the water's distortion map and the camera path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> makeTerrain1Model(uint64_t seed);     // "ter.3ds"
std::vector<uint8_t> makeTerrain1Normals(uint64_t seed);   // "nter.3ds"
std::vector<uint8_t> makeTerrain1Surface(uint64_t seed);   // "terstex.jpg"
std::vector<uint8_t> makeTerrain1Mixing(uint64_t seed);    // "termtex.jpg"
std::vector<uint8_t> makeTerrain1Light(uint64_t seed);     // "tershtex.jpg"
std::vector<uint8_t> makeTerrainDetail(uint64_t seed);     // "terdtex.jpg"
std::vector<uint8_t> makeTerrain2Model(uint64_t seed);     // "ter2.3ds"
std::vector<uint8_t> makeTerrain2Normals(uint64_t seed);   // "nter2.3ds"
std::vector<uint8_t> makeTerrain2Surface(uint64_t seed);   // "ter2stex.jpg"
std::vector<uint8_t> makeTerrain2Mixing(uint64_t seed);    // "ter2mtex.jpg"
std::vector<uint8_t> makeTerrain2Light(uint64_t seed);     // "ter2shtex.jpg"
std::vector<uint8_t> makeWaterDistortion(uint64_t seed);   // "dudv.jpg"
std::vector<uint8_t> makeShipModel3ds(uint64_t seed);      // "ship.3ds"
std::vector<uint8_t> makeShipNormals(uint64_t seed);       // "nship.3ds"
std::vector<uint8_t> makeShipHull(uint64_t seed);          // "shiphull.jpg"
std::vector<uint8_t> makeShipDeck(uint64_t seed);          // "shipdeck.jpg"
std::vector<uint8_t> makePalmTrunkModel(uint64_t seed);    // "palm1_stv.3ds"
std::vector<uint8_t> makePalmTrunkNormals(uint64_t seed);  // "npalm1_stv.3ds"
std::vector<uint8_t> makePalmLeafModel(uint64_t seed);     // "palm1_lst.3ds"
std::vector<uint8_t> makePalmLeafNormals(uint64_t seed);   // "npalm1_lst.3ds"
std::vector<uint8_t> makePalmBark(uint64_t seed);          // "palmbark.jpg"
std::vector<uint8_t> makePalmLeaf(uint64_t seed);          // "palmleaf.tga"
std::vector<uint8_t> makeSkyDome(uint64_t seed);           // "sky.3ds"
std::vector<uint8_t> makeSkyNormals(uint64_t seed);        // "nsky.3ds"
std::vector<uint8_t> makeSkyPicture(uint64_t seed);        // "sky.jpg"
// "wp.dat"; empty (a failed asset) when the flight breaks one of its limits.
std::vector<uint8_t> makeFlightPath(uint64_t seed);

// The island seen from above with the palms, the ship and the flight drawn on it, and a
// contact sheet of the world's textures, as PNG files in the folder. False when one fails.
bool writeWorldPreview(uint64_t seed, const std::string& folder);
