// The frame table: sizes are those of the pictures, places follow from the parts placed before.
#include "skin_layout.h"

namespace {

struct Size {
    int width, height;
};

Size partSize(FramePart part)
{
    switch (part) {
    case FramePart::LeftTop: return {105, 372};
    case FramePart::Top: return {716, 109};
    case FramePart::LeftMiddle: return {302, 202};
    case FramePart::LeftBottom: return {73, 174};
    case FramePart::RightTop: return {44, 287};
    case FramePart::RightBottom: return {52, 233};
    case FramePart::Bottom: return {638, 37};
    case FramePart::ExitPassive:
    case FramePart::ExitActive: return {35, 28};
    case FramePart::BallPanel: return {72, 113};
    case FramePart::Ball: return {63, 85};
    }
    return {0, 0};
}

QRect sized(FramePart part, int left, int top)
{
    const Size s = partSize(part);
    return QRect(left, top, s.width, s.height);
}

// QRect's right() and bottom() are the last pixel; the table's right edge and bottom are one past it.
int rightEdge(const QRect& r) { return r.left() + r.width(); }
int bottomEdge(const QRect& r) { return r.top() + r.height(); }

}  // namespace

PartPlace partPlace(FramePart part)
{
    const QRect leftTop = sized(FramePart::LeftTop, 0, 0);
    const QRect top = sized(FramePart::Top, 33, 0);
    const QRect leftMiddle = sized(FramePart::LeftMiddle, rightEdge(leftTop), bottomEdge(top) + 80);
    const QRect leftBottom = sized(FramePart::LeftBottom, 32, bottomEdge(leftMiddle) - 19);
    const QRect rightTop = sized(FramePart::RightTop, rightEdge(top) - 11, 35);
    const QRect rightBottom = sized(FramePart::RightBottom, rightTop.left(), bottomEdge(rightTop) - 1);
    const Size b = partSize(FramePart::Bottom);
    const QRect bottom = sized(FramePart::Bottom, rightBottom.left() - b.width, bottomEdge(rightBottom) - b.height);
    const QRect exit = sized(FramePart::ExitPassive, rightTop.left() - 30, rightTop.top() + 3);
    const QRect ballPanel = sized(FramePart::BallPanel, kPageControl.left() - 92, bottomEdge(top) - 33);
    const QRect ball = sized(FramePart::Ball, ballPanel.left() + 21, ballPanel.top() + 5);
    switch (part) {
    case FramePart::LeftTop: return {"Title_Left_Image_top", leftTop};
    case FramePart::Top: return {"Title_Top_Image", top};
    case FramePart::LeftMiddle: return {"Title_Left_Image_Middle", leftMiddle};
    case FramePart::LeftBottom: return {"Title_Left_Image_bottom", leftBottom};
    case FramePart::RightTop: return {"Title_Right_Image_top", rightTop};
    case FramePart::RightBottom: return {"Title_Right_Image_bottom", rightBottom};
    case FramePart::Bottom: return {"Title_Botom_Image", bottom};
    case FramePart::ExitPassive: return {"Exit_Image_active", exit};
    case FramePart::ExitActive: return {"Exit_Image_passive", exit};
    case FramePart::BallPanel: return {"Title_Ball_Panel_Image_Middle", ballPanel};
    case FramePart::Ball: return {"Ball_Shato", ball};
    }
    return {};
}

bool hasVariants(FramePart part) { return part == FramePart::LeftTop || part == FramePart::RightTop; }

QString partResource(FramePart part, int variant)
{
    const QString name = partPlace(part).resource;
    return hasVariants(part) ? name + QString("_%1").arg(variant, 2, 10, QChar('0')) : name;
}

QRegion partOwnership(FramePart part)
{
    static constexpr FramePart order[] = {FramePart::LeftTop, FramePart::LeftBottom, FramePart::RightBottom,
                                          FramePart::RightTop, FramePart::Top, FramePart::Bottom,
                                          FramePart::LeftMiddle};
    QRegion taken;
    for (FramePart p : order) {
        const QRegion own = QRegion(partPlace(p).rect).intersected(QRect(0, 0, kFormWidth, kFormHeight)) - taken;
        if (p == part) return own;
        taken += own;
    }
    return QRegion(partPlace(part).rect);
}
