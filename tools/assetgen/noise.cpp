// Gradient noise with a quintic fade; periodic versions wrap the lattice coordinates.
#include "noise.h"

#include <cmath>

uint32_t hash3(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

static double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

static double corner(int32_t ix, int32_t iy, double dx, double dy, uint32_t seed)
{
    double angle = (hash3(ix, iy, seed) & 0xFFFF) * (6.283185307179586 / 65536.0);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

static double lattice(double x, double y, int period, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int32_t x0 = static_cast<int32_t>(fx), y0 = static_cast<int32_t>(fy);
    double dx = x - fx, dy = y - fy;
    auto wrap = [period](int32_t v) {
        if (period <= 0) return v;
        int32_t m = v % period;
        return m < 0 ? m + period : m;
    };
    int32_t xa = wrap(x0), xb = wrap(x0 + 1), ya = wrap(y0), yb = wrap(y0 + 1);
    double n00 = corner(xa, ya, dx, dy, seed), n10 = corner(xb, ya, dx - 1, dy, seed);
    double n01 = corner(xa, yb, dx, dy - 1, seed), n11 = corner(xb, yb, dx - 1, dy - 1, seed);
    double u = fade(dx), v = fade(dy);
    return 1.41421356 * mix(mix(n00, n10, u), mix(n01, n11, u), v);
}

double gradientNoise(double x, double y, uint32_t seed) { return lattice(x, y, 0, seed); }

double periodicNoise(double x, double y, int period, uint32_t seed) { return lattice(x, y, period, seed); }

double fbm(double x, double y, int octaves, uint32_t seed, double gain)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradientNoise(x, y, seed + static_cast<uint32_t>(o) * 101u);
        norm += amplitude;
        amplitude *= gain;
        x *= 2.0;
        y *= 2.0;
    }
    return sum / norm;
}

double periodicFbm(double x, double y, int period, int octaves, uint32_t seed, double gain)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * periodicNoise(x, y, period, seed + static_cast<uint32_t>(o) * 101u);
        norm += amplitude;
        amplitude *= gain;
        x *= 2.0;
        y *= 2.0;
        period *= 2;
    }
    return sum / norm;
}

double ridged(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        double n = 1.0 - std::fabs(gradientNoise(x, y, seed + static_cast<uint32_t>(o) * 131u));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= 0.5;
        x *= 2.0;
        y *= 2.0;
    }
    return sum / norm;
}

CellDistances periodicCells(double x, double y, int period, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int32_t cx = static_cast<int32_t>(fx), cy = static_cast<int32_t>(fy);
    CellDistances d{1e9, 1e9};
    for (int32_t oy = -1; oy <= 1; ++oy)
        for (int32_t ox = -1; ox <= 1; ++ox) {
            int32_t ix = cx + ox, iy = cy + oy;
            int32_t wx = ((ix % period) + period) % period, wy = ((iy % period) + period) % period;
            uint32_t h = hash3(wx, wy, seed);
            double px = ix + 0.1 + 0.8 * (h & 0xFFFF) / 65535.0, py = iy + 0.1 + 0.8 * (h >> 16) / 65535.0;
            double dist = std::hypot(px - x, py - y);
            if (dist < d.f1) {
                d.f2 = d.f1;
                d.f1 = dist;
            } else if (dist < d.f2) {
                d.f2 = dist;
            }
        }
    return d;
}

double angularNoise(double angle, int cells, int octaves, uint32_t seed)
{
    // Around a circle of the lattice, so the ends meet.
    double t = angle / 6.283185307179586 * cells;
    return periodicFbm(t, 0.5, cells, octaves, seed);
}

double smoothstep(double edge0, double edge1, double x)
{
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}

double mix(double a, double b, double t) { return a + (b - a) * t; }
