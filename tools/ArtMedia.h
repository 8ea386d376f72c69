#pragma once
// Sounds and documents of the sample disc, synthesised so that the disc needs no recorded
// material and every run gives the same bytes.
#include <QByteArray>
#include <QString>

namespace art {

// The button cue: a short, soft wooden "tock" (22050 Hz, 16-bit mono PCM).
QByteArray ClickWav();
// A bell-like arpeggio over four chords, Seconds long (22050 Hz, 16-bit mono PCM).
QByteArray TuneWav(double seconds);
// Slowly changing soft chords, Seconds long (22050 Hz, 16-bit mono PCM).
QByteArray PadWav(double seconds);
// A small waltz as a standard MIDI file (format 0).
QByteArray WaltzMidi();
// A one-page manual of the disc as a PDF with the standard Helvetica fonts.
QByteArray ManualPdf();

bool WriteFile(const QString &path, const QByteArray &bytes, QString &error);

} // namespace art
