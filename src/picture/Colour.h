#pragma once
// A picture's colours as the screen shows them: an embedded ICC profile (an Adobe RGB camera, a
// wide-gamut phone) converted to sRGB, the colour space a desktop screen is taken to be.
#include <QByteArray>

#include <memory>

class QImage;

// What the decoder's pixels are before the conversion: RGB, grey (given as RGB rows whose three
// channels are equal), or CMYK as most writers store it or inverted as Adobe's writers do.
enum class TColourInput { Rgb, Grey, Cmyk, CmykInverted };

class TColourTransform {
public:
    // The transform from a picture of Input in Profile to sRGB; null when there is nothing to
    // do: no profile, one the colour library rejects or that describes pictures of another
    // kind, or one whose conversion changes no colour (an sRGB or sGrey profile).
    static std::shared_ptr<const TColourTransform> FromIcc(const QByteArray &profile,
                                                           TColourInput input = TColourInput::Rgb);
    ~TColourTransform();
    TColourTransform(const TColourTransform &) = delete;
    TColourTransform &operator=(const TColourTransform &) = delete;

    // Converts Image (RGB888) in place; anything else is left alone. Safe to call from several
    // threads at once.
    void Apply(QImage &image) const;
    // Converts Count rows of Width RGB pixels in place, Stride bytes apart: the decoder calls it
    // on each band while the band is still in the cache. For an RGB or grey input.
    void ApplyRows(unsigned char *rows, int width, int count, qsizetype stride) const;
    // Converts Width CMYK pixels (4 bytes each) into RGB ones (3 bytes each). For a CMYK input.
    void ConvertCmyk(const unsigned char *cmyk, unsigned char *rgb, int width) const;
    TColourInput Input() const { return FInput; }
    bool ConvertsRgbRows() const { return FInput == TColourInput::Rgb || FInput == TColourInput::Grey; }

private:
    TColourTransform(void *transform, TColourInput input) : FTransform(transform), FInput(input) {}
    static std::shared_ptr<const TColourTransform> Make(const QByteArray &profile, TColourInput input);
    void ApplyShaper(unsigned char *rgb, int width) const;
    int ApplyShaperAvx2(unsigned char *rgb, int width) const;

    void *FTransform;  // cmsHTRANSFORM, kept out of this header; null for a grey input
    TColourInput FInput;
    // A grey input's 256 levels, each as the RGB it becomes.
    unsigned char FGrey[256][3] = {};
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
