#pragma once
// The media layer's entry points, as the shared module libtelvaro_media.so hands them to the rest
// of the platform layer. The module holds all the GStreamer code, so the program maps GStreamer
// and its plugins only when a sound is first asked for, not before its window appears. Plain
// types only: the table is the whole contract between the loader and the module.

namespace platform::media {

// Raised when the table changes shape; a module of another version is refused.
constexpr int kTableVersion = 2;

// What a pipe tells its owner, from any thread, through its TEventSink.
enum TEvent : int {
    evSettled = 1, // the preparation finished, well or badly: WaitPipe answers at once now
    evEnded = 2,   // played to its end
    evFailed = 3,  // an error after the preparation had finished well
};
using TEventSink = void (*)(void *context, int event);

// WaitPipe's answers.
enum TSettle : int { sePending = 0, seReady = 1, seBroken = 2 };

struct TPipe; // a playbin for one file, owned by whoever opened it

struct TTable {
    int Version;
    // False (for good) when GStreamer cannot start or has no playbin. Decided once.
    bool (*Available)();
    bool (*Mp3Supported)();

    // The cue player: a new cue cuts off the old one; Wait returns when it has ended or failed.
    bool (*PlayCue)(const char *uri, bool wait);
    void (*StopCue)();
    void (*FreeCue)();

    // Makes a playbin for Uri and starts its preparation (to paused, prerolled) on GStreamer's
    // own threads; returns at once. Null when no playbin can be made. Sink gets Context and the
    // events; after ClosePipe returns it is never called again.
    TPipe *(*OpenPipe)(const char *uri, TEventSink sink, void *context);
    // Waits at most LimitMs for the preparation; seReady and seBroken are final.
    int (*WaitPipe)(TPipe *pipe, int limitMs);
    // Only on a pipe WaitPipe has called ready.
    bool (*PlayPipe)(TPipe *pipe);
    bool (*PausePipe)(TPipe *pipe);
    bool (*SeekPipe)(TPipe *pipe, double seconds);
    // Seconds from the start; -1 when not known.
    double (*PipePosition)(TPipe *pipe);
    // Stops and frees the pipe, joining its threads.
    void (*ClosePipe)(TPipe *pipe);
};

} // namespace platform::media

// The module's one exported symbol.
extern "C" const platform::media::TTable *telvaro_media_table();
