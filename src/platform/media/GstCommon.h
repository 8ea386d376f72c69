#pragma once
// What the cue player and the music player share: one GStreamer start for the process and an
// audio-only playbin that plays into the sink TELVARO_AUDIO_SINK describes. Internal to the
// media module (libtelvaro_media.so); nothing outside it includes GStreamer.
#include <gst/gst.h>

namespace platform::gstcommon {

// Starts GStreamer once, with what a click needs; false (for good) when it cannot start.
bool Init();
// A bundle's plugins that a track at uri needs (by its extension; all for an unknown one),
// loaded once; nothing to do outside a bundle, whose registry knows every plugin.
void LoadPluginsFor(const char *uri);

// The sink TELVARO_AUDIO_SINK describes (a bin description, e.g. "fakesink sync=true"), or null
// for playbin's own choice. The variable is read at every call.
GstElement *MakeAudioSink();

// A playbin without video or subtitle branches, playing into MakeAudioSink(); null when
// GStreamer cannot start or has no playbin. The caller owns the reference. With uri, what
// that track needs is loaded first (a click's WAV needs nothing more than Init's).
GstElement *MakeAudioPlaybin(const char *name, const char *uri = nullptr);

// Throws away every message waiting on the element's bus.
void DropMessages(GstElement *pipeline);

} // namespace platform::gstcommon
