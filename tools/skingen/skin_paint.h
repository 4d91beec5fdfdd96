// Painting helpers for the skin: seeded noise, the frame's materials (bamboo, driftwood, rope,
// palm trunk, painted plank, teak, bleached wood) with their shading, brass, and the turn of a
// painted picture into a 24-bit bitmap whose open pixels hold a key colour.
#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRect>

#include <cstdint>
#include <vector>

enum class Material { Bamboo, Driftwood, Rope, PalmTrunk, BluePlank, Teak, Bleached };
constexpr int kMaterials = 7;

// Smooth value noise in [0, 1] on a unit lattice, and its sum over octaves (also in [0, 1]).
double valueNoise(double x, double y, uint32_t seed);
double fractalNoise(double x, double y, int octaves, uint32_t seed);

// Fills area (in the painter's coordinates) with the material, its long axis along `axis`, shaded
// as a round pole (or a flat plank for the planks). The texture follows the painter's
// coordinates, so two pictures painting neighbouring parts of one pole meet without a seam.
// nodes: places along the long axis of bamboo's nodes; empty gives bamboo evenly spaced ones.
void paintMaterial(QPainter& painter, const QRect& area, Material material, Qt::Orientation axis, uint32_t seed,
                   const std::vector<int>& nodes = {});

// Polished brass from light to dark along from → to.
QLinearGradient brassGradient(QPointF from, QPointF to);
// A brass band around a pole: shaded across the pole (axis is the pole's long axis).
void paintCollar(QPainter& painter, const QRectF& band, Qt::Orientation axis);
void paintRivet(QPainter& painter, QPointF centre, double radius);
// A twisted rope from one point to another.
void paintRope(QPainter& painter, QPointF from, QPointF to, double width);

// A 24-bit picture of a premultiplied ARGB one: pixels at least half opaque keep their colour,
// the rest become key. A kept pixel that happens to equal key is moved by one step of blue, so
// only the open pixels hold the key colour.
QImage keyedBitmap(const QImage& painted, QRgb key);
constexpr QRgb kPureGreen = 0xff00ff00;
