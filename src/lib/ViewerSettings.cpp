#include "lib/ViewerSettings.h"

#include "lib/DiscPaths.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace {
const QString kDefaultAutoCaption = QStringLiteral("Modo automático");
}

TViewerSettings ReadViewerSettings(const TDiscPaths &paths, TLoadNotes *notes) {
    const QString file = paths.GresDir + kConfigFileName;
    const auto ini = platform::TProfile::Load(file);
    const QString section = QStringLiteral("Visor");
    TViewerSettings settings;
    settings.MusicFolder = ini.ReadString(section, QStringLiteral("Musica"));
    settings.AutoCaption = ini.ReadString(section, QStringLiteral("Auto"), kDefaultAutoCaption);
    settings.EscCloses = ReadNotedBool(ini, file, section, QStringLiteral("Esc"), true, notes);
    // No separator is put in between: BaseDir already ends in one.
    if (!settings.MusicFolder.isEmpty())
        settings.MusicFolder = paths.BaseDir + platform::ToSlashes(settings.MusicFolder);
    return settings;
}
