// Where the settings form's frame parts sit: their resource names, sizes and places in form
// coordinates, computed from each other as the form places them, and which part owns each pixel
// where their rectangles overlap.
#pragma once

#include <QRect>
#include <QRegion>
#include <QString>

#include <array>

constexpr int kFormWidth = 789, kFormHeight = 554;
constexpr int kFrameVariants = 7;
// The slideshow screen's panel and the page control, as the form places them.
constexpr QRect kScreenPanel(49, 43, 285, 240);
constexpr QRect kPageControl(412, 72, 325, 320);
// The background gradient covers the form above the bottom plank.
constexpr QRect kBevel(0, 0, kFormWidth, kFormHeight - 37);

enum class FramePart {
    LeftTop, Top, LeftMiddle, LeftBottom, RightTop, RightBottom, Bottom,
    ExitPassive, ExitActive, BallPanel, Ball,
};
constexpr int kFrameParts = 11;
// The seven parts whose pictures make up the form's edge.
constexpr std::array<FramePart, 7> kEdgeParts{FramePart::LeftTop, FramePart::Top, FramePart::LeftMiddle,
                                              FramePart::LeftBottom, FramePart::RightTop,
                                              FramePart::RightBottom, FramePart::Bottom};

struct PartPlace {
    QString resource;   // for the two variant parts, without the "_01" to "_07" suffix
    QRect rect;         // in form coordinates
};

PartPlace partPlace(FramePart part);
// The resource name of a part's picture; variant 1 to 7 for the left and right top parts.
QString partResource(FramePart part, int variant = 1);
bool hasVariants(FramePart part);

// The pixels of the form each edge part paints: its rectangle, less what a part before it in the
// order left top, left bottom, right bottom, right top, top, bottom, left middle already holds,
// and never beyond the form.
QRegion partOwnership(FramePart part);
