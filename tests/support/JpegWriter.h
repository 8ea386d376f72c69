#pragma once
// JPEG files written by the JPEG library itself, for the tests and benchmarks that want what Qt's
// writer does not make: grey and CMYK pictures, an embedded profile, a large photo quickly.
#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace testjpeg {

// A W x H picture of Components a pixel (1 grey, 3 RGB, 4 CMYK; the library marks CMYK as
// Adobe's, so its inks are read back inverted) at Quality, with Profile embedded unless empty.
// Row fills line Y's W * Components bytes.
inline QByteArray Write(int w, int h, int components, int quality,
                        const std::function<void(int y, unsigned char *row)> &row, const QByteArray &profile = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = components;
    c.in_color_space = components == 4 ? JCS_CMYK : components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    if (!profile.isEmpty())
        jpeg_write_icc_profile(&c, reinterpret_cast<const JOCTET *>(profile.constData()), unsigned(profile.size()));
    std::vector<unsigned char> line(size_t(w) * size_t(components));
    while (c.next_scanline < c.image_height) {
        row(int(c.next_scanline), line.data());
        JSAMPROW r = line.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray out(reinterpret_cast<const char *>(mem), qsizetype(size));
    std::free(mem);
    return out;
}

} // namespace testjpeg
