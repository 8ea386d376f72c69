#include "picture/JpegBandFinisher.h"

TJpegDecoder::TBandFinisher::TBandFinisher(TJpegDecoder *owner) : FOwner(owner), FThread([this] { Run(); }) {}

TJpegDecoder::TBandFinisher::~TBandFinisher() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQuit = true;
    }
    FWake.notify_all();
    FThread.join();
}

void TJpegDecoder::TBandFinisher::Submit(const TBand &band) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQueue.push_back(band);
        ++FSubmitted;
    }
    FWake.notify_all();
}

void TJpegDecoder::TBandFinisher::WaitUntil(int pending) {
    std::unique_lock<std::mutex> lock(FMutex);
    FDone.wait(lock, [&] { return FSubmitted - FFinished <= pending; });
}

void TJpegDecoder::TBandFinisher::Run() {
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        FWake.wait(lock, [&] { return FQuit || !FQueue.empty(); });
        if (FQueue.empty())
            return;
        const TBand band = FQueue.front();
        FQueue.pop_front();
        lock.unlock();
        FOwner->FinishBand(band);
        lock.lock();
        ++FFinished;
        FDone.notify_all();
    }
}
