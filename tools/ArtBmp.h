#pragma once
// The artwork's BMP files, written byte for byte by us.
#include <QByteArray>
#include <QImage>

namespace art {

// A Windows BMP file: 24 bits per pixel; 1 bit with its two-colour palette for a mono image;
// 8 bits with the image's own palette for an indexed one.
QByteArray BmpBytes(const QImage &img);

} // namespace art
