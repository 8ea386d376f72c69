#include "lib/ViewerSettings.h"

#include "platform/Files.h"
#include "platform/Profile.h"

namespace {
const QString kDefaultAutoCaption = QStringLiteral("Modo automático");
}

TViewerSettings ReadViewerSettings(const TDiscPaths &paths) {
    const auto ini = platform::TProfile::Load(paths.GresDir + QStringLiteral("GES.INI"));
    const QString section = QStringLiteral("Visor");
    TViewerSettings settings;
    settings.MusicFolder = ini.ReadString(section, QStringLiteral("Musica"));
    settings.AutoCaption = ini.ReadString(section, QStringLiteral("Auto"), kDefaultAutoCaption);
    settings.EscCloses = ini.ReadBool(section, QStringLiteral("Esc"), true);
    // No separator is put in between: BaseDir already ends in one.
    if (!settings.MusicFolder.isEmpty())
        settings.MusicFolder = paths.BaseDir + platform::ToSlashes(settings.MusicFolder);
    return settings;
}
