#pragma once
// The main window's map as it ships (two blanks after the ids of the circles included).
#include <QRect>
#include <QStringList>

inline QStringList ShippedMap() {
    return {
        QStringLiteral("#$FORMAT:ncsa"),
        QStringLiteral("#$EOH"),
        QStringLiteral("rect VIDEO 364,31 431,49"),
        QStringLiteral("rect MUSICA 364,50 431,67"),
        QStringLiteral("rect VARIOS 363,86 430,104"),
        QStringLiteral("rect SALIR 87,4 119,27"),
        QStringLiteral("rect MINIMIZAR 120,4 152,27"),
        QStringLiteral("rect IMAGEN 363,68 430,86"),
        QStringLiteral("circle MOVER  277,341 310,374"),
        QStringLiteral("circle LUP  347,164 359,175"),
        QStringLiteral("circle LDOWN  340,185 351,195"),
        QStringLiteral("rect CREDITOS 250,5 269,26"),
        QStringLiteral("circle EJECUTAR  370,127 390,147"),
    };
}

// A box given as left, top, right, bottom with right and bottom excluded.
inline QRect Box(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }
