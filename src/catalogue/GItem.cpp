#include "catalogue/GItem.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "lib/GExec.h"
#include "platform/Files.h"
#include "platform/Profile.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

bool ReadSortItems(const QString &gresDir, TLoadNotes *notes) {
    const QString file = gresDir + kConfigFileName;
    const auto ini = platform::TProfile::Load(file);
    return ReadNotedBool(ini, file, QStringLiteral("General"), QStringLiteral("Ordenar"), false, notes);
}

bool LoadItems(TItemList &items, const QString &path, const QString &base, const QString &baseDir, bool sortItems,
               TLoadNotes *notes) {
    if (!platform::IsRegularFile(path)) {
        if (notes)
            notes->push_back({TNoteCode::ItemsFileMissing, path, {}, {}, {}});
        return false;
    }
    items.Clear();
    const QString folder = base.isEmpty() ? FolderPart(platform::ToSlashes(path)) : base;
    const auto ini = platform::TProfile::Load(platform::ResolveCase(path));

    QStringList sections = ini.SectionNames();
    if (notes && sections.size() < ini.SectionCount())
        notes->push_back(
            {TNoteCode::ItemSectionsCut, path, {}, {}, QString::number(ini.SectionCount() - sections.size())});
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
        item->TransparentText =
            ReadNotedBool(ini, path, section, QStringLiteral("TextoTrans"),
                          ReadNotedBool(ini, path, section, QStringLiteral("Transparent"), true, notes), notes);
        item->Install = ini.ReadString(section, QStringLiteral("Instalar"));
        item->ScreenMask = ini.ReadString(section, QStringLiteral("Pantalla"));

        // A parent has to come earlier in the order; anything else goes to the top level.
        if (!item->Folder.isEmpty() && items.IndexOf(item->Folder) < 0) {
            if (notes)
                notes->push_back(
                    {TNoteCode::ItemFolderUnknown, path, section, QStringLiteral("Carpeta"), item->Folder});
            item->Folder.clear();
        }
        item->Exe = ResolvePath(item->Exe, folder, baseDir);
        const QString text = item->TextFile;
        if (!text.isEmpty())
            item->TextFile = ResolvePath(text, folder, baseDir);
        else
            item->TextFile = ResolvePath(QString::fromUtf16(kDefaultItemText), FolderPart(item->Exe), baseDir);
        if (!platform::IsRegularFile(item->TextFile)) {
            // A missing default description is no fault of the disc's.
            if (notes && !text.isEmpty())
                notes->push_back({TNoteCode::ItemTextMissing, path, section, QStringLiteral("Texto"), text});
            item->TextFile.clear();
        }
        if (!item->Exe.isEmpty()) {
            if (item->ScreenMask.isEmpty())
                item->ScreenMask = kDefaultPictureMask;
            else if (item->ScreenMask == u"0")
                item->ScreenMask.clear();
        }
        // The reader gives a repeated section the first one's values.
        if (notes && items.IndexOf(section) >= 0)
            notes->push_back({TNoteCode::ItemSectionRepeated, path, section, {}, {}});
        items.Add(section, std::move(item));
    }
    if (notes && items.IsEmpty())
        notes->push_back({TNoteCode::ItemsNone, path, {}, {}, {}});
    return !items.IsEmpty();
}

bool IsCollection(const TItem &item) {
    if (item.Exe.contains(u'*'))
        return true;
    // Only the last element can carry an extension: a disc copied into a folder such as
    // "disco.v2" must not turn every folder target into a file.
    return !FileNamePart(item.Exe).contains(u'.');
}

bool IsPictureCollection(const TItem &item) { return HasPictureWildcard(item.Exe); }

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
