#pragma once
// The shapes a map line can name, rasterised to the pixels a region covers. A pixel belongs to a
// shape when its centre lies inside it, so left and top edges are included and right and bottom
// ones excluded, as for rectangles.
#include <QPoint>
#include <QRegion>
#include <QStringView>

// The region of a shape keyword in upper case (RECT, CIRCLE, POLY, ROUNDRECT) over its points;
// empty for any other keyword or too few points. With ncsaCircles, the first point of a circle
// is its centre; otherwise a circle's two points are the corners of its box.
QRegion ShapeRegion(QStringView keyword, const QPoint *points, int count, bool ncsaCircles);
