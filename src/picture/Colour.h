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

private:
    explicit TColourTransform(void *transform) : FTransform(transform) {}
    bool ApplyShaper(QImage &image) const;

    void *FTransform;  // cmsHTRANSFORM, kept out of this header
    // A profile made of three curves and a matrix (cameras' and phones' are) is converted by
    // the same arithmetic the colour library uses for it, with tables it computes once, but
    // without its per-pixel calls: several times quicker, within a level of its own result.
    bool FShaper = false;
    float FLinear[3][256] = {};  // each channel's 8-bit value in linear light
    float FMatrix[3][3] = {};    // linear source primaries to linear sRGB
    const unsigned char *FEncode = nullptr;  // linear sRGB (16 bits) to its 8-bit value, shared
};
