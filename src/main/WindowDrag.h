#pragma once
// Moving the borderless window by the skin's drag regions (see Regions.h): the pointer over one
// lights it and is taken from the hot image, a press there hands the move to the window manager
// or, with none, follows the pointer itself; and while the keyboard is on one, the arrow keys
// move the window.
#include <QPoint>

class QKeyEvent;
class QMouseEvent;
class QWidget;
class THotImg;

class TWindowDrag {
public:
    // Window is what moves; Hot is the skin whose drag regions take the pointer. Both outlive this.
    TWindowDrag(QWidget *window, THotImg *hot) : FWindow(window), FHot(hot) {}

    // A pointer event of the hot image (move, press, release, double click): true when the drag
    // took it, and the hot image must not see it.
    bool Pointer(QMouseEvent *event);
    // A key pressed on the hot image: true when it moved the window.
    bool Key(QKeyEvent *event);

private:
    // Latches the drag regions under Pos and unlatches the others; true when Pos is over one.
    bool OverDragRegion(QPoint pos);

    QWidget *FWindow;
    THotImg *FHot;
    bool FInDragBox = false;
    bool FManualDrag = false;
    QPoint FDragStart;
    QPoint FWindowStart;
};
