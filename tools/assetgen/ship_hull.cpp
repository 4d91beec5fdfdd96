// The ship's hull, lofted from sections along its length, with its deck, bulwarks and
// transom, and the fittings on and in it: the stern cabin, hatches, windows and gun ports.
#include "ship_parts.h"

#include "noise.h"

#include <algorithm>

namespace ship {

namespace {

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

}  // namespace

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

double deckHeight(double t) { return 6.0 + 1.5 * (2 * t - 1) * (2 * t - 1) + 1.3 * smoothstep(0.26, 0.12, t); }

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

void addFittings(MeshBuilder& mesh)
{
    // The stern cabin on the quarterdeck, with lit windows at its after end, and hatches.
    double quarterdeck = deckHeight(share(19.0));
    addBox(mesh, {-3.2, quarterdeck - 0.2, 15.0}, {3.2, quarterdeck + 2.0, 20.5}, kHullDark);
    addBox(mesh, {-3.4, quarterdeck + 2.0, 14.8}, {3.4, quarterdeck + 2.3, 20.7}, kDeck);
    for (int w = 0; w < 4; ++w) {
        double x = -2.4 + w * 1.6;
        addBox(mesh, {x - 0.45, quarterdeck + 0.6, 20.5}, {x + 0.45, quarterdeck + 1.5, 20.6}, kWindow);
    }
    for (int w = 0; w < 5; ++w) {
        double x = -3.2 + w * 1.6, y = deckHeight(0) - 0.2;
        addBox(mesh, {x - 0.5, y - 1.2, kSternZ - 0.02}, {x + 0.5, y - 0.1, kSternZ + 0.1}, kWindow);
    }
    addBox(mesh, {-1.6, deckHeight(share(-6.0)) - 0.2, -7.5}, {1.6, deckHeight(share(-6.0)) + 0.6, -4.5}, kSpar);
    addBox(mesh, {-1.4, deckHeight(share(5.0)) - 0.2, 4.0}, {1.4, deckHeight(share(5.0)) + 0.6, 6.5}, kSpar);
    // Gun ports along the stripe, closed and painted dark.
    for (double side : {1.0, -1.0})
        for (int g = 0; g < 9; ++g) {
            double z = -15.0 + g * 3.6, t = share(z);
            double y0 = kStripeLow + 0.12, y1 = kStripeHigh - 0.12;
            double x = side * (sectionWidth(t, 0.5 * (y0 + y1)) + 0.03);
            Vec3 facing{side, 0, 0};
            uint16_t a = mesh.vertex({x, y0, z - 0.45}), b = mesh.vertex({x, y0, z + 0.45});
            uint16_t c = mesh.vertex({x, y1, z + 0.45}), d = mesh.vertex({x, y1, z - 0.45});
            mesh.facingQuad(a, b, c, d, facing, kHullDark);
        }
}

}  // namespace ship
