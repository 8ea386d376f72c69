// The cue player: one playbin kept for the process, so a cue played again is only a seek.
#include "platform/media/GstCommon.h"

#include <string>

namespace platform::gstcue {

namespace {

GstElement *gCue = nullptr;
std::string gCueUri;
bool gInitFailed = false;

constexpr GstClockTime kPrerollLimit = 3 * GST_SECOND;
constexpr GstClockTime kEndMargin = GST_SECOND;
constexpr GstClockTime kUnknownLength = 10 * GST_SECOND;

GstElement *CuePlayer() {
    if (gCue || gInitFailed)
        return gCue;
    gCue = gstcommon::MakeAudioPlaybin("cue");
    gInitFailed = !gCue;
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

} // namespace

bool Play(const char *uri, bool wait) {
    GstElement *p = CuePlayer();
    if (!p)
        return false;

    if (gCueUri == uri && !HasFailed(p)) {
        // The same cue again: it is still prerolled, with its stream to the sound server open, so
        // a seek back to its start is enough (and no new stream clips the start of the sound).
        gstcommon::DropMessages(p);
        gst_element_set_state(p, GST_STATE_PAUSED);
        gst_element_seek_simple(p, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), 0);
    } else {
        gst_element_set_state(p, GST_STATE_NULL);
        gstcommon::DropMessages(p);
        g_object_set(p, "uri", uri, nullptr);
        gCueUri = uri;
    }
    if (gst_element_set_state(p, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(p, GST_STATE_NULL);
        gCueUri.clear();
        return false;
    }
    if (!wait)
        return true;

    // Bound the wait by the sound's own length, so nothing can hang it.
    GstState state;
    if (gst_element_get_state(p, &state, nullptr, kPrerollLimit) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(p, GST_STATE_NULL);
        gCueUri.clear();
        return false;
    }
    gint64 length = -1;
    GstClockTime limit = kUnknownLength;
    if (gst_element_query_duration(p, GST_FORMAT_TIME, &length) && length > 0)
        limit = GstClockTime(length) + kEndMargin;
    const bool ended = WaitFor(p, GST_MESSAGE_EOS, limit);
    if (!ended) {
        gst_element_set_state(p, GST_STATE_NULL);
        gCueUri.clear();
    }
    return ended;
}

void Prepare() { CuePlayer(); }

void Stop() {
    if (!gCue)
        return;
    gst_element_set_state(gCue, GST_STATE_NULL);
    gCueUri.clear();
}

void Free() {
    if (!gCue)
        return;
    gst_element_set_state(gCue, GST_STATE_NULL);
    gst_object_unref(gCue);
    gCue = nullptr;
    gCueUri.clear();
}

} // namespace platform::gstcue
