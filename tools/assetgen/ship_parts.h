// The ship's parts as its makers share them: the hull's shape, the masts, the materials and
// the shapes every part is built of. ship_hull.cpp makes the hull and its fittings,
// ship_rigging.cpp the spars, sails, rigging and flags, ship_model.cpp puts them together.
#pragma once

#include "ship_model.h"

#include "random.h"

#include <array>
#include <cmath>
#include <vector>

namespace ship {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBowZ = -kShipHullLength / 2, kSternZ = kShipHullLength / 2;
constexpr double kHalfBeam = 6.2;
constexpr double kWidestAt = 0.42;           // share of the length from the stern
constexpr double kTransomShare = 0.68;       // transom width as a share of the beam
constexpr double kBulwark = 1.1;             // rail height above the deck
constexpr double kBulwarkThickness = 0.35;
constexpr double kStripeLow = 4.1, kStripeHigh = 4.9;
constexpr int kStations = 30;
constexpr double kHullTextureRepeat = 12.0;  // hull length one width of the hull picture covers
constexpr double kHullTextureLow = -4.5, kHullTextureSpan = 15.0;
constexpr double kDeckTextureRepeat = 8.0;
constexpr int kPlanksPerPicture = 16;
// The yards are braced round for a wind on the quarter, so the sails show their faces from
// the side as well as from ahead and astern.
constexpr double kBraceDegrees = 24.0;
constexpr double kYardForward = 0.55;        // yards hang just forward of the masts
constexpr double kRatlineStep = 1.1;         // height between the rungs on the shrouds

// Material names.
inline constexpr const char* kHull = "hull";            // the planking, painted by the hull picture
inline constexpr const char* kHullDark = "darkwood";
inline constexpr const char* kDeck = "deck";
inline constexpr const char* kSpar = "spar";
inline constexpr const char* kSail = "sail";
inline constexpr const char* kRope = "rope";
inline constexpr const char* kFlag = "flag";
inline constexpr const char* kWindow = "window";

// Share of the length from the stern (0) to the stem (1).
inline double share(double z) { return (kSternZ - z) / kShipHullLength; }
inline double stationZ(double t) { return kSternZ - t * kShipHullLength; }

// Deck height: the sheer rises to both ends, more at the raised quarterdeck aft.
double deckHeight(double t);
// Half-width of the section at height y: a rounded bilge below the waterline, sides that
// fall in slightly (tumblehome) above it.
double sectionWidth(double t, double y);

struct Mast {
    double z, height;                    // foot station and height above the deck
    std::array<double, 3> yardHeights;   // above the deck, lowest first
    std::array<double, 3> yardHalfSpans;
    int yards;
};

inline constexpr Mast kMasts[] = {
    {-12.5, 31.0, {10.5, 18.5, 25.5}, {8.6, 6.8, 4.8}, 3},
    {0.0, 35.0, {11.5, 20.5, 28.5}, {9.8, 7.8, 5.4}, 3},
    {11.5, 25.0, {9.5, 16.5, 0.0}, {6.6, 5.0, 0.0}, 2},
};

inline Vec3 mastPoint(const Mast& m, double above) { return {0, deckHeight(share(m.z)) + above, m.z}; }

// Along the braced yards (to starboard) and the way their sails belly (forward).
inline const Vec3 kYardAxis{std::cos(kBraceDegrees * kPi / 180), 0, std::sin(kBraceDegrees * kPi / 180)};
inline const Vec3 kSailForward{std::sin(kBraceDegrees * kPi / 180), 0, -std::cos(kBraceDegrees * kPi / 180)};

inline Vec3 yardCentre(const Mast& m, double above) { return mastPoint(m, above) + kSailForward * kYardForward; }

// The points the spars set, where the sails, the rigging and the flags meet them.
struct SparPoints {
    Vec3 bowspritFoot, bowspritTip;
    Vec3 gaffJaw, gaffEnd, boomJaw, boomEnd;   // the spanker's gaff and boom, aft of the mizzen
};

// A box with flat faces (its own vertices per face).
void addBox(MeshBuilder& mesh, Vec3 low, Vec3 high, const char* material);

// The parts, each into its own mesh. The sails and the flags draw from rng, in that order.
void addHull(MeshBuilder& mesh);
void addFittings(MeshBuilder& mesh);
SparPoints addSpars(MeshBuilder& mesh);
void addSails(MeshBuilder& mesh, Rng& rng, const SparPoints& spars);
void addRigging(MeshBuilder& mesh, const SparPoints& spars);
void addFlags(MeshBuilder& mesh, Rng& rng, const SparPoints& spars);

}  // namespace ship
