#include "picture/Colour.h"

#include <QImage>

#include <lcms2.h>

#include <algorithm>
#include <vector>

namespace {

// Closes a profile when it goes out of scope, whatever path the function takes.
struct TProfile {
    cmsHPROFILE Handle;
    ~TProfile() {
        if (Handle)
            cmsCloseProfile(Handle);
    }
};

// Whether Transform moves any colour of a coarse cube by at least one level: an sRGB profile
// (most phones embed one) is then skipped instead of converting every pixel to itself.
bool ChangesColours(cmsHTRANSFORM transform) {
    constexpr int kSteps = 6;
    uchar in[kSteps * kSteps * kSteps * 3], out[sizeof in];
    int n = 0;
    for (int r = 0; r < kSteps; ++r)
        for (int g = 0; g < kSteps; ++g)
            for (int b = 0; b < kSteps; ++b) {
                in[n++] = uchar(r * 51);
                in[n++] = uchar(g * 51);
                in[n++] = uchar(b * 51);
            }
    cmsDoTransform(transform, in, out, kSteps * kSteps * kSteps);
    for (size_t i = 0; i < sizeof in; ++i)
        if (in[i] != out[i])
            return true;
    return false;
}

// Linear-light RGB with the primaries and white of Profile (sRGB's when Profile is null).
cmsHPROFILE LinearTwin(cmsHPROFILE profile) {
    cmsCIEXYZ *r = nullptr, *g = nullptr, *b = nullptr;
    cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    cmsCIExyY white{0.3127, 0.3290, 1};
    if (profile) {
        // The colorants are stored adapted to D50, the connection space's white: with a D50
        // white and no adaptation, the twin has exactly the profile's matrix.
        r = static_cast<cmsCIEXYZ *>(cmsReadTag(profile, cmsSigRedColorantTag));
        g = static_cast<cmsCIEXYZ *>(cmsReadTag(profile, cmsSigGreenColorantTag));
        b = static_cast<cmsCIEXYZ *>(cmsReadTag(profile, cmsSigBlueColorantTag));
        if (!r || !g || !b)
            return nullptr;
        cmsXYZ2xyY(&primaries.Red, r);
        cmsXYZ2xyY(&primaries.Green, g);
        cmsXYZ2xyY(&primaries.Blue, b);
        cmsXYZ2xyY(&white, cmsD50_XYZ());
    }
    cmsToneCurve *linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve *curves[3] = {linear, linear, linear};
    cmsHPROFILE twin = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(linear);
    return twin;
}

// The three steps of a curves-and-matrix conversion, each asked of the colour library: the
// source's curves (source to its linear twin), the matrix (source's linear twin to sRGB's, on
// the three unit colours) and sRGB's inverse curve (sRGB's linear twin to sRGB).
cmsHTRANSFORM Exact(cmsHPROFILE from, cmsUInt32Number fromType, cmsHPROFILE to, cmsUInt32Number toType) {
    return cmsCreateTransform(from, fromType, to, toType, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
}

// sRGB's inverse curve for every 16-bit linear value, the same for every picture: made once.
const unsigned char *SrgbEncodeTable() {
    static const std::vector<uchar> table = [] {
        std::vector<uchar> coded;
        TProfile linear{LinearTwin(nullptr)}, srgb{cmsCreate_sRGBProfile()};
        cmsHTRANSFORM out = linear.Handle && srgb.Handle ? Exact(linear.Handle, TYPE_RGB_16, srgb.Handle, TYPE_RGB_8)
                                                         : nullptr;
        if (!out)
            return coded;
        std::vector<quint16> grey(65536 * 3);
        for (size_t i = 0; i < grey.size(); ++i)
            grey[i] = quint16(i / 3);
        std::vector<uchar> rgb(grey.size());
        cmsDoTransform(out, grey.data(), rgb.data(), 65536);
        cmsDeleteTransform(out);
        coded.resize(65536);
        for (size_t i = 0; i < coded.size(); ++i)
            coded[i] = rgb[i * 3];
        return coded;
    }();
    return table.empty() ? nullptr : table.data();
}

bool MakeShaperTables(cmsHPROFILE source, float linear[3][256], float matrix[3][3], const unsigned char *&encode) {
    encode = SrgbEncodeTable();
    TProfile sourceLinear{LinearTwin(source)}, srgbLinear{LinearTwin(nullptr)};
    if (!sourceLinear.Handle || !srgbLinear.Handle || !encode)
        return false;
    cmsHTRANSFORM curves = Exact(source, TYPE_RGB_8, sourceLinear.Handle, TYPE_RGB_FLT);
    cmsHTRANSFORM mix = Exact(sourceLinear.Handle, TYPE_RGB_FLT, srgbLinear.Handle, TYPE_RGB_FLT);
    const bool ok = curves && mix;
    if (ok) {
        uchar ramp[256 * 3];
        float lin[256 * 3];
        for (int v = 0; v < 256 * 3; ++v)
            ramp[v] = uchar(v / 3);
        cmsDoTransform(curves, ramp, lin, 256);
        for (int v = 0; v < 256; ++v)
            for (int c = 0; c < 3; ++c)
                linear[c][v] = lin[v * 3 + c];
        const float unit[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        float mixed[9];
        cmsDoTransform(mix, unit, mixed, 3);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                matrix[row][col] = mixed[col * 3 + row];
    }
    for (cmsHTRANSFORM t : {curves, mix})
        if (t)
            cmsDeleteTransform(t);
    return ok;
}

} // namespace

bool TColourTransform::ApplyShaper(QImage &image) const {
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uchar *p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const float r = FLinear[0][p[0]], g = FLinear[1][p[1]], b = FLinear[2][p[2]];
            for (int c = 0; c < 3; ++c) {
                const float v = FMatrix[c][0] * r + FMatrix[c][1] * g + FMatrix[c][2] * b;
                p[c] = FEncode[int(std::clamp(v, 0.0f, 1.0f) * 65535.0f + 0.5f)];
            }
        }
    }
    return true;
}

std::shared_ptr<const TColourTransform> TColourTransform::FromIcc(const QByteArray &profile) {
    if (profile.isEmpty())
        return nullptr;
    TProfile source{cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()))};
    if (!source.Handle || cmsGetColorSpace(source.Handle) != cmsSigRgbData)
        return nullptr;
    const cmsProfileClassSignature kind = cmsGetDeviceClass(source.Handle);
    if (kind != cmsSigInputClass && kind != cmsSigDisplayClass && kind != cmsSigOutputClass &&
        kind != cmsSigColorSpaceClass)
        return nullptr;
    TProfile screen{cmsCreate_sRGBProfile()};
    // No cache of the last pixel: the transform is then safe on the preparing thread and the
    // window's thread at once.
    cmsHTRANSFORM transform = cmsCreateTransform(source.Handle, TYPE_RGB_8, screen.Handle, TYPE_RGB_8,
                                                 INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    if (!transform)
        return nullptr;
    if (!ChangesColours(transform)) {
        cmsDeleteTransform(transform);
        return nullptr;
    }
    std::shared_ptr<TColourTransform> result(new TColourTransform(transform));
    if (cmsIsMatrixShaper(source.Handle))
        result->FShaper = MakeShaperTables(source.Handle, result->FLinear, result->FMatrix, result->FEncode);
    return result;
}

TColourTransform::~TColourTransform() { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(FTransform)); }

void TColourTransform::Apply(QImage &image) const {
    if (image.isNull() || image.format() != QImage::Format_RGB888)
        return;
    if (FShaper && ApplyShaper(image))
        return;
    const auto transform = static_cast<cmsHTRANSFORM>(FTransform);
    // Rows at once: the library's own stride support runs over the whole picture in one call.
    const cmsUInt32Number width = cmsUInt32Number(image.width());
    const cmsUInt32Number stride = cmsUInt32Number(image.bytesPerLine());
    uchar *bits = image.bits();
    cmsDoTransformLineStride(transform, bits, bits, width, cmsUInt32Number(image.height()), stride, stride, 0, 0);
}
