#pragma once
// JPEG pictures through the JPEG library: the header at load, the pixels in an explicit decode
// step at full or half size, with throttled progress and rows readable while decoding goes on.
#include "picture/Colour.h"
#include "picture/Orientation.h"
#include "picture/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <functional>
#include <memory>

enum class TProgressStage { Starting, Running, Ending };

struct TProgressReport {
    TProgressStage Stage = TProgressStage::Starting;
    int Percent = 0;
    bool Redraw = false;
    QRect Band;  // rows decoded since the previous report, the whole output width
};

// Returns false to stop decoding.
using TProgressCallback = std::function<bool(const TProgressReport &)>;

// Running-stage reports come at most this often.
constexpr quint32 kProgressIntervalMs = 500;

class TJpegDecoder {
public:
    TJpegDecoder();
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder &) = delete;
    TJpegDecoder &operator=(const TJpegDecoder &) = delete;

    // Reads the header of Bytes (kept for decoding). False when it is no JPEG the library can
    // read, or when even its half-size pixels would break Limits.
    bool Load(const QByteArray &bytes, const TDecodeLimits &limits = {});

    int FileWidth() const { return FFileWidth; }
    int FileHeight() const { return FFileHeight; }
    int Components() const { return FComponents; }
    bool IsCmyk() const { return FCmyk; }
    // Stored as Adobe's writers store it: 0 is full ink.
    bool IsCmykInverted() const { return FCmykInverted; }
    // What the file says about showing it: its orientation tag (1, "as stored", when it has
    // none or an unusable one) and its embedded ICC profile (empty when none).
    int FileOrientation() const { return FFileOrientation; }
    const QByteArray &IccProfile() const { return FIcc; }

    // Chosen before decoding; changing it drops pixels decoded at the other size.
    bool HalfScale() const { return FHalf; }
    void SetHalfScale(bool half);
    // The orientation (1 to 8) the pixels are decoded into, chosen before decoding: the rows
    // land turned and mirrored as the tag says, so the bitmap stands as it is shown.
    int Orientation() const { return FOrientation; }
    void SetOrientation(int orientation);
    // The conversion of the pixels' colours to the screen's, chosen before decoding: each band
    // is converted as it comes out of the library, while it is in the cache, so that rows read
    // during decoding are final too. Null leaves the file's colours.
    void SetColourTransform(std::shared_ptr<const TColourTransform> transform);
    // The smallest picture (in pixels) whose turning and converting, in a decode that reports
    // progress, runs on a second thread; a million unless lowered (the fuzzer reaches the thread
    // with small pictures so).
    void SetThreadedFinishFrom(qint64 pixels) { FThreadedFinishFrom = pixels; }
    // The decoded size (the file's, or half of it rounded up), turned by the orientation.
    int Width() const { return SwapsAxes(FOrientation) ? StoredHeight() : StoredWidth(); }
    int Height() const { return SwapsAxes(FOrientation) ? StoredWidth() : StoredHeight(); }

    // Decodes the pixels (RGB888). Progress gets a Starting report, Running reports at most once
    // per kProgressIntervalMs (each with the band of rows since the previous report and a
    // redraw request when the band is more than 3 rows tall) and an Ending report with the
    // remaining rows, so that the bands together cover every row once. Progress returning
    // false stops the decoding (the result is then false and the picture not decoded). Not
    // re-entrant: a call made while decoding returns false.
    bool Decode(const TProgressCallback &progress = {});
    bool IsDecoded() const { return FDecoded; }
    bool IsDecoding() const { return FDecoding; }
    // The library had to make up data: the file ends early or holds damaged data. A file that
    // ends after valid rows shows them, with grey below.
    bool HadWarnings() const { return FWarnings; }

    // The output picture: rows [0, RowsDone()) are final; the rest is black while decoding.
    const QImage &Bitmap() const { return FBitmap; }
    int RowsDone() const { return FRowsDone; }

    struct TState;
    // Called by the library while it reads the scans of a multi-scan file.
    void InputProgressHook();

private:
    int StoredWidth() const { return FHalf ? FHalfWidth : FFileWidth; }
    int StoredHeight() const { return FHalf ? FHalfHeight : FFileHeight; }
    // Rows of the library's output on their way to the bitmap, converted and turned as they go.
    struct TBand {
        uchar *Rows = nullptr;
        int First = 0, Count = 0;
        qsizetype Stride = 0;
    };
    class TBandFinisher;  // JpegBandFinisher.h
    void FinishBand(const TBand &band);
    void PutRows(const uchar *rows, int first, int count);
    int RunDecode();
    void Report(TProgressStage stage, bool force);
    void ReleaseState();

    QByteArray FBytes;
    TDecodeLimits FLimits;
    int FFileWidth = 0, FFileHeight = 0, FHalfWidth = 0, FHalfHeight = 0;
    int FComponents = 0;
    int FFileOrientation = 1;
    int FOrientation = 1;
    QByteArray FIcc;
    bool FCmyk = false;
    bool FCmykInverted = false;
    bool FHalf = false;
    qint64 FThreadedFinishFrom = qint64(1) << 20;
    bool FDecoded = false;
    bool FDecoding = false;
    bool FWarnings = false;
    bool FStop = false;
    bool FMultiScan = false;
    bool FInInput = false;
    int FRowsDone = 0;
    int FRowsReported = 0;
    quint32 FLastReport = 0;
    const TProgressCallback *FProgress = nullptr;
    int FRowsQueued = 0;  // rows out of the library, finished or not
    QImage FBitmap;
    uchar *FBits = nullptr;  // FBitmap's pixels while decoding, shared with the finishing thread
    qsizetype FBpl = 0;
    std::shared_ptr<const TColourTransform> FColour;
    std::unique_ptr<TBandFinisher> FFinisher;
    std::unique_ptr<TState> FState;
};
