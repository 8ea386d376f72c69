#pragma once
// A topic's items: one record per section of the topic's items file.
#include "catalogue/NamedList.h"
#include "lib/LoadNotes.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

// The description an item without "Texto" gets, beside its target.
inline constexpr char16_t kDefaultItemText[] = u"leame.htm";

struct TItem {
    QString Name;              // the section name; after FillTree only its last element
    QString Folder;            // "Carpeta"; after FillTree everything of the full path before the last "\"
    QString Exe;               // the resolved target; empty for a folder item
    QString TextFile;          // the resolved description document, or empty
    bool TransparentText = true;
    QString Install;           // "Instalar", unchanged
    QString ScreenMask;        // "Pantalla"
    qint32 Sequence = 0;       // number among the items with a target, in tree order
};

// Ordered (section name as written, item) pairs in load order; owns its items. Lookups ignore
// case.
class TItemList : public TNamedList<TItem> {
public:
    TItem *Item(int i) const { return At(i); }
};

// Whether items are taken in alphabetical order of their section names: "Ordenar" of section
// "General" in GresDir + "GES.INI" (and from nowhere else).
bool ReadSortItems(const QString &gresDir, TLoadNotes *notes = nullptr);

// Reads the items file at Path into Items, sorted when SortItems; paths in it resolve
// against Base, or against the file's own folder when Base is empty ("./" against BaseDir). A
// missing file leaves Items as they were and gives false; otherwise the result says whether any
// item was read.
bool LoadItems(TItemList &items, const QString &path, const QString &base, const QString &baseDir,
               bool sortItems, TLoadNotes *notes = nullptr);

// A target that names a folder or a mask rather than one file.
bool IsCollection(const TItem &item);
// A target that is a mask of JPEG or GIF pictures.
bool IsPictureCollection(const TItem &item);

// The item's path in the tree: Folder + "\" + Name, or Name at the top level.
QString FullName(const TItem &item);
// FullName up to its last "\"; empty when it has none.
QString ParentPath(const TItem &item);
// FullName after its last "\"; all of it when it has none.
QString LeafName(const TItem &item);
