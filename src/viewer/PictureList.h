#pragma once
// What the viewer lists, without a screen: how a target becomes a folder and a mask, the
// pictures found there, and the music folder's tracks. The viewer and telvaro-check both ask
// here, so the checker reports the lists the viewer will show.
#include "lib/LoadNotes.h"

#include <QString>
#include <QStringList>

// Smaller pictures are thumbnails or leftovers, not part of a collection.
constexpr qint32 kMinPictureBytes = 2048;
// Shorter WAV files are sound effects, not music.
constexpr qint32 kMinWavBytes = 524288;

struct TPictureTarget {
    QString Folder;  // empty: there is nothing to list
    QString Mask;
    QString File;    // the picture Target names, as found on disk; empty for a mask or a folder
};
// Target's folder part, and its file name as the mask when Target is a file or the name holds a
// dot and a star; every JPEG and GIF otherwise.
TPictureTarget PictureTargetOf(const QString &target);

// Where the viewer starts in a list: at the picture the target names, when the list holds it
// (a person who chose one picture sees that one, with its folder's others around it); else at
// the first.
int StartIndex(const QStringList &pictures, const TPictureTarget &target);

// The pictures of Target's folder tree that match its mask and have kMinPictureBytes or more,
// sorted by path ignoring case.
QStringList ListPictures(const TPictureTarget &target);

// The tracks of the music folder's tree: MP3 first (only where an MP3 decoder exists), then MIDI
// and MP2, then WAV files of kMinWavBytes or more. With Notes, a missing folder, an empty list
// and every file that is not taken are noted.
QStringList ListTracks(const QString &musicFolder, bool mp3Supported, TLoadNotes *notes = nullptr);
