#pragma once
// A flat button with a two-state glyph (enabled and disabled images side by side), as the
// viewer's bottom band holds them. A click never gives it the keyboard focus, so the window's
// keys keep working; Tab does, and then it shows lit as under the pointer, Space or Enter
// press it, and every other key goes on to the window.
#include <QAbstractButton>
#include <QPixmap>

class TSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent = nullptr);

    // Glyph: two square images side by side, enabled first. Margin: pixels from the left edge
    // to the glyph; -1 centres it.
    void SetGlyph(const QPixmap &glyph);
    void SetMargin(int margin) { FMargin = margin; update(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap FEnabled, FDisabled;
    int FMargin = -1;
    bool FHover = false;
};
