#pragma once
// The JPEG decoder's second thread, which finishes the bands (colour, orientation). Only the
// decoder includes this.
#include "picture/JpegDecoder.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Converts and turns the bands on a thread of its own while the library decodes the next ones,
// so that on a second core a camera's photo costs hardly more than a plain one. It holds no
// state of the decoder: each band is handed over whole, and the decoder waits for it before it
// reuses the band's buffer, reads its rows or lets go of the bitmap.
class TJpegDecoder::TBandFinisher {
public:
    explicit TBandFinisher(TJpegDecoder *owner);
    // Finishes what was handed over, then ends the thread.
    ~TBandFinisher();
    void Submit(const TBand &band);
    // Waits until at most Pending bands handed over are still unfinished.
    void WaitUntil(int pending);

private:
    void Run();

    TJpegDecoder *const FOwner;
    std::mutex FMutex;
    std::condition_variable FWake, FDone;
    std::deque<TBand> FQueue;
    qint64 FSubmitted = 0, FFinished = 0;
    bool FQuit = false;
    std::thread FThread;  // last: it starts running once everything above exists
};
