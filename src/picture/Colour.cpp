#include "picture/Colour.h"

#include <QImage>

#include <lcms2.h>

#if defined(__x86_64__)
#include <immintrin.h>
#define TELVARO_COLOUR_AVX2 1
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>
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

// A coarse cube of colours (RGB, 6 levels a side) that probes a conversion.
constexpr int kCubeSteps = 6, kCubePixels = kCubeSteps * kCubeSteps * kCubeSteps;
void FillCube(uchar *rgb) {
    for (int r = 0; r < kCubeSteps; ++r)
        for (int g = 0; g < kCubeSteps; ++g)
            for (int b = 0; b < kCubeSteps; ++b) {
                *rgb++ = uchar(r * 51);
                *rgb++ = uchar(g * 51);
                *rgb++ = uchar(b * 51);
            }
}

// Whether Transform moves any colour of the cube by at least one level: an sRGB profile (most
// phones embed one) is then skipped instead of converting every pixel to itself.
bool ChangesColours(cmsHTRANSFORM transform) {
    uchar in[kCubePixels * 3], out[sizeof in];
    FillCube(in);
    cmsDoTransform(transform, in, out, kCubePixels);
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
        // The twin gives back the profile's own matrix only when the colorants add up to D50, as
        // a sound profile's do; a damaged profile's would come out levels off the library's.
        constexpr double kWhiteTolerance = 0.0005;
        const cmsCIEXYZ *w = cmsD50_XYZ();
        if (std::abs(r->X + g->X + b->X - w->X) > kWhiteTolerance ||
            std::abs(r->Y + g->Y + b->Y - w->Y) > kWhiteTolerance ||
            std::abs(r->Z + g->Z + b->Z - w->Z) > kWhiteTolerance)
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

// Linear light in 1.14 fixed point: 0 to kOne.
constexpr int kOne = 1 << 14;

// sRGB's inverse curve for every 1.14 linear value, the same for every picture: made once.
const unsigned char *SrgbEncodeTable() {
    static const std::vector<uchar> table = [] {
        std::vector<uchar> coded;
        TProfile linear{LinearTwin(nullptr)}, srgb{cmsCreate_sRGBProfile()};
        cmsHTRANSFORM out = linear.Handle && srgb.Handle ? Exact(linear.Handle, TYPE_RGB_16, srgb.Handle, TYPE_RGB_8)
                                                         : nullptr;
        if (!out)
            return coded;
        std::vector<quint16> grey((kOne + 1) * 3);
        for (size_t i = 0; i < grey.size(); ++i)
            grey[i] = quint16((i / 3 * 65535 + kOne / 2) / kOne);
        std::vector<uchar> rgb(grey.size());
        cmsDoTransform(out, grey.data(), rgb.data(), kOne + 1);
        cmsDeleteTransform(out);
        // Three more bytes: the vector path reads 4 bytes at each entry.
        coded.resize(kOne + 4);
        for (size_t i = 0; i < coded.size(); ++i)
            coded[i] = rgb[std::min<size_t>(i, kOne) * 3];
        return coded;
    }();
    return table.empty() ? nullptr : table.data();
}

qint32 Fixed(float v) { return qint32(std::lround(v * kOne)); }

// The integer matrix sums three products of a 1.14 coefficient and a 1.14 value in 32 bits:
// coefficients beyond this (no real pair of RGB spaces needs them) go to the library instead.
constexpr float kLargestCoefficient = 2.5f;

bool MakeShaperTables(cmsHPROFILE source, qint32 linear[3][256], qint32 matrix[3][3], const unsigned char *&encode) {
    encode = SrgbEncodeTable();
    TProfile sourceLinear{LinearTwin(source)}, srgbLinear{LinearTwin(nullptr)};
    if (!sourceLinear.Handle || !srgbLinear.Handle || !encode)
        return false;
    cmsHTRANSFORM curves = Exact(source, TYPE_RGB_8, sourceLinear.Handle, TYPE_RGB_FLT);
    cmsHTRANSFORM mix = Exact(sourceLinear.Handle, TYPE_RGB_FLT, srgbLinear.Handle, TYPE_RGB_FLT);
    bool ok = curves && mix;
    if (ok) {
        uchar ramp[256 * 3];
        float lin[256 * 3];
        for (int v = 0; v < 256 * 3; ++v)
            ramp[v] = uchar(v / 3);
        cmsDoTransform(curves, ramp, lin, 256);
        for (float v : lin)
            ok = ok && std::isfinite(v);
        for (int v = 0; v < 256; ++v)
            for (int c = 0; c < 3; ++c)
                linear[c][v] = ok ? qint32(Fixed(std::clamp(lin[v * 3 + c], 0.0f, 1.0f))) : 0;
        const float unit[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        float mixed[9];
        cmsDoTransform(mix, unit, mixed, 3);
        for (float v : mixed)
            ok = ok && std::isfinite(v) && std::abs(v) <= kLargestCoefficient;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                matrix[row][col] = ok ? Fixed(mixed[col * 3 + row]) : 0;
    }
    for (cmsHTRANSFORM t : {curves, mix})
        if (t)
            cmsDeleteTransform(t);
    return ok;
}

} // namespace

void TColourTransform::ApplyShaper(uchar *p, int width) const {
    // Everything in locals, and each pixel's three results stored together: a store through a
    // byte pointer could otherwise alias the tables, and the compiler would reload them per byte.
    const qint32 *const lr = FLinear[0], *const lg = FLinear[1], *const lb = FLinear[2];
    const qint32 m[9] = {FMatrix[0][0], FMatrix[0][1], FMatrix[0][2], FMatrix[1][0], FMatrix[1][1],
                         FMatrix[1][2], FMatrix[2][0], FMatrix[2][1], FMatrix[2][2]};
    const uchar *const encode = FEncode;
    auto out = [encode](qint32 v) { return encode[std::clamp((v + kOne / 2) >> 14, 0, kOne)]; };
    for (int x = 0; x < width; ++x, p += 3) {
        const qint32 r = lr[p[0]], g = lg[p[1]], b = lb[p[2]];
        const uchar o0 = out(m[0] * r + m[1] * g + m[2] * b);
        const uchar o1 = out(m[3] * r + m[4] * g + m[5] * b);
        const uchar o2 = out(m[6] * r + m[7] * g + m[8] * b);
        p[0] = o0;
        p[1] = o1;
        p[2] = o2;
    }
}

#ifdef TELVARO_COLOUR_AVX2
// The same integer arithmetic as ApplyShaper, eight pixels at a time; the table look-ups are
// gathers. Returns how many pixels it converted (a multiple of 8): the rest, whose 32-byte
// loads would reach past the row, goes through ApplyShaper.
__attribute__((target("avx2"))) int TColourTransform::ApplyShaperAvx2(uchar *p, int width) const {
    // Pixels 0-3 in the low lane, 4-7 in the high lane; in each lane, one channel's bytes into
    // the low byte of each 32-bit element.
    const __m256i spread = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    // (These constants are spelt out: a helper lambda would not be compiled for the vector unit.)
#define TELVARO_PICK(c)                                                                                                \
    _mm256_setr_epi8(c, -1, -1, -1, c + 3, -1, -1, -1, c + 6, -1, -1, -1, c + 9, -1, -1, -1, c, -1, -1, -1, c + 3, -1, -1, \
                     -1, c + 6, -1, -1, -1, c + 9, -1, -1, -1)
    const __m256i pickR = TELVARO_PICK(0), pickG = TELVARO_PICK(1), pickB = TELVARO_PICK(2);
#undef TELVARO_PICK
    // Back: each element's three low bytes packed, 12 per lane, then the lanes joined.
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9,
                                          10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    __m256i m[9];
    for (int i = 0; i < 9; ++i)
        m[i] = _mm256_set1_epi32(FMatrix[i / 3][i % 3]);
    const __m256i half = _mm256_set1_epi32(kOne / 2), zero = _mm256_setzero_si256(), one = _mm256_set1_epi32(kOne),
                  low = _mm256_set1_epi32(0xff);
    const auto *enc = reinterpret_cast<const int *>(FEncode);
    int x = 0;
    for (; x + 11 <= width; x += 8, p += 24) {
        const __m256i in = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)), spread);
        const __m256i r = _mm256_i32gather_epi32(FLinear[0], _mm256_shuffle_epi8(in, pickR), 4);
        const __m256i g = _mm256_i32gather_epi32(FLinear[1], _mm256_shuffle_epi8(in, pickG), 4);
        const __m256i b = _mm256_i32gather_epi32(FLinear[2], _mm256_shuffle_epi8(in, pickB), 4);
        __m256i rgb = zero;
        for (int c = 0; c < 3; ++c) {
            __m256i v = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(m[c * 3], r), _mm256_mullo_epi32(m[c * 3 + 1], g)),
                                         _mm256_mullo_epi32(m[c * 3 + 2], b));
            v = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(_mm256_add_epi32(v, half), 14), zero), one);
            rgb = _mm256_or_si256(rgb, _mm256_slli_epi32(_mm256_and_si256(_mm256_i32gather_epi32(enc, v, 1), low), 8 * c));
        }
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(rgb, pack), join);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p + 16), _mm256_extracti128_si256(packed, 1));
    }
    return x;
}
#else
int TColourTransform::ApplyShaperAvx2(uchar *, int) const { return 0; }
#endif

std::shared_ptr<const TColourTransform> TColourTransform::FromIcc(const QByteArray &profile, TColourInput input) {
    if (profile.isEmpty())
        return nullptr;
    // A disc's photos come from a few cameras, each embedding the same profile in every photo;
    // making a transform takes the colour library several milliseconds, so the last few are kept.
    // Both the window's thread and the preparing thread ask.
    static std::mutex lock;
    struct TMade {
        QByteArray Profile;
        TColourInput Input;
        std::shared_ptr<const TColourTransform> Transform;
    };
    static std::deque<TMade> made;
    constexpr size_t kKept = 4;
    {
        const std::lock_guard<std::mutex> hold(lock);
        for (const TMade &m : made)
            if (m.Input == input && m.Profile == profile)
                return m.Transform;
    }
    std::shared_ptr<const TColourTransform> transform = Make(profile, input);
    const std::lock_guard<std::mutex> hold(lock);
    made.push_front({profile, input, transform});
    if (made.size() > kKept)
        made.pop_back();
    return transform;
}

std::shared_ptr<const TColourTransform> TColourTransform::Make(const QByteArray &profile, TColourInput input) {
    TProfile source{cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()))};
    const bool cmyk = input == TColourInput::Cmyk || input == TColourInput::CmykInverted;
    const cmsColorSpaceSignature space = cmyk ? cmsSigCmykData : input == TColourInput::Grey ? cmsSigGrayData : cmsSigRgbData;
    if (!source.Handle || cmsGetColorSpace(source.Handle) != space)
        return nullptr;
    const cmsProfileClassSignature kind = cmsGetDeviceClass(source.Handle);
    if (kind != cmsSigInputClass && kind != cmsSigDisplayClass && kind != cmsSigOutputClass &&
        kind != cmsSigColorSpaceClass)
        return nullptr;
    TProfile screen{cmsCreate_sRGBProfile()};
    // Adobe's inverted CMYK is the library's "reversed" flavour of it (0 is full ink).
    const cmsUInt32Number from = input == TColourInput::Cmyk           ? TYPE_CMYK_8
                                 : input == TColourInput::CmykInverted ? TYPE_CMYK_8_REV
                                 : input == TColourInput::Grey         ? TYPE_GRAY_8
                                                                       : TYPE_RGB_8;
    // No cache of the last pixel: the transform is then safe on the preparing thread and the
    // window's thread at once.
    cmsHTRANSFORM transform = cmsCreateTransform(source.Handle, from, screen.Handle, TYPE_RGB_8, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_NOCACHE);
    if (!transform)
        return nullptr;
    if (input == TColourInput::Grey) {
        // 256 levels are all a grey picture has: a table of them does the whole conversion.
        std::shared_ptr<TColourTransform> grey(new TColourTransform(nullptr, input));
        uchar levels[256];
        for (int i = 0; i < 256; ++i)
            levels[i] = uchar(i);
        cmsDoTransform(transform, levels, grey->FGrey, 256);
        cmsDeleteTransform(transform);
        for (int i = 0; i < 256; ++i)
            if (grey->FGrey[i][0] != i || grey->FGrey[i][1] != i || grey->FGrey[i][2] != i)
                return grey;
        return nullptr;
    }
    // A CMYK profile always counts: without it the picture's inks go through a plain formula.
    if (!cmyk && !ChangesColours(transform)) {
        cmsDeleteTransform(transform);
        return nullptr;
    }
    std::shared_ptr<TColourTransform> result(new TColourTransform(transform, input));
    if (cmyk)
        return result;
    if (cmsIsMatrixShaper(source.Handle))
        result->FShaper = MakeShaperTables(source.Handle, result->FLinear, result->FMatrix, result->FEncode);
    if (result->FShaper) {
        // The shortcut follows the library's own 8-bit matrix-shaper arithmetic, which the library
        // does not take for every profile (curves it cannot treat so, say): where the cube shows
        // the shortcut more than a level off the library, the library converts.
        uchar in[kCubePixels * 3], library[sizeof in];
        FillCube(in);
        cmsDoTransform(transform, in, library, kCubePixels);
        result->ApplyShaper(in, kCubePixels);
        for (size_t i = 0; i < sizeof in; ++i)
            result->FShaper = result->FShaper && std::abs(in[i] - library[i]) <= 1;
    }
#ifdef TELVARO_COLOUR_AVX2
    result->FVector = result->FShaper && __builtin_cpu_supports("avx2");
#endif
    return result;
}

TColourTransform::~TColourTransform() {
    if (FTransform)
        cmsDeleteTransform(static_cast<cmsHTRANSFORM>(FTransform));
}

void TColourTransform::ConvertCmyk(const uchar *cmyk, uchar *rgb, int width) const {
    if (FTransform && width > 0 && FInput != TColourInput::Rgb && FInput != TColourInput::Grey)
        cmsDoTransform(static_cast<cmsHTRANSFORM>(FTransform), cmyk, rgb, cmsUInt32Number(width));
}

void TColourTransform::Apply(QImage &image) const {
    if (image.isNull() || image.format() != QImage::Format_RGB888)
        return;
    ApplyRows(image.bits(), image.width(), image.height(), image.bytesPerLine());
}

void TColourTransform::ApplyRows(uchar *rows, int width, int count, qsizetype stride) const {
    if (!rows || width <= 0 || count <= 0 || !ConvertsRgbRows())
        return;
    if (FInput == TColourInput::Grey) {
        for (int y = 0; y < count; ++y) {
            uchar *p = rows + y * stride;
            for (int x = 0; x < width; ++x, p += 3)
                std::memcpy(p, FGrey[p[0]], 3);
        }
        return;
    }
    if (FShaper) {
        for (int y = 0; y < count; ++y) {
            uchar *row = rows + y * stride;
            const int done = FVector ? ApplyShaperAvx2(row, width) : 0;
            ApplyShaper(row + qsizetype(done) * 3, width - done);
        }
        return;
    }
    // The library's own stride support runs over the rows in one call.
    const auto transform = static_cast<cmsHTRANSFORM>(FTransform);
    const auto bytes = cmsUInt32Number(stride);
    cmsDoTransformLineStride(transform, rows, rows, cmsUInt32Number(width), cmsUInt32Number(count), bytes, bytes, 0, 0);
}
