// The island's shape: a noisy coastline with a headland and a bay, beaches that rise into
// lowlands, jungle hills and two rocky peaks; a sandy shelf that falls under the sea floor.
#include "island.h"

#include "noise.h"
#include "random.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

static constexpr double kPi = 3.14159265358979323846;
static constexpr double kCoastBase = 315.0;
static constexpr double kShelfDepth = -7.0;
static constexpr double kShelfWidth = 75.0;     // from the shore to the shelf's edge
static constexpr double kShelfDrop = 55.0;      // from the shelf's edge to below the sea floor

static double angleBetween(double a, double b)
{
    double d = std::fmod(a - b + 3 * kPi, 2 * kPi) - kPi;
    return d;
}

Island::Island(uint64_t seed) : seed_(static_cast<uint32_t>(seed ^ (seed >> 32)))
{
    Rng rng(seed ^ 0x15A7D11ull);
    headlandAngle_ = rng.range(0, 2 * kPi);
    bayAngle_ = headlandAngle_ + rng.range(1.9, 2.6);
    // Two peaks inland, on opposite sides of the centre, away from the bay.
    double a = bayAngle_ + kPi + rng.range(-0.5, 0.5);
    peakX_[0] = std::cos(a) * rng.range(70, 110);
    peakZ_[0] = std::sin(a) * rng.range(70, 110);
    peakHeight_[0] = rng.range(74, 82);
    peakWidth_[0] = rng.range(85, 100);
    double b = a + rng.range(2.2, 2.8);
    peakX_[1] = std::cos(b) * rng.range(60, 100);
    peakZ_[1] = std::sin(b) * rng.range(60, 100);
    peakHeight_[1] = rng.range(48, 56);
    peakWidth_[1] = rng.range(65, 80);

    // Low islands on the horizon, away from the ship's side of the sea (-z).
    for (int i = 0; i < 3; ++i) {
        double angle = kPi * 0.5 + (i - 1) * rng.range(0.9, 1.2) + rng.range(-0.2, 0.2);
        double r = rng.range(2000, 2500);
        distant_.push_back({std::cos(angle) * r, std::sin(angle) * r, rng.range(260, 380), rng.range(14, 30)});
    }

    grid_.resize(static_cast<size_t>(kGrid) * kGrid);
    const double step = 2 * kIslandExtent / (kGrid - 1);
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i)
            grid_[static_cast<size_t>(j) * kGrid + i] =
                static_cast<float>(height(-kIslandExtent + i * step, -kIslandExtent + j * step));
    placePalms();
}

double Island::coastRadius(double angle) const
{
    double r = kCoastBase + 42.0 * angularNoise(angle, 5, 3, seed_ + 1) + 14.0 * angularNoise(angle, 19, 2, seed_ + 2);
    r += 70.0 * std::exp(-std::pow(angleBetween(angle, headlandAngle_) / 0.16, 2));
    r -= 95.0 * std::exp(-std::pow(angleBetween(angle, bayAngle_) / 0.3, 2));
    return std::clamp(r, 150.0, 380.0);
}

double Island::seaFloorBase(double x, double z) const
{
    double r = std::hypot(x, z);
    double floor = -12.0 - 0.032 * std::max(0.0, r - 300.0);
    return std::max(floor, -85.0) + 2.0 * fbm(x / 300.0, z / 300.0, 3, seed_ + 40);
}

double Island::distantIslandHeight(const DistantIsland& d, double x, double z) const
{
    // From under the sea floor at the rim to the peak, lumpy, with a flat sandy margin.
    double q = std::hypot(x - d.x, z - d.z) / d.radius;
    double bump = std::pow(smoothstep(1.6, 0.0, q), 0.7) * (0.75 + 0.5 * (fbm(x / 80.0, z / 80.0, 4, seed_ + 50) * 0.5 + 0.5));
    return mix(seaFloorBase(x, z) - 3.0, d.peak, bump);
}

double Island::seaFloor(double x, double z) const
{
    double floor = seaFloorBase(x, z);
    for (const DistantIsland& d : distant_)
        if (std::hypot(x - d.x, z - d.z) < 1.6 * d.radius) floor = std::max(floor, distantIslandHeight(d, x, z));
    return floor;
}

double Island::height(double x, double z) const
{
    double r = std::hypot(x, z);
    double angle = std::atan2(z, x);
    double coast = coastRadius(angle);
    double fromShore = r - coast;   // negative on land
    double ripple = 0.35 * fbm(x / 25.0, z / 25.0, 3, seed_ + 3);

    if (fromShore >= 0) {
        double shelf = kShelfDepth * smoothstep(0.0, kShelfWidth, fromShore) - 0.6 * smoothstep(0.0, 6.0, fromShore);
        double below = seaFloor(x, z) - 5.0;
        double t = smoothstep(kShelfWidth, kShelfWidth + kShelfDrop, fromShore);
        return mix(shelf + ripple, below, t);
    }
    double inland = -fromShore;                                          // distance from the shore
    double beach = 0.4 + 2.6 * smoothstep(0.0, 28.0, inland);            // wide flat sand
    double lowland = 7.0 * smoothstep(24.0, 70.0, inland) * (0.7 + 0.6 * (fbm(x / 120.0, z / 120.0, 3, seed_ + 4) * 0.5 + 0.5));
    double hillMask = smoothstep(45.0, 140.0, inland);
    double hills = hillMask * 30.0 * std::max(0.0, fbm(x / 140.0, z / 140.0, 5, seed_ + 5) * 0.7 + 0.35);
    double peaks = 0.0;
    double rock = 0.75 + 0.5 * ridged(x / 55.0, z / 55.0, 4, seed_ + 6);
    for (int p = 0; p < 2; ++p) {
        double d2 = (x - peakX_[p]) * (x - peakX_[p]) + (z - peakZ_[p]) * (z - peakZ_[p]);
        peaks += peakHeight_[p] * std::exp(-d2 / (peakWidth_[p] * peakWidth_[p])) * rock;
    }
    peaks *= smoothstep(20.0, 120.0, inland);
    return beach + lowland + hills + peaks + ripple * smoothstep(0.0, 30.0, inland);
}

double Island::sampledHeight(double x, double z) const
{
    const double step = 2 * kIslandExtent / (kGrid - 1);
    double fx = std::clamp((x + kIslandExtent) / step, 0.0, kGrid - 1.0001);
    double fz = std::clamp((z + kIslandExtent) / step, 0.0, kGrid - 1.0001);
    int i = static_cast<int>(fx), j = static_cast<int>(fz);
    double u = fx - i, v = fz - j;
    auto at = [&](int a, int b) { return static_cast<double>(grid_[static_cast<size_t>(b) * kGrid + a]); };
    return mix(mix(at(i, j), at(i + 1, j), u), mix(at(i, j + 1), at(i + 1, j + 1), u), v);
}

double Island::slope(double x, double z) const
{
    const double h = 2.0;
    double dx = (sampledHeight(x + h, z) - sampledHeight(x - h, z)) / (2 * h);
    double dz = (sampledHeight(x, z + h) - sampledHeight(x, z - h)) / (2 * h);
    return std::hypot(dx, dz);
}

void Island::placePalms()
{
    Rng rng(static_cast<uint64_t>(seed_) * 7919u + 17u);
    const int wanted = 38;
    for (int attempt = 0; attempt < 20000 && static_cast<int>(palms_.size()) < wanted; ++attempt) {
        double angle = rng.range(0, 2 * kPi);
        double coast = coastRadius(angle);
        // Mostly just behind the beach, some further into the lowlands.
        double inland = rng.uniform() < 0.75 ? rng.range(10, 40) : rng.range(40, 90);
        double r = coast - inland;
        double x = std::cos(angle) * r, z = std::sin(angle) * r;
        double y = sampledHeight(x, z);
        if (y < 1.2 || y > 12.0 || slope(x, z) > 0.22) continue;
        bool crowded = false;
        for (const Palm& p : palms_)
            if (std::hypot(p.x - x, p.z - z) < 16.0) crowded = true;
        if (crowded) continue;
        Palm palm;
        palm.x = x;
        palm.z = z;
        palm.baseY = y - 0.6;
        palm.height = rng.range(10.0, 20.0);
        // Palms lean out toward the sea, each a little differently.
        double leanAngle = angle + rng.range(-0.6, 0.6);
        palm.leanX = std::cos(leanAngle);
        palm.leanZ = std::sin(leanAngle);
        palm.lean = rng.range(0.08, 0.3);
        palm.turn = rng.range(0, 2 * kPi);
        palm.seed = static_cast<uint32_t>(rng.next());
        palms_.push_back(palm);
    }
}

const Island& islandFor(uint64_t seed)
{
    static std::mutex lock;
    static std::map<uint64_t, std::unique_ptr<Island>> made;
    std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<Island>& island = made[seed];
    if (!island) island = std::make_unique<Island>(seed);
    return *island;
}
