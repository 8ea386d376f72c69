#include "hotzone/HotShapes.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct TBox {
    int Left, Top, Right, Bottom; // right and bottom excluded
};

TBox Normalised(int l, int t, int r, int b) { return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}; }

TBox CornerBox(QPoint a, QPoint b) { return Normalised(a.x(), a.y(), b.x(), b.y()); }

TBox CircleBox(QPoint p1, QPoint p2, bool ncsa) {
    if (!ncsa)
        return CornerBox(p1, p2);
    const int cx = p1.x(), cy = p1.y();
    if (p2.x() == cx) {
        const int r = p2.y() - cy;
        return Normalised(cx - r, cy - r, cx + r, cy + r);
    }
    return Normalised(2 * cx - p2.x(), 2 * cy - p2.y(), p2.x(), p2.y());
}

QRegion RectRegion(const TBox &b) { return QRegion(QRect(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top)); }

// A rectangle whose corners are rounded by an ellipse EW wide and EH high, and so, with the
// ellipse as large as the box, the ellipse inscribed in the box.
// 1. The corner ellipse is limited to the box; below 2 pixels either way it is a rectangle.
// 2. Each row is sampled at its pixel centre; a pixel belongs to the row when its centre lies
//    within the curve, so the left and top edges are included and the right and bottom ones
//    excluded, as for rectangles.
// 3. Every row keeps at least its middle pixel(s), so the shape touches all four sides of its
//    box and its bounding box is the box.
// 4. Rows are mirrored (top and bottom, left and right) and runs of equal rows become one
//    rectangle of the region.
QRegion RoundRectRegion(const TBox &box, int ellipseWidth, int ellipseHeight) {
    const int w = box.Right - box.Left, h = box.Bottom - box.Top;
    if (w <= 0 || h <= 0)
        return {};
    const int ew = std::min(std::abs(ellipseWidth), w);
    const int eh = std::min(std::abs(ellipseHeight), h);
    if (ew < 2 || eh < 2)
        return RectRegion(box);
    const double a = ew / 2.0, b = eh / 2.0;
    const int maxInset = (w - 1) / 2;
    auto insetOfRow = [&](int row) {
        const double dy = b - (std::min(row, h - 1 - row) + 0.5);
        if (dy <= 0)
            return 0;
        const double q = dy / b;
        const double dx = a * std::sqrt(std::max(0.0, 1.0 - q * q));
        return std::clamp(int(std::ceil(a - dx - 0.5)), 0, maxInset);
    };
    std::vector<QRect> rects;
    int runStart = 0;
    int runInset = insetOfRow(0);
    for (int row = 1; row <= h; ++row) {
        const int inset = row < h ? insetOfRow(row) : -1;
        if (inset == runInset)
            continue;
        rects.emplace_back(box.Left + runInset, box.Top + runStart, w - 2 * runInset, row - runStart);
        runStart = row;
        runInset = inset;
    }
    QRegion rgn;
    rgn.setRects(rects.data(), int(rects.size()));
    return rgn;
}

// Builds a region from rows of spans, merging runs of equal rows into bands.
class TBandBuilder {
public:
    void AddRow(int y, const std::vector<std::pair<int, int>> &spans) {
        if (!spans.empty() && spans == FLast && y == FLastBottom) {
            for (size_t i = FBandStart; i < FRects.size(); ++i)
                FRects[i].setBottom(y);
        } else if (!spans.empty()) {
            FBandStart = FRects.size();
            for (const auto &[l, r] : spans)
                FRects.emplace_back(l, y, r - l, 1);
        }
        FLast = spans;
        FLastBottom = y + 1;
    }
    QRegion Region() const {
        QRegion rgn;
        rgn.setRects(FRects.data(), int(FRects.size()));
        return rgn;
    }

private:
    std::vector<QRect> FRects;
    std::vector<std::pair<int, int>> FLast;
    size_t FBandStart = 0;
    int FLastBottom = 0;
};

// A closed polygon filled by the nonzero winding rule, with the pixel-centre rule of the other
// shapes. The toolkit's own polygon regions take seconds for a large self-crossing polygon; this
// scan takes time in proportion to rows times edges.
// 1. Each row is sampled along its centre line; every edge crossing it gives an x and a
//    direction (up or down).
// 2. Crossings sorted by x are walked with a winding count; where the count is not zero the
//    row is inside, and a pixel belongs to it when its centre lies inside.
// 3. Spans that touch after rounding are merged; rows become bands as for round rectangles.
QRegion PolygonRegion(const QPoint *pts, int count) {
    // Each row looks only at the edges that span it (an active list), not at every edge: a
    // polygon tens of thousands of rows tall would otherwise test all its edges on every row.
    struct TEdge {
        int Index, Top, Bottom;
    };
    std::vector<TEdge> edges;
    for (int i = 0; i < count; ++i) {
        const QPoint a = pts[i], b = pts[(i + 1) % count];
        if (a.y() != b.y())
            edges.push_back({i, std::min(a.y(), b.y()), std::max(a.y(), b.y())});
    }
    if (edges.empty())
        return {};
    std::sort(edges.begin(), edges.end(), [](const TEdge &l, const TEdge &r) { return l.Top < r.Top; });
    const int minY = edges.front().Top;
    int maxY = minY;
    for (const TEdge &e : edges)
        maxY = std::max(maxY, e.Bottom);
    struct TCrossing {
        double X;
        int Dir;
    };
    std::vector<TCrossing> crossings;
    std::vector<std::pair<int, int>> spans;
    std::vector<TEdge> active;
    size_t next = 0;
    TBandBuilder bands;
    for (int y = minY; y < maxY; ++y) {
        const double yc = y + 0.5;
        // An edge covers the rows whose centres lie in [Top, Bottom). Crossings are gathered
        // in the polygon's own edge order, so equal ones sort the same way every time.
        bool added = false;
        for (; next < edges.size() && edges[next].Top <= y; ++next, added = true)
            active.push_back(edges[next]);
        if (added)
            std::sort(active.begin(), active.end(), [](const TEdge &l, const TEdge &r) { return l.Index < r.Index; });
        active.erase(std::remove_if(active.begin(), active.end(), [y](const TEdge &e) { return e.Bottom <= y; }),
                     active.end());
        crossings.clear();
        for (const TEdge &e : active) {
            const QPoint a = pts[e.Index], b = pts[(e.Index + 1) % count];
            const double x = a.x() + (yc - a.y()) * double(b.x() - a.x()) / double(b.y() - a.y());
            crossings.push_back({x, b.y() > a.y() ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const TCrossing &l, const TCrossing &r) { return l.X < r.X; });
        spans.clear();
        int winding = 0;
        double enter = 0;
        for (const TCrossing &c : crossings) {
            const int before = winding;
            winding += c.Dir;
            if (before == 0 && winding != 0) {
                enter = c.X;
            } else if (before != 0 && winding == 0) {
                const int l = int(std::ceil(enter - 0.5)), r = int(std::ceil(c.X - 0.5));
                if (r <= l)
                    continue;
                if (!spans.empty() && l <= spans.back().second)
                    spans.back().second = std::max(spans.back().second, r);
                else
                    spans.emplace_back(l, r);
            }
        }
        bands.AddRow(y, spans);
    }
    return bands.Region();
}

} // namespace

QRegion ShapeRegion(QStringView keyword, const QPoint *pts, int count, bool ncsaCircles) {
    if (keyword == u"RECT" && count >= 2)
        return RectRegion(CornerBox(pts[0], pts[1]));
    if (keyword == u"CIRCLE" && count >= 2) {
        const TBox b = CircleBox(pts[0], pts[1], ncsaCircles);
        return RoundRectRegion(b, b.Right - b.Left, b.Bottom - b.Top);
    }
    if (keyword == u"POLY" && count >= 3)
        return PolygonRegion(pts, count);
    if (keyword == u"ROUNDRECT" && count >= 3)
        return RoundRectRegion(CornerBox(pts[0], pts[1]), pts[2].x(), pts[2].y());
    return {};
}
