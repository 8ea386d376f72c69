#pragma once
// A look at the skin as the window shows it, for the person who changes the artwork.
#include "ArtSkin.h"

namespace art {

// The two pictures side by side, each cut by the mask (outside shown as a checkerboard).
QImage SkinPreview(const TSkin &skin);

} // namespace art
