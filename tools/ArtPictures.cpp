#include "ArtPictures.h"

#include <QConicalGradient>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QColorSpace>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

struct TRandom {
    uint32_t State;
    double Next() { // 0..1
        State = State * 1664525u + 1013904223u;
        return double(State >> 8) / double(1u << 24);
    }
};

struct TMood {
    QColor SkyTop, SkyHorizon, Sun, Glow;
    QColor Hills[3];
    QColor Water;
    double SunX, SunY; // fractions of the picture
    bool Stars = false, Trees = false;
};

// A ridge line: a sum of a few sines, the same for a given seed.
QPainterPath Ridge(double w, double h, double base, double amp, uint32_t seed) {
    TRandom r{seed};
    double f[4], ph[4], a[4];
    for (int i = 0; i < 4; ++i) {
        f[i] = (1.0 + i * 1.7 + r.Next()) * 2 * Pi / w;
        ph[i] = r.Next() * 2 * Pi;
        a[i] = amp / (1 + i * 1.3);
    }
    QPainterPath p(QPointF(0, h));
    const int steps = 160;
    for (int s = 0; s <= steps; ++s) {
        const double x = w * s / steps;
        double y = base;
        for (int i = 0; i < 4; ++i)
            y -= a[i] * std::sin(f[i] * x + ph[i]);
        p.lineTo(x, y);
    }
    p.lineTo(w, h);
    p.closeSubpath();
    return p;
}

QImage Landscape(int w, int h, const TMood &m, uint32_t seed) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double horizon = h * 0.68;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, m.SkyTop);
    sky.setColorAt(1, m.SkyHorizon);
    p.fillRect(QRectF(0, 0, w, horizon + 1), sky);
    if (m.Stars) {
        TRandom r{seed * 7 + 1};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 140 * w / 800; ++i) {
            const double x = r.Next() * w, y = r.Next() * horizon * 0.7, s = 0.6 + r.Next() * 1.4 * w / 800;
            p.setBrush(QColor(255, 255, 240, int(90 + r.Next() * 160)));
            p.drawEllipse(QPointF(x, y), s, s);
        }
    }
    const QPointF sun(w * m.SunX, h * m.SunY);
    const double sr = w * 0.045;
    QRadialGradient glow(sun, sr * 7);
    glow.setColorAt(0, m.Glow);
    glow.setColorAt(1, QColor(m.Glow.red(), m.Glow.green(), m.Glow.blue(), 0));
    p.fillRect(QRectF(0, 0, w, horizon + 1), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(m.Sun);
    p.drawEllipse(sun, sr, sr);
    for (int i = 0; i < 3; ++i) {
        const double base = horizon - h * (0.16 - i * 0.06);
        p.setBrush(m.Hills[i]);
        p.drawPath(Ridge(w, h, base, h * (0.07 - i * 0.015), seed + uint32_t(i) * 101));
    }
    if (m.Trees) {
        TRandom r{seed + 5};
        for (int i = 0; i < 26; ++i) {
            const double x = r.Next() * w, th = h * (0.10 + r.Next() * 0.10), tw = th * 0.36;
            const double y = horizon + h * 0.02 + r.Next() * h * 0.05;
            p.setBrush(m.Hills[2].darker(130 + int(r.Next() * 40)));
            p.drawPolygon(QPolygonF({QPointF(x, y - th), QPointF(x + tw / 2, y), QPointF(x - tw / 2, y)}));
        }
    }
    // Water with the sky mirrored, darker, and a path of light under the sun.
    QLinearGradient water(0, horizon, 0, h);
    water.setColorAt(0, m.Water.lighter(125));
    water.setColorAt(1, m.Water.darker(160));
    p.fillRect(QRectF(0, horizon + h * 0.05, w, h), water);
    TRandom r{seed + 9};
    for (int i = 0; i < 34; ++i) {
        const double y = horizon + h * 0.06 + i * i * h * 0.00024;
        const double half = sr * (0.6 + i * 0.12) * (0.7 + r.Next() * 0.6);
        p.setBrush(QColor(m.Sun.red(), m.Sun.green(), m.Sun.blue(), 150 - i * 4));
        p.drawRoundedRect(QRectF(sun.x() - half + (r.Next() - 0.5) * sr, y, 2 * half, h * 0.004 + i * 0.25), 2, 2);
    }
    return img;
}

QImage WideGamut(QImage img) {
    img.setColorSpace(QColorSpace::SRgb);
    img.convertToColorSpace(QColorSpace::ProPhotoRgb);
    return img;
}

} // namespace

std::vector<TPicture> Pictures() {
    const TMood sunset{QColor(44, 30, 92),  QColor(250, 150, 90), QColor(255, 236, 180), QColor(255, 190, 110, 170),
                       {QColor(120, 62, 110), QColor(78, 40, 86), QColor(40, 22, 52)}, QColor(90, 50, 96), 0.62, 0.52};
    const TMood lake{QColor(60, 120, 200), QColor(200, 226, 246), QColor(255, 255, 240), QColor(255, 255, 230, 120),
                     {QColor(120, 150, 190), QColor(70, 110, 130), QColor(40, 80, 70)}, QColor(50, 110, 150), 0.25, 0.2};
    TMood forest{QColor(110, 170, 210), QColor(228, 240, 220), QColor(255, 250, 220), QColor(255, 250, 200, 110),
                 {QColor(120, 170, 140), QColor(60, 120, 80), QColor(30, 80, 50)}, QColor(40, 90, 90), 0.7, 0.18};
    forest.Trees = true;
    TMood night{QColor(6, 10, 34), QColor(40, 60, 110), QColor(236, 240, 255), QColor(180, 200, 255, 90),
                {QColor(34, 44, 84), QColor(22, 30, 60), QColor(10, 14, 34)}, QColor(20, 30, 64), 0.3, 0.22};
    night.Stars = true;
    TMood dawn{QColor(80, 110, 170), QColor(255, 214, 170), QColor(255, 246, 220), QColor(255, 220, 170, 150),
               {QColor(150, 130, 160), QColor(100, 90, 130), QColor(60, 56, 90)}, QColor(110, 110, 150), 0.45, 0.55};
    dawn.Trees = true;
    const TMood desert{QColor(120, 170, 230), QColor(250, 226, 190), QColor(255, 252, 230), QColor(255, 240, 200, 140),
                       {QColor(222, 170, 120), QColor(196, 130, 84), QColor(150, 90, 60)}, QColor(70, 130, 170), 0.78, 0.3};
    TMood snow{QColor(150, 180, 220), QColor(236, 242, 250), QColor(255, 255, 255), QColor(255, 255, 255, 120),
               {QColor(226, 234, 246), QColor(190, 204, 226), QColor(120, 140, 170)}, QColor(90, 120, 160), 0.35, 0.3};
    snow.Trees = true;
    return {
        {QStringLiteral("desierto.jpg"), Landscape(800, 600, desert, 61), 82},
        {QStringLiteral("nieve.jpg"), Landscape(800, 600, snow, 67), 82},
        {QStringLiteral("atardecer.jpg"), Landscape(800, 600, sunset, 11), 82},
        {QStringLiteral("lago.jpg"), Landscape(800, 600, lake, 23), 82},
        {QStringLiteral("bosque.jpg"), Landscape(600, 800, forest, 37), 82},
        {QStringLiteral("noche.jpg"), Landscape(800, 600, night, 41), 82},
        // Larger than a full-HD screen, so the viewer has to fit or halve it; smooth content
        // keeps the file small.
        {QStringLiteral("panorama.jpg"), Landscape(2400, 1600, dawn, 53), 70},
        // As a camera held upright stores it: lying on its side, with the tag that stands it up.
        {QStringLiteral("retrato.jpg"), Landscape(600, 800, lake, 29).transformed(QTransform().rotate(-90)), 82, 6},
        // In ProPhoto RGB with its profile: shown as stored its colours are dull, converted they glow.
        {QStringLiteral("amplio.jpg"), WideGamut(Landscape(800, 600, sunset, 17)), 82},
    };
}

std::vector<QImage> SpinningDisc() {
    std::vector<QImage> frames;
    const int n = 12;
    for (int i = 0; i < n; ++i) {
        QImage img(160, 160, QImage::Format_RGB32);
        img.fill(qRgb(20, 24, 60));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPointF c(80, 80);
        QConicalGradient g(c, 360.0 * i / n);
        const QColor hues[] = {QColor(230, 230, 240), QColor(255, 153, 204), QColor(153, 204, 255),
                               QColor(153, 255, 204), QColor(255, 255, 153), QColor(230, 230, 240)};
        for (int k = 0; k < 6; ++k)
            g.setColorAt(k / 5.0, hues[k]);
        p.setPen(QPen(QColor(102, 102, 153), 2));
        p.setBrush(g);
        p.drawEllipse(c, 70, 70);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(204, 204, 204));
        p.drawEllipse(c, 22, 22);
        p.setBrush(QColor(20, 24, 60));
        p.drawEllipse(c, 8, 8);
        // A mark on the disc shows the turn.
        const double a = 2 * Pi * i / n;
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(c + QPointF(std::cos(a), -std::sin(a)) * 48, 5, 5);
        frames.push_back(img);
    }
    return frames;
}

std::vector<QImage> Ripples() {
    std::vector<QImage> frames;
    const int n = 10;
    for (int i = 0; i < n; ++i) {
        QImage img(200, 120, QImage::Format_RGB32);
        img.fill(qRgb(0, 51, 102));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        for (int k = 0; k < 6; ++k) {
            const double r = (k + double(i) / n) * 18;
            p.setPen(QPen(k % 2 ? QColor(51, 153, 204) : QColor(153, 204, 255), 3));
            p.drawEllipse(QPointF(100, 60), r * 1.6, r * 0.7);
        }
        frames.push_back(img);
    }
    return frames;
}

QImage PaintLogo() {
    QImage img(180, 46, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    QLinearGradient band(0, 0, 0, 46);
    band.setColorAt(0, QColor(70, 84, 156));
    band.setColorAt(1, QColor(22, 26, 66));
    p.fillRect(img.rect(), band);
    p.fillRect(QRectF(0, 43, 180, 3), QColor(246, 150, 40));
    // The disc emblem.
    const QPointF c(24, 22);
    QConicalGradient rainbow(c, 30);
    const QColor hues[] = {QColor(214, 220, 240), QColor(240, 200, 230), QColor(200, 222, 255), QColor(205, 246, 226),
                           QColor(248, 240, 196), QColor(214, 220, 240)};
    for (int i = 0; i < 6; ++i)
        rainbow.setColorAt(i / 5.0, hues[i]);
    p.setPen(QPen(QColor(20, 22, 50), 1));
    p.setBrush(rainbow);
    p.drawEllipse(c, 16, 16);
    p.setBrush(QColor(230, 234, 246));
    p.drawEllipse(c, 5.5, 5.5);
    p.setBrush(QColor(22, 26, 62));
    p.drawEllipse(c, 2.5, 2.5);

    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(25);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    f.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath text;
    text.addText(QPointF(48, 29), f, QStringLiteral("Telvaro"));
    p.fillPath(text.translated(0, 1.5), QColor(8, 10, 30));
    QLinearGradient ink(0, 10, 0, 30);
    ink.setColorAt(0, QColor(255, 255, 255));
    ink.setColorAt(1, QColor(182, 196, 255));
    p.fillPath(text, ink);
    QFont s(QStringLiteral("Nimbus Sans"));
    s.setPixelSize(9);
    s.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    s.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(s);
    p.setPen(QColor(170, 184, 240));
    p.drawText(QPointF(50, 40), QStringLiteral("DISCO MULTIMEDIA"));
    return img;
}

} // namespace art
