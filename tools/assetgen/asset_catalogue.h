// Every asset the generator can make: its file name in the pack and the function that makes its
// bytes from the seed. A new kind of asset adds its own module and its rows to the catalogue.
#pragma once

#include <cstdint>
#include <vector>

struct AssetMaker {
    const char* name;
    std::vector<uint8_t> (*make)(uint64_t seed);
};

const std::vector<AssetMaker>& assetCatalogue();

// The seed the build uses: the pack's assets are the same on every machine.
constexpr uint64_t kAssetSeed = 0x5155454C4D334Dull;
