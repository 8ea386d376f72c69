#pragma once
// What the loaders of a disc drop, repair, shorten or take from a fallback, told by the very
// branch that decides: a stable code, where, and the detail a message needs. The menu hands no
// list and pays nothing; telvaro-check hands one and prints it, so its reasons are the menu's.
#include <QString>

#include <vector>

enum class TNoteCode {
    // GES.INI and its topic list
    ConfigNotFound,       // no GES.INI in GresDir nor on an optical disc: Detail is GresDir
    ConfigElsewhere,      // the topics come from a copy outside GresDir; Ordenar and Visor keep their defaults
    TopicsSectionMissing, // the file has no [Temas]
    TopicNamesCut,        // the list of names outgrew the reader's buffer: Detail is how many were lost
    TopicNameEmpty,       // a line without a name
    TopicValueEmpty,      // a name without a file
    TopicNoBaseName,      // the file name without extension is empty: no region could choose it
    TopicNotAFile,        // the value names a folder or something else that is no file
    TopicFileMissing,     // the value names nothing that exists
    TopicNameRepeated,    // a second line of a name: another topic with the first line's file
    SettingNotNumber,     // a number setting that is none: its default applies; Detail is the value
    // a topic's items file
    ItemsFileMissing,
    ItemsNone,            // no section: the tree stays empty
    ItemSectionsCut,      // the list of sections outgrew the reader's buffer: Detail is how many were lost
    ItemSectionRepeated,  // another item with the first section's values
    ItemFolderUnknown,    // "Carpeta" names no earlier item: the item goes to the top level
    ItemParentLater,      // a path whose folder node does not exist yet when it is placed: top level
    ItemTextMissing,      // "Texto" names no file: no description
    // the skin, the click, the music
    SkinBitmapMissing,    // Detail is the folders searched, joined by ";"
    SkinBitmapUnreadable, // Detail is the reader's error
    CuePathTooLong,       // Detail is the limit
    CueMissing,
    MusicFolderMissing,
    MusicMp3Skipped,      // no MP3 decoder here: the file is no track
    MusicWavTooSmall,     // Detail is the floor in bytes
    MusicNone,            // Detail is the WAV floor in bytes
    // What the checker finds with the menu's functions, where no loader decides
    TopicNoRegion,
    TopicRegionTaken,     // Detail is the topic the region chooses
    MapLineNoRegion,
    TargetMissing,        // the tree shows the item broken
    CollectionMissing,    // a folder or mask target whose folder does not exist
    PictureFolderMissing,
    PicturesNone,         // Detail is the mask
    PictureUnreadable,
    PictureDamaged,
    OtherCase,            // Detail is the name as it exists
};

struct TLoadNote {
    TNoteCode Code;
    QString File;    // the file or folder the decision is about
    QString Section; // its INI section, when it is about one
    QString Key;     // its INI key, when it is about one
    QString Detail;
};
using TLoadNotes = std::vector<TLoadNote>;

namespace platform {
class TProfile;
}
// Ini's ReadBool, noting a value that is there but is no number (Default applies to it).
bool ReadNotedBool(const platform::TProfile &ini, const QString &file, const QString &section, const QString &key,
                   bool Default, TLoadNotes *notes);

// The code's stable name, as JSON and scripts see it ("topic-file-missing").
QString NoteCodeName(TNoteCode code);
