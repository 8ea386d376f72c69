#pragma once
// The main window's skin, as the menu, the artwork generator and the tests share it: the
// window's one size, where the catalogue tree lies on it and the colour the tree is keyed on.
// The skin's bitmaps and its mask are painted to these numbers.
#include <QRect>
#include <QRgb>
#include <QSize>

// The window and its skin bitmaps have this size, and no other.
inline constexpr QSize kSkinSize(432, 384);
// The tree's rectangle on the window: the skin paints its panel there.
inline constexpr QRect kTreeRect(79, 41, 218, 192);
// The tree's see-through colour: its icons' transparent pixels, which the skin must never hold,
// or the tree would show holes in it.
inline constexpr QRgb kTreeKey = qRgb(128, 128, 0);
