#pragma once
// A picture's colours as the screen shows them: an embedded ICC profile (an Adobe RGB camera, a
// wide-gamut phone) converted to sRGB, the colour space a desktop screen is taken to be.
#include <QByteArray>

#include <memory>

class QImage;

class TColourTransform {
public:
    // The transform from an RGB picture in Profile to sRGB; null when there is nothing to do:
    // no profile, one the colour library rejects or that describes no RGB picture, or one
    // whose conversion changes no colour (an sRGB profile).
    static std::shared_ptr<const TColourTransform> FromIcc(const QByteArray &profile);
    ~TColourTransform();
    TColourTransform(const TColourTransform &) = delete;
    TColourTransform &operator=(const TColourTransform &) = delete;

    // Converts Image (RGB888) in place; anything else is left alone. Safe to call from several
    // threads at once.
    void Apply(QImage &image) const;
    // Converts Count rows of Width RGB pixels in place, Stride bytes apart: the decoder calls it
    // on each band while the band is still in the cache.
    void ApplyRows(unsigned char *rows, int width, int count, qsizetype stride) const;

private:
    explicit TColourTransform(void *transform) : FTransform(transform) {}
    static std::shared_ptr<const TColourTransform> Make(const QByteArray &profile);
    void ApplyShaper(unsigned char *rgb, int width) const;
    int ApplyShaperAvx2(unsigned char *rgb, int width) const;

    void *FTransform;  // cmsHTRANSFORM, kept out of this header
    // A profile made of three curves and a matrix (cameras' and phones' are) is converted by
    // the arithmetic the colour library itself uses for 8-bit matrix-shaper pictures (linear
    // light in 1.14 fixed point, an integer matrix, a table back to 8 bits), but without its
    // per-pixel calls: several times quicker, within a level of its own result.
    bool FShaper = false;
    qint32 FLinear[3][256] = {};  // each channel's 8-bit value in linear light, 1.14
    qint32 FMatrix[3][3] = {};    // linear source primaries to linear sRGB, 1.14
    const unsigned char *FEncode = nullptr;  // linear sRGB (1.14, 0 to 16384) to 8 bits, shared
    bool FVector = false;  // the processor gathers eight table entries at once
};
