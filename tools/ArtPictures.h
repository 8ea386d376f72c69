#pragma once
// Pictures of the sample disc and the About box logo, all painted, none photographed.
#include <QImage>
#include <QString>

#include <vector>

namespace art {

struct TPicture {
    QString Name; // file name in the pictures folder
    QImage Image;  // as stored; its colour space, when set, is embedded as an ICC profile
    int Quality = 85;
    int Orientation = 1;  // the EXIF orientation tag written with it (1: none)
};

// Landscapes in several moods and sizes; one of them larger than 1920 x 1080.
std::vector<TPicture> Pictures();
// Frames of the two animations.
std::vector<QImage> SpinningDisc();
std::vector<QImage> Ripples();
// The About box logo, 180 x 46.
QImage PaintLogo();

} // namespace art
