#include "catalogue/GItem.h"

#include "lib/GLib.h"
#include "platform/Profile.h"

bool SortItems = false;

void ReadSortItems() {
    const auto ini = platform::TProfile::Load(GresDir + QStringLiteral("GES.INI"));
    SortItems = ini.ReadBool(QStringLiteral("General"), QStringLiteral("Ordenar"), false);
}
