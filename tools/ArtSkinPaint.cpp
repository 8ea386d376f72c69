#include "ArtSkinPaint.h"

#include <QColor>
#include <QConicalGradient>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

const THSRgn *Find(const THSRgnList &map, const char *id) { return map.FindById(QLatin1String(id)); }

QColor Mix(const QColor &a, const QColor &b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

} // namespace

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

namespace {

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

    QLinearGradient screen(QPointF(0, kTreeRect.top()), QPointF(0, kTreeRect.bottom() + 1));
    screen.setColorAt(0, QColor(250, 251, 254));
    screen.setColorAt(1, QColor(222, 229, 243));
    p.fillRect(kTreeRect, screen);
    p.save();
    p.setClipRect(kTreeRect);
    const QPointF c(kTreeRect.right() - 34, kTreeRect.bottom() - 30);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        p.setPen(QPen(QColor(120, 136, 200, 22 + (i % 2) * 10), 2));
        p.drawEllipse(c, 14.0 + i * 7, 14.0 + i * 7);
    }
    p.setPen(QPen(QColor(120, 136, 200, 40), 3));
    p.drawEllipse(c, 6, 6);
    // A soft shade under the top edge makes the screen sit below the frame.
    QLinearGradient inner(QPointF(0, kTreeRect.top()), QPointF(0, kTreeRect.top() + 6));
    inner.setColorAt(0, QColor(30, 36, 80, 70));
    inner.setColorAt(1, QColor(30, 36, 80, 0));
    p.fillRect(QRectF(kTreeRect.left(), kTreeRect.top(), kTreeRect.width(), 6), inner);
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

} // namespace

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

} // namespace art
