// Painting of the settings form's pictures; each is drawn the same way on every call.
#include "form_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

static QPixmap Blank(int width, int height)
{
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);
    return picture;
}

QPixmap Logo_Picture()
{
    QPixmap picture = Blank(80, 90);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Sky and sea in a round frame, a sun, an island with one palm, and the product letters.
    QPainterPath frame;
    frame.addEllipse(4, 2, 72, 72);
    QLinearGradient sky(0, 2, 0, 74);
    sky.setColorAt(0, QColor(90, 160, 230));
    sky.setColorAt(0.55, QColor(200, 230, 250));
    sky.setColorAt(0.56, QColor(20, 110, 170));
    sky.setColorAt(1, QColor(10, 60, 120));
    p.fillPath(frame, sky);
    p.setClipPath(frame);
    p.setBrush(QColor(255, 210, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(54, 22), 9, 9);
    p.setBrush(QColor(220, 200, 130));
    p.drawEllipse(QRectF(14, 36, 44, 14));
    p.setPen(QPen(QColor(110, 70, 30), 2.5));
    p.drawLine(QPointF(34, 42), QPointF(30, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 130, 40));
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(30, 20);
        p.rotate(-150 + i * 60);
        p.drawEllipse(QRectF(0, -2.5, 16, 5));
        p.restore();
    }
    p.setClipping(false);
    p.setPen(QPen(QColor(0, 80, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(4, 2, 72, 72);
    QFont letters("DejaVu Sans");
    letters.setPixelSize(13);
    letters.setBold(true);
    p.setFont(letters);
    p.setPen(QColor(0, 90, 0));
    p.drawText(QRect(0, 74, 80, 16), Qt::AlignCenter, "QUELM");
    return picture;
}

QPixmap Music_Picture(int number)
{
    QPixmap picture = Blank(48, 48);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 100, 0), light(120, 200, 120);
    p.setPen(QPen(ink, 2));
    p.setBrush(light);
    switch (number) {
    case 1:   // a pair of quavers
        p.drawEllipse(QRectF(6, 32, 11, 8));
        p.drawEllipse(QRectF(28, 28, 11, 8));
        p.drawLine(QPointF(17, 36), QPointF(17, 10));
        p.drawLine(QPointF(39, 32), QPointF(39, 6));
        p.setPen(QPen(ink, 4));
        p.drawLine(QPointF(17, 11), QPointF(39, 7));
        break;
    case 2:   // a loudspeaker
        p.drawRect(QRectF(6, 18, 9, 12));
        p.drawPolygon(QPolygonF({{15, 18}, {27, 8}, {27, 40}, {15, 30}}));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(22, 14, 14, 20), -60 * 16, 120 * 16);
        p.drawArc(QRectF(20, 8, 24, 32), -60 * 16, 120 * 16);
        break;
    case 3:   // a crotchet
        p.drawEllipse(QRectF(12, 30, 13, 9));
        p.drawLine(QPointF(25, 34), QPointF(25, 6));
        p.drawLine(QPointF(25, 6), QPointF(36, 14));
        break;
    default:   // a sound wave
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i) {
            QPainterPath wave;
            wave.moveTo(4, 24);
            for (int x = 4; x <= 44; ++x) wave.lineTo(x, 24 + (12 - 4 * i) * std::sin((x - 4) * (0.3 + 0.1 * i)));
            p.drawPath(wave);
        }
        break;
    }
    return picture;
}

QPixmap Processor_Picture()
{
    QPixmap picture = Blank(40, 40);
    QPainter p(&picture);
    p.setPen(QPen(QColor(150, 150, 150), 2));
    for (int i = 0; i < 5; ++i) {
        int at = 10 + i * 5;
        p.drawLine(at, 2, at, 8), p.drawLine(at, 32, at, 38), p.drawLine(2, at, 8, at), p.drawLine(32, at, 38, at);
    }
    QLinearGradient body(8, 8, 32, 32);
    body.setColorAt(0, QColor(90, 90, 100));
    body.setColorAt(1, QColor(30, 30, 40));
    p.setPen(Qt::black);
    p.setBrush(body);
    p.drawRect(8, 8, 24, 24);
    p.setBrush(QColor(200, 170, 60));
    p.drawRect(15, 15, 10, 10);
    return picture;
}

QPixmap Video_Card_Picture()
{
    QPixmap picture = Blank(48, 40);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 60, 0));
    p.setBrush(QColor(40, 140, 60));
    p.drawRect(2, 8, 42, 22);
    p.setBrush(QColor(200, 170, 60));
    for (int i = 0; i < 8; ++i) p.drawRect(6 + i * 4, 30, 2, 5);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QPointF(30, 19), 8, 8);
    p.setBrush(QColor(160, 160, 160));
    p.drawEllipse(QPointF(30, 19), 2.5, 2.5);
    p.setBrush(Qt::black);
    p.drawRect(8, 13, 10, 10);
    return picture;
}

QPixmap Molecule_Picture(const QString& name)
{
    const QString prefix = "molecula3c_ane0";
    if (name.size() != prefix.size() + 1 || !name.toLower().startsWith(prefix)) return {};
    int variant = name.back().digitValue();
    if (variant < 0 || variant > 3) return {};

    QPixmap picture = Blank(100, 85);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Six atoms round a centre one, the ring turned a little further in each variant.
    const QPointF centre(50, 42.5);
    const double turn = variant * 15.0 * M_PI / 180.0;
    QPointF atoms[6];
    for (int i = 0; i < 6; ++i) {
        double angle = turn + i * M_PI / 3;
        atoms[i] = centre + QPointF(30 * std::cos(angle), 26 * std::sin(angle));
    }
    p.setPen(QPen(QColor(90, 90, 90), 3));
    for (int i = 0; i < 6; ++i) p.drawLine(centre, atoms[i]), p.drawLine(atoms[i], atoms[(i + 1) % 6]);
    const QColor colours[] = {{200, 40, 40}, {40, 90, 200}, {40, 160, 60}, {230, 170, 30}};
    auto atom = [&](QPointF at, double radius, QColor colour) {
        QRadialGradient shade(at - QPointF(radius / 3, radius / 3), radius * 1.3);
        shade.setColorAt(0, Qt::white);
        shade.setColorAt(1, colour);
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawEllipse(at, radius, radius);
    };
    for (int i = 0; i < 6; ++i) atom(atoms[i], 8, colours[(i + variant) % 4]);
    atom(centre, 11, colours[variant]);
    return picture;
}
