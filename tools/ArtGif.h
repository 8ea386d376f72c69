#pragma once
// A small GIF89a encoder for the sample animations: one global palette (a colour cube with a
// grey ramp), LZW with the usual variable code width, and a looping application extension.
#include <QByteArray>
#include <QImage>

#include <vector>

namespace art {

// All frames must have the size of the first; DelayCs is each frame's delay in 1/100 s.
QByteArray EncodeGif(const std::vector<QImage> &frames, int delayCs);

} // namespace art
