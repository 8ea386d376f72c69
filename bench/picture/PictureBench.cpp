// The picture core side by side with its peers: our GIF decoder and giflib on the same files,
// ResampleBilinear and Qt's smooth scaling, our JPEG load-and-decode and the JPEG library alone.
// Prints the ratios at the end; asserts nothing.
#include "picture/GifDecoder.h"
#include "picture/Picture.h"
#include "picture/Resample.h"

#include "support/JpegWriter.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

namespace {

// A smooth picture with some texture, like a photograph.
unsigned char Sample(int x, int y, int c, int w, int h) {
    const double fx = double(x) / w, fy = double(y) / h;
    const double v = 0.5 + 0.25 * std::sin(fx * 9 + c * 1.7) * std::cos(fy * 7 - c) +
                     0.2 * std::sin((fx + fy) * 40 + c) + 0.05 * std::sin(x * 0.9 + y * 1.3);
    return (unsigned char)std::clamp(int(v * 255), 0, 255);
}

int WriteToVector(GifFileType *gif, const GifByteType *bytes, int n) {
    auto *out = static_cast<std::vector<char> *>(gif->UserData);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}

// An animation of Frames frames of W x H with a 256-colour palette, written by giflib.
QByteArray MakeGif(int w, int h, int frames) {
    std::vector<char> out;
    int err = 0;
    GifFileType *gif = EGifOpen(&out, WriteToVector, &err);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = {GifByteType(i), GifByteType((i * 7) & 255), GifByteType(255 - i)};
    ColorMapObject *map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    std::vector<GifPixelType> row(static_cast<size_t>(w));
    for (int f = 0; f < frames; ++f) {
        GraphicsControlBlock gcb = {DISPOSE_DO_NOT, false, 5, NO_TRANSPARENT_COLOR};
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                row[size_t(x)] = GifPixelType(Sample(x + f * 13, y, 0, w, h) / 16 * 16 + Sample(x, y + f, 1, w, h) / 16);
            EGifPutLine(gif, row.data(), w);
        }
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray MakeJpeg(int w, int h) {
    return testjpeg::Write(w, h, 3, 85, [&](int y, unsigned char *row) {
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k)
                row[size_t(x) * 3 + size_t(k)] = Sample(x, y, k, w, h);
    });
}

const QByteArray &AnimatedGif() {
    static const QByteArray bytes = MakeGif(640, 480, 12);
    return bytes;
}
const QByteArray &LargeGif() {
    static const QByteArray bytes = MakeGif(2000, 1500, 1);
    return bytes;
}
const QByteArray &PhotoJpeg() {
    static const QByteArray bytes = MakeJpeg(6000, 4000);
    return bytes;
}
const QImage &PhotoRgb() {
    static const QImage image = [] {
        QImage img(2000, 1500, QImage::Format_RGB888);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                for (int k = 0; k < 3; ++k)
                    img.scanLine(y)[3 * x + k] = Sample(x, y, k, 2000, 1500);
        return img;
    }();
    return image;
}

struct TMemReader {
    const QByteArray *Bytes;
    qsizetype Pos;
};

int ReadFromMemory(GifFileType *gif, GifByteType *out, int n) {
    auto *r = static_cast<TMemReader *>(gif->UserData);
    const int take = int(std::min<qsizetype>(n, r->Bytes->size() - r->Pos));
    std::memcpy(out, r->Bytes->constData() + r->Pos, size_t(take));
    r->Pos += take;
    return take;
}

void GifOurs(benchmark::State &state, const QByteArray &bytes) {
    for (auto _ : state) {
        TGifImage gif;
        benchmark::DoNotOptimize(gif.Load(bytes));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void GifGiflib(benchmark::State &state, const QByteArray &bytes) {
    for (auto _ : state) {
        TMemReader reader{&bytes, 0};
        int err = 0;
        GifFileType *gif = DGifOpen(&reader, ReadFromMemory, &err);
        benchmark::DoNotOptimize(DGifSlurp(gif));
        DGifCloseFile(gif, &err);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_GifAnimatedOurs(benchmark::State &s) { GifOurs(s, AnimatedGif()); }
void BM_GifAnimatedGiflib(benchmark::State &s) { GifGiflib(s, AnimatedGif()); }
void BM_GifLargeOurs(benchmark::State &s) { GifOurs(s, LargeGif()); }
void BM_GifLargeGiflib(benchmark::State &s) { GifGiflib(s, LargeGif()); }

constexpr int kFitW = 1894, kFitH = 1019;

void BM_ResampleOurs(benchmark::State &state) {
    const QImage &src = PhotoRgb();
    QImage dst(kFitW, kFitH, QImage::Format_RGB888);
    for (auto _ : state) {
        ResampleBilinear(src, dst);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter(double(kFitW) * kFitH * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ResampleQtSmooth(benchmark::State &state) {
    const QImage &src = PhotoRgb();
    for (auto _ : state) {
        QImage dst = src.scaled(kFitW, kFitH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(dst.constBits());
    }
    state.counters["MP/s"] = benchmark::Counter(double(kFitW) * kFitH * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_JpegHalfOurs(benchmark::State &state) {
    const QByteArray &bytes = PhotoJpeg();
    for (auto _ : state) {
        TPicture picture;
        picture.LoadFromData(bytes, TPictureFormat::Jpeg);
        picture.SetHalfScale(NeedsHalfScale(picture.FileWidth(), picture.FileHeight()));
        benchmark::DoNotOptimize(picture.Decode());
    }
}

void BM_JpegHalfLibraryAlone(benchmark::State &state) {
    const QByteArray &bytes = PhotoJpeg();
    std::vector<unsigned char> buffer;
    for (auto _ : state) {
        jpeg_decompress_struct d;
        jpeg_error_mgr err;
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, reinterpret_cast<const unsigned char *>(bytes.constData()), (unsigned long)bytes.size());
        jpeg_read_header(&d, TRUE);
        d.scale_num = 1;
        d.scale_denom = 2;
        d.out_color_space = JCS_EXT_RGB;
        jpeg_start_decompress(&d);
        const size_t stride = size_t(d.output_width) * 3;
        buffer.resize(stride * d.output_height);
        while (d.output_scanline < d.output_height) {
            JSAMPROW rows[16];
            const int n = int(std::min<JDIMENSION>(16, d.output_height - d.output_scanline));
            for (int i = 0; i < n; ++i)
                rows[i] = buffer.data() + stride * (d.output_scanline + JDIMENSION(i));
            jpeg_read_scanlines(&d, rows, JDIMENSION(n));
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        benchmark::DoNotOptimize(buffer.data());
    }
}

BENCHMARK(BM_GifAnimatedOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifAnimatedGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifLargeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifLargeGiflib)->Unit(benchmark::kMillisecond);
// Process CPU time: Qt spreads its smooth scaling over a thread pool.
BENCHMARK(BM_ResampleOurs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ResampleQtSmooth)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_JpegHalfOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegHalfLibraryAlone)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration so the ratios can be printed after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
            {
                Times[r.run_name.function_name] = r.GetAdjustedRealTime();
                CpuTimes[r.run_name.function_name] = r.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times, CpuTimes;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char *what, const char *ours, const char *peer, const char *aim) {
        const auto a = reporter.Times.find(ours), b = reporter.Times.find(peer);
        const auto c = reporter.CpuTimes.find(ours), d = reporter.CpuTimes.find(peer);
        if (a != reporter.Times.end() && b != reporter.Times.end() && a->second > 0 && c->second > 0)
            std::printf("%-44s %6.2f x the peer's speed in wall time, %6.2f x in CPU time (aim: %s)\n", what,
                        b->second / a->second, d->second / c->second, aim);
    };
    std::printf("\n");
    ratio("GIF decode, 640x480 x 12 frames, vs giflib", "BM_GifAnimatedOurs", "BM_GifAnimatedGiflib", ">= 3");
    ratio("GIF decode, 2000x1500, vs giflib", "BM_GifLargeOurs", "BM_GifLargeGiflib", ">= 3");
    ratio("ResampleBilinear vs Qt smooth scaling", "BM_ResampleOurs", "BM_ResampleQtSmooth", ">= 2");
    ratio("JPEG half-size decode vs the library alone", "BM_JpegHalfOurs", "BM_JpegHalfLibraryAlone", ">= 0.91");
    benchmark::Shutdown();
    return 0;
}
