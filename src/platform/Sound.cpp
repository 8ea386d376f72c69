#include "platform/Sound.h"

#include "platform/Files.h"
#include "platform/GstCommon.h"

#include <QByteArray>
#include <QUrl>

namespace platform {

namespace {

GstElement *gCue = nullptr;
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

} // namespace

bool PlaySoundFile(const QString &path, bool wait) {
    const QString real = ResolveCase(path);
    if (real.isEmpty() || !IsRegularFile(real)) {
        StopSound();
        return false;
    }
    GstElement *p = CuePlayer();
    if (!p)
        return false;
    const QByteArray uri = QUrl::fromLocalFile(real).toEncoded();

    // Every cue starts from nothing, also the same cue again: a pipeline kept prerolled would
    // save a millisecond, but it holds its connection to the sound server, and a server that
    // stopped or restarted meanwhile (nothing tells an idle pipeline) would leave every later
    // click silent.
    gst_element_set_state(p, GST_STATE_NULL);
    gstcommon::DropMessages(p);
    g_object_set(p, "uri", uri.constData(), nullptr);
    if (gst_element_set_state(p, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(p, GST_STATE_NULL);
        return false;
    }
    if (!wait)
        return true;

    // Bound the wait by the sound's own length, so nothing can hang it.
    GstState state;
    if (gst_element_get_state(p, &state, nullptr, kPrerollLimit) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(p, GST_STATE_NULL);
        return false;
    }
    gint64 length = -1;
    GstClockTime limit = kUnknownLength;
    if (gst_element_query_duration(p, GST_FORMAT_TIME, &length) && length > 0)
        limit = GstClockTime(length) + kEndMargin;
    const bool ended = WaitFor(p, GST_MESSAGE_EOS, limit);
    if (!ended)
        gst_element_set_state(p, GST_STATE_NULL);
    return ended;
}

void PrepareSound() { CuePlayer(); }

void StopSound() {
    if (!gCue)
        return;
    gst_element_set_state(gCue, GST_STATE_NULL);
}

void ShutdownSound() {
    if (!gCue)
        return;
    gst_element_set_state(gCue, GST_STATE_NULL);
    gst_object_unref(gCue);
    gCue = nullptr;
}

} // namespace platform
