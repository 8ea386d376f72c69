// The music player's pipes: a playbin per file, prepared on GStreamer's own threads so that
// opening a track never holds the caller, and watched through the bus's sync handler.
#include "platform/MediaModule.h"
#include "platform/media/GstCommon.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace platform::gstpipe {

namespace {

// At the synthesiser's own gain (0.2) a General-MIDI piece sounds about 20 dB quieter than a
// mastered track. At 2.0 a waltz of a few voices reaches the loudness of the disc's MP3 and WAV
// tracks (RMS about -20 dBFS, peaks about -5 dBFS) and keeps some headroom for denser pieces.
constexpr double kMidiGain = 2.0;

// The synthesiser, left to itself, loads the first file it can read from its data folders, which
// need not be a General-MIDI set. Name one: the system's chosen default first.
std::string GeneralMidiSoundfont() {
    static const char *const folders[] = {"sounds/sf2", "soundfonts"};
    static const char *const names[] = {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"};
    for (const char *name : names)
        for (const gchar *const *dir = g_get_system_data_dirs(); *dir; ++dir)
            for (const char *folder : folders) {
                gchar *path = g_build_filename(*dir, folder, name, nullptr);
                const bool found = g_file_test(path, G_FILE_TEST_IS_REGULAR);
                std::string result = found ? path : "";
                g_free(path);
                if (found)
                    return result;
            }
    return {};
}

// Streaming threads: decodebin makes the synthesiser while it plugs a MIDI file.
void OnElementSetup(GstElement *, GstElement *element, gpointer) {
    GstElementFactory *factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fluiddec") != 0)
        return;
    static const std::string soundfont = GeneralMidiSoundfont();
    g_object_set(element, "synth-gain", kMidiGain, nullptr);
    if (!soundfont.empty())
        g_object_set(element, "soundfont", soundfont.c_str(), nullptr);
}

// What the preparation, the bus's sync handler and the owner share. The handler and the
// preparation hold references of their own, so it outlives a pipe freed while they run.
struct TShared {
    media::TEventSink Sink = nullptr;
    void *Context = nullptr;

    // The preparation against ClosePipe: once Cancelled, the preparation changes no state.
    std::mutex StartLock;
    bool Cancelled = false;

    std::mutex Lock;
    std::condition_variable Changed;
    bool Prerolled = false;
    bool Errored = false;
    bool Opening = true; // errors settle the preparation instead of becoming evFailed

    // Any thread, Lock held.
    void Settle() {
        Changed.notify_all();
        if (Opening)
            Sink(Context, media::evSettled);
    }
};

using TSharedRef = std::shared_ptr<TShared>;

GstBusSyncReply OnBus(GstBus *, GstMessage *message, gpointer data) {
    TShared &shared = **static_cast<TSharedRef *>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE: {
        std::lock_guard guard(shared.Lock);
        shared.Prerolled = true;
        shared.Settle();
        break;
    }
    case GST_MESSAGE_ERROR: {
        std::lock_guard guard(shared.Lock);
        shared.Errored = true;
        if (shared.Opening)
            shared.Settle();
        else
            shared.Sink(shared.Context, media::evFailed);
        break;
    }
    case GST_MESSAGE_EOS:
        shared.Sink(shared.Context, media::evEnded);
        break;
    default:
        break;
    }
    // Nothing stays on the bus: it is never popped, so kept messages would pile up.
    return GST_BUS_DROP;
}

void DeleteRef(gpointer data) { delete static_cast<TSharedRef *>(data); }

// GStreamer's thread pool: typefinding, plugging the decoder and loading a MIDI sound bank all
// happen inside this state change, so it runs here rather than on the caller's thread.
void Prepare(GstElement *element, gpointer data) {
    TShared &shared = **static_cast<TSharedRef *>(data);
    std::lock_guard start(shared.StartLock);
    if (shared.Cancelled)
        return;
    const GstStateChangeReturn change = gst_element_set_state(element, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_ASYNC)
        return; // ASYNC_DONE or an error follows on the bus
    std::lock_guard guard(shared.Lock);
    if (change == GST_STATE_CHANGE_FAILURE)
        shared.Errored = true;
    else
        shared.Prerolled = true; // nothing to preroll
    shared.Settle();
}

} // namespace

} // namespace platform::gstpipe

struct platform::media::TPipe {
    GstElement *Element = nullptr;
    gstpipe::TSharedRef Shared;
};

namespace platform::gstpipe {

media::TPipe *Open(const char *uri, media::TEventSink sink, void *context) {
    GstElement *element = gstcommon::MakeAudioPlaybin(nullptr, uri);
    if (!element)
        return nullptr;
    auto *pipe = new media::TPipe{element, std::make_shared<TShared>()};
    pipe->Shared->Sink = sink;
    pipe->Shared->Context = context;
    g_signal_connect(element, "element-setup", G_CALLBACK(OnElementSetup), nullptr);
    g_object_set(element, "uri", uri, nullptr);
    GstBus *bus = gst_element_get_bus(element);
    gst_bus_set_sync_handler(bus, OnBus, new TSharedRef(pipe->Shared), DeleteRef);
    gst_object_unref(bus);
    gst_element_call_async(element, Prepare, new TSharedRef(pipe->Shared), DeleteRef);
    return pipe;
}

int Wait(media::TPipe *pipe, int limitMs) {
    TShared &shared = *pipe->Shared;
    std::unique_lock guard(shared.Lock);
    shared.Changed.wait_for(guard, std::chrono::milliseconds(limitMs),
                            [&] { return shared.Prerolled || shared.Errored; });
    if (!shared.Prerolled && !shared.Errored)
        return media::sePending;
    // An error that came after the preroll but before this answer still breaks the pipe: it is
    // not lost between the preparation and the events.
    shared.Opening = false;
    return shared.Errored ? media::seBroken : media::seReady;
}

bool Play(media::TPipe *pipe) {
    return gst_element_set_state(pipe->Element, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool Pause(media::TPipe *pipe) {
    return gst_element_set_state(pipe->Element, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool Seek(media::TPipe *pipe, double seconds) {
    const gint64 at = seconds > 0 ? gint64(seconds * GST_SECOND) : 0;
    return gst_element_seek_simple(pipe->Element, GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), at);
}

double Position(media::TPipe *pipe) {
    gint64 at = -1;
    if (!gst_element_query_position(pipe->Element, GST_FORMAT_TIME, &at) || at < 0)
        return -1;
    return double(at) / GST_SECOND;
}

void Close(media::TPipe *pipe) {
    {
        // Waits for a preparation under way to leave its state change: after this, none starts.
        std::lock_guard start(pipe->Shared->StartLock);
        pipe->Shared->Cancelled = true;
    }
    // NULL joins the streaming threads; the sync handler goes with them, so nothing reaches the
    // sink after this returns.
    gst_element_set_state(pipe->Element, GST_STATE_NULL);
    GstBus *bus = gst_element_get_bus(pipe->Element);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipe->Element);
    delete pipe;
}

} // namespace platform::gstpipe
