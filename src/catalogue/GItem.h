#pragma once
// The current topic's items: one record per section of the topic's items file.
#include "catalogue/NamedList.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

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

// Holds the items of the most recently loaded items file while the item module is started.
extern TItemList *ItemList;

// Items are taken in alphabetical order of their section names ("General"/"Ordenar").
extern bool SortItems;

// Reads "Ordenar" from GresDir + "GES.INI" (and from nowhere else).
void ReadSortItems();

// Start-up and shutdown of the item module; each runs its body once however often it is called.
void InitItems();
void DoneItems();

// Reads the items file at Path into ItemList; paths in it resolve against Base, or against the
// file's own folder when Base is empty. A missing file leaves ItemList as it was and gives
// false; otherwise the result says whether any item was read.
bool LoadItems(const QString &path, const QString &base);
void ClearItems();
// The item at Index of ItemList, or none.
TItem *ItemAt(int index);

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
