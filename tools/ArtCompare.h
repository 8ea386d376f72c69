#pragma once
// Tells a committed picture from a freshly generated one: the same, apart only by the rounding
// that differs between processors, or really changed (the committed file is stale).
#include <QImage>
#include <QString>

namespace art {

enum class TMatch { Same, Rounding, Differs };

// What a difference may be and still count as rounding.
struct TTolerance {
    int Levels = 2;         // the most one channel may move, in levels of 255
    bool EdgesOnly = true;  // only on anti-aliased edges: never inside a flat or fully covered area
    double Share = 1;       // the most pixels that may move, as a share of the picture
};

// A painted picture: the raster engine rounds its anti-aliased edges by the processor.
constexpr TTolerance PaintedTolerance{};
// A painted picture compressed afterwards (JPEG): a level moved on an edge can move its whole
// block by a few levels once quantised.
constexpr TTolerance EncodedTolerance{8, false, 0.02};
// A picture reduced to a fixed palette (GIF): a level moved across a decision boundary picks
// the neighbouring entry, up to one step of the colour cube.
constexpr TTolerance PaletteTolerance{51, false, 0.005};

struct TComparison {
    TMatch Match = TMatch::Same;
    int Pixels = 0;   // pixels that differ at all
    int MaxLevel = 0; // the largest move of one channel
    QString Reason;   // with Differs: what goes beyond rounding, and where
};

// Compares pixel by pixel, as straight (unpremultiplied) ARGB. An edge pixel is one that is
// partly covered (0 < alpha < 255) in both pictures, or, where the committed picture is opaque,
// one that differs from a neighbour there; so a changed pixel inside a shape, a shape that grew
// or shrank, and a changed size are always real differences.
TComparison CompareArt(const QImage &committed, const QImage &fresh, const TTolerance &tolerance = PaintedTolerance);

// The same for two files: pictures (BMP, PNG, JPEG, GIF with every frame) are decoded and
// compared with the tolerance their kind allows (a 1-bit picture, a shape, must be exact);
// any other file byte for byte.
TComparison CompareArtFiles(const QString &committed, const QString &fresh);

// One line for a person: "same", "within rounding: ..." or "differs: ...".
QString Describe(const TComparison &c);

} // namespace art
