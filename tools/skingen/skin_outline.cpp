// The outlines are built from straight runs, arcs and profiled runs, each with a set number of
// vertices, so that the concave corners where the frame steps from one part to the next are
// vertices themselves and never cut across a part's edge.
#include "skin_outline.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kBeamNodeSpacing = 64, kFirstBeamNode = 52, kBeamEnd = 741;

class OutlineBuilder {
public:
    explicit OutlineBuilder(QPointF start) : current_(start) { points_.push_back(start); }

    // n vertices along the straight run to `to`, the last one at `to`.
    void line(QPointF to, int n) { profile(to, n, [](double) { return 0.0; }); }

    // As line, each vertex moved by offset(distance from the start) to the left of the direction of travel.
    void profile(QPointF to, int n, const std::function<double(double)>& offset)
    {
        const QPointF from = current_, d = to - from;
        const double length = std::hypot(d.x(), d.y());
        const QPointF left(d.y() / length, -d.x() / length);
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n;
            points_.push_back(from + d * t + left * (i == n ? 0.0 : offset(t * length)));
        }
        current_ = to;
    }

    // n vertices along the arc about centre, angles in degrees (screen axes: y down).
    void arc(QPointF centre, double radius, double fromDegrees, double toDegrees, int n)
    {
        for (int i = 1; i <= n; ++i) {
            const double a = (fromDegrees + (toDegrees - fromDegrees) * i / n) * kPi / 180.0;
            points_.push_back(centre + QPointF(std::cos(a), std::sin(a)) * radius);
        }
        current_ = points_.back();
    }

    // The last run back towards the first vertex, with as many vertices as make up total.
    QPolygon close(int total)
    {
        const int n = total - int(points_.size()) + 1;
        if (n < 1) throw std::logic_error("outline has more vertices than asked for");
        const QPointF from = current_, to = points_.front();
        for (int i = 1; i < n; ++i) points_.push_back(from + (to - from) * (double(i) / n));
        QPolygon polygon;
        for (const QPointF& p : points_) polygon << QPoint(int(std::lround(p.x())), int(std::lround(p.y())));
        return polygon;
    }

private:
    std::vector<QPointF> points_;
    QPointF current_;
};

// A swelling of height 1 within 6 pixels of a node, falling to 0 at 10: flat on top, so that
// at least two vertices share its top row and the row holds pixels.
double nodeSwelling(double x)
{
    double best = 0;
    for (int node : beamNodes()) {
        const double d = std::fabs(x - node);
        best = std::max(best, d <= 6 ? 1.0 : d < 10 ? (10 - d) / 4 : 0.0);
    }
    return best;
}

}  // namespace

std::vector<int> beamNodes()
{
    std::vector<int> nodes;
    for (int x = kFirstBeamNode; x < kBeamEnd - 20; x += kBeamNodeSpacing) nodes.push_back(x);
    return nodes;
}

QPolygon formOutline()
{
    // Top beam with its bamboo nodes; its rounded end above the right post, whose capped top
    // stands lower; the right post steps out to the wider lower post at the joint; the plank's
    // slightly worn lower edge; the lower left post, narrower than the upper one above the joint.
    OutlineBuilder b({0, 18});
    b.arc({16, 18}, 16, 180, 270, 8);
    b.profile({kBeamEnd, 2}, 136, [](double s) { return 2.0 * nodeSwelling(16 + s); });
    b.arc({kBeamEnd, 10}, 8, 270, 360, 6);
    b.line({749, 35}, 3);
    b.line({768, 35}, 3);
    b.arc({768, 49}, 14, 270, 360, 8);
    b.line({782, 321}, 34);
    b.line({789, 328}, 2);
    b.line({789, 540}, 26);
    b.arc({775, 540}, 14, 0, 90, 8);
    b.profile({108, 554}, 96, [](double s) { return 1.5 * std::cos(2 * kPi * s / 83.0) - 1.5; });
    b.arc({108, 546}, 8, 90, 180, 5);
    b.line({46, 546}, 8);
    b.arc({46, 532}, 14, 90, 180, 8);
    b.line({32, 372}, 20);
    // A concave fillet out to the wider upper post.
    b.arc({0, 372}, 32, 0, -90, 10);
    return b.close(kFormOutlineVertices);
}

QPolygon screenOutline()
{
    // A superellipse: the flat sides and round corners of a television tube.
    constexpr double cx = 142, cy = 120, a = 140, b = 117;
    QPolygon polygon;
    for (int i = 0; i < kScreenOutlineVertices; ++i) {
        const double t = 2 * kPi * i / kScreenOutlineVertices, c = std::cos(t), s = std::sin(t);
        const double x = cx + a * std::copysign(std::sqrt(std::fabs(c)), c);
        const double y = cy + b * std::copysign(std::sqrt(std::fabs(s)), s);
        polygon << QPoint(int(std::lround(x)), int(std::lround(y)));
    }
    return polygon;
}

QRegion outlineRegion(const QPolygon& outline) { return QRegion(outline, Qt::WindingFill); }

std::string pointsText(const std::vector<int>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += "\r\n";
        text += std::to_string(values[i]);
    }
    return text;
}

std::vector<int> xValues(const QPolygon& outline)
{
    std::vector<int> v;
    for (const QPoint& p : outline) v.push_back(p.x());
    return v;
}

std::vector<int> yValues(const QPolygon& outline)
{
    std::vector<int> v;
    for (const QPoint& p : outline) v.push_back(p.y());
    return v;
}
