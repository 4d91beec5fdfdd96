// The small things fixed to the frame's corners and posts: what one finds on a beach hut or an
// old boat. Each is painted centred on a point, about `radius` pixels from it to its farthest edge.
#pragma once

#include <QPainter>
#include <QPointF>

enum class Ornament { Starfish, Scallop, Compass, Coconuts, Anchor, ShipWheel, Hibiscus, Bell, Lantern, GlassFloat };

void paintOrnament(QPainter& painter, Ornament ornament, QPointF centre, double radius);
// A glass fishing float in its rope net (also the picture behind the porthole).
void paintGlassFloat(QPainter& painter, QPointF centre, double radius);
