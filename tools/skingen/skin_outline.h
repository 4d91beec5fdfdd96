// The two window outlines: the form's, which follows the frame pictures' outer edge, and the
// slideshow screen's rounded shape inside its panel; and their "POINTS" text form.
#pragma once

#include <QPolygon>
#include <QRegion>

#include <string>
#include <vector>

constexpr int kFormOutlineVertices = 410;
constexpr int kScreenOutlineVertices = 135;

// Places along the top beam where its bamboo nodes swell the edge by a pixel or two.
std::vector<int> beamNodes();

// In form coordinates, clockwise from the top-left corner.
QPolygon formOutline();
// In the slideshow panel's coordinates.
QPolygon screenOutline();
// The pixels inside an outline, as the form's window mask takes them.
QRegion outlineRegion(const QPolygon& outline);

// One decimal integer per line, lines separated by CR LF (no line break after the last).
std::string pointsText(const std::vector<int>& values);
std::vector<int> xValues(const QPolygon& outline);
std::vector<int> yValues(const QPolygon& outline);
