// Our JPEG pipeline (the banded decode, its finishing thread, the colour conversion from the
// embedded profile and the turn into the orientation) against one plain pass: the JPEG library's
// whole picture at the same scale and output colour space, lcms2's transform of it with the same
// profile, intent and flags, then the turn. The first byte chooses, for the fuzzer to explore:
// bits 0-3 the orientation (1 to 8, else the file's own tag), bit 4 half size, bit 5 the profile.
// A progress handler is set, as the viewer's own loads have one, and the second thread finishes
// every picture of 64 x 64 pixels or more, not only the megapixel ones the viewer hands it: small
// pictures reach it as well, a dozen times faster (the corpus holds 1024 x 1024 seeds too, with
// and without profiles, in RGB, grey and CMYK).
//
// Pixels must be the same, except that through a matrix-shaper profile ours uses its own
// arithmetic, documented as within one level of the library's: one level per channel is allowed
// there. A profile ours makes no conversion of (one that moves no colour, or that the library
// rejects) is left out of the reference too. Both must refuse the same files, under the same
// bounds; a file ours refuses at its header is not compared.
#include "FuzzSupport.h"
#include "picture/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>

namespace {

using fuzzsupport::Check;

// Both passes work under the same bounds: small enough to keep each run quick.
constexpr int kMaxScans = 100;
constexpr long kMaxBytes = 4L << 20;  // a 1024 x 1024 picture still decodes whole

struct TPlain {
    jpeg_decompress_struct Info;
    jpeg_error_mgr Err;
    jpeg_progress_mgr Progress;
    std::jmp_buf Jump;
    int Width, Height;
};

void GiveUp(j_common_ptr info) { std::longjmp(static_cast<TPlain *>(info->client_data)->Jump, 1); }
void Quiet(j_common_ptr) {}
void CountScans(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        GiveUp(info);
}

// The whole picture, its rows one after the other (RGB, or CMYK for a CMYK file).
bool DecodePlain(TPlain &p, const QByteArray &bytes, bool half, std::vector<uint8_t> &pixels) {
    p.Info.err = jpeg_std_error(&p.Err);
    p.Err.error_exit = GiveUp;
    p.Err.output_message = Quiet;
    p.Info.client_data = &p;
    if (setjmp(p.Jump)) {
        jpeg_destroy_decompress(&p.Info);
        return false;
    }
    jpeg_create_decompress(&p.Info);
    p.Info.mem->max_memory_to_use = kMaxBytes;
    p.Progress.progress_monitor = CountScans;
    p.Info.progress = &p.Progress;
    jpeg_mem_src(&p.Info, reinterpret_cast<const unsigned char *>(bytes.constData()), (unsigned long)bytes.size());
    jpeg_read_header(&p.Info, TRUE);
    p.Info.scale_num = 1;
    p.Info.scale_denom = half ? 2 : 1;
    const bool cmyk = p.Info.jpeg_color_space == JCS_CMYK || p.Info.jpeg_color_space == JCS_YCCK;
    p.Info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGB;
    jpeg_start_decompress(&p.Info);
    const size_t row = size_t(p.Info.output_width) * size_t(p.Info.output_components);
    p.Width = int(p.Info.output_width);
    p.Height = int(p.Info.output_height);
    pixels.assign(row * p.Info.output_height, 0);
    while (p.Info.output_scanline < p.Info.output_height) {
        JSAMPROW r = pixels.data() + row * p.Info.output_scanline;
        jpeg_read_scanlines(&p.Info, &r, 1);
    }
    jpeg_abort_decompress(&p.Info);
    jpeg_destroy_decompress(&p.Info);
    return true;
}

// Where shown pixel (U, V) of a stored W x H picture comes from, by the tag's meaning.
FUZZ_UNTRACED void Stored(int o, int u, int v, int w, int h, int &x, int &y) {
    switch (o) {
    case 2: x = w - 1 - u, y = v; break;
    case 3: x = w - 1 - u, y = h - 1 - v; break;
    case 4: x = u, y = h - 1 - v; break;
    case 5: x = v, y = u; break;
    case 6: x = v, y = h - 1 - u; break;
    case 7: x = w - 1 - v, y = h - 1 - u; break;
    case 8: x = w - 1 - v, y = u; break;
    default: x = u, y = v;
    }
}

// The first pixel of SHOWN that differs from the reference RGB (W x H, stored) by more than
// TOLERANCE, or false. Left out of the fuzzer's coverage: its comparisons say nothing of the
// decoder, and traced they took a fifth of each run.
FUZZ_UNTRACED bool FirstDifference(const QImage &shown, const std::vector<uint8_t> &rgb, int o, int w, int h,
                                   int tolerance, int &u, int &v, int &c) {
    for (v = 0; v < shown.height(); ++v) {
        const uchar *line = shown.constScanLine(v);
        for (u = 0; u < shown.width(); ++u) {
            int x, y;
            Stored(o, u, v, w, h, x, y);
            const uint8_t *want = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            for (c = 0; c < 3; ++c)
                if (std::abs(int(line[u * 3 + c]) - int(want[c])) > tolerance)
                    return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const int choice = data[0];
    const QByteArray bytes = fuzzsupport::Bytes(data + 1, size - 1);
    TDecodeLimits limits;
    limits.MaxBytes = kMaxBytes;
    limits.MaxScans = kMaxScans;
    TJpegDecoder jpeg;
    if (!jpeg.Load(bytes, limits))
        return 0;
    const int o = (choice & 15) >= 1 && (choice & 15) <= 8 ? choice & 15 : jpeg.FileOrientation();
    // A picture whose full size is past the bounds is decoded at half size, as the viewer does.
    const qint64 fullBytes = (qint64(jpeg.FileWidth()) * 3 + 3) / 4 * 4 * jpeg.FileHeight();
    const bool half = (choice & 16) || fullBytes > kMaxBytes, cmyk = jpeg.IsCmyk(), grey = jpeg.Components() == 1;
    const QByteArray profile = choice & 32 ? jpeg.IccProfile() : QByteArray();
    const TColourInput input = cmyk ? (jpeg.IsCmykInverted() ? TColourInput::CmykInverted : TColourInput::Cmyk)
                               : grey ? TColourInput::Grey : TColourInput::Rgb;
    const auto transform = jpeg.Components() == 3 || grey || cmyk ? TColourTransform::FromIcc(profile, input) : nullptr;
    jpeg.SetHalfScale(half);
    jpeg.SetOrientation(o);
    jpeg.SetColourTransform(transform);
    jpeg.SetThreadedFinishFrom(64 * 64);
    const bool decoded = jpeg.Decode([](const TProgressReport &) { return true; });

    TPlain plain{};
    std::vector<uint8_t> pixels;
    const bool plainDecoded = DecodePlain(plain, bytes, half, pixels);
    const bool inverted = plain.Info.saw_Adobe_marker;
    Check(decoded == plainDecoded, "ours decodes what the plain pass decodes");
    if (!decoded)
        return 0;
    const int w = plain.Width, h = plain.Height;
    const size_t n = size_t(w) * size_t(h);
    Check(pixels.size() == n * (cmyk ? 4 : 3), "the plain pass's size");
    std::vector<uint8_t> rgb(n * 3);
    int tolerance = 0;
    if (transform) {
        cmsHPROFILE source = cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()));
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        const cmsUInt32Number from = cmyk ? (inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8) : grey ? TYPE_GRAY_8 : TYPE_RGB_8;
        cmsHTRANSFORM t = cmsCreateTransform(source, from, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
        Check(t != nullptr, "the library makes the transform ours made");
        if (grey)
            for (size_t i = 0; i < n; ++i)
                pixels[i] = pixels[i * 3];
        cmsDoTransform(t, pixels.data(), rgb.data(), cmsUInt32Number(n));
        tolerance = !cmyk && !grey && cmsIsMatrixShaper(source) ? 1 : 0;
        cmsDeleteTransform(t);
        cmsCloseProfile(srgb);
        cmsCloseProfile(source);
    } else if (cmyk) {
        // Without a profile, the plain formula; inks stored plain count from 255.
        for (size_t i = 0; i < n; ++i) {
            const uint8_t *s = &pixels[i * 4];
            const int k = inverted ? s[3] : 255 - s[3];
            for (int c = 0; c < 3; ++c)
                rgb[i * 3 + size_t(c)] = uint8_t(((inverted ? s[c] : 255 - s[c]) * k + 127) / 255);
        }
    } else {
        rgb = pixels;
    }
    const QImage &shown = jpeg.Bitmap();
    const bool turned = o >= 5 && o <= 8;
    Check(shown.width() == (turned ? h : w) && shown.height() == (turned ? w : h), "the turned size");
    int u, v, c;
    if (FirstDifference(shown, rgb, o, w, h, tolerance, u, v, c)) {
        std::fprintf(stderr, "orientation %d, shown %d,%d channel %d: ours %d\n", o, u, v, c,
                     shown.constScanLine(v)[u * 3 + c]);
        Check(false, "the same pixels as the plain pass");
    }
    return 0;
}
