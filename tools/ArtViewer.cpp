#include "ArtViewer.h"

#include "ArtPictures.h"

#include "picture/Resample.h"
#include "viewer/VisorLayout.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

// The frame's geometry, fixed by how the viewer tiles the skin: 12-pixel sides and top, a
// 36-pixel bottom band. The bottom band is a tray for the buttons and labels, sunk below the
// moulding and closed underneath by an 8-pixel strip of it.
constexpr int Band = 12;
constexpr int BottomBand = 36;
constexpr int BottomStrip = 8;
constexpr double Rounding = 3; // the outer edge's rounded bevel
constexpr double Chamfer = 2;  // the moulding's drop into the opening

const QColor Surface(20, 23, 50);
const QColor Shine(170, 182, 240);
const QColor Shade(0, 0, 6);
const QColor Stripe(132, 150, 230);
const QColor OuterLine(4, 5, 12);
const QColor TrayTop(17, 20, 44);
const QColor TrayBottom(10, 12, 28);

QColor Mix(const QColor &a, const QColor &b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

double Luma(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

// Height of the moulding at a pixel of a w x h window, 0 in the opening (the picture and the
// tray). Every term is a distance to a straight edge, so along each side the height does not
// change: a side can be repeated from any 24-pixel piece of it. Where two sides meet the
// nearer edge wins, which mitres the corners.
double MouldHeight(int x, int y, int w, int h) {
    const double px = x + 0.5, py = y + 0.5;
    const double inset = std::max(std::max(Band - px, px - (w - Band)), std::max(Band - py, py - (h - BottomStrip)));
    if (inset <= 0)
        return 0;
    const double edge = std::min(std::min(px, w - px), std::min(py, h - py));
    const double rise = std::sin(Pi / 2 * std::min(1.0, edge / Rounding));
    const double fall = std::sin(Pi / 2 * std::min(1.0, inset / Chamfer));
    return rise * fall;
}

// The moulding lit from the upper left, as the main window's body is, with a pinstripe that
// runs all the way round at a fixed distance from the screen's edge.
QRgb MouldPixel(int x, int y, int w, int h) {
    auto at = [&](int xx, int yy) { return MouldHeight(std::clamp(xx, 0, w - 1), std::clamp(yy, 0, h - 1), w, h); };
    constexpr double Steep = 2.2;
    const double nx = -(at(x + 1, y) - at(x - 1, y)) * Steep;
    const double ny = -(at(x, y + 1) - at(x, y - 1)) * Steep;
    const double lx = -0.50, ly = -0.62, lz = 0.60;
    const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    const double nl = std::sqrt(nx * nx + ny * ny + 1);
    const double shade = (nx * lx + ny * ly + lz) / (nl * ll) - lz / ll;
    QColor c = shade > 0 ? Mix(Surface, Shine, shade * 0.75) : Mix(Surface, Shade, -shade * 1.3);
    const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
    if (edge == 4)
        c = Mix(c, Stripe, 0.30);
    if (edge == 0)
        c = OuterLine;
    return c.rgb();
}

// The tray, by its row: a lit lip where it steps down into the picture's opening, then a
// surface that darkens gently towards the strip below.
QRgb TrayPixel(int row) {
    const int rows = BottomBand - BottomStrip;
    const QColor surface = Mix(TrayTop, TrayBottom, double(row - 2) / (rows - 3));
    if (row == 0)
        return Mix(surface, Shine, 0.42).rgb();
    if (row == 1)
        return Mix(surface, Shine, 0.12).rgb();
    return surface.rgb();
}

// The whole frame of a w x h window, painted directly rather than tiled; the opening for the
// picture is black, as the window is.
QImage PaintFrame(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool side = x < Band || x >= w - Band;
            if (side || y < Band || y >= h - BottomStrip)
                row[x] = MouldPixel(x, y, w, h);
            else if (y >= h - BottomBand)
                row[x] = TrayPixel(y - (h - BottomBand));
        }
    }
    return img;
}

// An 8-bit picture holding exactly the given colours (the frame has few), its palette in a
// fixed order so that the file's bytes never vary.
bool ToIndexed(const QImage &rgb, QImage &out, QString &error) {
    std::map<QRgb, int> index;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            index.emplace(rgb.pixel(x, y), 0);
    if (index.size() > 256) {
        error = QStringLiteral("the frame skin has %1 colours, more than an 8-bit palette holds").arg(index.size());
        return false;
    }
    QList<QRgb> table;
    for (auto &[colour, i] : index) {
        i = int(table.size());
        table.push_back(colour);
    }
    // A full palette: some readers of 8-bit files expect all 256 entries.
    while (table.size() < 256)
        table.push_back(qRgb(0, 0, 0));
    out = QImage(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    out.setDotsPerMeterX(2835);
    out.setDotsPerMeterY(2835);
    for (int y = 0; y < rgb.height(); ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            line[x] = uchar(index[rgb.pixel(x, y)]);
    }
    return true;
}

enum class TGlyph { Prev, Next, Opc, Salir };

// One 18 x 18 glyph. Enabled: light ink over a soft shadow that lifts it off the dark tray;
// the stepping arrows in the amber of the main window's lit buttons, the menu dots and the
// cross in pale ice. Disabled: the same shape in a dim slate, flat.
void PaintGlyph(QPainter &p, TGlyph kind, bool enabled) {
    QPainterPath shape;
    QPen pen(Qt::NoPen);
    switch (kind) {
    case TGlyph::Prev:
    case TGlyph::Next: {
        // The cell sits 10 pixels into a 40-pixel button, so x = 10 in the cell is the
        // button's centre: the two arrows mirror each other about it, each balanced on it.
        const double dir = kind == TGlyph::Prev ? -1 : 1;
        auto pt = [&](double dx, double y) { return QPointF(10 + dir * (dx + 1), y); };
        shape.addPolygon(QPolygonF({pt(4.6, 9), pt(-4.0, 3.8), pt(-4.0, 14.2), pt(4.6, 9)}));
        break;
    }
    case TGlyph::Opc:
        for (double cx : {4.5, 9.5, 14.5})
            shape.addEllipse(QPointF(cx, 9.5), 1.9, 1.9);
        break;
    case TGlyph::Salir:
        // A glyph margin of 0 puts the cell at the button's left edge: one pixel right of the
        // cell's centre is the centre of the 20-pixel button.
        shape.moveTo(6.5, 5.5);
        shape.lineTo(13.5, 12.5);
        shape.moveTo(13.5, 5.5);
        shape.lineTo(6.5, 12.5);
        pen = QPen(Qt::black, 2.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        break;
    }
    const bool stroked = pen.style() != Qt::NoPen;
    auto draw = [&](const QBrush &ink, const QPointF &offset) {
        const QPainterPath moved = shape.translated(offset);
        if (stroked) {
            QPen inkPen = pen;
            inkPen.setBrush(ink);
            p.strokePath(moved, inkPen);
        } else {
            p.fillPath(moved, ink);
        }
    };
    if (!enabled) {
        draw(QColor(84, 92, 126), QPointF(0, 0));
        return;
    }
    draw(QColor(0, 0, 0, 150), QPointF(0, 1));
    QLinearGradient ink(QPointF(0, 4), QPointF(0, 14));
    if (kind == TGlyph::Prev || kind == TGlyph::Next) {
        ink.setColorAt(0, QColor(255, 226, 150));
        ink.setColorAt(1, QColor(246, 146, 36));
    } else {
        ink.setColorAt(0, QColor(250, 251, 255));
        ink.setColorAt(1, QColor(196, 206, 238));
    }
    draw(ink, QPointF(0, 0));
}

QImage PaintGlyphPair(TGlyph kind) {
    QImage img(2 * GlyphSize, GlyphSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        PaintGlyph(p, kind, true);
        p.translate(GlyphSize, 0);
        PaintGlyph(p, kind, false);
    }
    // Unpremultiplied here with exact integer arithmetic: Qt's own conversion takes a SIMD path
    // whose approximate reciprocal rounds differently from one processor to another, which
    // moved the partly covered edge pixels by a level.
    QImage out(img.size(), QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *from = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        QRgb *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            to[x] = qUnpremultiply(from[x]);
    }
    out.setDotsPerMeterX(2835);
    out.setDotsPerMeterY(2835);
    return out;
}

// How far a glyph state stands out from the tray: the mean difference of luma it makes over
// the pixels that either state covers.
double GlyphContrast(const QImage &pair, int state, QRgb tray) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < GlyphSize; ++y)
        for (int x = 0; x < GlyphSize; ++x) {
            if (qAlpha(pair.pixel(x, y)) == 0 && qAlpha(pair.pixel(x + GlyphSize, y)) == 0)
                continue;
            const QRgb c = pair.pixel(x + state * GlyphSize, y);
            const double a = qAlpha(c) / 255.0;
            const double over = Luma(c) * a + Luma(tray) * (1 - a);
            sum += std::abs(over - Luma(tray));
            ++n;
        }
    return n ? sum / n : 0;
}

bool CheckGlyph(const QImage &pair, const char *name, QString &error) {
    if (pair.size() != QSize(2 * GlyphSize, GlyphSize)) {
        error = QStringLiteral("glyph %1 is not 36 x 18").arg(QLatin1String(name));
        return false;
    }
    // The button's grey outline runs round the glyph's cell on a 20 x 20 button: keep off it.
    for (int y = 0; y < GlyphSize; ++y)
        for (int x = 0; x < 2 * GlyphSize; ++x) {
            const int cx = x % GlyphSize;
            if ((cx == 0 || cx == GlyphSize - 1 || y == 0 || y == GlyphSize - 1) && qAlpha(pair.pixel(x, y)) != 0) {
                error = QStringLiteral("glyph %1 touches its cell's edge at %2,%3").arg(QLatin1String(name)).arg(x).arg(y);
                return false;
            }
        }
    const QRgb tray = TrayPixel(14);
    const double on = GlyphContrast(pair, 0, tray), off = GlyphContrast(pair, 1, tray);
    if (on < 60 || off > on * 0.6 || off < 12) {
        error = QStringLiteral("glyph %1: enabled stands out by %2, disabled by %3 (want clear, dimmer, still seen)")
                    .arg(QLatin1String(name))
                    .arg(on)
                    .arg(off);
        return false;
    }
    return true;
}

// The frame tiled from the skin must be the frame painted whole: any seam, or a piece cut
// from the wrong place, shows as a difference.
bool CheckTiling(const QImage &skin, QString &error) {
    const QSize sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1366, 768}, {1920, 1080}, {659, 467}};
    for (const QSize &s : sizes) {
        const QImage tiled = ComposeViewerFrame(skin, s.width(), s.height());
        const QImage whole = PaintFrame(s.width(), s.height());
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (tiled.pixel(x, y) != whole.pixel(x, y)) {
                    error = QStringLiteral("the frame tiled at %1 x %2 shows a seam at %3,%4")
                                .arg(s.width())
                                .arg(s.height())
                                .arg(x)
                                .arg(y);
                    return false;
                }
    }
    return true;
}

} // namespace

bool PaintViewerArt(TViewerArt &art, QString &error) {
    if (!ToIndexed(PaintFrame(FrameSkinSize, FrameSkinSize), art.Frame, error))
        return false;
    if (art.Frame.size() != QSize(FrameSkinSize, FrameSkinSize) || art.Frame.format() != QImage::Format_Indexed8) {
        error = QStringLiteral("the frame skin must be 48 x 48 at 8 bits per pixel");
        return false;
    }
    if (!CheckTiling(art.Frame, error))
        return false;

    art.Prev = PaintGlyphPair(TGlyph::Prev);
    art.Next = PaintGlyphPair(TGlyph::Next);
    art.Opc = PaintGlyphPair(TGlyph::Opc);
    art.Salir = PaintGlyphPair(TGlyph::Salir);
    return CheckGlyph(art.Prev, "prev", error) && CheckGlyph(art.Next, "next", error) &&
           CheckGlyph(art.Opc, "opc", error) && CheckGlyph(art.Salir, "salir", error);
}

QImage ComposeViewerFrame(const QImage &skin, int w, int h) {
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    DrawFrameSkin(p, skin, w, h);
    return out;
}

namespace {

// One viewer screen: the frame, a picture placed in the box as the viewer places it (at actual
// size when it fits, else fitted), the four buttons where the viewer lays them out, the two labels with their texts,
// and the grey outlines the viewer draws round all six.
QImage ViewerScreen(const TViewerArt &art, int w, int h, const QImage &picture, int index, int count, const QString &info) {
    QImage screen = ComposeViewerFrame(art.Frame, w, h);
    QPainter p(&screen);
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setPixelSize(12);
    const QFontMetrics fm(font);
    const TVisorLayout l = ComputeVisorLayout(w, h, fm.horizontalAdvance(QStringLiteral("000/000")));
    const QRect &box = l.Box;
    const int pw = picture.width(), ph = picture.height();
    p.setClipRect(box);
    if (pw <= box.width() && ph <= box.height()) {
        p.drawImage(ActualRect(pw, ph, box.width(), box.height()).topLeft() + box.topLeft(), picture);
    } else {
        const QRect dest = FittedRect(pw, ph, box.width(), box.height()).translated(box.topLeft());
        QImage fitted(dest.size(), QImage::Format_RGB888);
        ResampleBilinear(picture.convertToFormat(QImage::Format_RGB888), fitted);
        p.drawImage(dest.topLeft(), fitted);
    }
    p.setClipping(false);

    const QRect &prev = l.BtnPrev, &next = l.BtnNext, &salir = l.BtnSalir, &opc = l.BtnOpc;
    auto button = [&](const QRect &r, const QImage &glyph, bool enabled, int margin) {
        p.drawImage(QPoint(r.left() + margin, r.top() + (r.height() - GlyphSize) / 2), glyph,
                    QRect(enabled ? 0 : GlyphSize, 0, GlyphSize, GlyphSize));
    };
    button(prev, art.Prev, index > 0, 10);
    button(next, art.Next, index < count - 1, 10);
    button(opc, art.Opc, true, 0);
    button(salir, art.Salir, true, 0);

    const QRect &lbl1 = l.LblInfo1, &lbl2 = l.LblInfo2;
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(lbl1, Qt::AlignLeft | Qt::AlignVCenter, CounterText(index, count));
    p.drawText(lbl2, Qt::AlignLeft | Qt::AlignVCenter, info);

    DrawControlFrames(p, l);
    return screen;
}

QImage Enlarged(const QImage &img, const QRect &part, int factor) {
    return img.copy(part).scaled(part.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

QImage ViewerPreview(const TViewerArt &art) {
    QImage sunset, panorama;
    for (const TPicture &pic : Pictures()) {
        if (pic.Name == QLatin1String("atardecer.jpg"))
            sunset = pic.Image;
        if (pic.Name == QLatin1String("panorama.jpg"))
            panorama = pic.Image;
    }
    const QImage small = ViewerScreen(art, 1024, 768, sunset, 0, 9,
                                      QStringLiteral("/media/cdrom/fotos/atardecer.jpg  800x600  27.945 bytes"));
    const QImage large = ViewerScreen(art, 1920, 1080, panorama, 8, 9,
                                      QStringLiteral("/media/cdrom/FOTOS/panorama.jpg  2400x1600  (64%)  110.620 bytes"));

    QImage out(1920 + 16, 768 + 16 + 1080, QImage::Format_RGB32);
    out.fill(QColor(96, 96, 104));
    QPainter p(&out);
    p.drawImage(0, 0, small);
    p.drawImage(0, 768 + 16, large);

    // Details at 4 x: the skin, the top left corner, the bottom band's two ends, the glyphs
    // (each over the tray's colour).
    const int x0 = 1024 + 16;
    p.drawImage(x0, 0, Enlarged(art.Frame.convertToFormat(QImage::Format_RGB32), QRect(0, 0, 48, 48), 4));
    p.drawImage(x0 + 208, 0, Enlarged(small, QRect(0, 0, 64, 48), 4));
    p.drawImage(x0, 208, Enlarged(small, QRect(0, 768 - 56, 220, 56), 4));
    p.drawImage(x0, 208 + 240, Enlarged(small, QRect(1024 - 110, 768 - 56, 110, 56), 4));
    int gx = x0;
    for (const QImage *g : {&art.Prev, &art.Next, &art.Opc, &art.Salir}) {
        QImage cell(g->size(), QImage::Format_RGB32);
        cell.fill(QColor(TrayPixel(14)));
        QPainter(&cell).drawImage(0, 0, *g);
        p.drawImage(gx, 208 + 240 + 240, Enlarged(cell, cell.rect(), 4));
        gx += 2 * GlyphSize * 4 + 12;
    }
    return out;
}

} // namespace art
