#pragma once
// The picture viewer's artwork: the frame skin tiled round the full-screen window and the
// glyphs of its four flat buttons.
#include <QImage>
#include <QString>

namespace art {

constexpr int FrameSkinSize = 48; // the skin's side; it is cut into 12-pixel bands
constexpr int GlyphSize = 18;     // one state of a button glyph

struct TViewerArt {
    QImage Frame;                  // Indexed8, 48 x 48
    QImage Prev, Next, Opc, Salir; // ARGB32, 36 x 18: enabled on the left, disabled on the right
};

// Paints the skin and the glyphs. False, with the reason, when a check on the result fails:
// the skin's size and 8-bit form, the frame tiled from it at several screen sizes equal to
// the frame painted whole (no seams), the glyphs' size, their clear border, and each disabled
// glyph visibly dimmer than its enabled one yet still seen on the bottom band.
bool PaintViewerArt(TViewerArt &art, QString &error);

// The frame as the viewer paints it on a W x H window: black, then the skin's pieces copied
// unscaled: the top and bottom bands, the left and right sides over them, the four corners.
QImage ComposeViewerFrame(const QImage &skin, int w, int h);

// A 1024 x 768 and a 1920 x 1080 viewer with a picture, the buttons and the labels in place,
// beside enlarged details of the corners and the glyphs.
QImage ViewerPreview(const TViewerArt &art);

} // namespace art
