#pragma once
// Image-map hot zones: the control that follows the pointer over the regions of a map,
// raises events by region id and lights regions. The region list is in HotRgnList.h; of the
// control's own code, the keyboard focus is in HotFocus.cpp, the presses that do not come from
// the pointer in HotPress.*, and the pointer's pixel at fractional scales in HotScale.*.
#include "hotzone/HotCursor.h"
#include "hotzone/HotPress.h"
#include "hotzone/HotRgnList.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QPainter;

// How a region presents itself to assistive tools (screen readers): the name they say, and
// whether it is one of a set of which the latched region is the chosen one, so that its latch
// reads as "checked". Without a presenter a region is named by its id and is not checkable.
struct THSRgnPresentation {
    QString Name;
    bool Checkable = false;
};
using THSRgnPresenter = std::function<THSRgnPresentation(const QString &id)>;

// A child control laying a region list over its area. It does not know what it draws: the
// four abstract operations say whether there is a normal and a highlighted picture and draw a
// rectangle of either.
//
// Drawing: hover and press feedback goes onto a retained picture of the control, box by box,
// exactly as it would go onto the visible surface; paintEvent shows that picture. A full
// repaint (after a change of the pictures, ShowRegions or Regions, on showing and resizing)
// redraws the whole picture from the state. So what a box shows is decided by the last drawing
// of its region, not by its flags alone.
//
// Pointer events the control does not use (no region under a press, the right button) are left
// unaccepted so that they fall through to the window; an event filter installed on the control
// sees every event before the control does.
//
// Keyboard: the control takes the focus by Tab only, never by a click. While it has it, one
// enabled region at a time holds the keyboard focus and is drawn lit; Tab and Shift+Tab step
// through the enabled regions in map order and then leave the control; Space or Enter presses
// the region (OnHit, then OnHitUp). Assistive tools see every region as a push button child.
class TCustomHotZone : public QWidget {
    Q_OBJECT
    // The map text and the outline switch, as a window design stores them.
    Q_PROPERTY(QStringList Regions READ Regions WRITE SetRegions)
    Q_PROPERTY(bool ShowRegions READ ShowRegions WRITE SetShowRegions)
public:
    explicit TCustomHotZone(QWidget *parent = nullptr);
    ~TCustomHotZone() override;

    // The map text. Assigning it rebuilds the regions at once (empty lines are dropped), forgets
    // the hot and pressed regions, and enters the region under the pointer, if any.
    QStringList Regions() const { return FRegions; }
    void SetRegions(const QStringList &lines);

    bool ShowRegions() const { return FShowRegions; }
    void SetShowRegions(bool show);
    int ClickDelay() const { return FClickDelay; }
    void SetClickDelay(int ms) { FClickDelay = ms; }
    int RepDelay() const { return FRepDelay; }
    void SetRepDelay(int ms) { FRepDelay = ms; }

    // The control's own cursor, by design id.
    qint16 ControlCursor() const { return FCursor; }
    void SetControlCursor(qint16 id);

    // Operations by region id; an id no region has does nothing or gives the empty value.
    QRect GetRegionRect(const QString &id) const { return FRgnList.GetBounds(id); }
    void IncludeRegionFlags(const QString &id, THSFlags flags);
    void ExcludeRegionFlags(const QString &id, THSFlags flags);
    void AssignRegionFlags(const QString &id, THSFlags flags);
    THSFlags GetRegionFlags(const QString &id) const;
    // Every region gets this cursor and hsOwnCursor; nothing changes on screen until the
    // pointer next enters a region.
    void SetRegionsCursor(qint16 cursor);
    void HighlightRegion(const QString &id);
    // The control pixel painted under the pointer of a mouse event sent to this control: what a
    // region must contain for the pointer to be over it.
    QPoint PixelAt(const QMouseEvent &event) const;

    const THSRgnList &RgnList() const { return FRgnList; }
    const THSRgn *HotRgn() const { return FHotRgn; }
    const THSRgn *DownRgn() const { return FDownRgn; }
    bool Pressing() const { return FPressing; }
    // Counts rebuilds of the region list: records and indexes of an older count are gone.
    quint64 Generation() const { return FGeneration; }

    // What assistive tools say for each region (see THSRgnPresentation).
    void SetPresenter(THSRgnPresenter presenter) { FPresenter = std::move(presenter); }
    THSRgnPresentation Presentation(const THSRgn *rgn) const;
    // The region that holds the keyboard focus while the control has it (kept while it has
    // not, so that the focus comes back to it), or none.
    const THSRgn *FocusRgn() const { return FFocusRgn; }
    // Moves the keyboard focus to the region with this index (an enabled one), giving the
    // control the focus if it has not. False when there is no such enabled region.
    bool FocusRegion(int index);
    // Presses the region with this index as Space does, later, from the event loop: an
    // assistive tool's press must not wait for what the press opens (a modal box) to close.
    void PostPress(int index);

    // Requests a full repaint of the control.
    void InvalidateAll();

Q_SIGNALS:
    void OnHit(QObject *Sender, const QString &Id);
    void OnHitUp(QObject *Sender, const QString &Id);
    void OnDblHit(QObject *Sender, const QString &Id);
    void OnOver(QObject *Sender, const QString &Id);
    void OnLeave(QObject *Sender, const QString &Id);
    void OnEnter(QObject *Sender, const QString &Id);
    // The keyboard focus moved to the region Id; an empty Id: it left the regions.
    void OnFocus(QObject *Sender, const QString &Id);
    // What assistive tools are told: the keyboard focus is on the region at Index (-1: none),
    // and a region's flags changed.
    void RegionFocused(int Index);
    void RegionFlagsChanged(int Index, THSFlags Before, THSFlags After);

protected:
    virtual bool IsImgEmpty() const = 0;
    virtual bool IsImgHEmpty() const = 0;
    // Draw that rectangle (control pixels) of the normal or highlighted picture at the same place.
    virtual void DrawNormal(QPainter &canvas, const QRect &rect) = 0;
    virtual void DrawHighlight(QPainter &canvas, const QRect &rect) = 0;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    using TNotify = void (TCustomHotZone::*)(QObject *, const QString &);

    bool Press(Qt::MouseButton button, QPoint pos);
    bool Release(Qt::MouseButton button);
    void PointerMove(QPoint pos);
    void RepeatTick();
    void WaitClickDelay(quint32 ms);
    void FlashAndHit(THSRgn pressed); // a copy: the wait runs handlers
    void KeyPress(const THSRgn &rgn);
    THSRgn *NextFocusable(const THSRgn *from, bool next) const;
    void MoveFocus(THSRgn *rgn);
    void AnnounceFocus();
    void ChangeFlags(THSRgn *rgn, THSFlags flags);

    void SetHot(THSRgn *rgn, bool on);
    void ApplyCursorOf(const THSRgn *rgn);
    void DrawRegion(const THSRgn *rgn, bool highlighted);
    void DrawRegionOn(QPainter &canvas, const THSRgn &rgn, bool highlighted);
    void OutlineRegion(QPainter &canvas, const THSRgn &rgn);
    void RefreshRegion(THSRgn *rgn);
    // Whether a region is lit by the keyboard focus, and whether it would be lit without it.
    bool FocusLit(const THSRgn *rgn) const { return rgn && rgn == FFocusRgn && hasFocus(); }
    bool LitWithoutFocus(const THSRgn *rgn) const;
    void PaintAll();
    // Raises an event with the region's id. False when a handler destroyed the control or
    // rebuilt its regions, so that the caller must not touch the records it held.
    bool Raise(TNotify event, const THSRgn *rgn);

    QStringList FRegions;
    bool FShowRegions = true;
    int FClickDelay = 0;
    int FRepDelay = 150;
    QTimer FRepeatTimer;
    bool FPressing = false;
    THSRgn *FHotRgn = nullptr;
    THSRgn *FDownRgn = nullptr;
    THSRgn *FFocusRgn = nullptr;
    THSRgnList FRgnList;
    THSRgnPresenter FPresenter;
    qint16 FCursor = crDefault;
    qint16 FSavedCursor = crDefault;

    quint64 FGeneration = 0; // counts rebuilds of FRgnList
    QImage FSurface;         // the retained picture of the control
    bool FSurfaceValid = false;
};
