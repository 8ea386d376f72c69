#pragma once
// The one way a file's bytes become what the viewer's box shows. The viewer's own load and the
// thread that prepares the next picture both go through here, so a picture looks the same
// however it arrived.
#include "picture/Picture.h"

#include <QImage>
#include <QSize>

#include <functional>

// Loads Bytes (a picture of Format) into Picture, under Picture's limits, and readies it:
//  1. the header is read (a GIF is decoded whole); a JPEG of more than kHalfScaleAbovePixels
//     is set to decode at half size, into the orientation its tag gives, and to be converted
//     from its embedded colour profile to the screen's as its rows come;
//  2. a GIF's transparency is switched off, and a 1-bit GIF turns grey;
//  3. Placed, when given, runs with the size known and the pixels still to come (the viewer
//     places the picture there, so that progress paints where the picture will be); for an
//     animation it runs once its first frame is decoded too (but not when it may turn grey),
//     so that frame shows while the others decode;
//  4. the pixels are decoded, reporting progress through Picture's handler;
//  5. with a valid FitBox, Fitted gets the picture resampled to the rectangle it fills fitted
//     into a box of that size (FittedRect).
// False when the bytes are no such picture or break the limits (Picture keeps what it held,
// Placed does not run), or when the decode fails or is overtaken by a newer load.
bool PrepareForBox(TPicture &picture, const QByteArray &bytes, TPictureFormat format, const QSize &fitBox,
                   QImage *fitted, const std::function<void()> &placed = {});
