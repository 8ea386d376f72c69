#include "viewer/ViewerSettings.h"

#include "lib/DiscPaths.h"
#include "platform/Files.h"
#include "platform/Profile.h"

QString MusicFolder;
QString AutoCaption;
bool EscCloses = true;

namespace {
const QString kDefaultAutoCaption = QStringLiteral("Modo automático");
}

void ReadViewerSettings() {
    const auto ini = platform::TProfile::Load(GresDir + QStringLiteral("GES.INI"));
    const QString section = QStringLiteral("Visor");
    MusicFolder = ini.ReadString(section, QStringLiteral("Musica"));
    AutoCaption = ini.ReadString(section, QStringLiteral("Auto"), kDefaultAutoCaption);
    EscCloses = ini.ReadBool(section, QStringLiteral("Esc"), true);
    // No separator is put in between: BaseDir already ends in one.
    if (!MusicFolder.isEmpty())
        MusicFolder = BaseDir + platform::ToSlashes(MusicFolder);
}

void DoneViewerSettings() {
    MusicFolder.clear();
    AutoCaption.clear();
    EscCloses = true;
}
