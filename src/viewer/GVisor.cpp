#include "viewer/GVisor.h"

TVisorFrm::TVisorFrm(QWidget *parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Telvaro"));
}
