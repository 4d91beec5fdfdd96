// The frame is a beach hut's window: a bamboo beam along the top, posts down both sides joined
// by brass collars, a sun-bleached plank along the bottom, and in the top-left corner an old
// teak television with a brass bezel. The left and right upper posts and their ornaments come
// in seven materials each. Every part paints the one scene clipped to the pixels it owns inside
// the outline; what it does not own, or the scene leaves open, is pure green.
#include "skin_frame.h"

#include "skin_ornaments.h"
#include "skin_outline.h"
#include "skin_paint.h"

#include <QPainterPath>

#include <array>
#include <stdexcept>

namespace {

constexpr int kBeamBottom = 30;
constexpr QRect kBeam(0, 0, 749, kBeamBottom);
constexpr QRect kLeftUpperPost(0, 0, 36, 372);
constexpr QRect kLeftLowerPost(32, 372, 30, 174);
constexpr QRect kRightUpperPost(748, 35, 34, 286);
constexpr QRect kRightLowerPost(760, 321, 29, 233);
constexpr QRect kPlank(62, 517, 698, 37);
constexpr QRect kCabinet(34, 26, 316, 274);
// The plaque with the porthole through which the glass float is seen.
constexpr QRectF kPlaque(351, 82, 39, 104);
constexpr QPointF kPorthole(371, 124);
constexpr double kPortholeRadius = 14, kFloatRadius = 19;
constexpr QPointF kRopeTop(371, 24);

constexpr std::array<Ornament, kFrameVariants> kLeftOrnaments{
    Ornament::Starfish, Ornament::Scallop, Ornament::Compass, Ornament::Coconuts,
    Ornament::Anchor, Ornament::ShipWheel, Ornament::Hibiscus};
constexpr std::array<Ornament, kFrameVariants> kRightOrnaments{
    Ornament::Bell, Ornament::Lantern, Ornament::GlassFloat, Ornament::Starfish,
    Ornament::Hibiscus, Ornament::Anchor, Ornament::Scallop};

Material leftMaterial(int variant) { return Material(variant - 1); }
Material rightMaterial(int variant) { return Material((variant - 1 + 3) % kMaterials); }

QPolygon screenInForm()
{
    return screenOutline().translated(kScreenPanel.topLeft());
}

// A superellipse around the screen, grown by `by` pixels, as a path.
QPainterPath screenRing(double by)
{
    constexpr double cx = 49 + 142, cy = 43 + 120, a = 140, b = 117;
    QPainterPath path;
    const int n = 180;
    for (int i = 0; i <= n; ++i) {
        const double t = 2 * 3.14159265358979323846 * i / n, c = std::cos(t), s = std::sin(t);
        const QPointF p(cx + (a + by) * std::copysign(std::sqrt(std::fabs(c)), c),
                        cy + (b + by) * std::copysign(std::sqrt(std::fabs(s)), s));
        if (i == 0) path.moveTo(p);
        else path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

void paintTelevision(QPainter& p)
{
    QPainterPath cabinet;
    cabinet.addRoundedRect(QRectF(kCabinet), 10, 10);
    p.save();
    p.setClipPath(cabinet, Qt::IntersectClip);
    paintMaterial(p, kCabinet, Material::Teak, Qt::Horizontal, 41);
    p.restore();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(60, 32, 16), 2));
    p.drawPath(cabinet);
    // The brass bezel, its inner lip, and rivets around it.
    p.setPen(QPen(QColor(84, 54, 14), 1));
    p.setBrush(brassGradient(QPointF(49, 40), QPointF(334, 290)));
    p.drawPath(screenRing(11));
    p.setBrush(QColor(40, 30, 22));
    p.drawPath(screenRing(3));
    for (int i = 0; i < 16; ++i) {
        const double t = 2 * 3.14159265358979323846 * (i + 0.5) / 16, c = std::cos(t), s = std::sin(t);
        paintRivet(p, QPointF(191 + 147 * std::copysign(std::sqrt(std::fabs(c)), c),
                              163 + 124 * std::copysign(std::sqrt(std::fabs(s)), s)), 2.2);
    }
    // The screen itself stays open: the slideshow panel fills it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.save();
    p.setClipRegion(outlineRegion(screenInForm()), Qt::IntersectClip);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(kCabinet, Qt::transparent);
    p.restore();
}

void paintHangingShells(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath cord;
    cord.moveTo(430, kBeamBottom - 2);
    cord.quadTo(555, 64, 680, kBeamBottom - 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 84, 50), 1.6));
    p.drawPath(cord);
    for (int i = 1; i <= 7; ++i) {
        const QPointF at = cord.pointAtPercent(i / 8.0);
        p.setPen(QPen(QColor(110, 84, 50), 1));
        p.drawLine(at, at + QPointF(0, 5));
        paintOrnament(p, i % 2 ? Ornament::Scallop : Ornament::Starfish, at + QPointF(0, 11), i % 2 ? 9 : 7);
    }
}

void paintPlankDecoration(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // A small painted sea with a sun at the plank's left end, before the slogan.
    const QRectF sea(112, 522, 92, 27);
    QPainterPath panel;
    panel.addRoundedRect(sea, 4, 4);
    QLinearGradient sky(0, sea.top(), 0, sea.bottom());
    sky.setColorAt(0, QColor(150, 206, 240));
    sky.setColorAt(0.5, QColor(60, 150, 200));
    sky.setColorAt(1, QColor(20, 90, 150));
    p.setPen(QPen(QColor(110, 80, 40), 1.5));
    p.setBrush(sky);
    p.drawPath(panel);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(186, 530), 5, 5);
    p.setBrush(QColor(226, 204, 150));
    p.drawEllipse(QRectF(126, 533, 30, 8));
    p.setPen(QPen(QColor(60, 40, 20), 1.2));
    p.drawLine(QPointF(140, 536), QPointF(137, 525));
    p.setPen(QPen(QColor(40, 120, 40), 1.6));
    for (int k = 0; k < 4; ++k) p.drawLine(QPointF(137, 525), QPointF(137 + (k - 1.5) * 4, 524 + (k % 2) * 3));
    p.setPen(QPen(QColor(235, 248, 255), 1.2));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 2; ++row)
        for (double x = 116 + row * 5; x < 200; x += 11) {
            QPainterPath wave;
            const double y = 543 + row * 3;
            wave.moveTo(x, y);
            wave.quadTo(x + 3, y - 3, x + 6, y);
            p.drawPath(wave);
        }
}

// The scene in form coordinates, the variant parts with their own look.
void paintScene(QPainter& p, int leftVariant, int rightVariant)
{
    paintTelevision(p);
    p.setRenderHint(QPainter::Antialiasing);
    paintRope(p, kRopeTop, QPointF(371, 86), 4);
    paintHangingShells(p);
    p.setRenderHint(QPainter::Antialiasing, false);

    paintMaterial(p, kBeam, Material::Bamboo, Qt::Horizontal, 11, beamNodes());
    p.setRenderHint(QPainter::Antialiasing);
    // The brass bracket under the beam's end where the right post meets it.
    p.setPen(QPen(QColor(84, 54, 14), 1));
    p.setBrush(brassGradient(QPointF(737, 24), QPointF(750, 37)));
    p.drawRect(QRectF(737.5, kBeamBottom - 5.5, 12, 14));
    p.setRenderHint(QPainter::Antialiasing, false);

    paintMaterial(p, kLeftUpperPost, leftMaterial(leftVariant), Qt::Vertical, 100 + leftVariant);
    paintMaterial(p, kLeftLowerPost, Material::Bamboo, Qt::Vertical, 21);
    paintMaterial(p, kRightUpperPost, rightMaterial(rightVariant), Qt::Vertical, 200 + rightVariant);
    paintMaterial(p, kRightLowerPost, Material::Bamboo, Qt::Vertical, 23);
    paintMaterial(p, kPlank, Material::Bleached, Qt::Horizontal, 31);

    p.setRenderHint(QPainter::Antialiasing);
    paintCollar(p, QRectF(0, 362, 64, 20), Qt::Vertical);
    paintCollar(p, QRectF(746, 312, 43, 18), Qt::Vertical);
    paintCollar(p, QRectF(748, 35, 34, 12), Qt::Vertical);
    paintCollar(p, QRectF(30, 0, 8, kBeamBottom), Qt::Horizontal);
    // Rope lashings where the plank meets the posts.
    for (double x : {64.0, 70.0, 748.0, 754.0}) paintRope(p, QPointF(x, 517), QPointF(x, 554), 5);
    paintPlankDecoration(p);
    for (double y : {80.0, 180.0, 280.0}) paintRivet(p, QPointF(18, y), 2.6);
    for (double y : {130.0, 230.0}) paintRivet(p, QPointF(765, y), 2.6);

    paintOrnament(p, kLeftOrnaments[leftVariant - 1], QPointF(33, 33), 27);
    paintOrnament(p, kRightOrnaments[rightVariant - 1], QPointF(765, 96), 18);
}

void paintBallPanel(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plaque;
    plaque.addRoundedRect(kPlaque, 6, 6);
    p.save();
    p.setClipPath(plaque, Qt::IntersectClip);
    paintMaterial(p, kPlaque.toAlignedRect(), Material::Teak, Qt::Vertical, 51);
    p.restore();
    p.setPen(QPen(QColor(60, 32, 16), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(plaque);
    p.setPen(QPen(QColor(84, 54, 14), 1));
    p.setBrush(brassGradient(kPorthole - QPointF(18, 18), kPorthole + QPointF(18, 18)));
    p.drawEllipse(kPorthole, kPortholeRadius + 5, kPortholeRadius + 5);
    for (int i = 0; i < 6; ++i) {
        const double a = i * 60 * 3.14159265358979323846 / 180;
        paintRivet(p, kPorthole + QPointF(std::cos(a), std::sin(a)) * (kPortholeRadius + 2.5), 1.4);
    }
    paintRivet(p, QPointF(371, 94), 2.4);
    paintRivet(p, QPointF(371, 176), 2.4);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawEllipse(kPorthole, kPortholeRadius, kPortholeRadius);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage paintedEdgePart(FramePart part, int variant)
{
    const QRect rect = partPlace(part).rect;
    QImage image = blank(rect.size());
    QPainter p(&image);
    p.translate(-rect.topLeft());
    p.setClipRegion(partOwnership(part) & outlineRegion(formOutline()));
    paintScene(p, part == FramePart::LeftTop ? variant : 1, part == FramePart::RightTop ? variant : 1);
    return image;
}

QImage exitPicture(bool underMouse)
{
    QImage image = blank(partPlace(FramePart::ExitPassive).rect.size());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(1, 1, 33, 26);
    p.setPen(QPen(QColor(84, 54, 14), 1.4));
    if (underMouse) {
        QRadialGradient g(plate.center(), 20);
        g.setColorAt(0, QColor(255, 150, 120));
        g.setColorAt(0.6, QColor(226, 70, 50));
        g.setColorAt(1, QColor(150, 30, 24));
        p.setBrush(g);
    } else {
        p.setBrush(brassGradient(plate.topLeft(), plate.bottomRight()));
    }
    p.drawRoundedRect(plate, 7, 7);
    for (QPointF c : {QPointF(5.5, 5.5), QPointF(29.5, 5.5), QPointF(5.5, 22.5), QPointF(29.5, 22.5)})
        paintRivet(p, c, 1.5);
    const QColor cross = underMouse ? QColor(255, 255, 255) : QColor(70, 40, 14);
    p.setPen(QPen(cross, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11.5, 7.5), QPointF(23.5, 20.5));
    p.drawLine(QPointF(23.5, 7.5), QPointF(11.5, 20.5));
    return image;
}

}  // namespace

QImage framePicture(FramePart part, int variant)
{
    if (variant < 1 || variant > kFrameVariants) throw std::invalid_argument("frame variant out of range");
    const QRect rect = partPlace(part).rect;
    switch (part) {
    case FramePart::ExitPassive: return keyedBitmap(exitPicture(false), kPureGreen);
    case FramePart::ExitActive: return keyedBitmap(exitPicture(true), kPureGreen);
    case FramePart::Ball: {
        QImage image = blank(rect.size());
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-rect.topLeft());
        paintGlassFloat(p, kPorthole, kFloatRadius);
        p.end();
        return keyedBitmap(image, kBallKey);
    }
    case FramePart::BallPanel: {
        QImage image = blank(rect.size());
        QPainter p(&image);
        p.translate(-rect.topLeft());
        p.setClipRect(rect);
        paintScene(p, 1, 1);
        paintBallPanel(p);
        p.end();
        return keyedBitmap(image, kPureGreen);
    }
    default: return keyedBitmap(paintedEdgePart(part, variant), kPureGreen);
    }
}

QImage composedFrame(int leftVariant, int rightVariant, QRgb background)
{
    QImage out(kFormWidth, kFormHeight, QImage::Format_RGB32);
    out.fill(background);
    auto place = [&](FramePart part, int variant, QRgb key) {
        const QImage picture = framePicture(part, variant).convertToFormat(QImage::Format_RGB32);
        const QPoint at = partPlace(part).rect.topLeft();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb c = picture.pixel(x, y);
                if (c != key && out.rect().contains(at + QPoint(x, y))) out.setPixel(at + QPoint(x, y), c);
            }
    };
    place(FramePart::Ball, 1, kBallKey);
    for (FramePart part : kEdgeParts)
        place(part, part == FramePart::LeftTop ? leftVariant : part == FramePart::RightTop ? rightVariant : 1,
              kPureGreen);
    place(FramePart::BallPanel, 1, kPureGreen);
    place(FramePart::ExitPassive, 1, kPureGreen);
    return out;
}
