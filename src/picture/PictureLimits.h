#pragma once
// How much a picture read from a disc may cost. A file is data anyone may have made: these bounds
// keep a hostile or broken file from taking the machine's memory or time.
#include <QtGlobal>

#include <climits>

struct TDecodeLimits {
    // Decoded pixels of one picture (after any half-size scaling); for a GIF, its canvas and all
    // its frames together. Also the largest file that is read.
    qint64 MaxBytes = qint64(512) << 20;
    // Either side of a GIF's logical screen.
    int MaxSide = 16384;
    // Frames of a GIF (the byte budget bounds them as well).
    int MaxFrames = INT_MAX;
    // Scans of a progressive JPEG: each one costs a pass over the whole picture.
    int MaxScans = 500;
};
