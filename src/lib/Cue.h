#pragma once
// The button click and the pause around it: sound cues from the disc's resource folder, and a
// delay that keeps the program answering.
#include "lib/LoadNotes.h"

#include <QString>

// Waits for Ms milliseconds while handling pending events (at least once); ends early when the
// tick count wraps around.
void Delay(quint32 ms);

// Plays Folder + Name (an empty name stops the cue playing); Folder is the disc's GresDir.
// Paths over 255 characters are refused, as the original cue buffer could not hold them.
void PlayCue(const QString &folder, const QString &name, bool wait);
void StopCue();
constexpr int kMaxCuePath = 255;
// Folder + Name as the file a cue plays; empty for a path over kMaxCuePath characters. With
// Notes, that refusal is noted, and so is a file that is not there (the sound system would
// refuse it without a word).
QString CueFile(const QString &folder, const QString &name, TLoadNotes *notes = nullptr);
