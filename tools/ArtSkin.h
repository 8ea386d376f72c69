#pragma once
// The main window's skin: the normal and the lit bitmap and the mask that cuts the window.
// Its outline is in ArtShape, its painting in ArtSkinPaint, its checks in ArtSkinChecks.
#include "ArtMap.h"

#include <QImage>

namespace art {

struct TSkin {
    QImage Normal; // RGB888
    QImage Lit;    // RGB888: the normal picture with every region drawn lit
    QImage Mask;   // Mono, index 0 black (inside), index 1 white (outside)
};

// Paints the skin for the given map. False, with the reason, when a check on the result fails:
// the mask's pixel 0,0 must be outside, every region's box inside the shape, no pixel of the
// tree's colour key in either picture, and every region visibly brighter when lit.
bool PaintSkin(const THSRgnList &map, TSkin &skin, QString &error);

} // namespace art
