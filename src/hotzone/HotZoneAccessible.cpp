#include "hotzone/HotZoneAccessible.h"

#include "hotzone/HotZone.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

void NotifyRegionFocus(TCustomHotZone *hot, int index) {
    if (!QAccessible::isActive() || index < 0)
        return;
    QAccessibleEvent event(hot, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

void NotifyRegionFlags(TCustomHotZone *hot, int index, THSFlags before, THSFlags after) {
    if (!QAccessible::isActive() || index < 0)
        return;
    QAccessible::State changed;
    changed.disabled = ((before ^ after) & hsEnabled) != 0;
    changed.checked = ((before ^ after) & hsLatched) && hot->Presentation(hot->RgnList().Items(index)).Checkable;
    if (!changed.disabled && !changed.checked)
        return;
    QAccessibleStateChangeEvent event(hot, changed);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

// One region. Regions are no objects of their own, so the interface holds the control, the
// region's index and the list's generation: a rebuilt list makes it invalid.
class THotRegionAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    THotRegionAccessible(TCustomHotZone *hot, int index) : FHot(hot), FIndex(index), FGeneration(hot->Generation()) {}

    const TCustomHotZone *Hot() const { return FHot; }
    int Index() const { return FIndex; }
    quint64 Generation() const { return FGeneration; }

    bool isValid() const override {
        return FHot && FHot->Generation() == FGeneration && FIndex < FHot->RgnList().Count();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return FHot ? FHot->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return FHot ? QAccessible::queryAccessibleInterface(FHot) : nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return {};
        return FHot->Presentation(Region()).Name;
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect box = Region()->Box;
        return QRect(FHot->mapToGlobal(box.topLeft()), box.size());
    }

    QAccessible::Role role() const override { return QAccessible::PushButton; }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const THSRgn *r = Region();
        s.disabled = !(r->Flags & hsEnabled);
        s.focusable = !s.disabled && (FHot->focusPolicy() & Qt::TabFocus);
        s.focused = FHot->hasFocus() && FHot->FocusRgn() == r;
        s.checkable = FHot->Presentation(r).Checkable;
        s.checked = s.checkable && (r->Flags & hsLatched);
        s.invisible = !FHot->isVisible();
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override {
        if (name == pressAction() && isValid())
            FHot->PostPress(FIndex);
    }
    QStringList keyBindingsForAction(const QString &name) const override {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }

private:
    const THSRgn *Region() const { return FHot->RgnList().Items(FIndex); }

    QPointer<TCustomHotZone> FHot;
    int FIndex;
    quint64 FGeneration;
};

class THotZoneAccessible : public QAccessibleWidget {
public:
    explicit THotZoneAccessible(QWidget *w) : QAccessibleWidget(w) {
        TCustomHotZone *hot = Hot();
        FFocusLink = QObject::connect(hot, &TCustomHotZone::RegionFocused, hot,
                                      [hot](int index) { NotifyRegionFocus(hot, index); });
        FFlagsLink = QObject::connect(hot, &TCustomHotZone::RegionFlagsChanged, hot,
                                      [hot](int index, THSFlags before, THSFlags after) {
                                          NotifyRegionFlags(hot, index, before, after);
                                      });
    }
    ~THotZoneAccessible() override {
        QObject::disconnect(FFocusLink);
        QObject::disconnect(FFlagsLink);
        Forget();
    }

    TCustomHotZone *Hot() const { return static_cast<TCustomHotZone *>(widget()); }

    int childCount() const override { return Hot()->RgnList().Count(); }

    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (FGeneration != Hot()->Generation()) {
            Forget();
            FGeneration = Hot()->Generation();
        }
        if (const QAccessible::Id id = FChildren.value(index))
            return QAccessible::accessibleInterface(id);
        auto *region = new THotRegionAccessible(Hot(), index);
        FChildren.insert(index, QAccessible::registerAccessibleInterface(region));
        return region;
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto *region = dynamic_cast<const THotRegionAccessible *>(child);
        if (!region || region->Hot() != Hot() || region->Generation() != Hot()->Generation())
            return -1;
        return region->Index();
    }

    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint p = Hot()->mapFromGlobal(QPoint(x, y));
        return child(Hot()->RgnList().IndexOf(Hot()->RgnList().RegionAt(p.x(), p.y())));
    }

    QAccessibleInterface *focusChild() const override {
        if (!Hot()->hasFocus())
            return nullptr;
        return child(Hot()->RgnList().IndexOf(Hot()->FocusRgn()));
    }

private:
    void Forget() const {
        for (const QAccessible::Id id : std::as_const(FChildren))
            QAccessible::deleteAccessibleInterface(id);
        FChildren.clear();
    }

    QMetaObject::Connection FFocusLink, FFlagsLink;
    mutable QHash<int, QAccessible::Id> FChildren;
    mutable quint64 FGeneration = 0;
};

QAccessibleInterface *HotZoneFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("TCustomHotZone") && object && object->isWidgetType())
        return new THotZoneAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void InstallHotZoneAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(HotZoneFactory);
        return true;
    }();
    (void)installed;
}
