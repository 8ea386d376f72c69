#pragma once
// The skin generator's checks of its own result, against what the menu relies on.
#include "ArtShape.h"

#include <QImage>
#include <QString>

namespace art {

struct TSkin;

// The shape: the mask's pixel 0,0 must be outside, and every region's box and the tree's
// rectangle inside. False, with the reason, when one is not.
bool CheckShape(const QImage &mask, const THSRgnList &map, QString &error);

// The pictures: no pixel of the tree's colour key in either, and every region visibly brighter
// when lit. False, with the reason, when one is not.
bool CheckPictures(const TSkin &skin, const THSRgnList &map, QString &error);

} // namespace art
