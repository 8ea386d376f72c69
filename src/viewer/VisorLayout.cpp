#include "viewer/VisorLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QLocale>

#include <algorithm>

TVisorLayout ComputeVisorLayout(int w, int h, int counterWidth) {
    TVisorLayout l;
    const int top = h - kButtonHeight - 11;
    l.BtnPrev = QRect(12, top, kStepButtonWidth, kButtonHeight);
    l.BtnNext = QRect(l.BtnPrev.left() + l.BtnPrev.width() + 6, top, kStepButtonWidth, kButtonHeight);
    l.BtnSalir = QRect(w - kSmallButtonWidth - 12, top, kSmallButtonWidth, kButtonHeight);
    l.BtnOpc = QRect(l.BtnSalir.left() - 6 - kSmallButtonWidth, top, kSmallButtonWidth, kButtonHeight);
    const int labelTop = top + 2;
    const int labelHeight = kButtonHeight - 4;
    l.LblInfo1 = QRect(l.BtnNext.left() + l.BtnNext.width() + 16, labelTop, counterWidth, labelHeight);
    const int info2Left = l.LblInfo1.left() + l.LblInfo1.width() + 14;
    const int info2Width = l.BtnOpc.left() - l.LblInfo1.left() - l.LblInfo1.width() - 30;
    l.LblInfo2 = QRect(info2Left, labelTop, std::max(0, info2Width), labelHeight);
    l.Edit1 = l.LblInfo1.translated(-2, 0);
    l.Box = QRect(QPoint(13, 13), QPoint(w - 13 - 1, h - 36 - 1));
    return l;
}

void DrawFrameSkin(QPainter &painter, const QImage &skin, int w, int h) {
    constexpr int b = 12, piece = 24, bottom = 36, far = 36;
    for (int k = 0; k <= w / piece; ++k) {
        const int x = b + piece * k;
        painter.drawImage(QPoint(x, 0), skin, QRect(b, 0, piece, b));
        painter.drawImage(QPoint(x, h - bottom), skin, QRect(b, b, piece, bottom));
    }
    for (int k = 0; k <= h / piece; ++k) {
        const int y = b + piece * k;
        painter.drawImage(QPoint(0, y), skin, QRect(0, b, b, piece));
        painter.drawImage(QPoint(w - b, y), skin, QRect(far, b, b, piece));
    }
    painter.drawImage(QPoint(0, 0), skin, QRect(0, 0, b, b));
    painter.drawImage(QPoint(0, h - b), skin, QRect(0, far, b, b));
    painter.drawImage(QPoint(w - b, 0), skin, QRect(far, 0, b, b));
    painter.drawImage(QPoint(w - b, h - b), skin, QRect(far, far, b, b));
}

void DrawControlFrames(QPainter &painter, const TVisorLayout &l) {
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.setBrush(Qt::NoBrush);
    // Rectangles as the bounds give them: the right and bottom edges lie just outside.
    for (const QRect &r : {l.BtnPrev, l.BtnNext, l.BtnOpc, l.BtnSalir, l.LblInfo2.adjusted(-4, -2, 4, 2),
                           l.LblInfo1.adjusted(-4, -2, 4, 2)})
        painter.drawRect(r.adjusted(0, 0, -1, -1));
}

QRect ActualRect(int w, int h, int boxW, int boxH) {
    // C++ division truncates towards zero, as the centring wants for larger pictures too.
    return QRect((boxW - w) / 2, (boxH - h) / 2, w, h);
}

int FitZoom(const QRect &dest, int w) { return w > 0 ? int(qint64(dest.width()) * 100 / w) : 100; }

QRect DragRect(const QRect &dest, int dx, int dy, int w, int h, int boxW, int boxH) {
    QRect r = dest;
    if (h > boxH) {
        const int top = std::clamp(dest.top() + dy, boxH - h, 0);
        r.moveTop(top);
        r.setHeight(h);
    }
    if (w > boxW) {
        const int left = std::clamp(dest.left() + dx, boxW - w, 0);
        r.moveLeft(left);
        r.setWidth(w);
    }
    return r;
}

namespace {

QString LowerAsciiLetters(QString s) {
    for (QChar &c : s) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return s;
}

QString FileSizeText(qint64 size) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(size);
}

} // namespace

QString PictureInfoText(const QString &path, int w, int h, int zoom, bool halfScale, qint64 fileSize) {
    if (halfScale) {
        w *= 2;
        h *= 2;
        zoom /= 2;
    }
    if (zoom == 100)
        return QStringLiteral("%1  %2x%3  %4 bytes").arg(LowerAsciiLetters(path)).arg(w).arg(h).arg(FileSizeText(fileSize));
    return QStringLiteral("%1  %2x%3  (%4%)  %5 bytes").arg(path).arg(w).arg(h).arg(zoom).arg(FileSizeText(fileSize));
}

int FittingPointSize(const QString &text, const QFont &font, int width) {
    QFont f = font;
    int size = 9;
    for (;;) {
        f.setPointSize(size);
        if (QFontMetrics(f).horizontalAdvance(text) < width || size <= 7)
            return size;
        --size;
    }
}

QString CounterText(int index, int count) { return QStringLiteral("%1/%2").arg(index + 1).arg(count); }

QString PlaceText(int index, int count, bool readable) {
    const QString place = QStringLiteral("%1 de %2").arg(index + 1).arg(count);
    return readable ? place : place + QStringLiteral(", no se pudo leer");
}
