#pragma once
// What the cue player and the music player share: one GStreamer start for the process and an
// audio-only playbin that plays into the sink TELVARO_AUDIO_SINK describes. Internal to the
// media module (libtelvaro_media.so); nothing outside it includes GStreamer.
#include <gst/gst.h>

namespace platform::gstcommon {

// Starts GStreamer once, with what a click needs; false (for good) when it cannot start.
bool Init();
// Init, and every decoder the music may need.
bool InitAll();

// The sink TELVARO_AUDIO_SINK describes (a bin description, e.g. "fakesink sync=true"), or null
// for playbin's own choice. The variable is read at every call.
GstElement *MakeAudioSink();

// A playbin without video or subtitle branches, playing into MakeAudioSink(); null when
// GStreamer cannot start or has no playbin. The caller owns the reference. A music playbin
// (all) may meet any format; a click's is a WAV.
GstElement *MakeAudioPlaybin(const char *name, bool all = false);

// Throws away every message waiting on the element's bus.
void DropMessages(GstElement *pipeline);

} // namespace platform::gstcommon
