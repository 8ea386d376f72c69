#pragma once
// Painting the skin: the moulded body inside the outline, and the parts drawn over it (the
// tree's panel, the information strip, the title and every button, at rest or lit).
#include "ArtShape.h"

#include <QImage>

namespace art {

// The moulded body: a deep blue-violet gradient with a soft diagonal sheen, a rounded bevel lit
// from the upper left that follows the whole outline, a dark silhouette line and a pinstripe.
void PaintBody(QImage &img, const TGrid &g);

// Everything drawn over the body, with every button either at rest or lit.
void PaintParts(QImage &img, const THSRgnList &map, bool lit);

} // namespace art
