#include "about/LinkLabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>

namespace {

class TLinkLabelAccessible : public QAccessibleWidget {
public:
    explicit TLinkLabelAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Link) {}

    TLinkLabel *Label() const { return static_cast<TLinkLabel *>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && Label()->accessibleName().isEmpty())
            return Label()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString &name) override {
        // Later, from the event loop: the tool's call must not wait for what the link starts.
        if (name == pressAction())
            QMetaObject::invokeMethod(Label(), &TLinkLabel::Activated, Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *LinkLabelFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("TLinkLabel") && object && object->isWidgetType())
        return new TLinkLabelAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

TLinkLabel::TLinkLabel(QWidget *parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(LinkLabelFactory);
        return true;
    }();
    (void)installed;
    setFocusPolicy(Qt::TabFocus);
}

void TLinkLabel::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        Q_EMIT Activated();
        return;
    }
    QLabel::keyPressEvent(event);
}
