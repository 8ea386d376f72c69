#pragma once
// Fitted display: the size a picture takes in the box, and bilinear resampling in 16.16 fixed
// point whose result bits are part of what the viewer shows.
#include <QImage>
#include <QRect>

class QPainter;
class TPicture;

// The rectangle, in box coordinates, that a W x H picture fills when fitted into a box of
// BoxW x BoxH: the box's width when the scaled height fits, else its height, rounded half to
// even and centred (offsets truncated towards zero). Never smaller than 1 x 1.
QRect FittedRect(int w, int h, int boxW, int boxH);

// Fills Dest (RGB888, its size chosen by the caller) from Source (RGB888):
//   xstep = ((sw - 1) * 65536) div dw, ystep likewise; for each destination row the source rows
//   r = sy >> 16 and r + 1 (r again on the last row), fy = sy & 0xFFFF, a0 = 65536 - fy,
//   a1 = fy + 1; for each column i = sx >> 16, fx = sx & 0xFFFF, w01 = (fx a0) >> 16,
//   w00 = a0 - w01, w11 = (fx a1) >> 16, w10 = a1 - w11; each byte is
//   (p00 w00 + p01 w01 + p10 w10 + p11 w11) >> 16.
// Column i + 1 is the last column again in a source one pixel wide, and the steps are computed
// in 64 bits (wide sources would overflow 32). False when either image is empty or not RGB888.
bool ResampleBilinear(const QImage &source, QImage &dest);

// Picture's 24-bit bitmap resampled to Size through ResampleBilinear; null when the picture has
// no pixels yet or the image cannot be made.
QImage FittedImage(const TPicture &picture, const QSize &size);

// Draws Picture resampled into Rect: its 24-bit bitmap through ResampleBilinear. Nothing when
// the picture has no pixels yet.
void DrawFitted(QPainter &painter, const QRect &rect, const TPicture &picture);
