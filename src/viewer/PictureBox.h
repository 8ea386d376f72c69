#pragma once
// The viewer's paint area ("Box"): draws the shown picture into its destination rectangle, at
// actual size or fitted, and owns what the pointer does there: a press on a picture larger than
// the box drags it (at actual size), a press on any other picture asks for fitting. It tells the
// window by signals, so the window can pace the slide show round a drag.
#include <QImage>
#include <QWidget>

// Size in device pixels of a logical Size at device pixel ratio Ratio (rounded down, so the
// picture never runs past the widget).
QSize DeviceSizeOf(const QSize &size, qreal ratio);

class TPicture;

class TPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit TPictureBox(QWidget *parent = nullptr);

    // The box in the screen's pixels (its size times the device pixel ratio, rounded down):
    // the destination and the picture are measured in these, so that a picture pixel is a
    // screen pixel on a scaled desktop too.
    QSize DeviceSize() const;
    // The logical rectangle (widget coordinates) that covers device rectangle Rect.
    QRect LogicalRect(const QRect &rect) const;

    // What to draw: the picture (not owned; null draws nothing), where (in device pixels), and
    // whether fitted.
    void SetPicture(const TPicture *picture) { FPicture = picture; }
    void SetDest(const QRect &dest, bool fitted);
    const QRect &Dest() const { return FDest; }
    bool Fitted() const { return FFittedMode; }
    // While the animation area covers the box, the box draws nothing.
    void SetSuppressed(bool suppressed) { FSuppressed = suppressed; }
    // Forgets the resampled picture (a new picture arrived, or the old one went away).
    void DropFitted() { FFitted = QImage(); }
    // Takes the picture resampled ahead for the current destination; ignored when it does not
    // match it.
    void OfferFitted(const QImage &fitted);

    // The picture is larger than the box: at actual size it can be dragged.
    bool Larger() const;
    bool Dragging() const { return FDragging; }
    void CancelDrag() { FDragging = false; }
    // While the window is busy (its save dialog runs), presses do nothing.
    void SetBusy(bool busy) { FBusy = busy; }

Q_SIGNALS:
    void FitRequested();
    void DragStarted();
    void DragEnded();
    void MenuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool PaintFitted(QPainter &painter);
    QPoint DevicePoint(QPointF pos) const;
    void Press(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, bool doubleClick);

    const TPicture *FPicture = nullptr;
    QRect FDest;
    bool FFittedMode = false;
    bool FSuppressed = false;
    bool FDragging = false;
    bool FBusy = false;
    QPoint FLastMouse;
    // The resampled picture of the last fitted paint: a repaint of part of the box (a menu
    // closing, the label changing) must not resample a large picture again.
    QImage FFitted;
    quint64 FFittedGeneration = 0;
};
