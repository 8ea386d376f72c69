#include "ArtSkin.h"

#include "hotzone/HotShapes.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QConicalGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace art {

namespace {

constexpr int W = SkinWidth;
constexpr int H = SkinHeight;
constexpr double Pi = 3.14159265358979323846;

// The tree's see-through colour: the skin must never hold it, or the tree would show holes.
const QRgb ColourKey = qRgb(128, 128, 0);

// The tree's rectangle on the window.
const QRect TreeRect(79, 41, 218, 192);

struct TGrid {
    std::vector<uint8_t> In = std::vector<uint8_t>(size_t(W) * H, 0);
    bool at(int x, int y) const { return In[size_t(y) * W + x] != 0; }
    bool atClamped(int x, int y) const { return at(std::clamp(x, 0, W - 1), std::clamp(y, 0, H - 1)); }
    bool atOrOut(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H && at(x, y); }
};

const THSRgn *Find(const THSRgnList &map, const char *id) { return map.FindById(QLatin1String(id)); }

// The map's regions in map order.
std::vector<const THSRgn *> Regions(const THSRgnList &map) {
    std::vector<const THSRgn *> regions;
    for (int i = 0; i < map.Count(); ++i)
        regions.push_back(map.Items(i));
    return regions;
}

QRectF BoxF(const THSRgn &r) { return QRectF(r.Box.x(), r.Box.y(), r.Box.width(), r.Box.height()); }

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

// Distance of every inside pixel from the outside (the picture's edges count as outside here:
// the window ends there), up to Max.
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

QColor Mix(const QColor &a, const QColor &b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The moulded body: a deep blue-violet gradient with a soft diagonal sheen, a rounded bevel lit
// from the upper left that follows the whole outline, a dark silhouette line and a pinstripe.
void PaintBody(QImage &img, const TGrid &g) {
    constexpr int Bevel = 8;
    const std::vector<float> d = DistanceField(g, 14);
    std::vector<float> h(size_t(W) * H, 0.f);
    for (size_t i = 0; i < h.size(); ++i)
        h[i] = d[i] >= Bevel ? 1.f : float(std::sin(Pi / 2 * std::max(0.f, d[i]) / Bevel));
    std::vector<float> hs(h.size(), 0.f);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float sum = 0;
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx >= 0 && yy >= 0 && xx < W && yy < H) {
                        sum += h[size_t(yy) * W + xx];
                        ++n;
                    }
                }
            hs[size_t(y) * W + x] = sum / float(n);
        }
    auto hAt = [&](int x, int y) {
        return hs[size_t(std::clamp(y, 0, H - 1)) * W + size_t(std::clamp(x, 0, W - 1))];
    };
    const double lx = -0.50, ly = -0.62, lz = 0.60;
    const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    const QColor top(64, 76, 142), bottom(24, 28, 70), shine(226, 230, 255), shadow(4, 5, 18);
    const QColor stripe(132, 150, 230), edge(8, 9, 26);
    for (int y = 0; y < H; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < W; ++x) {
            if (!g.at(x, y))
                continue;
            const size_t i = size_t(y) * W + x;
            QColor c = Mix(top, bottom, double(y) / (H - 1));
            const double band = (x * 0.55 + y) - 150;
            c = Mix(c, QColor(120, 134, 210), 0.16 * std::exp(-band * band / (2 * 70.0 * 70.0)));
            const double nx = -(hAt(x + 1, y) - hAt(x - 1, y)) * 3.0;
            const double ny = -(hAt(x, y + 1) - hAt(x, y - 1)) * 3.0;
            const double nl = std::sqrt(nx * nx + ny * ny + 1);
            const double shade = (nx * lx + ny * ly + lz) / (nl * ll) - lz / ll;
            c = shade > 0 ? Mix(c, shine, shade * 1.1) : Mix(c, shadow, -shade * 1.0);
            if (std::abs(d[i] - (Bevel + 2.5f)) < 0.6f)
                c = Mix(c, stripe, 0.40);
            if (d[i] < 1.0f)
                c = edge;
            row[x] = c.rgb();
        }
    }
}

QFont Font(const char *family, double px, bool bold) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(int(px));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Text with a one-pixel shadow, centred in a rectangle.
void Label(QPainter &p, const QRectF &r, const QString &text, const QFont &font, const QColor &colour,
           const QColor &shadowColour, double dy = 1) {
    p.setFont(font);
    p.setPen(shadowColour);
    p.drawText(r.translated(0, dy), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

// The look of a button face: cool steel at rest, warm amber (or its own hue) when lit.
struct TFace {
    QColor Top, Bottom, Rim, Ink, InkShadow;
};

TFace Steel() { return {QColor(132, 148, 200), QColor(58, 68, 122), QColor(16, 18, 44), QColor(240, 243, 252), QColor(20, 24, 56)}; }
TFace Amber() { return {QColor(255, 232, 150), QColor(246, 138, 28), QColor(120, 52, 6), QColor(58, 26, 2), QColor(255, 240, 190)}; }
TFace Ember() { return {QColor(255, 170, 150), QColor(214, 40, 36), QColor(96, 10, 10), QColor(255, 255, 255), QColor(110, 14, 14)}; }
TFace Jade() { return {QColor(120, 226, 170), QColor(24, 122, 84), QColor(8, 48, 34), QColor(240, 255, 246), QColor(6, 60, 40)}; }
TFace Lime() { return {QColor(214, 255, 170), QColor(56, 196, 70), QColor(20, 90, 20), QColor(255, 255, 255), QColor(24, 100, 30)}; }

void FaceFill(QPainter &p, const QPainterPath &shape, const QRectF &r, const TFace &f, bool lit) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, f.Top);
    g.setColorAt(0.48, Mix(f.Top, f.Bottom, 0.45));
    g.setColorAt(0.52, Mix(f.Top, f.Bottom, 0.62));
    g.setColorAt(1, f.Bottom);
    p.fillPath(shape, g);
    if (lit) {
        // A warm bloom from the centre: the face glows rather than merely changing colour.
        QRadialGradient bloom(r.center(), std::max(r.width(), r.height()) * 0.6);
        bloom.setColorAt(0, QColor(255, 255, 235, 150));
        bloom.setColorAt(1, QColor(255, 255, 235, 0));
        p.fillPath(shape, bloom);
    }
    // Gloss on the upper half.
    QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, lit ? 150 : 90));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2), gloss);
    p.restore();
    p.setPen(QPen(f.Rim, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void RectButton(QPainter &p, const QRectF &r, double radius, const TFace &f, bool lit) {
    QPainterPath s;
    s.addRoundedRect(r, radius, radius);
    FaceFill(p, s, r, f, lit);
}

void RoundButton(QPainter &p, const QRectF &r, const TFace &f, bool lit) {
    QPainterPath s;
    s.addEllipse(r);
    FaceFill(p, s, r, f, lit);
}

// A recess around a round button, so that it sits in the body rather than on it.
void Recess(QPainter &p, const QPointF &c, double rx, double ry) {
    QLinearGradient g(c - QPointF(rx, ry), c + QPointF(rx, ry));
    g.setColorAt(0, QColor(6, 8, 22));
    g.setColorAt(1, QColor(150, 164, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, rx, ry);
}

// Small line icons for the topic buttons.
void TopicIcon(QPainter &p, const QString &id, const QPointF &c, const QColor &ink) {
    p.save();
    p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (id == QLatin1String("VIDEO")) {
        p.drawRoundedRect(QRectF(c.x() - 5.5, c.y() - 4, 11, 8), 1.5, 1.5);
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({c + QPointF(-1.8, -2.4), c + QPointF(2.8, 0), c + QPointF(-1.8, 2.4)}));
    } else if (id == QLatin1String("MUSICA")) {
        p.drawLine(c + QPointF(-1.5, 3.5), c + QPointF(-1.5, -4.5));
        p.drawLine(c + QPointF(-1.5, -4.5), c + QPointF(4, -3));
        p.drawLine(c + QPointF(4, -3), c + QPointF(4, 2.5));
        p.setBrush(ink);
        p.drawEllipse(c + QPointF(-3.3, 3.6), 2.0, 1.6);
        p.drawEllipse(c + QPointF(2.2, 2.6), 2.0, 1.6);
    } else if (id == QLatin1String("IMAGEN")) {
        p.drawRoundedRect(QRectF(c.x() - 5.5, c.y() - 4.5, 11, 9), 1.5, 1.5);
        p.drawPolyline(QPolygonF({c + QPointF(-4.5, 3.5), c + QPointF(-1.5, 0), c + QPointF(0.8, 2),
                                  c + QPointF(2.5, 0.5), c + QPointF(4.5, 3.5)}));
        p.setBrush(ink);
        p.drawEllipse(c + QPointF(2.4, -2.2), 1.0, 1.0);
    } else {
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(c.x() - 5 + (i % 2) * 6, c.y() - 5 + (i / 2) * 6, 4.2, 4.2), 1, 1);
    }
    p.restore();
}

// The disc emblem between the tree and the topic buttons: a silver disc with a soft rainbow.
void DiscEmblem(QPainter &p, const QPointF &c, double r) {
    Recess(p, c, r + 2.5, r + 2.5);
    QConicalGradient rainbow(c, 30);
    const QColor hues[] = {QColor(214, 220, 240), QColor(240, 200, 230), QColor(200, 222, 255), QColor(205, 246, 226),
                           QColor(248, 240, 196), QColor(214, 220, 240)};
    for (int i = 0; i < 6; ++i)
        rainbow.setColorAt(i / 5.0, hues[i]);
    p.setPen(QPen(QColor(70, 78, 120), 1));
    p.setBrush(rainbow);
    p.drawEllipse(c, r, r);
    QRadialGradient sheen(c - QPointF(r * 0.35, r * 0.45), r * 1.2);
    sheen.setColorAt(0, QColor(255, 255, 255, 140));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 130, 170, 90), 0.8));
    for (double rr = r * 0.55; rr < r - 1; rr += 2.6)
        p.drawEllipse(c, rr, rr);
    p.setPen(QPen(QColor(150, 156, 190), 1));
    p.setBrush(QColor(230, 234, 246));
    p.drawEllipse(c, r * 0.34, r * 0.34);
    p.setBrush(QColor(22, 26, 62));
    p.setPen(QPen(QColor(90, 98, 150), 1));
    p.drawEllipse(c, r * 0.15, r * 0.15);
}

// The tree's panel: a sunken well around a calm, light screen on which black node text reads
// well, with a faint disc watermark in its lower right corner.
void TreePanel(QPainter &p) {
    const QRectF well(72.5, 34.5, 231, 205);
    QLinearGradient rim(well.topLeft(), well.bottomRight());
    rim.setColorAt(0, QColor(6, 8, 22));
    rim.setColorAt(0.6, QColor(40, 46, 96));
    rim.setColorAt(1, QColor(170, 182, 240));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawRoundedRect(well, 8, 8);
    p.setBrush(QColor(18, 22, 50));
    p.drawRoundedRect(QRectF(76, 38, 224, 198), 4, 4);

    QLinearGradient screen(QPointF(0, TreeRect.top()), QPointF(0, TreeRect.bottom() + 1));
    screen.setColorAt(0, QColor(250, 251, 254));
    screen.setColorAt(1, QColor(222, 229, 243));
    p.fillRect(TreeRect, screen);
    p.save();
    p.setClipRect(TreeRect);
    const QPointF c(TreeRect.right() - 34, TreeRect.bottom() - 30);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        p.setPen(QPen(QColor(120, 136, 200, 22 + (i % 2) * 10), 2));
        p.drawEllipse(c, 14.0 + i * 7, 14.0 + i * 7);
    }
    p.setPen(QPen(QColor(120, 136, 200, 40), 3));
    p.drawEllipse(c, 6, 6);
    // A soft shade under the top edge makes the screen sit below the frame.
    QLinearGradient inner(QPointF(0, TreeRect.top()), QPointF(0, TreeRect.top() + 6));
    inner.setColorAt(0, QColor(30, 36, 80, 70));
    inner.setColorAt(1, QColor(30, 36, 80, 0));
    p.fillRect(QRectF(TreeRect.left(), TreeRect.top(), TreeRect.width(), 6), inner);
    p.restore();
}

// The strip behind the information label, which starts at 176,241 and grows to the right.
void InfoStrip(QPainter &p) {
    const QRectF outer(165.5, 237.5, 130, 22);
    QLinearGradient rim(outer.topLeft(), outer.bottomLeft());
    rim.setColorAt(0, QColor(6, 8, 22));
    rim.setColorAt(1, QColor(160, 172, 236));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawRoundedRect(outer, 11, 11);
    QLinearGradient lcd(outer.topLeft(), outer.bottomLeft());
    lcd.setColorAt(0, QColor(218, 226, 242));
    lcd.setColorAt(1, QColor(246, 248, 253));
    p.setBrush(lcd);
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 9.5, 9.5);
}

// The drag knob: a ribbed dial with a four-way arrow in its centre.
void DragKnob(QPainter &p, const QRectF &box, bool lit) {
    const QPointF c = box.center();
    const double r = box.width() / 2;
    const TFace face = lit ? TFace{QColor(190, 236, 255), QColor(30, 120, 190), QColor(8, 40, 70), QColor(255, 255, 255), QColor(10, 50, 90)}
                           : TFace{QColor(150, 160, 206), QColor(44, 50, 98), QColor(10, 12, 32), QColor(226, 232, 250), QColor(14, 16, 40)};
    RoundButton(p, box.adjusted(0.5, 0.5, -0.5, -0.5), face, lit);
    p.save();
    p.setPen(QPen(lit ? QColor(230, 250, 255, 200) : QColor(20, 24, 60, 150), 1.2));
    for (int i = 0; i < 40; ++i) {
        const double a = 2 * Pi * i / 40;
        const QPointF u(std::cos(a), std::sin(a));
        p.drawLine(c + u * (r - 7.5), c + u * (r - 2.5));
    }
    QRadialGradient cap(c - QPointF(6, 8), r * 0.9);
    cap.setColorAt(0, lit ? QColor(220, 248, 255) : QColor(178, 186, 226));
    cap.setColorAt(1, lit ? QColor(40, 140, 210) : QColor(50, 58, 108));
    p.setPen(QPen(lit ? QColor(10, 60, 100) : QColor(12, 14, 36), 1));
    p.setBrush(cap);
    p.drawEllipse(c, r - 10, r - 10);
    const QColor ink = lit ? QColor(255, 255, 255) : QColor(230, 234, 250);
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double a = 12, hd = 4.5;
    p.drawLine(c + QPointF(-a, 0), c + QPointF(a, 0));
    p.drawLine(c + QPointF(0, -a), c + QPointF(0, a));
    for (const QPointF &u : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)}) {
        const QPointF tip = c + u * a, side(-u.y(), u.x());
        p.drawLine(tip, tip - u * hd + side * hd);
        p.drawLine(tip, tip - u * hd - side * hd);
    }
    p.restore();
}

void Arrow(QPainter &p, const QRectF &r, bool up, const QColor &ink) {
    const QPointF c = r.center() + QPointF(0, up ? -0.5 : 0.5);
    const double s = std::min(r.width(), r.height()) * 0.24;
    QPolygonF tri = up ? QPolygonF({c + QPointF(0, -s), c + QPointF(s * 1.15, s * 0.75), c + QPointF(-s * 1.15, s * 0.75)})
                       : QPolygonF({c + QPointF(0, s), c + QPointF(s * 1.15, -s * 0.75), c + QPointF(-s * 1.15, -s * 0.75)});
    p.setPen(QPen(ink, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    p.drawPolygon(tri);
}

QString TopicLabel(const QString &id) {
    if (id == QLatin1String("VIDEO"))
        return QStringLiteral("Video");
    if (id == QLatin1String("MUSICA"))
        return QStringLiteral("M\u00fasica");
    if (id == QLatin1String("IMAGEN"))
        return QStringLiteral("Imagen");
    return QStringLiteral("Varios");
}

// Everything drawn over the body, with every button either at rest or lit.
void PaintParts(QImage &img, const THSRgnList &map, bool lit) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    TreePanel(p);
    InfoStrip(p);
    DiscEmblem(p, QPointF(333, 67), 21);

    // Title in the header tab, between the window buttons and the credits button.
    {
        QFont f = Font("DejaVu Sans", 16, true);
        f.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
        const QRectF r(154, 3, 94, 26);
        QPainterPath text;
        const QFontMetricsF fm(f);
        const double w = fm.horizontalAdvance(QStringLiteral("Telvaro"));
        text.addText(QPointF(r.center().x() - w / 2, r.center().y() + fm.capHeight() / 2), f, QStringLiteral("Telvaro"));
        p.fillPath(text.translated(0, 1.2), QColor(8, 10, 30));
        QLinearGradient ink(QPointF(0, r.top() + 5), QPointF(0, r.bottom() - 5));
        ink.setColorAt(0, QColor(255, 255, 255));
        ink.setColorAt(1, QColor(182, 196, 255));
        p.fillPath(text, ink);
    }
    // A quiet caption left of the information strip.
    Label(p, QRectF(80, 240, 82, 18), QStringLiteral("disco multimedia"), Font("Nimbus Sans", 10, false),
          QColor(150, 162, 222), QColor(12, 14, 36));

    for (const char *id : {"VIDEO", "MUSICA", "IMAGEN", "VARIOS"}) {
        const THSRgn *r = Find(map, id);
        if (!r)
            continue;
        // All four share the columns 364 to 429, so the stack lines up although the boxes are
        // staggered by a pixel; each face is 16 pixels high inside its box.
        const int top = r->Box.bottom() - r->Box.top() + 1 > 17 ? r->Box.top() + 1 : r->Box.top();
        const QRectF face(364.5, top + 0.5, 65, 15);
        const TFace f = lit ? Amber() : Steel();
        RectButton(p, face, 4, f, lit);
        TopicIcon(p, r->Id, QPointF(face.left() + 9, face.center().y()), f.Ink);
        Label(p, face.adjusted(16, 0, -1, 0), TopicLabel(r->Id), Font("DejaVu Sans", 10, true), f.Ink, f.InkShadow,
              lit ? 0.8 : 1);
    }
    if (const THSRgn *r = Find(map, "SALIR")) {
        const QRectF face = BoxF(*r).adjusted(1.5, 1.5, -1.5, -1.5);
        const TFace f = lit ? Ember() : Steel();
        RectButton(p, face, 6, f, lit);
        p.setPen(QPen(f.Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = face.center();
        p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
    }
    if (const THSRgn *r = Find(map, "MINIMIZAR")) {
        const QRectF face = BoxF(*r).adjusted(1.5, 1.5, -1.5, -1.5);
        const TFace f = lit ? Amber() : Steel();
        RectButton(p, face, 6, f, lit);
        p.setPen(QPen(f.Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = face.center();
        p.drawLine(c + QPointF(-5, 3.5), c + QPointF(5, 3.5));
    }
    if (const THSRgn *r = Find(map, "CREDITOS")) {
        const QRectF box = BoxF(*r);
        const QPointF c = box.center();
        const double rad = std::min(box.width(), box.height()) / 2 - 0.5;
        const QRectF face(c.x() - rad, c.y() - rad, 2 * rad, 2 * rad);
        const TFace f = lit ? Amber() : Steel();
        RoundButton(p, face, f, lit);
        QFont font = Font("DejaVu Serif", 13, true);
        Label(p, face.adjusted(0, 0, 0, 0), QStringLiteral("i"), font, f.Ink, f.InkShadow, 0.8);
    }
    if (const THSRgn *r = Find(map, "EJECUTAR")) {
        const QRectF box = BoxF(*r);
        Recess(p, box.center(), box.width() / 2 + 3.5, box.height() / 2 + 3.5);
        const TFace f = lit ? Lime() : Jade();
        RoundButton(p, box.adjusted(0.5, 0.5, -0.5, -0.5), f, lit);
        const QPointF c = box.center() + QPointF(1.5, 0);
        const double s = box.width() * 0.22;
        p.setPen(QPen(f.InkShadow, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(f.Ink);
        p.drawPolygon(QPolygonF({c + QPointF(-s * 0.7, -s), c + QPointF(s, 0), c + QPointF(-s * 0.7, s)}));
    }
    for (const char *id : {"LUP", "LDOWN"}) {
        const THSRgn *r = Find(map, id);
        if (!r)
            continue;
        const QRectF box = BoxF(*r);
        Recess(p, box.center(), box.width() / 2 + 2.5, box.height() / 2 + 2.5);
        const TFace f = lit ? Amber() : Steel();
        RoundButton(p, box.adjusted(0.5, 0.5, -0.5, -0.5), f, lit);
        Arrow(p, box, r->Id == QLatin1String("LUP"), f.Ink);
    }
    if (const THSRgn *r = Find(map, "MOVER")) {
        const QRectF box = BoxF(*r);
        Recess(p, box.center(), box.width() / 2 + 4, box.height() / 2 + 4);
        DragKnob(p, box, lit);
    }
}

QImage ToRgb(const QImage &img) {
    QImage out = img.convertToFormat(QImage::Format_RGB888);
    // Antialiased edges could in theory land on the colour key; move any such pixel by one step
    // of blue, which no eye can tell apart.
    for (int y = 0; y < out.height(); ++y) {
        uchar *row = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            if (row[3 * x] == 128 && row[3 * x + 1] == 128 && row[3 * x + 2] == 0)
                row[3 * x + 2] = 1;
    }
    out.setDotsPerMeterX(2835);
    out.setDotsPerMeterY(2835);
    return out;
}

double MeanLuma(const QImage &img, const QPainterPath &area) {
    double sum = 0;
    int n = 0;
    const QRect b = area.boundingRect().toAlignedRect();
    for (int y = b.top(); y <= b.bottom(); ++y)
        for (int x = b.left(); x <= b.right(); ++x)
            if (area.contains(QPointF(x + 0.5, y + 0.5))) {
                const QRgb c = img.pixel(x, y);
                sum += 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
                ++n;
            }
    return n ? sum / n : 0;
}

} // namespace

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

bool PaintSkin(const THSRgnList &map, TSkin &skin, QString &error) {
    const TGrid shape = BuildShape();

    skin.Mask = QImage(W, H, QImage::Format_Mono);
    skin.Mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    skin.Mask.setDotsPerMeterX(2835);
    skin.Mask.setDotsPerMeterY(2835);
    skin.Mask.fill(1);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            skin.Mask.setPixel(x, y, shape.at(x, y) ? 0 : 1);

    if (skin.Mask.pixelIndex(0, 0) != 1) {
        error = QStringLiteral("the mask's pixel 0,0 must be outside (white)");
        return false;
    }
    for (const THSRgn *r : Regions(map))
        for (int y = r->Box.top(); y <= r->Box.bottom(); ++y)
            for (int x = r->Box.left(); x <= r->Box.right(); ++x)
                if (x < 0 || y < 0 || x >= W || y >= H || skin.Mask.pixelIndex(x, y) != 0) {
                    error = QStringLiteral("the box of region %1 leaves the shape at %2,%3").arg(r->Id).arg(x).arg(y);
                    return false;
                }
    for (int y = TreeRect.top(); y <= TreeRect.bottom(); ++y)
        for (int x = TreeRect.left(); x <= TreeRect.right(); ++x)
            if (skin.Mask.pixelIndex(x, y) != 0) {
                error = QStringLiteral("the tree's rectangle leaves the shape at %1,%2").arg(x).arg(y);
                return false;
            }

    QImage base(W, H, QImage::Format_ARGB32_Premultiplied);
    base.fill(qRgb(255, 255, 255));
    PaintBody(base, shape);

    QImage normal = base;
    PaintParts(normal, map, false);
    QImage lit = base;
    PaintParts(lit, map, true);

    // The lit picture is the normal one with only the regions' own shapes taken from the lit
    // painting: the menu copies a region's whole box, so the corners of a round button's box
    // must stay as they are at rest.
    QImage composed = normal;
    {
        QPainter p(&composed);
        for (const THSRgn *r : Regions(map)) {
            p.save();
            p.setClipPath(RegionPath(*r));
            p.drawImage(r->Box.topLeft(), lit, r->Box);
            p.restore();
        }
    }
    skin.Normal = ToRgb(normal);
    skin.Lit = ToRgb(composed);

    for (const QImage *img : {&skin.Normal, &skin.Lit})
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (img->pixel(x, y) == (ColourKey | 0xff000000u)) {
                    error = QStringLiteral("the skin holds the tree's colour key at %1,%2").arg(x).arg(y);
                    return false;
                }
    for (const THSRgn *r : Regions(map)) {
        const QPainterPath area = RegionPath(*r);
        const double rest = MeanLuma(skin.Normal, area), glow = MeanLuma(skin.Lit, area);
        if (glow < rest + 25) {
            error = QStringLiteral("region %1 is not clearly lit (%2 against %3)").arg(r->Id).arg(glow).arg(rest);
            return false;
        }
    }
    return true;
}

QByteArray BmpBytes(const QImage &img) {
    // Written here rather than by the image library, whose writer leaves the padding at the
    // ends of 1-bit rows uninitialised: the same picture must always give the same bytes.
    const int bits = img.depth() == 1 ? 1 : img.format() == QImage::Format_Indexed8 ? 8 : 24;
    const QImage src = bits == 1 ? img.convertToFormat(QImage::Format_Mono)
                       : bits == 8 ? img
                                   : img.convertToFormat(QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    const int rowBytes = ((w * bits + 31) / 32) * 4;
    const int colours = bits == 24 ? 0 : int(src.colorCount());
    const int offset = 14 + 40 + 4 * colours;
    QByteArray b;
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    b.append("BM");
    put(uint32_t(offset + rowBytes * h), 4);
    put(0, 4);
    put(uint32_t(offset), 4);
    put(40, 4);
    put(uint32_t(w), 4);
    put(uint32_t(h), 4);
    put(1, 2);
    put(uint32_t(bits), 2);
    put(0, 4);
    put(uint32_t(rowBytes * h), 4);
    put(2835, 4);
    put(2835, 4);
    put(uint32_t(colours), 4);
    put(uint32_t(colours), 4);
    for (int i = 0; i < colours; ++i) {
        const QRgb c = src.color(i);
        b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        const uchar *line = src.constScanLine(y);
        if (bits == 1) {
            for (int x = 0; x < w; ++x)
                if (src.pixelIndex(x, y))
                    row[x / 8] = char(uint8_t(row[x / 8]) | (0x80 >> (x % 8)));
        } else if (bits == 8) {
            for (int x = 0; x < w; ++x)
                row[x] = char(line[x]);
        } else {
            for (int x = 0; x < w; ++x) {
                row[3 * x] = char(line[3 * x + 2]);
                row[3 * x + 1] = char(line[3 * x + 1]);
                row[3 * x + 2] = char(line[3 * x]);
            }
        }
        b.append(row);
    }
    return b;
}

QImage SkinPreview(const TSkin &skin) {
    QImage out(2 * W + 16, H, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(200, 200, 200) : qRgb(240, 240, 240));
    for (int i = 0; i < 2; ++i) {
        const QImage &img = i ? skin.Lit : skin.Normal;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (skin.Mask.pixelIndex(x, y) == 0)
                    out.setPixel(x + i * (W + 16), y, img.pixel(x, y));
    }
    return out;
}

} // namespace art
