// Small pictures in the frame's colours: brass, sea, sand and palm green.
#include "skin_pictures.h"

#include "skin_ornaments.h"
#include "skin_paint.h"

#include <QFontDatabase>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double kPi = 3.14159265358979323846;
QString skinFontFamily;

QImage blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QFont boldFont(int pixels)
{
    if (skinFontFamily.isEmpty()) throw std::logic_error("skin font not loaded");
    QFont font(skinFontFamily);
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A round window on the island: sky, sun, sea, a sandy island with a palm, in a brass ring.
void paintIslandDisc(QPainter& p, QPointF c, double r)
{
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    p.save();
    p.setClipPath(disc);
    QLinearGradient sky(0, c.y() - r, 0, c.y() + r);
    sky.setColorAt(0, QColor(80, 160, 230));
    sky.setColorAt(0.55, QColor(200, 232, 250));
    sky.setColorAt(0.551, QColor(30, 130, 180));
    sky.setColorAt(1, QColor(10, 60, 110));
    p.fillRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 80));
    p.drawEllipse(c + QPointF(r * 0.45, -r * 0.45), r * 0.18, r * 0.18);
    p.setBrush(QColor(230, 206, 140));
    p.drawEllipse(QRectF(c.x() - r * 0.65, c.y() + r * 0.02, r * 1.1, r * 0.3));
    const QPointF top = c + QPointF(-r * 0.2, -r * 0.5);
    QPainterPath trunk;
    trunk.moveTo(c + QPointF(-r * 0.05, r * 0.1));
    trunk.quadTo(c + QPointF(-r * 0.02, -r * 0.25), top);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 70, 32), std::max(1.5, r * 0.08), Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trunk);
    p.setPen(QPen(QColor(30, 120, 40), std::max(1.2, r * 0.07), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        const double a = (200 + i * 28) * kPi / 180;
        QPainterPath leaf;
        leaf.moveTo(top);
        const QPointF end = top + QPointF(std::cos(a), std::sin(a) + 0.45) * r * 0.42;
        leaf.quadTo(top + QPointF(std::cos(a), std::sin(a) - 0.2) * r * 0.3, end);
        p.drawPath(leaf);
    }
    p.setPen(QPen(QColor(235, 250, 255), std::max(1.0, r * 0.03)));
    for (int k = 0; k < 3; ++k) {
        const double y = c.y() + r * (0.45 + 0.15 * k);
        p.drawLine(QPointF(c.x() - r * 0.6 + k * r * 0.3, y), QPointF(c.x() - r * 0.35 + k * r * 0.3, y));
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(brassGradient(c - QPointF(r, r), c + QPointF(r, r))), std::max(2.0, r * 0.14)));
    p.drawEllipse(c, r, r);
}

QPainterPath noteHead(QPointF c, double r)
{
    QPainterPath head;
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(-25);
    head.addEllipse(QPointF(0, 0), r * 1.3, r);
    return t.map(head);
}

void paintNotes(QPainter& p)
{
    p.setPen(QPen(QColor(60, 36, 10), 1.2));
    p.setBrush(brassGradient(QPointF(6, 6), QPointF(42, 42)));
    p.drawPath(noteHead(QPointF(13, 37), 5));
    p.drawPath(noteHead(QPointF(34, 33), 5));
    p.setPen(QPen(QColor(60, 36, 10), 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18.5, 36), QPointF(18.5, 9));
    p.drawLine(QPointF(39.5, 32), QPointF(39.5, 5));
    p.setPen(QPen(QColor(60, 36, 10), 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18.5, 11), QPointF(39.5, 7));
    p.drawLine(QPointF(18.5, 18), QPointF(39.5, 14));
}

void paintConchHorn(QPainter& p)
{
    QPainterPath shell;
    shell.moveTo(6, 30);
    shell.cubicTo(8, 14, 26, 10, 34, 18);
    shell.lineTo(40, 12);
    shell.lineTo(42, 34);
    shell.lineTo(34, 30);
    shell.cubicTo(26, 40, 10, 40, 6, 30);
    QLinearGradient g(0, 10, 0, 40);
    g.setColorAt(0, QColor(255, 220, 200));
    g.setColorAt(0.6, QColor(240, 160, 140));
    g.setColorAt(1, QColor(190, 100, 90));
    p.setPen(QPen(QColor(130, 60, 50), 1.2));
    p.setBrush(g);
    p.drawPath(shell);
    p.setPen(QPen(QColor(170, 90, 80), 1));
    for (int k = 0; k < 3; ++k) p.drawArc(QRectF(8 + k * 7, 16 + k, 12, 18 - 2 * k), 60 * 16, 240 * 16);
    p.setPen(QPen(QColor(40, 110, 170), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 2; ++k) p.drawArc(QRectF(38 - 4 * k, 14 - 4 * k, 8 + 8 * k, 20 + 8 * k), -50 * 16, 100 * 16);
}

void paintUkulele(QPainter& p)
{
    p.save();
    p.translate(24, 24);
    p.rotate(-40);
    QPainterPath body;
    body.addEllipse(QPointF(0, 9), 9, 8);
    body.addEllipse(QPointF(0, -2), 7, 6.5);
    body.setFillRule(Qt::WindingFill);
    QLinearGradient g(-9, 0, 9, 0);
    g.setColorAt(0, QColor(150, 84, 40));
    g.setColorAt(0.5, QColor(214, 150, 80));
    g.setColorAt(1, QColor(130, 70, 30));
    p.setPen(QPen(QColor(80, 40, 16), 1.2));
    p.setBrush(g);
    p.drawPath(body.simplified());
    p.setBrush(QColor(50, 28, 12));
    p.drawEllipse(QPointF(0, 3), 3, 3);
    p.setBrush(QColor(90, 52, 24));
    p.drawRect(QRectF(-2, -24, 4, 18));
    p.drawRoundedRect(QRectF(-3.5, -30, 7, 7), 2, 2);
    p.setPen(QPen(QColor(240, 230, 200), 0.6));
    for (double x : {-1.2, 0.0, 1.2}) p.drawLine(QPointF(x, -26), QPointF(x, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 24, 10));
    p.drawRect(QRectF(-3, 12, 6, 2));
    p.restore();
}

void paintBongos(QPainter& p)
{
    for (int k = 0; k < 2; ++k) {
        const double x = k ? 29 : 5, w = k ? 15 : 20, top = k ? 18 : 14;
        QLinearGradient g(x, 0, x + w, 0);
        g.setColorAt(0, QColor(110, 60, 24));
        g.setColorAt(0.4, QColor(200, 130, 60));
        g.setColorAt(1, QColor(100, 52, 20));
        QPainterPath drum;
        drum.moveTo(x, top);
        drum.lineTo(x + w, top);
        drum.lineTo(x + w - 3, 42);
        drum.lineTo(x + 3, 42);
        drum.closeSubpath();
        p.setPen(QPen(QColor(70, 34, 10), 1));
        p.setBrush(g);
        p.drawPath(drum);
        p.setBrush(QColor(236, 222, 190));
        p.drawEllipse(QRectF(x, top - 3, w, 6));
        p.setPen(QPen(QColor(214, 168, 62), 1.6));
        p.drawLine(QPointF(x + 1, top + 6), QPointF(x + w - 1, top + 6));
        p.drawLine(QPointF(x + 2.5, 38), QPointF(x + w - 2.5, 38));
    }
    p.setPen(QPen(brassGradient(QPointF(20, 0), QPointF(30, 0)), 3));
    p.drawLine(QPointF(25, 24), QPointF(29, 24));
}

struct Atom {
    double x, y, z;
    bool carbon;
};

}  // namespace

bool loadSkinFont(const QString& boldFontFile)
{
    const int id = QFontDatabase::addApplicationFont(boldFontFile);
    if (id < 0 || QFontDatabase::applicationFontFamilies(id).isEmpty()) return false;
    skinFontFamily = QFontDatabase::applicationFontFamilies(id).first();
    return true;
}

QImage logoPicture()
{
    QImage image = blank(80, 90);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintIslandDisc(p, QPointF(40, 37), 34);
    QPainterPath word;
    word.addText(0, 0, boldFont(15), "QUELM");
    const QRectF box = word.boundingRect();
    word.translate(40 - box.center().x(), 86 - box.bottom());
    p.setPen(QPen(QColor(60, 36, 10), 1.6));
    p.setBrush(brassGradient(QPointF(0, 72), QPointF(0, 88)));
    p.drawPath(word);
    p.end();
    return keyedBitmap(image, kPureGreen);
}

QImage smallLogoPicture()
{
    QImage image = blank(36, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintIslandDisc(p, QPointF(18, 16), 15);
    QPainterPath word;
    word.addText(0, 0, boldFont(8), "QUELM");
    const QRectF box = word.boundingRect();
    word.translate(18 - box.center().x(), 39 - box.bottom());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 62, 18));
    p.drawPath(word);
    p.end();
    return keyedBitmap(image, kPureGreen);
}

QImage iconPicture(int size)
{
    if (size < 8 || size > 1024) throw std::invalid_argument("icon size out of range");
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The ring's pen is 0.14 r wide (2 pixels at least) and centred on the disc's edge: the
    // disc's radius leaves half a pen and half a pixel inside the picture.
    const double half = size / 2.0;
    double r = (half - 0.5) / 1.07;
    if (r * 0.14 < 2.0) r = half - 1.5;
    paintIslandDisc(p, QPointF(half, half), r);
    p.end();
    return image;
}

QImage musicPicture(int number)
{
    if (number < 1 || number > 4) throw std::invalid_argument("music picture number out of range");
    QImage image = blank(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (number) {
    case 1: paintNotes(p); break;
    case 2: paintConchHorn(p); break;
    case 3: paintUkulele(p); break;
    case 4: paintBongos(p); break;
    }
    p.end();
    return keyedBitmap(image, kPureGreen);
}

QImage processorPicture()
{
    QImage image = blank(40, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(brassGradient(QPointF(0, 0), QPointF(40, 40)));
    for (int k = 0; k < 6; ++k) {
        const double at = 8.5 + k * 4.6;
        p.drawRect(QRectF(at, 1, 2.2, 6));
        p.drawRect(QRectF(at, 33, 2.2, 6));
        p.drawRect(QRectF(1, at, 6, 2.2));
        p.drawRect(QRectF(33, at, 6, 2.2));
    }
    QLinearGradient body(0, 6, 0, 34);
    body.setColorAt(0, QColor(70, 80, 90));
    body.setColorAt(1, QColor(24, 30, 36));
    p.setPen(QPen(QColor(10, 12, 14), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(6.5, 6.5, 27, 27), 3, 3);
    paintIslandDisc(p, QPointF(20, 20), 8.5);
    p.end();
    return keyedBitmap(image, kPureGreen);
}

QImage videoCardPicture()
{
    QImage image = blank(48, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A small teak television like the form's own, on two legs.
    p.setPen(QPen(QColor(60, 32, 16), 1.2));
    QLinearGradient wood(0, 2, 0, 34);
    wood.setColorAt(0, QColor(176, 104, 58));
    wood.setColorAt(1, QColor(110, 60, 30));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(2.5, 2.5, 43, 31), 4, 4);
    p.setPen(QPen(QColor(84, 54, 14), 1));
    p.setBrush(brassGradient(QPointF(5, 5), QPointF(36, 31)));
    p.drawRoundedRect(QRectF(5, 5, 31, 26), 7, 7);
    QPainterPath screen;
    screen.addRoundedRect(QRectF(7.5, 7.5, 26, 21), 6, 6);
    QLinearGradient sea(0, 7, 0, 28);
    sea.setColorAt(0, QColor(140, 200, 240));
    sea.setColorAt(0.5, QColor(190, 230, 250));
    sea.setColorAt(0.51, QColor(30, 120, 170));
    sea.setColorAt(1, QColor(16, 70, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawPath(screen);
    p.setBrush(QColor(230, 206, 140));
    p.drawEllipse(QRectF(12, 17, 14, 4));
    p.setPen(QPen(QColor(30, 110, 40), 1.4));
    p.drawLine(QPointF(19, 18), QPointF(18, 12));
    for (int k = -1; k <= 1; ++k) p.drawLine(QPointF(18, 12), QPointF(18 + k * 4, 13 + std::abs(k)));
    for (double y : {12.0, 20.0}) paintRivet(p, QPointF(41, y), 2.2);
    p.setPen(QPen(QColor(60, 32, 16), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 34), QPointF(7, 38.5));
    p.drawLine(QPointF(38, 34), QPointF(41, 38.5));
    p.end();
    return keyedBitmap(image, kPureGreen);
}

QImage moleculePicture(int number)
{
    if (number < 0 || number > 3) throw std::invalid_argument("molecule picture number out of range");
    // Propane, three carbons and eight hydrogens, ball and stick, turned a quarter further
    // about its long axis in each picture and tilted towards the viewer.
    std::vector<Atom> atoms{{-1.26, -0.45, 0, true}, {0, 0.42, 0, true}, {1.26, -0.45, 0, true}};
    auto hydrogens = [&](int c, double dx) {
        const Atom a = atoms[c];   // a copy: the pushes below may move the vector
        atoms.push_back({a.x + dx * 0.4, a.y - 0.55, 0.85, false});
        atoms.push_back({a.x + dx * 0.4, a.y - 0.55, -0.85, false});
    };
    hydrogens(0, -1);
    hydrogens(2, 1);
    atoms.push_back({-2.05, 0.05, 0, false});
    atoms.push_back({2.05, 0.05, 0, false});
    atoms.push_back({0, 1.05, 0.85, false});
    atoms.push_back({0, 1.05, -0.85, false});
    const std::vector<std::pair<int, int>> bonds{{0, 1}, {1, 2}, {0, 3}, {0, 4}, {2, 5},
                                                 {2, 6}, {0, 7}, {2, 8}, {1, 9}, {1, 10}};
    const double turn = (20 + 90 * number) * kPi / 180, tilt = 0.35;
    for (Atom& a : atoms) {
        const double y = a.y * std::cos(turn) - a.z * std::sin(turn), z = a.y * std::sin(turn) + a.z * std::cos(turn);
        a.y = y * std::cos(tilt) - a.x * std::sin(tilt) * 0.3;
        a.z = z;
    }
    auto screen = [](const Atom& a) { return QPointF(50 + a.x * 20, 43 + a.y * 20); };
    QImage image = blank(100, 85);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<int> order(atoms.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return atoms[a].z < atoms[b].z; });
    for (const auto& [a, b] : bonds) {
        p.setPen(QPen(QColor(90, 58, 16), 5.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(screen(atoms[a]), screen(atoms[b]));
        p.setPen(QPen(QColor(226, 184, 90), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(screen(atoms[a]), screen(atoms[b]));
    }
    for (int i : order) {
        const Atom& a = atoms[i];
        const double r = (a.carbon ? 11.0 : 7.0) * (1 + a.z * 0.06);
        const QPointF c = screen(a);
        QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.3);
        if (a.carbon) {
            g.setColorAt(0, QColor(150, 210, 220));
            g.setColorAt(0.5, QColor(30, 110, 140));
            g.setColorAt(1, QColor(8, 40, 60));
        } else {
            g.setColorAt(0, QColor(255, 252, 240));
            g.setColorAt(0.6, QColor(226, 208, 170));
            g.setColorAt(1, QColor(140, 120, 86));
        }
        p.setPen(QPen(QColor(40, 36, 30), 0.8));
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
    p.end();
    return keyedBitmap(image, kPureGreen);
}
