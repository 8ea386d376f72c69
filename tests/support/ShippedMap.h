#pragma once
// The main window's map as it ships: the map text its window design holds (two blanks after
// the ids of the circles included).
#include "hotzone/DesignProperty.h"

#include <QFile>
#include <QRect>

// Tests are given the checkout in TELVARO_SOURCE_DIR; a benchmark, run by hand, names it itself.
inline QStringList ShippedMap(const QString &top = qEnvironmentVariable("TELVARO_SOURCE_DIR")) {
    QFile design(top + QStringLiteral("/resources/MainFrm.ui"));
    return design.open(QIODevice::ReadOnly) ? MapTextFromDesign(design.readAll()) : QStringList();
}

// A box given as left, top, right, bottom with right and bottom excluded.
inline QRect Box(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }
