#pragma once
// Properties of a widget as a window design (a Qt Designer .ui file) stores them, read without
// building the window.
#include <QByteArray>
#include <QString>
#include <QStringList>

// The strings of the property named Property of the first widget named Widget, in the order
// written: one for a string property, one per line for a string list; empty when there is none.
QStringList DesignStrings(const QByteArray &designXml, const QString &widget, const QString &property);

// The value of a string property; empty when there is none.
inline QString DesignProperty(const QByteArray &designXml, const QString &widget, const QString &property) {
    return DesignStrings(designXml, widget, property).value(0);
}

// The map text the design stores in the "Regions" property of the hot-zone widget named Widget.
inline QStringList MapTextFromDesign(const QByteArray &designXml, const QString &widget = QStringLiteral("Hot")) {
    return DesignStrings(designXml, widget, QStringLiteral("Regions"));
}
