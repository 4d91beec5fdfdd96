// The catalogue of generated assets, in the order they are written.
#include "asset_catalogue.h"

#include "overlay_assets.h"
#include "sound_assets.h"
#include "world_assets.h"

const std::vector<AssetMaker>& assetCatalogue()
{
    static const std::vector<AssetMaker> catalogue = {
        // The slow ones first, so the workers finish together.
        {"tershtex.jpg", makeTerrain1Light},
        {"ter2shtex.jpg", makeTerrain2Light},
        {"ter.3ds", makeTerrain1Model},
        {"nter.3ds", makeTerrain1Normals},
        {"terstex.jpg", makeTerrain1Surface},
        {"termtex.jpg", makeTerrain1Mixing},
        {"terdtex.jpg", makeTerrainDetail},
        {"ter2.3ds", makeTerrain2Model},
        {"nter2.3ds", makeTerrain2Normals},
        {"ter2stex.jpg", makeTerrain2Surface},
        {"ter2mtex.jpg", makeTerrain2Mixing},
        {"dudv.jpg", makeWaterDistortion},
        {"wp.dat", makeFlightPath},
        {"sky.jpg", makeSkyPicture},
        {"sky.3ds", makeSkyDome},
        {"nsky.3ds", makeSkyNormals},
        {"ship.3ds", makeShipModel3ds},
        {"nship.3ds", makeShipNormals},
        {"shiphull.jpg", makeShipHull},
        {"shipdeck.jpg", makeShipDeck},
        {"palm1_stv.3ds", makePalmTrunkModel},
        {"npalm1_stv.3ds", makePalmTrunkNormals},
        {"palm1_lst.3ds", makePalmLeafModel},
        {"npalm1_lst.3ds", makePalmLeafNormals},
        {"palmbark.jpg", makePalmBark},
        {"palmleaf.tga", makePalmLeaf},
        {"seagulls.mp3", makeSeagullsMp3},
        {"ocean.mp3", makeOceanMp3},
        {"tr1.ogg", makeTuneOgg},
        {"font.tga", makeFontPicture},
        {"loader.jpg", makeLoaderPicture},
        {"help.jpg", makeHelpPicture},
    };
    return catalogue;
}
