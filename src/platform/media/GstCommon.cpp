#include "platform/media/GstCommon.h"

#include <cstdlib>

namespace platform::gstcommon {

namespace {
constexpr guint kPlayFlagAudio = 0x2; // GST_PLAY_FLAG_AUDIO: the enum is not in a public header
}

bool Init() {
    // gst_init_check is idempotent, but its answer is kept so a failed start is not retried on
    // every cue.
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    return started;
}

GstElement *MakeAudioSink() {
    const char *description = std::getenv("TELVARO_AUDIO_SINK");
    if (!description || !*description)
        return nullptr;
    GError *error = nullptr;
    GstElement *bin = gst_parse_bin_from_description(description, TRUE, &error);
    if (error) {
        // A description with an unknown element may still give a partial bin; playing into it
        // would be silent in a way nobody could tell from the default sink's silence.
        g_error_free(error);
        if (bin)
            gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    return bin;
}

GstElement *MakeAudioPlaybin(const char *name) {
    if (!Init())
        return nullptr;
    GstElement *p = gst_element_factory_make("playbin", name);
    if (!p)
        return nullptr;
    g_object_set(p, "flags", kPlayFlagAudio, nullptr);
    if (GstElement *sink = MakeAudioSink())
        g_object_set(p, "audio-sink", sink, nullptr); // playbin sinks the floating reference
    return p;
}

void DropMessages(GstElement *pipeline) {
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_flushing(bus, FALSE);
    gst_object_unref(bus);
}

} // namespace platform::gstcommon
