#pragma once
// Short sound cues (button clicks). One cue plays at a time: a new one cuts off the old.
// TELVARO_AUDIO_SINK, when set, is a GStreamer bin description used as the audio output
// (tests use "fakesink sync=true"); with no sound server playing is silent.
#include <QString>

namespace platform {

// Plays the file; with Wait, returns when it has ended (or failed), without dispatching any
// input. False when the file cannot be played; nothing is ever shown.
bool PlaySoundFile(const QString &path, bool wait);
void StopSound();
// Starts loading the sound system on a thread of its own, at the first sign that a person is
// about to use the window, so that the first cue does not wait for it. Once; returns at once.
void PreloadSound();
// Frees the cue player (at shutdown).
void ShutdownSound();

} // namespace platform
