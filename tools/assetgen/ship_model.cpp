// The ship: hull sections lofted along its length, then spars, canvas and lines placed on it.
#include "ship_model.h"

#include "ship_parts.h"

using namespace ship;

namespace {

// The materials' colours: dark tarred hull, an ochre stripe, copper-brown bottom.
struct Colour {
    const char* name;
    uint8_t r, g, b;
};
constexpr Colour kColours[] = {
    {kHull, 60, 44, 34},      {kHullDark, 48, 36, 30},
    {kDeck, 176, 138, 92},    {kSpar, 112, 78, 48},        {kSail, 236, 226, 198},
    {kRope, 58, 46, 36},      {kFlag, 196, 28, 30},        {kWindow, 232, 204, 120},
};

}  // namespace

ModelDescription makeShipModel(uint64_t seed)
{
    Rng rng(seed * 2862933555777941757ull + 3037000493ull);
    ModelDescription model;
    for (const Colour& c : kColours) {
        MaterialDescription m;
        m.name = c.name;
        m.colour[0] = c.r, m.colour[1] = c.g, m.colour[2] = c.b;
        if (m.name == kHull) m.map = "shiphull.jpg";
        if (m.name == kDeck) m.map = "shipdeck.jpg";
        model.materials.push_back(m);
    }

    MeshBuilder hull("shiphull");
    addHull(hull);
    model.objects.push_back(hull.finish());

    MeshBuilder fittings("shipfittings");
    addFittings(fittings);
    model.objects.push_back(fittings.finish());

    MeshBuilder spars("shipspars");
    const SparPoints points = addSpars(spars);
    model.objects.push_back(spars.finish());

    MeshBuilder sails("shipsails");
    addSails(sails, rng, points);
    model.objects.push_back(sails.finish());

    MeshBuilder rigging("shiprigging");
    addRigging(rigging, points);
    model.objects.push_back(rigging.finish());

    MeshBuilder flags("shipflags");
    addFlags(flags, rng, points);
    model.objects.push_back(flags.finish());
    return model;
}
