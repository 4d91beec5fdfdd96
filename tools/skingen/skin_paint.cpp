// Materials are computed pixel by pixel from noise; brass and rope are painted with QPainter.
#include "skin_paint.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double fade(double t) { return t * t * (3 - 2 * t); }

struct Rgb {
    double r, g, b;
    Rgb operator*(double k) const { return {r * k, g * k, b * k}; }
    Rgb operator+(const Rgb& o) const { return {r + o.r, g + o.g, b + o.b}; }
};

Rgb mixRgb(const Rgb& a, const Rgb& b, double t) { return a * (1 - t) + b * t; }

QRgb toQRgb(const Rgb& c)
{
    auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); };
    return qRgb(byte(c.r), byte(c.g), byte(c.b));
}

// Light across a round pole: dark at both edges, a highlight a little off the middle.
double roundShading(double u)
{
    const double body = 0.55 + 0.45 * std::sin(kPi * std::clamp(u, 0.0, 1.0));
    const double highlight = 0.28 * std::exp(-std::pow((u - 0.32) / 0.09, 2));
    return body + highlight;
}

double flatShading(double u)
{
    const double edge = std::min(u, 1 - u);
    return edge < 0.07 ? 0.72 + 4 * edge : 1.0;
}

double distanceToNearest(double along, const std::vector<int>& nodes)
{
    double best = 1e9;
    for (int n : nodes) best = std::min(best, std::fabs(along - n));
    return best;
}

Rgb materialColour(Material m, double u, double along, double across, uint32_t seed, const std::vector<int>& nodes)
{
    switch (m) {
    case Material::Bamboo: {
        const Rgb base{206, 170, 92}, green{170, 168, 88};
        const double fibre = fractalNoise(along / 45.0, across / 1.6, 3, seed) - 0.5;
        const double d = distanceToNearest(along, nodes);
        Rgb c = mixRgb(base, green, std::clamp(d / 40.0, 0.0, 0.35)) * (1 + 0.22 * fibre);
        if (d < 1.6) c = c * 0.55;
        else if (d < 4.5) c = c * 1.12;
        return c * roundShading(u);
    }
    case Material::Driftwood: {
        const Rgb base{160, 146, 126};
        const double grain = fractalNoise(along / 70.0, across / 3.0, 4, seed);
        const double crack = fractalNoise(along / 30.0, across / 1.3, 2, seed + 7);
        Rgb c = base * (0.72 + 0.5 * grain);
        if (crack > 0.68) c = c * 0.6;
        return c * (0.8 + 0.22 * std::sin(kPi * u));
    }
    case Material::Rope: {
        const Rgb base{200, 168, 112};
        const double phase = (along + across * 1.1) / 9.0;
        const double f = phase - std::floor(phase);
        const double fibre = fractalNoise(along / 3.0, across / 3.0, 2, seed) - 0.5;
        return base * (0.55 + 0.45 * std::sin(kPi * f) + 0.2 * fibre) * roundShading(u);
    }
    case Material::PalmTrunk: {
        const Rgb base{132, 96, 62}, fibre{96, 70, 46};
        const double chevron = (along + 9.0 * std::fabs(u - 0.5)) / 13.0;
        const double t = chevron - std::floor(chevron);
        const double hair = fractalNoise(along / 2.0, across / 6.0, 2, seed);
        Rgb c = mixRgb(base, fibre, hair * 0.6);
        if (t > 0.78) c = c * 0.58;
        else c = c * (0.85 + 0.25 * t);
        return c * roundShading(u);
    }
    case Material::BluePlank: {
        const Rgb paint{58, 118, 170}, wood{176, 156, 124};
        const double chip = fractalNoise(along / 16.0, across / 8.0, 3, seed);
        const double grain = fractalNoise(along / 60.0, across / 2.5, 3, seed + 3);
        Rgb c = chip > 0.66 ? wood * (0.8 + 0.3 * grain) : paint * (0.86 + 0.28 * grain);
        return c * flatShading(u);
    }
    case Material::Teak: {
        const Rgb base{146, 84, 48};
        const double warp = fractalNoise(along / 90.0, across / 25.0, 3, seed);
        const double ring = 0.5 + 0.5 * std::sin((across + 10 * warp) * 1.4);
        const double fine = fractalNoise(along / 20.0, across / 1.2, 2, seed + 5);
        return base * (0.78 + 0.16 * ring + 0.18 * fine) * roundShading(u);
    }
    case Material::Bleached: {
        const Rgb base{224, 218, 202};
        const double grain = fractalNoise(along / 80.0, across / 2.2, 4, seed);
        const double knot = fractalNoise(along / 14.0, across / 14.0, 1, seed + 9);
        Rgb c = base * (0.82 + 0.24 * grain);
        if (knot > 0.84) c = c * 0.9;
        return c * (0.84 + 0.18 * std::sin(kPi * u));
    }
    }
    return {0, 0, 0};
}

}  // namespace

double valueNoise(double x, double y, uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    const double tx = fade(x - fx), ty = fade(y - fy);
    auto corner = [&](int dx, int dy) { return hash(ix + dx, iy + dy, seed) / 4294967295.0; };
    const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * tx;
    const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

double fractalNoise(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(x, y, seed + uint32_t(o) * 101u);
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
    }
    return sum / total;
}

void paintMaterial(QPainter& painter, const QRect& area, Material material, Qt::Orientation axis, uint32_t seed,
                   const std::vector<int>& nodes)
{
    if (area.isEmpty()) return;
    std::vector<int> bambooNodes = nodes;
    if (bambooNodes.empty()) {
        const int from = axis == Qt::Horizontal ? area.left() : area.top();
        const int length = axis == Qt::Horizontal ? area.width() : area.height();
        for (int n = from + 30 + int(seed % 17); n < from + length; n += 58) bambooNodes.push_back(n);
    }
    QImage texture(area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < area.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(texture.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const double fx = area.left() + x + 0.5, fy = area.top() + y + 0.5;
            const bool horizontal = axis == Qt::Horizontal;
            const double u = horizontal ? (y + 0.5) / area.height() : (x + 0.5) / area.width();
            row[x] = toQRgb(materialColour(material, u, horizontal ? fx : fy, horizontal ? fy : fx, seed, bambooNodes));
        }
    }
    painter.drawImage(area.topLeft(), texture);
}

QLinearGradient brassGradient(QPointF from, QPointF to)
{
    QLinearGradient g(from, to);
    g.setColorAt(0.0, QColor(255, 236, 160));
    g.setColorAt(0.35, QColor(214, 168, 62));
    g.setColorAt(0.7, QColor(150, 104, 30));
    g.setColorAt(1.0, QColor(96, 62, 18));
    return g;
}

void paintCollar(QPainter& painter, const QRectF& band, Qt::Orientation axis)
{
    QLinearGradient g = axis == Qt::Vertical ? QLinearGradient(band.left(), 0, band.right(), 0)
                                             : QLinearGradient(0, band.top(), 0, band.bottom());
    g.setColorAt(0.0, QColor(120, 80, 22));
    g.setColorAt(0.3, QColor(255, 230, 150));
    g.setColorAt(0.55, QColor(208, 160, 60));
    g.setColorAt(1.0, QColor(92, 60, 16));
    painter.fillRect(band, g);
    // Ridges at both ends of the band.
    painter.setPen(QPen(QColor(80, 52, 14), 1));
    if (axis == Qt::Vertical) {
        painter.drawLine(QPointF(band.left(), band.top() + 0.5), QPointF(band.right(), band.top() + 0.5));
        painter.drawLine(QPointF(band.left(), band.bottom() - 0.5), QPointF(band.right(), band.bottom() - 0.5));
    } else {
        painter.drawLine(QPointF(band.left() + 0.5, band.top()), QPointF(band.left() + 0.5, band.bottom()));
        painter.drawLine(QPointF(band.right() - 0.5, band.top()), QPointF(band.right() - 0.5, band.bottom()));
    }
}

void paintRivet(QPainter& painter, QPointF centre, double radius)
{
    QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.4);
    g.setColorAt(0, QColor(255, 244, 200));
    g.setColorAt(0.5, QColor(196, 146, 52));
    g.setColorAt(1, QColor(90, 58, 16));
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.drawEllipse(centre, radius, radius);
}

void paintRope(QPainter& painter, QPointF from, QPointF to, double width)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0) return;
    const QPointF along = d / length, across(-along.y(), along.x());
    painter.setPen(QPen(QColor(120, 92, 54), width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, to);
    // The twist: short light strokes slanting across the rope.
    painter.setPen(QPen(QColor(214, 184, 128), width * 0.28, Qt::SolidLine, Qt::RoundCap));
    for (double s = width * 0.5; s < length; s += width * 0.9) {
        const QPointF c = from + along * s;
        painter.drawLine(c - across * (width * 0.35) - along * (width * 0.25),
                         c + across * (width * 0.35) + along * (width * 0.25));
    }
}

QImage keyedBitmap(const QImage& painted, QRgb key)
{
    const QImage source = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(source.size(), QImage::Format_RGB888);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* o = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            QRgb c = key;
            if (qAlpha(in[x]) >= 128) {
                c = qUnpremultiply(in[x]);
                if ((c & 0xffffff) == (key & 0xffffff)) c ^= 1;
            }
            o[3 * x] = uchar(qRed(c));
            o[3 * x + 1] = uchar(qGreen(c));
            o[3 * x + 2] = uchar(qBlue(c));
        }
    }
    return out;
}
