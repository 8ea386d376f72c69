#pragma once
// The main window's shape: the mask bitmap cut into a region, and that region applied to the
// window and to the skin drawn over it.
#include <QRegion>

class QImage;
class QWidget;

// The pixels of Mask that differ from its top-left one (the outside), as runs one pixel high;
// empty for a null or empty picture.
QRegion MaskRegion(const QImage &mask);

// The shape that the mask bitmap compiled into the program draws; empty when it is missing.
QRegion SkinShape();

// Cuts Skin, which covers Window, to Shape and lets the window's surface show through outside
// it. Nothing happens for an empty shape: the window stays a rectangle.
void ShapeSkin(QWidget *window, QWidget *skin, const QRegion &shape);
