// The ship's rig: masts, yards, bowsprit and the spanker's spars, the sails on them, the
// standing and running rigging, and the flags.
#include "ship_parts.h"

#include "noise.h"

#include <algorithm>

namespace ship {

namespace {

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

// The spanker, four-cornered: throat and peak on the gaff, tack and clew on the boom.
void addSpanker(MeshBuilder& mesh, const SparPoints& spars)
{
    const Vec3& gaffJaw = spars.gaffJaw;
    const Vec3& gaffEnd = spars.gaffEnd;
    const Vec3& boomJaw = spars.boomJaw;
    const Vec3& boomEnd = spars.boomEnd;
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
    addSheet(mesh, points, {1, 0, 0}, kSail);
}

}  // namespace

SparPoints addSpars(MeshBuilder& mesh)
{
    const Vec3 bowspritFoot{0, deckHeight(share(-20.0)) + 0.4, -20.0};
    const Vec3 bowspritTip{0, deckHeight(1.0) + 5.0, kBowZ - 11.0};
    addSpar(mesh, bowspritFoot, bowspritTip, 0.38, 0.16, 8, kSpar);
    for (const Mast& m : kMasts) {
        Vec3 foot = mastPoint(m, -0.5), top = mastPoint(m, m.height);
        Vec3 joint = mastPoint(m, m.yardHeights[0] + 2.0);
        addSpar(mesh, foot, joint, 0.52, 0.40, 8, kSpar);
        addSpar(mesh, joint, top, 0.36, 0.16, 8, kSpar);
        // The top: a platform where the lower mast meets the topmast.
        addSpar(mesh, joint - Vec3{0, 0.15, 0}, joint + Vec3{0, 0.15, 0}, 1.6, 1.6, 8, kDeck);
        for (int y = 0; y < m.yards; ++y) {
            Vec3 c = yardCentre(m, m.yardHeights[y]);
            double s = m.yardHalfSpans[y];
            addSpar(mesh, c - kYardAxis * s, c, 0.10, 0.24, 6, kSpar);
            addSpar(mesh, c, c + kYardAxis * s, 0.24, 0.10, 6, kSpar);
        }
    }
    // The spanker's gaff and boom aft of the mizzen.
    const Mast& mizzen = kMasts[2];
    Vec3 gaffJaw = mastPoint(mizzen, 14.0), gaffEnd = mastPoint(mizzen, 16.5) + Vec3{0, 0, 9.0};
    Vec3 boomJaw = mastPoint(mizzen, 2.2), boomEnd = mastPoint(mizzen, 2.6) + Vec3{0, 0, 12.5};
    addSpar(mesh, gaffJaw, gaffEnd, 0.18, 0.10, 6, kSpar);
    addSpar(mesh, boomJaw, boomEnd, 0.20, 0.12, 6, kSpar);
    return {bowspritFoot, bowspritTip, gaffJaw, gaffEnd, boomJaw, boomEnd};
}

void addSails(MeshBuilder& mesh, Rng& rng, const SparPoints& spars)
{
    const Vec3& bowspritFoot = spars.bowspritFoot;
    const Vec3& bowspritTip = spars.bowspritTip;
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
            addSquareSail(mesh, top, topHalf, bottom, bottomHalf, fill);
        }
    }
    const Mast& fore = kMasts[0];
    addStaySail(mesh, mastPoint(fore, 24.0) + Vec3{0, 0, -0.6}, bowspritTip + Vec3{0, -0.3, 1.0},
                Vec3{0, deckHeight(1.0) + 2.5, kBowZ + 2.0}, 0.10);
    addStaySail(mesh, mastPoint(fore, 17.0) + Vec3{0, 0, -0.6}, (bowspritFoot + bowspritTip) * 0.5 + Vec3{0, 0.2, 0},
                Vec3{0, deckHeight(0.95) + 2.2, kBowZ + 6.5}, 0.10);
    addSpanker(mesh, spars);
}

void addRigging(MeshBuilder& mesh, const SparPoints& spars)
{
    const Vec3& bowspritFoot = spars.bowspritFoot;
    const Vec3& bowspritTip = spars.bowspritTip;
    const Mast &fore = kMasts[0], &main = kMasts[1], &mizzen = kMasts[2];
    // Stays run forward from each masthead; backstays and shrouds hold the masts to the sides.
    addLine(mesh, mastPoint(fore, fore.height - 0.5), bowspritTip);
    addLine(mesh, mastPoint(fore, fore.yardHeights[0] + 1.8), bowspritFoot + Vec3{0, 0.3, -1.0});
    addLine(mesh, mastPoint(main, main.height - 0.5), mastPoint(fore, fore.yardHeights[1] + 1.0));
    addLine(mesh, mastPoint(main, main.yardHeights[0] + 1.8), mastPoint(fore, 1.2));
    addLine(mesh, mastPoint(mizzen, mizzen.height - 0.5), mastPoint(main, main.yardHeights[1] + 1.0));
    addLine(mesh, mastPoint(mizzen, mizzen.yardHeights[0] + 1.8), mastPoint(main, 1.2));
    for (const Mast& m : kMasts) {
        for (double side : {1.0, -1.0}) {
            Vec3 masthead = mastPoint(m, m.height - 1.5);
            double backZ = std::min(m.z + 8.0, kSternZ - 1.0);
            double t = share(backZ);
            addLine(mesh, masthead, {side * sectionWidth(t, deckHeight(t) + kBulwark), deckHeight(t) + kBulwark, backZ});
            Vec3 hounds = mastPoint(m, m.yardHeights[0] + 1.6);
            Vec3 topHounds = mastPoint(m, m.yardHeights[1] + 1.2);
            Vec3 chains[4];
            for (int s = 0; s < 4; ++s) {
                double z = m.z - 1.2 + s * 1.1, ts = share(z);
                chains[s] = {side * (sectionWidth(ts, deckHeight(ts)) + 0.2), deckHeight(ts) + 0.6, z};
                addLine(mesh, hounds + Vec3{side * 0.3, 0, 0}, chains[s]);
            }
            // Ratlines: rungs across the shrouds, up to where they close in under the top.
            const Vec3 upper = hounds + Vec3{side * 0.3, 0, 0};
            for (double k = 0.08; k < 0.75; k += kRatlineStep / (upper.y - chains[0].y)) {
                Vec3 front = chains[0] + (upper - chains[0]) * k, back = chains[3] + (upper - chains[3]) * k;
                addLine(mesh, front, back, 0.03);
            }
            // Topmast shrouds to the edge of the top.
            for (int s = 0; s < 2; ++s)
                addLine(mesh, topHounds, mastPoint(m, m.yardHeights[0] + 2.0) + Vec3{side * 1.5, 0, -0.5 + s * 1.0}, 0.05);
        }
        // Lifts and sheets: yard ends to the mast above and the course's corners to the rail.
        for (int y = 0; y < m.yards; ++y)
            for (double side : {1.0, -1.0}) {
                Vec3 end = yardCentre(m, m.yardHeights[y]) + kYardAxis * (side * m.yardHalfSpans[y] * 0.95);
                double above = y + 1 < m.yards ? m.yardHeights[y + 1] - 0.5 : m.height - 0.8;
                addLine(mesh, end, mastPoint(m, above), 0.05);
            }
        for (double side : {1.0, -1.0}) {
            Vec3 corner = yardCentre(m, 3.2) + kYardAxis * (side * m.yardHalfSpans[0] * 0.98) + kSailForward * 0.4;
            double z = m.z + 5.0, t = share(z);
            addLine(mesh, corner, {side * sectionWidth(t, deckHeight(t) + kBulwark), deckHeight(t) + kBulwark, z}, 0.05);
        }
    }
}

void addFlags(MeshBuilder& mesh, Rng& rng, const SparPoints& spars)
{
    const Mast &fore = kMasts[0], &main = kMasts[1], &mizzen = kMasts[2];
    double phase = rng.range(0, 2 * kPi);
    addFlag(mesh, mastPoint(main, main.height + 0.1), 5.0, 3.0, 0.1, phase);
    addFlag(mesh, mastPoint(fore, fore.height + 0.1), 7.0, 0.9, 0.9, phase + 1.3);
    addFlag(mesh, mastPoint(mizzen, mizzen.height + 0.1), 6.0, 0.8, 0.9, phase + 2.1);
    addFlag(mesh, spars.gaffEnd + Vec3{0, -0.2, 0}, 3.6, 2.4, 0.05, phase + 0.7);
}

}  // namespace ship
