// Palm trunks and crowns built along each palm's leaning curve, and their bark and leaf pictures.
#include "palm_models.h"

#include "noise.h"
#include "random.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

static constexpr double kPi = 3.14159265358979323846;
static constexpr int kTrunkSides = 7;
static constexpr int kMaxTrunkSegments = 10;
static constexpr double kTrunkSink = 0.8;          // world units the trunk reaches below its foot
static constexpr double kTrunkBaseRadius = 0.5, kTrunkTopRadius = 0.26;
static constexpr double kRingSpacing = 0.55;      // world units between bark rings
static constexpr int kBarkRings = 8;              // rings the bark picture holds top to bottom
static constexpr int kMinFronds = 6, kMaxFronds = 9;
static constexpr int kMinFrondSegments = 5, kMaxFrondSegments = 8;
static constexpr int kCoconutsPerPalm = 3;
static constexpr int kCoconutTriangles = 8;        // each nut a small octahedron
static constexpr double kCoconutRadius = 0.32;
static const char* const kBarkMaterial = "palmbark";
static const char* const kCoconutMaterial = "coconut";
static const char* const kLeafMaterial = "palmleaf";

Vec3 palmModelPoint(Vec3 world) { return {world.x / kModelScale, (world.y - kPalmOffsetY) / kModelScale, world.z / kModelScale}; }

// The trunk's centre line at a share s of its height: it leans hard near the foot and
// straightens toward the crown, as palms grow back toward the light.
static Vec3 trunkPoint(const Palm& palm, double s)
{
    double offset = palm.lean * palm.height * s * (1.7 - 0.7 * s);
    return {palm.x + palm.leanX * offset, palm.baseY + palm.height * s, palm.z + palm.leanZ * offset};
}

Vec3 palmCrown(const Palm& palm) { return trunkPoint(palm, 1.0); }

static int trunkSegments(size_t palms)
{
    int perPalm = static_cast<int>(kPalmTrunkTriangleBudget / palms) - kCoconutsPerPalm * kCoconutTriangles;
    int fit = perPalm / (kTrunkSides * 2);
    return std::clamp(fit, 3, kMaxTrunkSegments);
}

ModelDescription makePalmTrunks(const Island& island)
{
    const std::vector<Palm>& palms = island.palms();
    if (palms.empty()) throw std::invalid_argument("palm trunks: the island has no palms");
    const int segments = trunkSegments(palms.size());
    MeshBuilder mesh("palmtrunks");
    for (const Palm& palm : palms) {
        Rng rng(palm.seed * 31ull + 5);
        double girth = rng.range(0.85, 1.15);
        double vStart = rng.uniform();
        uint16_t first = static_cast<uint16_t>(mesh.vertexCount());
        double travelled = 0;
        Vec3 previous = trunkPoint(palm, 0) - Vec3{0, kTrunkSink, 0};
        for (int k = 0; k <= segments; ++k) {
            double s = static_cast<double>(k) / segments;
            Vec3 centre = trunkPoint(palm, s);
            if (k == 0) centre.y -= kTrunkSink;
            travelled += length(centre - previous);
            previous = centre;
            Vec3 up = normalized(trunkPoint(palm, std::min(1.0, s + 0.02)) - trunkPoint(palm, std::max(0.0, s - 0.02)));
            Vec3 side = normalized(cross(up, Vec3{0, 0, 1}));
            Vec3 other = cross(side, up);
            // The foot flares out a little above the ground.
            double radius = girth * (mix(kTrunkBaseRadius, kTrunkTopRadius, std::pow(s, 0.7)) + 0.25 * std::exp(-s * 14.0));
            double v = vStart + travelled / (kRingSpacing * kBarkRings);
            for (int j = 0; j <= kTrunkSides; ++j) {
                double a = 2 * kPi * j / kTrunkSides;
                Vec3 out = side * std::cos(a) + other * std::sin(a);
                mesh.vertex(palmModelPoint(centre + out * radius), static_cast<double>(j) / kTrunkSides, v);
            }
        }
        const int row = kTrunkSides + 1;
        for (int k = 0; k < segments; ++k)
            for (int j = 0; j < kTrunkSides; ++j) {
                uint16_t a = static_cast<uint16_t>(first + k * row + j);
                uint16_t b = static_cast<uint16_t>(a + 1), c = static_cast<uint16_t>(a + row + 1), d = static_cast<uint16_t>(a + row);
                // j turns from side toward other, clockwise seen from above the trunk: going up
                // first makes each quad counter-clockwise seen from outside.
                mesh.quad(a, d, c, b, kBarkMaterial);
            }
        // A cluster of nuts hanging under the crown, on the side the palm leans to.
        Vec3 crown = palmCrown(palm);
        for (int n = 0; n < kCoconutsPerPalm; ++n) {
            double a = palm.turn + 2 * kPi * n / kCoconutsPerPalm + rng.range(-0.4, 0.4);
            Vec3 centre = crown + Vec3{std::cos(a) * 0.45, -0.45 - rng.range(0.0, 0.3), std::sin(a) * 0.45};
            double r = kCoconutRadius * rng.range(0.85, 1.15);
            const Vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
            uint16_t tip[6];
            for (int k = 0; k < 6; ++k) tip[k] = mesh.vertex(palmModelPoint(centre + axes[k] * r), 0.5, 0.5);
            for (int x : {0, 1})
                for (int y : {2, 3})
                    for (int z : {4, 5})
                        mesh.facingTriangle(tip[x], tip[y], tip[z], axes[x] + axes[y] + axes[z], kCoconutMaterial);
        }
    }
    ModelDescription model;
    model.materials = {{kBarkMaterial, {130, 110, 85}, "palmbark.jpg"}, {kCoconutMaterial, {96, 78, 34}, ""}};
    model.objects.push_back(mesh.finish());
    return model;
}

// Fronds and segments a crown gets so that every crown fits the leaves' budget together.
static void frondShape(size_t palms, int& fronds, int& segments)
{
    fronds = kMaxFronds, segments = kMaxFrondSegments;
    // Each side of a frond: one triangle at the crown, two for every further segment.
    auto cost = [&](int f, int s) { return static_cast<size_t>(f) * 2 * (2 * s - 1) * palms; };
    while (cost(fronds, segments) > kPalmLeafTriangleBudget && segments > kMinFrondSegments) --segments;
    while (cost(fronds, segments) > kPalmLeafTriangleBudget && fronds > kMinFronds) --fronds;
}

ModelDescription makePalmLeaves(const Island& island)
{
    const std::vector<Palm>& palms = island.palms();
    if (palms.empty()) throw std::invalid_argument("palm leaves: the island has no palms");
    int fronds = 0, segments = 0;
    frondShape(palms.size(), fronds, segments);
    ModelDescription model;
    model.materials = {{kLeafMaterial, {70, 120, 40}, "palmleaf.tga"}};

    int index = 0;
    for (const Palm& palm : palms) {
        Rng rng(palm.seed * 131ull + 9);
        MeshBuilder mesh("palmcrown" + std::to_string(index++));
        const Vec3 crown = palmCrown(palm);
        const Vec3 crownModel = palmModelPoint(crown);
        mesh.vertex(crownModel, {0, 1, 0}, 0.0, 0.5);   // the crown: first vertex, shared by every frond
        const double frondLength = palm.height * rng.range(0.36, 0.44);
        for (int f = 0; f < fronds; ++f) {
            double azimuth = palm.turn + 2 * kPi * (f + rng.range(-0.2, 0.2)) / fronds;
            // Young fronds stand up, old ones hang: the rise and droop vary around the crown.
            double rise = rng.range(0.15, 0.75);
            double droop = rng.range(0.9, 1.5);
            double width = frondLength * rng.range(0.34, 0.40);
            double roll = rng.range(-0.35, 0.35);
            double lengthHere = frondLength * rng.range(0.85, 1.1);
            Vec3 out{std::cos(azimuth), 0, std::sin(azimuth)};
            Vec3 across{-out.z, 0, out.x};
            auto spine = [&](double s) {
                double h = lengthHere * s * (1.0 - 0.25 * s * s);
                double y = lengthHere * (rise * s - droop * 0.5 * s * s * s * 0.9 - 0.25 * s * s);
                return crown + out * h + Vec3{0, y, 0};
            };
            std::vector<uint16_t> left(segments + 1), right(segments + 1), backLeft(segments + 1), backRight(segments + 1);
            for (int k = 1; k <= segments; ++k) {
                double s = static_cast<double>(k) / segments;
                Vec3 p = spine(s);
                Vec3 tangent = normalized(spine(std::min(1.0, s + 0.01)) - spine(s - 0.01));
                Vec3 side = normalized(across * std::cos(roll * s) + Vec3{0, 1, 0} * std::sin(roll * s));
                side = normalized(side - tangent * dot(side, tangent));
                // Narrow at the crown, full width from a quarter of the way out.
                double halfWidth = 0.5 * width * std::min(1.0, 0.3 + 2.8 * s);
                Vec3 normal = normalized(cross(side, tangent));
                // The leaflets hang on both sides of the midrib: edges lower than the spine.
                Vec3 sag = Vec3{0, -halfWidth * 0.35, 0};
                Vec3 l = palmModelPoint(p + side * halfWidth + sag), r = palmModelPoint(p - side * halfWidth + sag);
                left[k] = mesh.vertex(l, normal, s, 1.0);
                right[k] = mesh.vertex(r, normal, s, 0.0);
                backLeft[k] = mesh.vertex(l, normal * -1.0, s, 1.0);
                backRight[k] = mesh.vertex(r, normal * -1.0, s, 0.0);
            }
            // left lies along +side and side × tangent points up, so crown → left → right turns
            // counter-clockwise seen from above: the front faces up; the back repeats it reversed.
            auto both = [&](uint16_t f0, uint16_t f1, uint16_t f2, uint16_t b0, uint16_t b1, uint16_t b2) {
                mesh.triangle(f0, f1, f2, kLeafMaterial);
                mesh.triangle(b0, b2, b1, kLeafMaterial);
            };
            both(0, left[1], right[1], 0, backLeft[1], backRight[1]);
            for (int k = 1; k < segments; ++k) {
                both(left[k], left[k + 1], right[k + 1], backLeft[k], backLeft[k + 1], backRight[k + 1]);
                both(left[k], right[k + 1], right[k], backLeft[k], backRight[k + 1], backRight[k]);
            }
        }
        model.objects.push_back(mesh.finish());
    }
    return model;
}

static double fraction(double x) { return x - std::floor(x); }
static double unitHash(int a, int b, uint32_t seed) { return hash3(a, b, seed) / 4294967296.0; }

Picture makeBarkTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 40503u + 77u);
    Picture picture(kBarkTextureWidth, kBarkTextureHeight, 3);
    for (int y = 0; y < kBarkTextureHeight; ++y)
        for (int x = 0; x < kBarkTextureWidth; ++x) {
            double u = (x + 0.5) / kBarkTextureWidth, v = 1.0 - (y + 0.5) / kBarkTextureHeight;
            // Rings: scars of fallen fronds, wavy around the trunk; each ring its own fibres.
            double ringCoordinate = v * kBarkRings + 0.12 * periodicNoise(u * 4, v * 4, 4, s);
            double phase = fraction(ringCoordinate);
            int ring = static_cast<int>(std::floor(ringCoordinate)) % kBarkRings;
            double groove = std::exp(-std::pow(phase / 0.07, 2.0)) + std::exp(-std::pow((1.0 - phase) / 0.05, 2.0));
            double swell = std::exp(-std::pow((phase - 0.25) / 0.15, 2.0));
            double fibres = periodicFbm(u * 48, ring * 7.3 + phase * 0.8, 48, 4, s + 1);
            double blotch = periodicFbm(u * 8, v * 8, 8, 4, s + 2);
            double light = 0.52 + 0.12 * fibres + 0.10 * blotch + 0.10 * swell - 0.32 * groove;
            float* p = picture.at(x, y);
            p[0] = static_cast<float>(light * 0.95);
            p[1] = static_cast<float>(light * 0.84);
            p[2] = static_cast<float>(light * 0.68);
        }
    return picture;
}

Picture makeLeafTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 69069u + 3u);
    const int leaflets = 34;                     // along each side of the midrib
    const double slant = 0.32;                  // how far a leaflet reaches toward the tip (along per across)
    const double pixelsPerLeaflet = static_cast<double>(kLeafTextureWidth) / leaflets;
    const double pixelsAcross = kLeafTextureHeight / 2.0;
    Picture picture(kLeafTextureWidth, kLeafTextureHeight, 4);
    for (int y = 0; y < kLeafTextureHeight; ++y)
        for (int x = 0; x < kLeafTextureWidth; ++x) {
            double along = (x + 0.5) / kLeafTextureWidth;
            double across = 2.0 * (1.0 - (y + 0.5) / kLeafTextureHeight) - 1.0;
            double out = std::abs(across);
            int side = across < 0 ? 1 : 0;
            // Under the cut-out the colour is an average green, so mipmaps do not darken the edges.
            double r = 0.24, g = 0.40, b = 0.13, alpha = 0.0;

            double q = (along - slant * std::pow(out, 1.15)) * leaflets + 0.5 * side;
            int cell = static_cast<int>(std::floor(q));
            double f = fraction(q);
            double start = static_cast<double>(cell) / leaflets;
            // Leaflets are short at the stalk, longest a third of the way out, and shorten to the
            // tip so that none runs past the picture's end.
            double envelope = smoothstep(0.03, 0.2, start) * (1.0 - 0.55 * smoothstep(0.35, 1.0, start)) * 0.97;
            double roomToTip = std::max(0.0, 0.985 - start) / slant;
            envelope = std::min(envelope, std::pow(roomToTip, 1.0 / 1.15));
            double reach = envelope * (0.86 + 0.14 * unitHash(cell, side, s));
            bool torn = unitHash(cell, side + 7, s) < 0.04;
            if (start >= 0 && reach > 0.05 && out < reach && !torn) {
                double t = out / reach;
                double halfWidth = 0.5 * (0.86 * std::pow(1.0 - t, 0.45) + 0.05);
                double coverage = std::clamp((halfWidth - std::abs(f - 0.5)) * pixelsPerLeaflet + 0.5, 0.0, 1.0);
                coverage *= std::clamp((reach - out) * pixelsAcross + 0.5, 0.0, 1.0);
                if (coverage > 0) {
                    double shade = 0.85 + 0.3 * unitHash(cell, side + 3, s) + 0.08 * fbm(along * 20, across * 6, 3, s);
                    double vein = std::exp(-std::pow((f - 0.5) / 0.08, 2.0));
                    double yellow = 0.5 * smoothstep(0.55, 1.0, t) + 0.25 * smoothstep(0.6, 1.0, along);
                    r = mix(0.22, 0.58, yellow) * shade + 0.08 * vein;
                    g = mix(0.47, 0.62, yellow) * shade + 0.10 * vein;
                    b = mix(0.12, 0.18, yellow) * shade + 0.03 * vein;
                    alpha = coverage;
                }
            }
            // The midrib, thick at the stalk and thin at the tip, on top of everything.
            double rib = 0.055 * (1.0 - 0.75 * along) * smoothstep(1.0, 0.96, along);
            double ribCoverage = std::clamp((rib - out) * pixelsAcross + 0.5, 0.0, 1.0);
            if (ribCoverage > 0) {
                double shine = 1.0 - 0.4 * (out / std::max(rib, 1e-6));
                r = mix(r, 0.52 * shine, ribCoverage);
                g = mix(g, 0.50 * shine, ribCoverage);
                b = mix(b, 0.24 * shine, ribCoverage);
                alpha = std::max(alpha, ribCoverage);
            }
            float* p = picture.at(x, y);
            p[0] = static_cast<float>(r), p[1] = static_cast<float>(g), p[2] = static_cast<float>(b);
            p[3] = static_cast<float>(alpha);
        }
    return picture;
}
