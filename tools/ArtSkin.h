#pragma once
// The main window's skin: the normal and the lit bitmap and the mask that cuts the window.
#include "ArtMap.h"

#include <QByteArray>
#include <QImage>
#include <QPainterPath>

namespace art {

constexpr int SkinWidth = 432;
constexpr int SkinHeight = 384;

struct TSkin {
    QImage Normal; // RGB888
    QImage Lit;    // RGB888: the normal picture with every region drawn lit
    QImage Mask;   // Mono, index 0 black (inside), index 1 white (outside)
};

// The area of a region that the lit picture takes from the lit painting; the rest of its box
// stays as at rest.
QPainterPath RegionPath(const THSRgn &r);

// Paints the skin for the given map. False, with the reason, when a check on the result fails:
// the mask's pixel 0,0 must be outside, every region's box inside the shape, no pixel of the
// tree's colour key in either picture, and every region visibly brighter when lit.
bool PaintSkin(const THSRgnList &map, TSkin &skin, QString &error);

// A Windows BMP file: 24 bits per pixel; 1 bit with its two-colour palette for a mono image;
// 8 bits with the image's own palette for an indexed one.
QByteArray BmpBytes(const QImage &img);

// The two pictures side by side, each cut by the mask (outside shown as a checkerboard).
QImage SkinPreview(const TSkin &skin);

} // namespace art
