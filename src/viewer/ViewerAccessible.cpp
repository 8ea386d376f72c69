#include "viewer/ViewerAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface *ViewerFactory(const QString &className, QObject *object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("TPictureBox"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == QLatin1String("TVisorFrm"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallViewerAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ViewerFactory);
        return true;
    }();
    (void)installed;
}
