#pragma once
// Cursors by the ids window designs store them as.
#include <QCursor>

// 0 is the default cursor.
constexpr qint16 crDefault = 0;
constexpr qint16 crArrow = -2;
constexpr qint16 crCross = -3;
constexpr qint16 crHandPoint = -21;

// The Qt cursor for a cursor id of a window design.
QCursor CursorFromId(qint16 id);
