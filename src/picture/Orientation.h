#pragma once
// The orientation tag of a camera's JPEG (EXIF tag 0x0112): how the stored rows must be turned
// and mirrored to stand upright. 1 is "as stored"; 2 to 8 are the other seven ways of laying a
// rectangle down.
#include <cstddef>

// The tag read from an APP1 segment's payload (starting "Exif\0\0"): 1 when the segment is no
// EXIF block, the tag is missing, or anything about it is out of bounds or out of range. Reads
// nothing but the first directory's entries, each bounds-checked.
int ExifOrientation(const unsigned char *data, size_t size);

// Orientations 5 to 8 turn the picture by a quarter: its width and height trade places.
constexpr bool SwapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

// Where stored pixel (X, Y) of a W x H picture goes when shown, and the step in shown (x, y) to
// the next stored pixel of the same row.
struct TOrientedPlace {
    int X, Y, StepX, StepY;
};
TOrientedPlace OrientedPlace(int orientation, int x, int y, int w, int h);
