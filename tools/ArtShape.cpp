#include "ArtShape.h"

#include "hotzone/HotShapes.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace art {

namespace {

// Convex hull of circles (sampled), which joins the round buttons of the control pod into one
// smooth outline.
QPolygonF CircleHull(const std::vector<std::pair<QPointF, double>> &circles) {
    std::vector<QPointF> pts;
    for (const auto &[c, r] : circles)
        for (int i = 0; i < 180; ++i) {
            const double a = 2 * Pi * i / 180;
            pts.emplace_back(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        }
    std::sort(pts.begin(), pts.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    auto cross = [](const QPointF &o, const QPointF &a, const QPointF &b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0)
            --k;
        hull[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0)
            --k;
        hull[k++] = pts[i - 1];
    }
    hull.resize(k - 1);
    return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

} // namespace

// The window's outline: a body holding the tree, a header tab with the window buttons, a wing
// with the topic buttons, a pod joining the run button and the arrows, and a pad below for the
// drag knob. The union is then closed (dilated and eroded) so that every inner corner gets a
// fillet and the parts read as one moulded shape.
TGrid BuildShape() {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addRoundedRect(QRectF(64, 30, 258, 242), 22, 22);  // body
    path.addRoundedRect(QRectF(80, 0, 198, 40), 13, 13);    // header tab
    path.addRoundedRect(QRectF(318, 18, 114, 100), 15, 15); // topic wing, reaching the right edge
    path.addPolygon(CircleHull({{QPointF(370, 127), 32}, {QPointF(347, 164), 22}, {QPointF(340, 185), 21}}));
    path.closeSubpath();
    path.addPolygon(QPolygonF({QPointF(238, 250), QPointF(318, 250), QPointF(306, 310), QPointF(250, 310)}));
    path.closeSubpath();
    path.addRoundedRect(QRectF(236, 300, 82, 82), 24, 24); // drag pad

    QImage raster(W, H, QImage::Format_Grayscale8);
    raster.fill(0);
    {
        QPainter p(&raster);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillPath(path.simplified(), Qt::white);
    }
    TGrid g;
    for (int y = 0; y < H; ++y) {
        const uchar *row = raster.constScanLine(y);
        for (int x = 0; x < W; ++x)
            g.In[size_t(y) * W + x] = row[x] >= 128 ? 1 : 0;
    }

    // Closing with a disc; the picture's edges count as continuing the shape, so the parts that
    // reach the edge keep their full width.
    constexpr int R = 10;
    std::vector<QPoint> disc;
    for (int dy = -R; dy <= R; ++dy)
        for (int dx = -R; dx <= R; ++dx)
            if (dx * dx + dy * dy <= R * R)
                disc.emplace_back(dx, dy);
    TGrid dilated;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool any = false;
            for (const QPoint &d : disc)
                if (g.atClamped(x + d.x(), y + d.y())) {
                    any = true;
                    break;
                }
            dilated.In[size_t(y) * W + x] = any;
        }
    TGrid closed;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool all = true;
            for (const QPoint &d : disc)
                if (!dilated.atClamped(x + d.x(), y + d.y())) {
                    all = false;
                    break;
                }
            closed.In[size_t(y) * W + x] = all || g.at(x, y);
        }
    return closed;
}

std::vector<float> DistanceField(const TGrid &g, int max) {
    std::vector<std::pair<int, QPoint>> offsets;
    for (int dy = -max; dy <= max; ++dy)
        for (int dx = -max; dx <= max; ++dx)
            if (dx * dx + dy * dy <= max * max && (dx || dy))
                offsets.push_back({dx * dx + dy * dy, QPoint(dx, dy)});
    std::stable_sort(offsets.begin(), offsets.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<float> d(size_t(W) * H, 0.f);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!g.at(x, y))
                continue;
            float best = float(max);
            for (const auto &[d2, o] : offsets)
                if (!g.atOrOut(x + o.x(), y + o.y())) {
                    best = float(std::sqrt(double(d2))) - 0.5f;
                    break;
                }
            d[size_t(y) * W + x] = best;
        }
    return d;
}

std::vector<const THSRgn *> Regions(const THSRgnList &map) {
    std::vector<const THSRgn *> regions;
    for (int i = 0; i < map.Count(); ++i)
        regions.push_back(map.Items(i));
    return regions;
}

QRectF BoxF(const THSRgn &r) { return QRectF(r.Box.x(), r.Box.y(), r.Box.width(), r.Box.height()); }

QPainterPath RegionPath(const THSRgn &r) {
    QPainterPath s;
    const QPoint corners[] = {r.Box.topLeft(), r.Box.bottomRight() + QPoint(1, 1)};
    // A round button is the circle the map draws in its box: its lit face is cut by the smooth
    // ellipse, which is how the committed skin was painted.
    if (r.Rgn.rectCount() > 1 && r.Rgn == ShapeRegion(u"CIRCLE", corners, 2, false))
        s.addEllipse(BoxF(r));
    else
        s.addRegion(r.Rgn);
    return s;
}

} // namespace art
