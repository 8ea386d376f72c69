#include "picture/JpegDecoder.h"

#include "picture/JpegBandFinisher.h"
#include "platform/Clock.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

// Everything the library touches lives here, on the heap, out of the way of its longjmp: no
// object with a destructor is ever on a stack frame that a longjmp skips.
struct TJpegDecoder::TState {
    jpeg_decompress_struct Info;
    jpeg_error_mgr Err;
    jpeg_progress_mgr Progress;
    std::jmp_buf Jump;
    TJpegDecoder *Owner = nullptr;
    bool Created = false;
    std::vector<JSAMPLE> Cmyk;
    std::vector<JSAMPLE> Turned;  // two bands in RGB on their way to a turned bitmap
};

namespace {

using TState = TJpegDecoder::TState;

TState *StateOf(j_common_ptr info) { return static_cast<TState *>(info->client_data); }

// The library's default ends the process; ours returns to the decoding step.
void ErrorExit(j_common_ptr info) { std::longjmp(StateOf(info)->Jump, 1); }

void OutputMessage(j_common_ptr) {}

void Prepare(TState *st, const QByteArray &bytes, const TDecodeLimits &limits) {
    st->Info.err = jpeg_std_error(&st->Err);
    st->Err.error_exit = ErrorExit;
    st->Err.output_message = OutputMessage;
    st->Info.client_data = st;
    st->Created = true;
    jpeg_create_decompress(&st->Info);
    st->Info.client_data = st;
    st->Info.mem->max_memory_to_use = long(std::min<qint64>(limits.MaxBytes, LONG_MAX));
    jpeg_mem_src(&st->Info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
}

bool IsCmykSpace(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

struct THeader {
    int Width = 0, Height = 0, HalfWidth = 0, HalfHeight = 0, Components = 0;
    int Orientation = 1;
    QByteArray Icc;
    bool Cmyk = false;
    bool CmykInverted = false;
};

// The tag of the first EXIF block among the saved APP1 markers.
int OrientationOf(const jpeg_decompress_struct &info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif", 4) == 0)
            return ExifOrientation(m->data, m->data_length);
    return 1;
}

// The ICC profile, joined from its APP2 chunks by the library (which checks their numbering).
QByteArray IccOf(jpeg_decompress_struct &info) {
    JOCTET *data = nullptr;
    unsigned int length = 0;
    QByteArray icc;
    if (jpeg_read_icc_profile(&info, &data, &length) && data)
        icc = QByteArray(reinterpret_cast<const char *>(data), qsizetype(length));
    std::free(data);
    return icc;
}

bool ReadHeader(TState *st, const QByteArray &bytes, const TDecodeLimits &limits, THeader &h) {
    if (setjmp(st->Jump))
        return false;
    Prepare(st, bytes, limits);
    // What a camera says about showing its picture: the orientation (APP1) and the colour
    // profile (APP2, possibly in several chunks). Only the header's reading keeps them.
    jpeg_save_markers(&st->Info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&st->Info, JPEG_APP0 + 2, 0xFFFF);
    if (jpeg_read_header(&st->Info, TRUE) != JPEG_HEADER_OK)
        return false;
    h.Orientation = OrientationOf(st->Info);
    h.Icc = IccOf(st->Info);
    h.Width = int(st->Info.image_width);
    h.Height = int(st->Info.image_height);
    h.Components = st->Info.num_components;
    h.Cmyk = IsCmykSpace(st->Info.jpeg_color_space);
    h.CmykInverted = h.Cmyk && st->Info.saw_Adobe_marker;
    st->Info.scale_num = 1;
    st->Info.scale_denom = 2;
    jpeg_calc_output_dimensions(&st->Info);
    h.HalfWidth = int(st->Info.output_width);
    h.HalfHeight = int(st->Info.output_height);
    return true;
}

void Release(TState *st) {
    if (st && st->Created)
        jpeg_destroy_decompress(&st->Info);
    if (st)
        st->Created = false;
}

qint64 BitmapBytes(int w, int h) { return ((qint64(w) * 3 + 3) / 4 * 4) * h; }

// Adobe's writers store CMYK inverted (0 = full ink) and mark the file; others store it plain.
void CmykToRgb(const JSAMPLE *src, uchar *dst, int width, bool inverted) {
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        int c = src[0], m = src[1], y = src[2], k = src[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = uchar((c * k + 127) / 255);
        dst[1] = uchar((m * k + 127) / 255);
        dst[2] = uchar((y * k + 127) / 255);
    }
}

} // namespace

extern "C" {
static void TelvaroJpegProgress(j_common_ptr info) {
    TState *st = StateOf(info);
    st->Owner->InputProgressHook();
}
}

TJpegDecoder::TJpegDecoder() = default;

TJpegDecoder::~TJpegDecoder() { ReleaseState(); }

void TJpegDecoder::ReleaseState() {
    Release(FState.get());
    FState.reset();
}

bool TJpegDecoder::Load(const QByteArray &bytes, const TDecodeLimits &limits) {
    if (FDecoding)
        return false;
    auto st = std::make_unique<TState>();
    THeader h;
    const bool ok = ReadHeader(st.get(), bytes, limits, h);
    Release(st.get());
    if (!ok || h.Width <= 0 || h.Height <= 0 || h.HalfWidth <= 0 || h.HalfHeight <= 0)
        return false;
    if (BitmapBytes(h.HalfWidth, h.HalfHeight) > limits.MaxBytes)
        return false;
    FBytes = bytes;
    FLimits = limits;
    FFileWidth = h.Width;
    FFileHeight = h.Height;
    FHalfWidth = h.HalfWidth;
    FHalfHeight = h.HalfHeight;
    FComponents = h.Components;
    FCmyk = h.Cmyk;
    FCmykInverted = h.CmykInverted;
    FFileOrientation = h.Orientation;
    FIcc = h.Icc;
    FOrientation = 1;
    FColour.reset();
    FHalf = false;
    FDecoded = false;
    FWarnings = false;
    FBitmap = QImage();
    FRowsDone = 0;
    return true;
}

void TJpegDecoder::SetHalfScale(bool half) {
    if (FDecoding || half == FHalf)
        return;
    FHalf = half;
    FDecoded = false;
    FBitmap = QImage();
    FRowsDone = 0;
}

void TJpegDecoder::SetOrientation(int orientation) {
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    if (FDecoding || orientation == FOrientation)
        return;
    FOrientation = orientation;
    FDecoded = false;
    FBitmap = QImage();
    FRowsDone = 0;
}

void TJpegDecoder::SetColourTransform(std::shared_ptr<const TColourTransform> transform) {
    if (FDecoding || transform == FColour)
        return;
    FColour = std::move(transform);
    FDecoded = false;
    FBitmap = QImage();
    FRowsDone = 0;
}

// Stored rows First to First + Count - 1 (RGB, one after the other in Rows) go to their places
// in the turned bitmap. Turned by a quarter, the pixels of one stored column lie side by side in
// one row of the bitmap: a tile of kTile stored columns writes to kTile rows of the bitmap, a few
// cache lines each, which stay in the cache while the band's rows fill them one pixel at a time.
void TJpegDecoder::PutRows(const uchar *rows, int first, int count) {
    constexpr int kTile = 32;
    const int w = StoredWidth(), h = StoredHeight();
    const qsizetype bpl = FBpl, stride = qsizetype(w) * 3;
    const TOrientedPlace p = OrientedPlace(FOrientation, 0, first, w, h);
    const TOrientedPlace next = OrientedPlace(FOrientation, 0, first + 1, w, h);
    const qsizetype columnStep = qsizetype(p.StepX) * 3 + qsizetype(p.StepY) * bpl;
    const qsizetype rowStep = qsizetype(next.X - p.X) * 3 + qsizetype(next.Y - p.Y) * bpl;
    uchar *const origin = FBits + qsizetype(p.Y) * bpl + qsizetype(p.X) * 3;
    for (int x0 = 0; x0 < w; x0 += kTile) {
        const int end = std::min(w, x0 + kTile);
        for (int i = 0; i < count; ++i) {
            const uchar *src = rows + i * stride + qsizetype(x0) * 3;
            uchar *dst = origin + i * rowStep + x0 * columnStep;
            for (int x = x0; x < end; ++x, src += 3, dst += columnStep)
                std::memcpy(dst, src, 3);
        }
    }
}

void TJpegDecoder::FinishBand(const TBand &band) {
    if (FColour && FColour->ConvertsRgbRows())
        FColour->ApplyRows(band.Rows, StoredWidth(), band.Count, band.Stride);
    if (FOrientation != 1)
        PutRows(band.Rows, band.First, band.Count);
}

void TJpegDecoder::Report(TProgressStage stage, bool force) {
    if (!FProgress || !*FProgress)
        return;
    const quint32 now = platform::TickCount();
    if (!force && quint32(now - FLastReport) < kProgressIntervalMs)
        return;
    FLastReport = now;
    // What progress paints must be final: the bands handed over are finished first.
    if (FFinisher) {
        FFinisher->WaitUntil(0);
        FRowsDone = FRowsQueued;
    }
    TProgressReport r;
    r.Stage = stage;
    const int h = std::max(1, StoredHeight());
    if (stage == TProgressStage::Ending) {
        r.Percent = 100;
    } else if (FMultiScan) {
        // A multi-scan file does most of its work reading its scans, before any row comes out.
        if (FInInput && FState) {
            const jpeg_progress_mgr &p = FState->Progress;
            const long limit = std::max(1L, p.pass_limit);
            r.Percent = int(std::min(90L, 90 * std::min(p.pass_counter, limit) / limit));
        } else {
            r.Percent = 90 + int(qint64(10) * FRowsDone / h);
        }
    } else {
        r.Percent = int(qint64(100) * FRowsDone / h);
    }
    r.Band = QRect(0, FRowsReported, Width(), FRowsDone - FRowsReported);
    r.Redraw = r.Band.height() > 3;
    // Turned, a stored row is a column or lies elsewhere: the band is the whole picture.
    if (FOrientation != 1)
        r.Band = QRect(0, 0, Width(), Height());
    FRowsReported = FRowsDone;
    if (!(*FProgress)(r))
        FStop = true;
}

void TJpegDecoder::InputProgressHook() {
    TState *st = FState.get();
    if (st->Info.input_scan_number > FLimits.MaxScans)
        std::longjmp(st->Jump, 1);
    if (!FInInput)
        return;
    Report(TProgressStage::Running, false);
    if (FStop)
        std::longjmp(st->Jump, 2);
}

int TJpegDecoder::RunDecode() {
    TState *const st = FState.get();
    j_decompress_ptr const info = &st->Info;
    if (const int jumped = setjmp(st->Jump))
        return jumped;
    Prepare(st, FBytes, FLimits);
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK)
        return 1;
    st->Progress.progress_monitor = TelvaroJpegProgress;
    info->progress = &st->Progress;
    if (FHalf) {
        info->scale_num = 1;
        info->scale_denom = 2;
    }
    const bool cmyk = IsCmykSpace(info->jpeg_color_space);
    info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGB;
    jpeg_calc_output_dimensions(info);
    const int w = int(info->output_width), h = int(info->output_height);
    if (w != StoredWidth() || h != StoredHeight() || BitmapBytes(w, h) > FLimits.MaxBytes)
        return 1;
    const bool turned = FOrientation != 1;
    FBitmap = QImage(Width(), Height(), QImage::Format_RGB888);
    if (FBitmap.isNull())
        return 1;
    FBitmap.fill(0);
    // From here on the pixels are reached through these alone: the finishing thread writes
    // them too, and QImage's own accessors would touch its shared counters.
    FBits = FBitmap.bits();
    FBpl = FBitmap.bytesPerLine();
    if (cmyk)
        st->Cmyk.resize(size_t(w) * 4 * 16);
    // Converted or turned, rows go out in bands of kBand: a turned bitmap's row then takes a
    // run of pixels per band, not a scatter of short writes across the whole picture per row,
    // and the finishing thread is woken once per band. Two band buffers let the library fill
    // one while the other is turned.
    constexpr int kBand = 64;
    // A CMYK picture's profile converts its inks as they come out of the library instead.
    const bool recolour = FColour && FColour->ConvertsRgbRows();
    const bool finishing = turned || recolour;
    if (turned)
        st->Turned.resize(size_t(w) * 3 * kBand * 2);
    // A second thread for a decode someone is waiting for, one that reports progress (the
    // viewer's own). A picture prepared ahead runs off the window's thread already: a second
    // thread there would take the core the window needs for input. A small picture is finished
    // faster than a thread starts.
    const bool watched = FProgress && *FProgress;
    if (finishing && watched && qint64(w) * h >= FThreadedFinishFrom)
        FFinisher = std::make_unique<TBandFinisher>(this);
    FMultiScan = jpeg_has_multiple_scans(info);
    FInInput = true;
    jpeg_start_decompress(info);
    FInInput = false;
    if (FStop)
        return 2;
    for (int band = 0; info->output_scanline < info->output_height; ++band) {
        const int first = int(info->output_scanline);
        const int want = std::min(finishing && !cmyk ? kBand : 16, h - first);
        uchar *const buffer = turned ? st->Turned.data() + size_t(band % 2) * size_t(w) * 3 * kBand : nullptr;
        // The band that used this buffer two bands ago must be done with it.
        if (FFinisher)
            FFinisher->WaitUntil(1);
        JSAMPROW rows[kBand];
        for (int i = 0; i < want; ++i)
            rows[i] = cmyk     ? st->Cmyk.data() + size_t(i) * size_t(w) * 4
                      : turned ? buffer + size_t(i) * size_t(w) * 3
                               : FBits + (first + i) * FBpl;
        // The library hands out a few rows per call; a band is filled by several.
        int got = 0;
        while (got < want) {
            const int n = int(jpeg_read_scanlines(info, rows + got, JDIMENSION(want - got)));
            if (n <= 0)
                break;
            got += n;
        }
        if (got <= 0)
            return 1;
        if (cmyk)
            for (int i = 0; i < got; ++i) {
                uchar *rgb = turned ? buffer + size_t(i) * size_t(w) * 3 : FBits + (first + i) * FBpl;
                if (FColour && !recolour)
                    FColour->ConvertCmyk(rows[i], rgb, w);
                else
                    CmykToRgb(rows[i], rgb, w, info->saw_Adobe_marker);
            }
        const TBand out{turned ? buffer : FBits + first * FBpl, first, got, turned ? qsizetype(w) * 3 : FBpl};
        FRowsQueued = first + got;
        if (FFinisher) {
            FFinisher->Submit(out);
        } else {
            if (finishing)
                FinishBand(out);
            FRowsDone = FRowsQueued;
        }
        Report(TProgressStage::Running, false);
        if (FStop)
            return 2;
    }
    if (FFinisher) {
        FFinisher->WaitUntil(0);
        FRowsDone = FRowsQueued;
    }
    // The rest of the file (up to its end marker) is not needed.
    return 0;
}

bool TJpegDecoder::Decode(const TProgressCallback &progress) {
    if (FDecoding || FBytes.isEmpty())
        return false;
    if (FDecoded)
        return true;
    FDecoding = true;
    FStop = false;
    FWarnings = false;
    FMultiScan = false;
    FInInput = false;
    FRowsDone = FRowsReported = FRowsQueued = 0;
    FProgress = &progress;
    // A decode without progress (a picture prepared ahead, off the GUI thread) never reads the clock.
    FLastReport = progress ? platform::TickCount() : 0;
    FState = std::make_unique<TState>();
    FState->Owner = this;
    Report(TProgressStage::Starting, true);
    const int rc = FStop ? 2 : RunDecode();
    // Whatever ended the decoding, the finishing thread lets go of the buffers and the bitmap.
    FFinisher.reset();
    FBits = nullptr;
    FWarnings = FState->Err.num_warnings > 0;
    ReleaseState();
    if (rc == 0) {
        FDecoded = true;
        FRowsDone = StoredHeight();
        Report(TProgressStage::Ending, true);
    } else {
        FBitmap = QImage();
        FRowsDone = 0;
    }
    FProgress = nullptr;
    FDecoding = false;
    return rc == 0;
}
