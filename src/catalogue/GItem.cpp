#include "catalogue/GItem.h"

#include "lib/DiscPaths.h"
#include "platform/Files.h"
#include "platform/Profile.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

bool ReadSortItems(const QString &gresDir) {
    const auto ini = platform::TProfile::Load(gresDir + QStringLiteral("GES.INI"));
    return ini.ReadBool(QStringLiteral("General"), QStringLiteral("Ordenar"), false);
}

bool LoadItems(TItemList &items, const QString &path, const QString &base, const QString &baseDir,
               bool sortItems) {
    if (!platform::IsRegularFile(path))
        return false;
    items.Clear();
    const QString folder = base.isEmpty() ? FolderPart(platform::ToSlashes(path)) : base;
    const auto ini = platform::TProfile::Load(platform::ResolveCase(path));

    QStringList sections = ini.SectionNames();
    if (sortItems) {
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::stable_sort(sections.begin(), sections.end(),
                         [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    }

    for (const QString &section : std::as_const(sections)) {
        auto item = std::make_unique<TItem>();
        item->Name = section;
        item->Folder = ini.ReadString(section, QStringLiteral("Carpeta"));
        item->Exe = ini.ReadString(section, QStringLiteral("Exe"));
        item->TextFile = ini.ReadString(section, QStringLiteral("Texto"));
        item->TransparentText = ini.ReadBool(section, QStringLiteral("TextoTrans"),
                                             ini.ReadBool(section, QStringLiteral("Transparent"), true));
        item->Install = ini.ReadString(section, QStringLiteral("Instalar"));
        item->ScreenMask = ini.ReadString(section, QStringLiteral("Pantalla"));

        // A parent has to come earlier in the order; anything else goes to the top level.
        if (!item->Folder.isEmpty() && items.IndexOf(item->Folder) < 0)
            item->Folder.clear();
        item->Exe = ResolvePath(item->Exe, folder, baseDir);
        if (!item->TextFile.isEmpty())
            item->TextFile = ResolvePath(item->TextFile, folder, baseDir);
        else
            item->TextFile = ResolvePath(QStringLiteral("leame.htm"), FolderPart(item->Exe), baseDir);
        if (!platform::IsRegularFile(item->TextFile))
            item->TextFile.clear();
        if (!item->Exe.isEmpty()) {
            if (item->ScreenMask.isEmpty())
                item->ScreenMask = QStringLiteral("*.jpg;*.gif");
            else if (item->ScreenMask == u"0")
                item->ScreenMask.clear();
        }
        items.Add(section, std::move(item));
    }
    return !items.IsEmpty();
}

bool IsCollection(const TItem &item) {
    if (item.Exe.contains(u'*'))
        return true;
    // Only the last element can carry an extension: a disc copied into a folder such as
    // "disco.v2" must not turn every folder target into a file.
    return !FileNamePart(item.Exe).contains(u'.');
}

bool IsPictureCollection(const TItem &item) {
    const QString exe = item.Exe.toUpper();
    return exe.contains(QLatin1String("*.JPG")) || exe.contains(QLatin1String("*.GIF"));
}

QString FullName(const TItem &item) {
    if (item.Folder.isEmpty())
        return item.Name;
    return item.Folder + u'\\' + item.Name;
}

QString ParentPath(const TItem &item) {
    const QString full = FullName(item);
    const qsizetype cut = full.lastIndexOf(u'\\');
    return cut < 0 ? QString() : full.left(cut);
}

QString LeafName(const TItem &item) {
    const QString full = FullName(item);
    return full.mid(full.lastIndexOf(u'\\') + 1);
}
