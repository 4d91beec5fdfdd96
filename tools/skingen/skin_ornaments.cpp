// Ornaments painted with antialiased paths and gradients; each leaves the painter as it found it.
#include "skin_ornaments.h"

#include "skin_paint.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

QPointF polar(QPointF c, double r, double degrees)
{
    const double a = degrees * kPi / 180.0;
    return c + QPointF(std::cos(a), std::sin(a)) * r;
}

void starfish(QPainter& p, QPointF c, double r)
{
    QPainterPath star;
    for (int i = 0; i < 5; ++i) {
        const double a = -90 + i * 72 + 8;
        const QPointF tip = polar(c, r, a), waistA = polar(c, r * 0.36, a - 36), waistB = polar(c, r * 0.36, a + 36);
        if (i == 0) star.moveTo(waistA);
        star.quadTo(polar(c, r * 0.7, a - 10), tip);
        star.quadTo(polar(c, r * 0.7, a + 10), waistB);
    }
    star.closeSubpath();
    QRadialGradient g(c, r);
    g.setColorAt(0, QColor(255, 196, 120));
    g.setColorAt(0.6, QColor(236, 122, 58));
    g.setColorAt(1, QColor(190, 80, 40));
    p.setPen(QPen(QColor(120, 50, 24), 1.2));
    p.setBrush(g);
    p.drawPath(star);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 190));
    for (int i = 0; i < 5; ++i)
        for (double f = 0.22; f < 0.85; f += 0.16)
            p.drawEllipse(polar(c, r * f, -90 + i * 72 + 8), r * 0.045, r * 0.045);
}

void scallop(QPainter& p, QPointF c, double r)
{
    const QPointF hinge = c + QPointF(0, r * 0.8);
    QPainterPath shell;
    shell.moveTo(hinge);
    const int ribs = 9;
    for (int i = 0; i <= ribs; ++i) {
        const double a = 205 + i * (130.0 / ribs);
        const QPointF edge = polar(hinge, r * 1.55, a);
        if (i == 0) shell.lineTo(edge);
        else shell.quadTo(polar(hinge, r * 1.7, a - 65.0 / ribs), edge);
    }
    shell.closeSubpath();
    QRadialGradient g(hinge, r * 1.7);
    g.setColorAt(0, QColor(250, 214, 180));
    g.setColorAt(0.7, QColor(240, 160, 130));
    g.setColorAt(1, QColor(214, 110, 96));
    p.setPen(QPen(QColor(140, 70, 60), 1.2));
    p.setBrush(g);
    p.drawPath(shell);
    p.setPen(QPen(QColor(170, 90, 76), 1));
    for (int i = 1; i < ribs; ++i) p.drawLine(hinge, polar(hinge, r * 1.5, 205 + i * (130.0 / ribs)));
    // The two ears at the hinge.
    p.setBrush(QColor(230, 170, 140));
    p.setPen(QPen(QColor(140, 70, 60), 1));
    p.drawPolygon(QPolygonF{hinge, hinge + QPointF(-r * 0.35, -r * 0.05), hinge + QPointF(-r * 0.3, r * 0.2)});
    p.drawPolygon(QPolygonF{hinge, hinge + QPointF(r * 0.35, -r * 0.05), hinge + QPointF(r * 0.3, r * 0.2)});
}

void compass(QPainter& p, QPointF c, double r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(brassGradient(c - QPointF(r, r), c + QPointF(r, r)));
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(244, 234, 206));
    p.drawEllipse(c, r * 0.8, r * 0.8);
    for (int i = 0; i < 8; ++i) {
        const bool main = i % 2 == 0;
        const double a = -90 + i * 45, len = main ? r * 0.74 : r * 0.45;
        const QPointF tip = polar(c, len, a), l = polar(c, r * 0.13, a - 90), rr = polar(c, r * 0.13, a + 90);
        p.setBrush(i == 0 ? QColor(190, 40, 30) : main ? QColor(30, 60, 110) : QColor(120, 140, 170));
        p.drawPolygon(QPolygonF{tip, l, c});
        p.setBrush(i == 0 ? QColor(130, 20, 16) : main ? QColor(16, 34, 70) : QColor(80, 100, 130));
        p.drawPolygon(QPolygonF{tip, rr, c});
    }
    paintRivet(p, c, r * 0.1);
}

void coconuts(QPainter& p, QPointF c, double r)
{
    // A frond behind, then three nuts.
    p.setPen(QPen(QColor(40, 100, 40), r * 0.08, Qt::SolidLine, Qt::RoundCap));
    const QPointF base = c + QPointF(-r * 0.1, -r * 0.1);
    for (int i = 0; i < 7; ++i) {
        const double a = 200 + i * 22;
        QPainterPath leaf;
        leaf.moveTo(base);
        leaf.quadTo(polar(base, r * 0.7, a - 12), polar(base, r * 1.1, a + 8));
        p.setBrush(QColor(70, 150, 60));
        p.drawPath(leaf);
    }
    const QPointF nuts[3] = {c + QPointF(-r * 0.38, r * 0.2), c + QPointF(r * 0.38, r * 0.22),
                             c + QPointF(0, -r * 0.18)};
    for (const QPointF& n : nuts) {
        QRadialGradient g(n - QPointF(r * 0.15, r * 0.15), r * 0.6);
        g.setColorAt(0, QColor(160, 112, 64));
        g.setColorAt(0.7, QColor(104, 66, 34));
        g.setColorAt(1, QColor(60, 36, 18));
        p.setPen(QPen(QColor(50, 30, 14), 1));
        p.setBrush(g);
        p.drawEllipse(n, r * 0.42, r * 0.4);
        p.setPen(QPen(QColor(70, 44, 22), 0.8));
        for (int k = -2; k <= 2; ++k)
            p.drawLine(n + QPointF(k * r * 0.12, -r * 0.3), n + QPointF(k * r * 0.1 + r * 0.05, r * 0.3));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 24, 12));
    for (int k = 0; k < 3; ++k) p.drawEllipse(polar(nuts[2], r * 0.12, 60 + k * 120), r * 0.05, r * 0.05);
}

void anchor(QPainter& p, QPointF c, double r)
{
    const double w = r * 0.17;
    QPainterPath shape;
    shape.addEllipse(c + QPointF(0, -r * 0.78), r * 0.17, r * 0.17);
    shape.moveTo(c + QPointF(0, -r * 0.6));
    shape.lineTo(c + QPointF(0, r * 0.85));
    shape.moveTo(c + QPointF(-r * 0.45, -r * 0.38));
    shape.lineTo(c + QPointF(r * 0.45, -r * 0.38));
    shape.moveTo(c + QPointF(-r * 0.78, r * 0.25));
    shape.quadTo(c + QPointF(-r * 0.6, r * 0.95), c + QPointF(0, r * 0.88));
    shape.quadTo(c + QPointF(r * 0.6, r * 0.95), c + QPointF(r * 0.78, r * 0.25));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(36, 40, 48), w + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
    p.setPen(QPen(QColor(92, 104, 118), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
    p.setPen(QPen(QColor(170, 180, 190), w * 0.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-w * 0.2, -r * 0.5), c + QPointF(-w * 0.2, r * 0.6));
    // Arrow-head flukes.
    p.setPen(QPen(QColor(36, 40, 48), 1));
    p.setBrush(QColor(92, 104, 118));
    for (int side : {-1, 1}) {
        const QPointF tip = c + QPointF(side * r * 0.78, r * 0.1);
        p.drawPolygon(
            QPolygonF{tip, tip + QPointF(-side * r * 0.2, r * 0.25), tip + QPointF(side * r * 0.16, r * 0.26)});
    }
}

void shipWheel(QPainter& p, QPointF c, double r)
{
    const QColor wood(128, 72, 36), dark(70, 38, 18);
    for (int i = 0; i < 8; ++i) {
        const double a = i * 45 + 22.5;
        p.setPen(QPen(dark, r * 0.16 + 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, polar(c, r * 0.92, a));
        p.setPen(QPen(wood, r * 0.16, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, polar(c, r * 0.92, a));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(dark, r * 0.2 + 2));
    p.drawEllipse(c, r * 0.62, r * 0.62);
    p.setPen(QPen(wood, r * 0.2));
    p.drawEllipse(c, r * 0.62, r * 0.62);
    p.setPen(QPen(QColor(180, 120, 70), r * 0.05));
    p.drawEllipse(c, r * 0.66, r * 0.66);
    p.setPen(Qt::NoPen);
    p.setBrush(brassGradient(c - QPointF(r * 0.2, r * 0.2), c + QPointF(r * 0.2, r * 0.2)));
    p.drawEllipse(c, r * 0.2, r * 0.2);
}

void hibiscus(QPainter& p, QPointF c, double r)
{
    p.setPen(QPen(QColor(20, 80, 30), 1));
    p.setBrush(QColor(50, 130, 50));
    for (double a : {150.0, 20.0}) {
        QPainterPath leaf;
        const QPointF tip = polar(c, r * 1.05, a);
        leaf.moveTo(c);
        leaf.quadTo(polar(c, r * 0.6, a - 25), tip);
        leaf.quadTo(polar(c, r * 0.6, a + 25), c);
        p.drawPath(leaf);
    }
    for (int i = 0; i < 5; ++i) {
        const double a = -90 + i * 72;
        QRadialGradient g(c, r * 0.9);
        g.setColorAt(0, QColor(150, 10, 40));
        g.setColorAt(0.3, QColor(230, 40, 70));
        g.setColorAt(1, QColor(255, 120, 130));
        p.setBrush(g);
        p.setPen(QPen(QColor(160, 20, 50), 0.8));
        p.save();
        p.translate(c);
        p.rotate(a);
        p.drawEllipse(QRectF(r * 0.1, -r * 0.32, r * 0.8, r * 0.64));
        p.restore();
    }
    p.setPen(QPen(QColor(250, 220, 80), r * 0.06, Qt::SolidLine, Qt::RoundCap));
    const QPointF end = polar(c, r * 0.6, -40);
    p.drawLine(c, end);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 40));
    for (int k = 0; k < 5; ++k) p.drawEllipse(polar(end, r * 0.09, k * 72), r * 0.05, r * 0.05);
}

void bell(QPainter& p, QPointF c, double r)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(100, 70, 30), r * 0.1));
    p.drawEllipse(c + QPointF(0, -r * 0.82), r * 0.14, r * 0.14);
    QPainterPath body;
    body.moveTo(c + QPointF(-r * 0.3, -r * 0.65));
    body.cubicTo(c + QPointF(-r * 0.5, -r * 0.6), c + QPointF(-r * 0.4, r * 0.2), c + QPointF(-r * 0.75, r * 0.55));
    body.lineTo(c + QPointF(r * 0.75, r * 0.55));
    body.cubicTo(c + QPointF(r * 0.4, r * 0.2), c + QPointF(r * 0.5, -r * 0.6), c + QPointF(r * 0.3, -r * 0.65));
    body.closeSubpath();
    p.setPen(QPen(QColor(90, 58, 16), 1));
    p.setBrush(brassGradient(c + QPointF(-r * 0.6, 0), c + QPointF(r * 0.8, 0)));
    p.drawPath(body);
    p.setBrush(brassGradient(c + QPointF(-r, r * 0.55), c + QPointF(r, r * 0.75)));
    p.drawRoundedRect(QRectF(c.x() - r * 0.82, c.y() + r * 0.5, r * 1.64, r * 0.18), 2, 2);
    paintRivet(p, c + QPointF(0, r * 0.8), r * 0.14);
}

void lantern(QPainter& p, QPointF c, double r)
{
    const QRectF glass(c.x() - r * 0.45, c.y() - r * 0.45, r * 0.9, r * 1.0);
    QRadialGradient glow(glass.center(), r * 0.6);
    glow.setColorAt(0, QColor(255, 250, 200));
    glow.setColorAt(0.5, QColor(255, 210, 90));
    glow.setColorAt(1, QColor(220, 140, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRect(glass);
    p.setPen(QPen(QColor(90, 60, 20), r * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(glass);
    p.drawLine(QPointF(c.x(), glass.top()), QPointF(c.x(), glass.bottom()));
    p.setPen(QPen(QColor(90, 58, 16), 1));
    p.setBrush(brassGradient(QPointF(c.x() - r * 0.6, 0), QPointF(c.x() + r * 0.6, 0)));
    QPolygonF roof{QPointF(c.x() - r * 0.6, glass.top()), QPointF(c.x() + r * 0.6, glass.top()),
                   QPointF(c.x() + r * 0.2, glass.top() - r * 0.3), QPointF(c.x() - r * 0.2, glass.top() - r * 0.3)};
    p.drawPolygon(roof);
    p.drawRect(QRectF(c.x() - r * 0.55, glass.bottom(), r * 1.1, r * 0.18));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 76, 24), r * 0.08));
    p.drawEllipse(QPointF(c.x(), glass.top() - r * 0.45), r * 0.15, r * 0.15);
}

}  // namespace

void paintGlassFloat(QPainter& p, QPointF c, double r)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.4);
    g.setColorAt(0, QColor(200, 250, 230));
    g.setColorAt(0.35, QColor(70, 170, 160));
    g.setColorAt(1, QColor(12, 70, 80));
    p.setPen(QPen(QColor(10, 50, 56), 1));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    // The net: meridians and parallels of a rope mesh.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 112, 62), std::max(1.0, r * 0.07)));
    for (double k : {-0.6, 0.0, 0.6}) p.drawEllipse(c, r * std::fabs(k) + r * 0.05 * (k == 0), r);
    p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
    p.drawEllipse(QRectF(c.x() - r, c.y() - r * 0.55, 2 * r, r * 0.3));
    p.drawEllipse(QRectF(c.x() - r, c.y() + r * 0.25, 2 * r, r * 0.3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(c - QPointF(r * 0.38, r * 0.42), r * 0.16, r * 0.1);
}

void paintOrnament(QPainter& painter, Ornament ornament, QPointF centre, double radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (ornament) {
    case Ornament::Starfish: starfish(painter, centre, radius); break;
    case Ornament::Scallop: scallop(painter, centre, radius * 0.62); break;
    case Ornament::Compass: compass(painter, centre, radius); break;
    case Ornament::Coconuts: coconuts(painter, centre, radius); break;
    case Ornament::Anchor: anchor(painter, centre, radius); break;
    case Ornament::ShipWheel: shipWheel(painter, centre, radius); break;
    case Ornament::Hibiscus: hibiscus(painter, centre, radius); break;
    case Ornament::Bell: bell(painter, centre, radius); break;
    case Ornament::Lantern: lantern(painter, centre, radius); break;
    case Ornament::GlassFloat: paintGlassFloat(painter, centre, radius * 0.9); break;
    }
    painter.restore();
}
