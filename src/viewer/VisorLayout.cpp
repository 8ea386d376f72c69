#include "viewer/VisorLayout.h"

#include <QFont>
#include <QFontMetrics>
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
