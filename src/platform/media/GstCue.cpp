// The cue player: one playbin kept for the process, so that a cue played again loads nothing and
// stays connected to the sound server.
//
// How a cue starts, and why:
// 1. On a new stream each time (the player goes down to READY and up to PLAYING). A stream flushed
//    by a seek and started again may read its clock hours off, and that cue and every later one
//    on it are never heard; a stream made ahead and left corked has a clock that runs meanwhile,
//    and its cue sounds as much later.
// 2. After a lead-in of silence, when it plays through a sound server. A PulseAudio server that
//    is already playing drops the first moments of a stream that starts, up to about its own
//    latency: much or all of a click. The lead-in is what it drops instead.
#include "platform/media/GstCommon.h"

#include <string>

namespace platform::gstcue {

namespace {

GstElement *gCue = nullptr;
std::string gCueUri;
bool gInitFailed = false;

// A server at 20 ms of latency was seen to drop up to 20 ms, one at 100 ms up to 55. A server
// that drops nothing (PipeWire) plays the cue this much later.
constexpr GstClockTimeDiff kLeadIn = 60 * GST_MSECOND;
constexpr GstClockTime kPrerollLimit = 3 * GST_SECOND;
constexpr GstClockTime kEndMargin = GST_SECOND;
constexpr GstClockTime kUnknownLength = 10 * GST_SECOND;

// The lead-in goes to a stream to a PulseAudio server (PipeWire's service for it included) only:
// nothing else drops the start of a stream, and anywhere else it would only delay the cue.
void OnElementAdded(GstBin *, GstBin *, GstElement *element, gpointer) {
    GstElementFactory *factory = gst_element_get_factory(element);
    if (factory && g_str_equal(GST_OBJECT_NAME(factory), "pulsesink"))
        g_object_set(element, "ts-offset", kLeadIn, nullptr);
}

GstElement *CuePlayer() {
    if (gCue || gInitFailed)
        return gCue;
    gCue = gstcommon::MakeAudioPlaybin("cue");
    gInitFailed = !gCue;
    if (gCue)
        g_signal_connect(gCue, "deep-element-added", G_CALLBACK(OnElementAdded), nullptr);
    return gCue;
}

// Waits on the cue's own bus for one of Types; false on an error or when Limit passes.
bool WaitFor(GstElement *p, GstMessageType types, GstClockTime limit) {
    GstBus *bus = gst_element_get_bus(p);
    bool ok = false;
    const GstMessageType want = GstMessageType(types | GST_MESSAGE_ERROR);
    if (GstMessage *m = gst_bus_timed_pop_filtered(bus, limit, want)) {
        ok = GST_MESSAGE_TYPE(m) != GST_MESSAGE_ERROR;
        gst_message_unref(m);
    }
    gst_object_unref(bus);
    return ok;
}

// True when the cue reported an error since it last started: its connection to the sound
// server is gone (the server stopped or restarted), and only a start from nothing makes a new one.
// An idle cue learns nothing of it, so the first cue after a server came back is lost, and the
// next one sounds again.
bool HasFailed(GstElement *p) {
    GstBus *bus = gst_element_get_bus(p);
    GstMessage *m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (!m)
        return false;
    gst_message_unref(m);
    return true;
}

void Forget(GstElement *p) {
    gst_element_set_state(p, GST_STATE_NULL);
    gCueUri.clear();
}

} // namespace

bool Play(const char *uri, bool wait) {
    GstElement *p = CuePlayer();
    if (!p)
        return false;

    if (gCueUri != uri || HasFailed(p)) {
        gst_element_set_state(p, GST_STATE_NULL);
        g_object_set(p, "uri", uri, nullptr);
        gCueUri = uri;
    } else {
        // Stops the cue still sounding, if any, and closes its stream.
        gst_element_set_state(p, GST_STATE_READY);
    }
    gstcommon::DropMessages(p);
    if (gst_element_set_state(p, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        Forget(p);
        return false;
    }
    if (!wait)
        return true;

    // Bound the wait by the sound's own length, so nothing can hang it.
    GstState state;
    if (gst_element_get_state(p, &state, nullptr, kPrerollLimit) == GST_STATE_CHANGE_FAILURE) {
        Forget(p);
        return false;
    }
    gint64 length = -1;
    GstClockTime limit = kUnknownLength;
    if (gst_element_query_duration(p, GST_FORMAT_TIME, &length) && length > 0)
        limit = GstClockTime(length) + kLeadIn + kEndMargin;
    const bool ended = WaitFor(p, GST_MESSAGE_EOS, limit);
    if (!ended)
        Forget(p);
    return ended;
}

void Stop() {
    if (!gCue)
        return;
    Forget(gCue);
}

void Free() {
    if (!gCue)
        return;
    Forget(gCue);
    gst_object_unref(gCue);
    gCue = nullptr;
}

} // namespace platform::gstcue
