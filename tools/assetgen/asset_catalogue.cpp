// The catalogue of generated assets, in the order they are written.
#include "asset_catalogue.h"

#include "sound_assets.h"

const std::vector<AssetMaker>& assetCatalogue()
{
    static const std::vector<AssetMaker> catalogue = {
        {"seagulls.mp3", makeSeagullsMp3},
        {"ocean.mp3", makeOceanMp3},
        {"tr1.ogg", makeTuneOgg},
    };
    return catalogue;
}
