// The ship: hull sections lofted along its length, then spars, canvas and lines placed on it.
#include "ship_model.h"

#include "noise.h"
#include "random.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

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

// Material names and colours: dark tarred hull, an ochre stripe, copper-brown bottom.
const char* const kHull = "hull";            // the planking, painted by the hull picture
const char* const kHullDark = "darkwood";
const char* const kDeck = "deck";
const char* const kSpar = "spar";
const char* const kSail = "sail";
const char* const kRope = "rope";
const char* const kFlag = "flag";
const char* const kWindow = "window";

struct Colour {
    const char* name;
    uint8_t r, g, b;
};
constexpr Colour kColours[] = {
    {kHull, 60, 44, 34},      {kHullDark, 48, 36, 30},
    {kDeck, 176, 138, 92},    {kSpar, 112, 78, 48},        {kSail, 236, 226, 198},
    {kRope, 58, 46, 36},      {kFlag, 196, 28, 30},        {kWindow, 232, 204, 120},
};

// Share of the length from the stern (0) to the stem (1).
double share(double z) { return (kSternZ - z) / kShipHullLength; }
double stationZ(double t) { return kSternZ - t * kShipHullLength; }

// Half-width of the hull at its widest height: a fine, pointed entry and a full run aft to
// a broad transom.
double halfBeam(double t)
{
    if (t >= kWidestAt) {
        double u = (t - kWidestAt) / (1.0 - kWidestAt);
        return kHalfBeam * (1.0 - std::pow(u, 1.9));
    }
    double u = (kWidestAt - t) / kWidestAt;
    return kHalfBeam * (1.0 - (1.0 - kTransomShare) * u * u);
}

// The keel rises in a curve to the stem and a little toward the stern.
double keel(double t) { return kShipKeel + 4.6 * std::pow(smoothstep(0.68, 1.0, t), 1.4) + 0.7 * smoothstep(0.18, 0.0, t); }

// Deck height: the sheer rises to both ends, more at the raised quarterdeck aft.
double deckHeight(double t) { return 6.0 + 1.5 * (2 * t - 1) * (2 * t - 1) + 1.3 * smoothstep(0.26, 0.12, t); }

// Half-width of the section at height y: a rounded bilge below the waterline, sides that
// fall in slightly (tumblehome) above it.
double sectionWidth(double t, double y)
{
    double b = halfBeam(t), k = keel(t);
    if (y <= kShipWaterline) {
        double h = std::clamp((y - k) / (kShipWaterline - k), 0.0, 1.0);
        return b * std::pow(1.0 - std::pow(1.0 - h, 2.4), 1.0 / 2.4);
    }
    double top = deckHeight(t) + kBulwark;
    return b * (1.0 - 0.08 * std::pow((y - kShipWaterline) / (top - kShipWaterline), 1.5));
}

// Heights of the section's rows: shares of the bottom, then fixed heights so the stripe's
// edges are straight lines along the hull.
std::vector<double> sectionRows(double t)
{
    std::vector<double> rows;
    double k = keel(t);
    for (double h : {0.0, 0.05, 0.16, 0.32, 0.52, 0.76, 1.0}) rows.push_back(k + h * (kShipWaterline - k));
    for (double y : {3.0, kStripeLow, kStripeHigh}) rows.push_back(y);
    rows.push_back(deckHeight(t));
    rows.push_back(deckHeight(t) + kBulwark);
    return rows;
}

// The hull picture wraps along the length and spans the hull's height once, so its bands of
// paint fall at fixed heights.
uint16_t hullVertex(MeshBuilder& mesh, Vec3 p, double along)
{
    return mesh.vertex(p, along / kHullTextureRepeat, (p.y - kHullTextureLow) / kHullTextureSpan);
}

uint16_t deckVertex(MeshBuilder& mesh, Vec3 p) { return mesh.vertex(p, p.x / kDeckTextureRepeat, p.z / kDeckTextureRepeat); }

Vec3 hullPoint(double t, double y, double side) { return {side * sectionWidth(t, y), y, stationZ(t)}; }

void addHull(MeshBuilder& mesh)
{
    // Stations closer together toward the bow, where the hull curves the most.
    std::vector<double> stations;
    for (int i = 0; i <= kStations; ++i) {
        double a = static_cast<double>(i) / kStations;
        stations.push_back(1.0 - std::pow(1.0 - a, 1.25));
    }
    const int rows = static_cast<int>(sectionRows(0).size());
    for (double side : {1.0, -1.0}) {
        std::vector<std::vector<uint16_t>> grid;
        for (double t : stations) {
            std::vector<uint16_t> column;
            for (double y : sectionRows(t)) column.push_back(hullVertex(mesh, hullPoint(t, y, side), stationZ(t)));
            grid.push_back(column);
        }
        for (size_t i = 0; i + 1 < stations.size(); ++i)
            for (int k = 0; k + 1 < rows; ++k) {
                mesh.facingQuad(grid[i][k], grid[i + 1][k], grid[i + 1][k + 1], grid[i][k + 1], {side, 0, 0}, kHull);
            }
        // The inside of the bulwark and the rail cap along its top.
        std::vector<uint16_t> innerTop, innerDeck;
        for (double t : stations) {
            double d = deckHeight(t), top = d + kBulwark;
            double inset = std::min(kBulwarkThickness, sectionWidth(t, top));
            innerTop.push_back(deckVertex(mesh, {side * (sectionWidth(t, top) - inset), top, stationZ(t)}));
            innerDeck.push_back(mesh.vertex({side * std::max(0.0, sectionWidth(t, d) - inset), d, stationZ(t)}));
        }
        for (size_t i = 0; i + 1 < stations.size(); ++i) {
            mesh.facingQuad(innerDeck[i], innerDeck[i + 1], innerTop[i + 1], innerTop[i], {-side, 0, 0}, kHullDark);
            uint16_t outer0 = deckVertex(mesh, hullPoint(stations[i], deckHeight(stations[i]) + kBulwark, side));
            uint16_t outer1 = deckVertex(mesh, hullPoint(stations[i + 1], deckHeight(stations[i + 1]) + kBulwark, side));
            mesh.facingQuad(outer0, outer1, innerTop[i + 1], innerTop[i], {0, 1, 0}, kDeck);
        }
    }
    // The deck, slightly cambered, planked wood.
    std::vector<std::array<uint16_t, 3>> deck;
    for (double t : stations) {
        double d = deckHeight(t);
        double w = std::max(0.0, sectionWidth(t, d) - kBulwarkThickness);
        deck.push_back({deckVertex(mesh, {-w, d, stationZ(t)}), deckVertex(mesh, {0, d + 0.12, stationZ(t)}),
                        deckVertex(mesh, {w, d, stationZ(t)})});
    }
    for (size_t i = 0; i + 1 < deck.size(); ++i)
        for (int j = 0; j < 2; ++j)
            mesh.facingQuad(deck[i][j], deck[i][j + 1], deck[i + 1][j + 1], deck[i + 1][j], {0, 1, 0}, kDeck);

    // The flat transom: a fan from its middle over the stern section, with its own corners so
    // the edge stays sharp.
    const double t0 = 0.0;
    std::vector<double> r = sectionRows(t0);
    Vec3 middle{0, 0.5 * (r.front() + r.back()), kSternZ};
    uint16_t centre = hullVertex(mesh, middle, 0);
    std::vector<uint16_t> outline;
    for (int k = 0; k < rows; ++k) outline.push_back(hullVertex(mesh, hullPoint(t0, r[k], 1.0), hullPoint(t0, r[k], 1.0).x));
    for (int k = rows - 1; k >= 0; --k) outline.push_back(hullVertex(mesh, hullPoint(t0, r[k], -1.0), hullPoint(t0, r[k], -1.0).x));
    for (size_t k = 0; k + 1 < outline.size(); ++k) mesh.facingTriangle(centre, outline[k], outline[k + 1], {0, 0, 1}, kHull);
}

// A tapered round spar from a to b.
void addSpar(MeshBuilder& mesh, Vec3 a, Vec3 b, double ra, double rb, int sides, const char* material)
{
    Vec3 axis = normalized(b - a);
    Vec3 helper = std::abs(axis.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 u = normalized(cross(axis, helper)), v = cross(axis, u);
    std::vector<uint16_t> ringA, ringB;
    for (int j = 0; j < sides; ++j) {
        double angle = 2 * kPi * j / sides;
        Vec3 out = u * std::cos(angle) + v * std::sin(angle);
        ringA.push_back(mesh.vertex(a + out * ra));
        ringB.push_back(mesh.vertex(b + out * rb));
    }
    Vec3 middle = (a + b) * 0.5;
    for (int j = 0; j < sides; ++j) {
        int n = (j + 1) % sides;
        Vec3 faceCentre = (mesh.position(ringA[j]) + mesh.position(ringB[n])) * 0.5;
        mesh.facingQuad(ringA[j], ringA[n], ringB[n], ringB[j], faceCentre - middle, material);
    }
}

// A box with flat faces (its own vertices per face).
void addBox(MeshBuilder& mesh, Vec3 low, Vec3 high, const char* material)
{
    auto corner = [&](int i) { return Vec3{i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z}; };
    const int faces[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};
    const Vec3 facing[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    for (int f = 0; f < 6; ++f) {
        uint16_t q[4];
        for (int k = 0; k < 4; ++k) q[k] = mesh.vertex(corner(faces[f][k]));
        mesh.facingQuad(q[0], q[1], q[2], q[3], facing[f], material);
    }
}

// A rope: a thin three-sided line, seen as a line of a pixel or two from afar.
void addLine(MeshBuilder& mesh, Vec3 a, Vec3 b, double radius = 0.07) { addSpar(mesh, a, b, radius, radius, 3, kRope); }

// A sheet of canvas (or bunting) given as a grid of points, with both faces: the front looks
// along facing. points[row][column].
void addSheet(MeshBuilder& mesh, const std::vector<std::vector<Vec3>>& points, Vec3 facing, const char* material)
{
    const size_t rows = points.size(), columns = points[0].size();
    for (double sign : {1.0, -1.0}) {
        std::vector<std::vector<uint16_t>> index(rows, std::vector<uint16_t>(columns));
        for (size_t r = 0; r < rows; ++r)
            for (size_t c = 0; c < columns; ++c) index[r][c] = mesh.vertex(points[r][c]);
        for (size_t r = 0; r + 1 < rows; ++r)
            for (size_t c = 0; c + 1 < columns; ++c)
                mesh.facingQuad(index[r][c], index[r][c + 1], index[r + 1][c + 1], index[r + 1][c], facing * sign, material);
    }
}

struct Mast {
    double z, height;                    // foot station and height above the deck
    std::array<double, 3> yardHeights;   // above the deck, lowest first
    std::array<double, 3> yardHalfSpans;
    int yards;
};

constexpr Mast kMasts[] = {
    {-12.5, 31.0, {10.5, 18.5, 25.5}, {8.6, 6.8, 4.8}, 3},
    {0.0, 35.0, {11.5, 20.5, 28.5}, {9.8, 7.8, 5.4}, 3},
    {11.5, 25.0, {9.5, 16.5, 0.0}, {6.6, 5.0, 0.0}, 2},
};

Vec3 mastPoint(const Mast& m, double above) { return {0, deckHeight(share(m.z)) + above, m.z}; }

// Along the braced yards (to starboard) and the way their sails belly (forward).
const Vec3 kYardAxis{std::cos(kBraceDegrees * kPi / 180), 0, std::sin(kBraceDegrees * kPi / 180)};
const Vec3 kSailForward{std::sin(kBraceDegrees * kPi / 180), 0, -std::cos(kBraceDegrees * kPi / 180)};

Vec3 yardCentre(const Mast& m, double above) { return mastPoint(m, above) + kSailForward * kYardForward; }

// A square sail between two yards (or below the lowest one), filled by a wind from astern
// so that it bellies toward the bow.
void addSquareSail(MeshBuilder& mesh, Vec3 topCentre, double topHalf, Vec3 bottomCentre, double bottomHalf, double fill)
{
    const int columns = 6, rows = 5;
    double height = topCentre.y - bottomCentre.y;
    std::vector<std::vector<Vec3>> points(rows + 1, std::vector<Vec3>(columns + 1));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            double d = static_cast<double>(r) / rows, a = static_cast<double>(c) / columns;
            double half = mix(topHalf, bottomHalf, d);
            Vec3 centre = topCentre * (1 - d) + bottomCentre * d;
            // The foot is cut in a shallow curve; the belly is deepest a little below the middle.
            double footLift = (r == rows) ? 0.06 * height * std::sin(kPi * a) : 0.0;
            double belly = fill * height * std::pow(std::sin(kPi * a), 0.7) * (std::sin(kPi * std::min(1.0, d * 0.85 + 0.08)));
            points[r][c] = centre + kYardAxis * ((2 * a - 1) * half) + Vec3{0, footLift, 0} + kSailForward * (belly + 0.35);
        }
    addSheet(mesh, points, kSailForward, kSail);
}

// A triangular fore-and-aft sail: head, tack (forward foot) and clew (after foot), bellied
// to the side.
void addStaySail(MeshBuilder& mesh, Vec3 head, Vec3 tack, Vec3 clew, double fill)
{
    const int rows = 5, columns = 4;
    std::vector<std::vector<Vec3>> points(rows + 1, std::vector<Vec3>(columns + 1));
    double size = length(tack - head);
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            double a = static_cast<double>(r) / rows, b = static_cast<double>(c) / columns;
            Vec3 p = head + ((tack - head) * (1 - b) + (clew - head) * b) * a;
            p.x += fill * size * std::sin(kPi * a) * std::sin(kPi * b) * 0.8;
            points[r][c] = p;
        }
    addSheet(mesh, points, {1, 0, 0}, kSail);
}

// Bunting streaming aft from a point, waving.
void addFlag(MeshBuilder& mesh, Vec3 hoist, double length, double height, double taper, double phase)
{
    const int columns = 7, rows = 2;
    std::vector<std::vector<Vec3>> points(rows + 1, std::vector<Vec3>(columns + 1));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            double a = static_cast<double>(c) / columns, d = static_cast<double>(r) / rows;
            double h = height * (1.0 - taper * a);
            double wave = 0.12 * length * a * std::sin(2 * kPi * (1.2 * a) + phase);
            points[r][c] = hoist + Vec3{wave, -d * h - 0.05 * length * a, a * length};
        }
    addSheet(mesh, points, {1, 0, 0}, kFlag);
}

}

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
    // The stern cabin on the quarterdeck, with lit windows at its after end, and hatches.
    double quarterdeck = deckHeight(share(19.0));
    addBox(fittings, {-3.2, quarterdeck - 0.2, 15.0}, {3.2, quarterdeck + 2.0, 20.5}, kHullDark);
    addBox(fittings, {-3.4, quarterdeck + 2.0, 14.8}, {3.4, quarterdeck + 2.3, 20.7}, kDeck);
    for (int w = 0; w < 4; ++w) {
        double x = -2.4 + w * 1.6;
        addBox(fittings, {x - 0.45, quarterdeck + 0.6, 20.5}, {x + 0.45, quarterdeck + 1.5, 20.6}, kWindow);
    }
    for (int w = 0; w < 5; ++w) {
        double x = -3.2 + w * 1.6, y = deckHeight(0) - 0.2;
        addBox(fittings, {x - 0.5, y - 1.2, kSternZ - 0.02}, {x + 0.5, y - 0.1, kSternZ + 0.1}, kWindow);
    }
    addBox(fittings, {-1.6, deckHeight(share(-6.0)) - 0.2, -7.5}, {1.6, deckHeight(share(-6.0)) + 0.6, -4.5}, kSpar);
    addBox(fittings, {-1.4, deckHeight(share(5.0)) - 0.2, 4.0}, {1.4, deckHeight(share(5.0)) + 0.6, 6.5}, kSpar);
    // Gun ports along the stripe, closed and painted dark.
    for (double side : {1.0, -1.0})
        for (int g = 0; g < 9; ++g) {
            double z = -15.0 + g * 3.6, t = share(z);
            double y0 = kStripeLow + 0.12, y1 = kStripeHigh - 0.12;
            double x = side * (sectionWidth(t, 0.5 * (y0 + y1)) + 0.03);
            Vec3 facing{side, 0, 0};
            uint16_t a = fittings.vertex({x, y0, z - 0.45}), b = fittings.vertex({x, y0, z + 0.45});
            uint16_t c = fittings.vertex({x, y1, z + 0.45}), d = fittings.vertex({x, y1, z - 0.45});
            fittings.facingQuad(a, b, c, d, facing, kHullDark);
        }
    model.objects.push_back(fittings.finish());

    MeshBuilder spars("shipspars");
    const Vec3 bowspritFoot{0, deckHeight(share(-20.0)) + 0.4, -20.0};
    const Vec3 bowspritTip{0, deckHeight(1.0) + 5.0, kBowZ - 11.0};
    addSpar(spars, bowspritFoot, bowspritTip, 0.38, 0.16, 8, kSpar);
    for (const Mast& m : kMasts) {
        Vec3 foot = mastPoint(m, -0.5), top = mastPoint(m, m.height);
        Vec3 joint = mastPoint(m, m.yardHeights[0] + 2.0);
        addSpar(spars, foot, joint, 0.52, 0.40, 8, kSpar);
        addSpar(spars, joint, top, 0.36, 0.16, 8, kSpar);
        // The top: a platform where the lower mast meets the topmast.
        addSpar(spars, joint - Vec3{0, 0.15, 0}, joint + Vec3{0, 0.15, 0}, 1.6, 1.6, 8, kDeck);
        for (int y = 0; y < m.yards; ++y) {
            Vec3 c = yardCentre(m, m.yardHeights[y]);
            double s = m.yardHalfSpans[y];
            addSpar(spars, c - kYardAxis * s, c, 0.10, 0.24, 6, kSpar);
            addSpar(spars, c, c + kYardAxis * s, 0.24, 0.10, 6, kSpar);
        }
    }
    // The spanker's gaff and boom aft of the mizzen.
    const Mast& mizzen = kMasts[2];
    Vec3 gaffJaw = mastPoint(mizzen, 14.0), gaffEnd = mastPoint(mizzen, 16.5) + Vec3{0, 0, 9.0};
    Vec3 boomJaw = mastPoint(mizzen, 2.2), boomEnd = mastPoint(mizzen, 2.6) + Vec3{0, 0, 12.5};
    addSpar(spars, gaffJaw, gaffEnd, 0.18, 0.10, 6, kSpar);
    addSpar(spars, boomJaw, boomEnd, 0.20, 0.12, 6, kSpar);
    model.objects.push_back(spars.finish());

    MeshBuilder sails("shipsails");
    for (const Mast& m : kMasts) {
        for (int y = 0; y < m.yards; ++y) {
            double fill = rng.range(0.10, 0.15);
            Vec3 top = yardCentre(m, m.yardHeights[y]) + Vec3{0, -0.25, 0};
            double topHalf = m.yardHalfSpans[y] * 0.94;
            Vec3 bottom;
            double bottomHalf;
            if (y == 0) {
                bottom = yardCentre(m, 3.2);
                bottomHalf = topHalf * 1.04;
            } else {
                bottom = yardCentre(m, m.yardHeights[y - 1]) + Vec3{0, 0.35, 0};
                bottomHalf = m.yardHalfSpans[y - 1] * 0.92;
            }
            addSquareSail(sails, top, topHalf, bottom, bottomHalf, fill);
        }
    }
    const Mast& fore = kMasts[0];
    addStaySail(sails, mastPoint(fore, 24.0) + Vec3{0, 0, -0.6}, bowspritTip + Vec3{0, -0.3, 1.0},
                Vec3{0, deckHeight(1.0) + 2.5, kBowZ + 2.0}, 0.10);
    addStaySail(sails, mastPoint(fore, 17.0) + Vec3{0, 0, -0.6}, (bowspritFoot + bowspritTip) * 0.5 + Vec3{0, 0.2, 0},
                Vec3{0, deckHeight(0.95) + 2.2, kBowZ + 6.5}, 0.10);
    // The spanker, four-cornered: throat and peak on the gaff, tack and clew on the boom.
    {
        const int rows = 5, columns = 4;
        std::vector<std::vector<Vec3>> points(rows + 1, std::vector<Vec3>(columns + 1));
        Vec3 throat = gaffJaw + Vec3{0, -0.2, 0.5}, peak = gaffEnd + Vec3{0, -0.2, -0.3};
        Vec3 tack = boomJaw + Vec3{0, 0.25, 0.5}, clew = boomEnd + Vec3{0, 0.25, -0.6};
        for (int r = 0; r <= rows; ++r)
            for (int c = 0; c <= columns; ++c) {
                double d = static_cast<double>(r) / rows, a = static_cast<double>(c) / columns;
                Vec3 p = (throat * (1 - a) + peak * a) * (1 - d) + (tack * (1 - a) + clew * a) * d;
                p.x += 0.9 * std::sin(kPi * a) * std::sin(kPi * d);
                points[r][c] = p;
            }
        addSheet(sails, points, {1, 0, 0}, kSail);
    }
    model.objects.push_back(sails.finish());

    MeshBuilder rigging("shiprigging");
    const Mast& main = kMasts[1];
    // Stays run forward from each masthead; backstays and shrouds hold the masts to the sides.
    addLine(rigging, mastPoint(fore, fore.height - 0.5), bowspritTip);
    addLine(rigging, mastPoint(fore, fore.yardHeights[0] + 1.8), bowspritFoot + Vec3{0, 0.3, -1.0});
    addLine(rigging, mastPoint(main, main.height - 0.5), mastPoint(fore, fore.yardHeights[1] + 1.0));
    addLine(rigging, mastPoint(main, main.yardHeights[0] + 1.8), mastPoint(fore, 1.2));
    addLine(rigging, mastPoint(mizzen, mizzen.height - 0.5), mastPoint(main, main.yardHeights[1] + 1.0));
    addLine(rigging, mastPoint(mizzen, mizzen.yardHeights[0] + 1.8), mastPoint(main, 1.2));
    for (const Mast& m : kMasts) {
        for (double side : {1.0, -1.0}) {
            Vec3 masthead = mastPoint(m, m.height - 1.5);
            double backZ = std::min(m.z + 8.0, kSternZ - 1.0);
            double t = share(backZ);
            addLine(rigging, masthead, {side * sectionWidth(t, deckHeight(t) + kBulwark), deckHeight(t) + kBulwark, backZ});
            Vec3 hounds = mastPoint(m, m.yardHeights[0] + 1.6);
            Vec3 topHounds = mastPoint(m, m.yardHeights[1] + 1.2);
            Vec3 chains[4];
            for (int s = 0; s < 4; ++s) {
                double z = m.z - 1.2 + s * 1.1, ts = share(z);
                chains[s] = {side * (sectionWidth(ts, deckHeight(ts)) + 0.2), deckHeight(ts) + 0.6, z};
                addLine(rigging, hounds + Vec3{side * 0.3, 0, 0}, chains[s]);
            }
            // Ratlines: rungs across the shrouds, up to where they close in under the top.
            const Vec3 upper = hounds + Vec3{side * 0.3, 0, 0};
            for (double k = 0.08; k < 0.75; k += kRatlineStep / (upper.y - chains[0].y)) {
                Vec3 front = chains[0] + (upper - chains[0]) * k, back = chains[3] + (upper - chains[3]) * k;
                addLine(rigging, front, back, 0.03);
            }
            // Topmast shrouds to the edge of the top.
            for (int s = 0; s < 2; ++s)
                addLine(rigging, topHounds, mastPoint(m, m.yardHeights[0] + 2.0) + Vec3{side * 1.5, 0, -0.5 + s * 1.0}, 0.05);
        }
        // Lifts and sheets: yard ends to the mast above and the course's corners to the rail.
        for (int y = 0; y < m.yards; ++y)
            for (double side : {1.0, -1.0}) {
                Vec3 end = yardCentre(m, m.yardHeights[y]) + kYardAxis * (side * m.yardHalfSpans[y] * 0.95);
                double above = y + 1 < m.yards ? m.yardHeights[y + 1] - 0.5 : m.height - 0.8;
                addLine(rigging, end, mastPoint(m, above), 0.05);
            }
        for (double side : {1.0, -1.0}) {
            Vec3 corner = yardCentre(m, 3.2) + kYardAxis * (side * m.yardHalfSpans[0] * 0.98) + kSailForward * 0.4;
            double z = m.z + 5.0, t = share(z);
            addLine(rigging, corner, {side * sectionWidth(t, deckHeight(t) + kBulwark), deckHeight(t) + kBulwark, z}, 0.05);
        }
    }
    model.objects.push_back(rigging.finish());

    MeshBuilder flags("shipflags");
    double phase = rng.range(0, 2 * kPi);
    addFlag(flags, mastPoint(main, main.height + 0.1), 5.0, 3.0, 0.1, phase);
    addFlag(flags, mastPoint(fore, fore.height + 0.1), 7.0, 0.9, 0.9, phase + 1.3);
    addFlag(flags, mastPoint(mizzen, mizzen.height + 0.1), 6.0, 0.8, 0.9, phase + 2.1);
    addFlag(flags, gaffEnd + Vec3{0, -0.2, 0}, 3.6, 2.4, 0.05, phase + 0.7);
    model.objects.push_back(flags.finish());
    return model;
}

namespace {

struct Paint {
    double low, high, r, g, b;
};
// Bands of paint up the hull side, in model heights: copper-brown bottom, a pale boot-top at
// the waterline, tarred black sides, the ochre gun-deck stripe, black to the rail.
constexpr Paint kHullPaint[] = {
    {-10.0, 1.75, 0.46, 0.23, 0.15}, {1.75, 2.35, 0.78, 0.74, 0.64}, {2.35, kStripeLow, 0.17, 0.13, 0.11},
    {kStripeLow, kStripeHigh, 0.74, 0.56, 0.24}, {kStripeHigh, 20.0, 0.17, 0.13, 0.11},
};

double plankGrain(double u, double v, double planks, uint32_t seed, double& seam)
{
    double row = v * planks;
    int plank = static_cast<int>(std::floor(row));
    double across = row - plank;
    // Butt joints staggered plank by plank.
    double offset = (hash3(plank, 0, seed) % 1000) / 1000.0;
    double along = u * 3.0 + offset;
    double joint = along - std::floor(along);
    seam = std::max(std::exp(-std::pow(across / 0.06, 2.0)) + std::exp(-std::pow((1 - across) / 0.06, 2.0)),
                    std::exp(-std::pow(std::min(joint, 1 - joint) / 0.006, 2.0)));
    double tone = (hash3(plank, static_cast<int>(std::floor(along)), seed + 1) % 1000) / 1000.0;
    return 0.06 * (tone - 0.5) + 0.05 * periodicFbm(u * 32, v * 4, 4, 3, seed + 2);
}

}

Picture makeShipHullTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 48271u + 11u);
    Picture picture(kShipHullTextureWidth, kShipHullTextureHeight, 3);
    const double planks = kHullTextureSpan / 0.55;
    for (int py = 0; py < picture.height; ++py)
        for (int px = 0; px < picture.width; ++px) {
            double u = (px + 0.5) / picture.width, v = 1.0 - (py + 0.5) / picture.height;
            double y = kHullTextureLow + v * kHullTextureSpan;
            const Paint* paint = &kHullPaint[0];
            for (const Paint& p : kHullPaint)
                if (y >= p.low && y < p.high) paint = &p;
            double seam = 0;
            double grain = plankGrain(u, v, planks, s, seam);
            double light = 1.0 + grain - 0.35 * seam;
            float* out = picture.at(px, py);
            out[0] = static_cast<float>(paint->r * light);
            out[1] = static_cast<float>(paint->g * light);
            out[2] = static_cast<float>(paint->b * light);
        }
    return picture;
}

Picture makeShipDeckTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 16807u + 29u);
    Picture picture(kShipDeckTextureSize, kShipDeckTextureSize, 3);
    for (int py = 0; py < picture.height; ++py)
        for (int px = 0; px < picture.width; ++px) {
            // Planks run along the ship (v); across it (u) they are side by side.
            double u = (px + 0.5) / picture.width, v = 1.0 - (py + 0.5) / picture.height;
            double seam = 0;
            double grain = plankGrain(v, u, kPlanksPerPicture, s, seam);
            double light = 1.0 + 2.0 * grain - 0.45 * seam;
            float* out = picture.at(px, py);
            out[0] = static_cast<float>(0.66 * light);
            out[1] = static_cast<float>(0.52 * light);
            out[2] = static_cast<float>(0.36 * light);
        }
    return picture;
}
