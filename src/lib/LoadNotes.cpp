#include "lib/LoadNotes.h"

#include "platform/Profile.h"

bool ReadNotedBool(const platform::TProfile &ini, const QString &file, const QString &section, const QString &key,
                   bool Default, TLoadNotes *notes) {
    int number = 0;
    if (notes && ini.HasKey(section, key) && !platform::TProfile::ParseProfileInt(ini.ReadString(section, key), number))
        notes->push_back({TNoteCode::SettingNotNumber, file, section, key, ini.ReadString(section, key)});
    return ini.ReadBool(section, key, Default);
}

QString NoteCodeName(TNoteCode code) {
    // Scripts act on these names: they never change once published.
    switch (code) {
    case TNoteCode::ConfigNotFound: return QStringLiteral("config-not-found");
    case TNoteCode::ConfigElsewhere: return QStringLiteral("config-elsewhere");
    case TNoteCode::TopicsSectionMissing: return QStringLiteral("topics-section-missing");
    case TNoteCode::TopicNamesCut: return QStringLiteral("topic-names-cut");
    case TNoteCode::TopicNameEmpty: return QStringLiteral("topic-name-empty");
    case TNoteCode::TopicValueEmpty: return QStringLiteral("topic-value-empty");
    case TNoteCode::TopicNoBaseName: return QStringLiteral("topic-no-base-name");
    case TNoteCode::TopicNotAFile: return QStringLiteral("topic-not-a-file");
    case TNoteCode::TopicFileMissing: return QStringLiteral("topic-file-missing");
    case TNoteCode::TopicNameRepeated: return QStringLiteral("topic-name-repeated");
    case TNoteCode::SettingNotNumber: return QStringLiteral("setting-not-number");
    case TNoteCode::ItemsFileMissing: return QStringLiteral("items-file-missing");
    case TNoteCode::ItemsNone: return QStringLiteral("items-none");
    case TNoteCode::ItemSectionsCut: return QStringLiteral("item-sections-cut");
    case TNoteCode::ItemSectionRepeated: return QStringLiteral("item-section-repeated");
    case TNoteCode::ItemFolderUnknown: return QStringLiteral("item-folder-unknown");
    case TNoteCode::ItemParentLater: return QStringLiteral("item-parent-later");
    case TNoteCode::ItemTextMissing: return QStringLiteral("item-text-missing");
    case TNoteCode::SkinBitmapMissing: return QStringLiteral("skin-bitmap-missing");
    case TNoteCode::SkinBitmapUnreadable: return QStringLiteral("skin-bitmap-unreadable");
    case TNoteCode::CuePathTooLong: return QStringLiteral("cue-path-too-long");
    case TNoteCode::CueMissing: return QStringLiteral("cue-missing");
    case TNoteCode::MusicFolderMissing: return QStringLiteral("music-folder-missing");
    case TNoteCode::MusicMp3Skipped: return QStringLiteral("music-mp3-skipped");
    case TNoteCode::MusicWavTooSmall: return QStringLiteral("music-wav-too-small");
    case TNoteCode::MusicNone: return QStringLiteral("music-none");
    case TNoteCode::TopicNoRegion: return QStringLiteral("topic-no-region");
    case TNoteCode::TopicRegionTaken: return QStringLiteral("topic-region-taken");
    case TNoteCode::MapLineNoRegion: return QStringLiteral("map-line-no-region");
    case TNoteCode::TargetMissing: return QStringLiteral("target-missing");
    case TNoteCode::CollectionMissing: return QStringLiteral("collection-missing");
    case TNoteCode::PictureFolderMissing: return QStringLiteral("picture-folder-missing");
    case TNoteCode::PicturesNone: return QStringLiteral("pictures-none");
    case TNoteCode::PictureUnreadable: return QStringLiteral("picture-unreadable");
    case TNoteCode::PictureDamaged: return QStringLiteral("picture-damaged");
    case TNoteCode::OtherCase: return QStringLiteral("other-case");
    }
    return {};
}
