#pragma once
// The viewer's arithmetic, kept apart from its window so that each rule can be checked without a
// screen: where the controls go, where a picture lands in the box, how far a drag may take it,
// and the texts the labels show.
#include <QRect>
#include <QString>

class QFont;
class QImage;
class QPainter;

// Positions of the viewer's controls for a window of W x H, given the width of the counter's
// widest text ("000/000") in the window's font.
struct TVisorLayout {
    QRect BtnPrev, BtnNext, BtnOpc, BtnSalir;
    QRect LblInfo1, LblInfo2, Edit1;
    QRect Box;  // GIFAnimator takes the same bounds
};
constexpr int kStepButtonWidth = 40, kSmallButtonWidth = 20, kButtonHeight = 20;
TVisorLayout ComputeVisorLayout(int w, int h, int counterWidth);

// The frame round a W x H viewer, painted from its skin (a 48 x 48 picture cut into 12-pixel
// bands) copied unscaled: the top and bottom bands in 24-pixel pieces, the left and right
// sides over them, then the four corners. The last piece of a band runs past the edge and the
// side drawn after it covers that, so the order matters.
void DrawFrameSkin(QPainter &painter, const QImage &skin, int w, int h);

// The grey outlines round the controls of Layout: the buttons on their bounds, the labels grown
// by 4 pixels across and 2 up and down.
void DrawControlFrames(QPainter &painter, const TVisorLayout &layout);

// A W x H picture at actual size, centred in a BoxW x BoxH box (offsets truncated towards zero,
// so a larger picture is cut equally on both sides).
QRect ActualRect(int w, int h, int boxW, int boxH);

// Percentage of a fitted picture: its shown width against its decoded width.
int FitZoom(const QRect &dest, int w);

// Where a dragged picture goes: each axis along which the picture is larger than the box moves
// by the pointer's delta, kept so that the box is always covered; the other axes stay.
QRect DragRect(const QRect &dest, int dx, int dy, int w, int h, int boxW, int boxH);

// The information line for Path: decoded size W x H, shown percentage Zoom, the file's size.
// A half-size JPEG reports its file's size (twice the decoded one) and half the percentage.
QString PictureInfoText(const QString &path, int w, int h, int zoom, bool halfScale, qint64 fileSize);

// The point size (9 down to 7) at which Text fits Width in Font's family; 7 when nothing fits.
int FittingPointSize(const QString &text, const QFont &font, int width);

// "3/57": the counter.
QString CounterText(int index, int count);

// "3 de 57": where the shown picture stands, as a screen reader says it; a picture that could
// not be read says so after it.
QString PlaceText(int index, int count, bool readable = true);
