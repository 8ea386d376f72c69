#pragma once
// The skin window's outline as a grid of inside pixels, built from rounded parts, and the
// shapes of the map's regions that light.
#include "hotzone/HotZone.h"
#include "lib/SkinGeometry.h"

#include <QPainterPath>
#include <QRectF>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace art {

constexpr int W = kSkinSize.width();
constexpr int H = kSkinSize.height();
constexpr double Pi = 3.14159265358979323846;

// One flag per pixel of the window: inside the outline or not.
struct TGrid {
    std::vector<uint8_t> In = std::vector<uint8_t>(size_t(W) * H, 0);
    bool at(int x, int y) const { return In[size_t(y) * W + x] != 0; }
    bool atClamped(int x, int y) const { return at(std::clamp(x, 0, W - 1), std::clamp(y, 0, H - 1)); }
    bool atOrOut(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H && at(x, y); }
};

// The window's outline (see ArtShape.cpp for its parts).
TGrid BuildShape();

// Distance of every inside pixel from the outside (the picture's edges count as outside here:
// the window ends there), up to Max.
std::vector<float> DistanceField(const TGrid &g, int max);

// The map's regions in map order.
std::vector<const THSRgn *> Regions(const THSRgnList &map);

// A region's box as a floating-point rectangle.
QRectF BoxF(const THSRgn &r);

// The area of a region that the lit picture takes from the lit painting; the rest of its box
// stays as at rest.
QPainterPath RegionPath(const THSRgn &r);

} // namespace art
