#include "viewer/SpeedButton.h"

#include <QKeyEvent>
#include <QPainter>

TSpeedButton::TSpeedButton(QWidget *parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void TSpeedButton::SetGlyph(const QPixmap &glyph) {
    const int side = glyph.height();
    FEnabled = glyph.copy(0, 0, side, side);
    FDisabled = glyph.width() >= 2 * side ? glyph.copy(side, 0, side, side) : FEnabled;
    update();
}

QSize TSpeedButton::sizeHint() const { return QSize(20, 20); }

void TSpeedButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (isEnabled() && (FHover || isDown() || hasFocus()))
        painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(255, 255, 255, isDown() ? 40 : 22));
    const QPixmap &glyph = isEnabled() ? FEnabled : FDisabled;
    if (glyph.isNull())
        return;
    const int x = FMargin < 0 ? (width() - glyph.width()) / 2 : FMargin;
    const int y = (height() - glyph.height()) / 2;
    // A pressed flat button shows its glyph a pixel down and to the right.
    const int shift = isDown() ? 1 : 0;
    painter.drawPixmap(x + shift, y + shift, glyph);
}

void TSpeedButton::enterEvent(QEnterEvent *) {
    FHover = true;
    update();
}

void TSpeedButton::leaveEvent(QEvent *) {
    FHover = false;
    update();
}

void TSpeedButton::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Space:
        QAbstractButton::keyPressEvent(event); // pressed now, clicked at the release
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        click();
        return;
    default:
        // The arrows too: they page the pictures rather than move the focus.
        QWidget::keyPressEvent(event);
    }
}
