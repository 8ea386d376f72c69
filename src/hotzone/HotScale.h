#pragma once
// Where the pointer is at a fractional device pixel ratio: the arithmetic of which logical pixel
// Qt paints over a given device pixel.
#include <QtGlobal>

// The pixel, counted from the window's origin, that is painted over the device pixel under a
// pointer at `logical` (a window coordinate). At a fractional device pixel ratio Qt paints
// pixel x, and shapes the window, over the device pixels from qRound(x * ratio) up to
// qRound((x + 1) * ratio); rounding the logical position instead hits the painted pixel's
// neighbour in some device rows and columns (one in three at 1.5, one in two at 2).
int PaintedPixel(qreal logical, qreal ratio);
