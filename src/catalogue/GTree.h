#pragma once
// Filling a tree control with the current topic's items. The icons of the nodes are in
// TreeIcons.h, the nodes and the queries over them in TreeNodes.h.
#include "catalogue/GItem.h"
#include "catalogue/TreeIcons.h"
#include "catalogue/TreeNodes.h"

#include <QIcon>
#include <QString>

#include <memory>

class QTreeWidget;
struct TDisc;

// What a fill did: whether the topic is now shown, and how many items with a target it numbered.
struct TFillResult {
    bool Shown = false;
    qint32 ItemCount = 0;
    explicit operator bool() const { return Shown; }
};

// The catalogue of one disc as a tree shows it: the current topic's items, the topic's name and
// the tree's icons. It reads the disc, which must outlive it.
class TCatalogue {
public:
    explicit TCatalogue(const TDisc &disc, TIconSource icons = TIconSource::Auto);
    ~TCatalogue();
    TCatalogue(const TCatalogue &) = delete;
    TCatalogue &operator=(const TCatalogue &) = delete;

    // The items of the most recently loaded items file.
    TItemList ItemList;
    // The topic name last shown successfully by FillTree; empty at start.
    QString CurrentTopic;
    TTreeIcons Icons;

    // LoadItems into ItemList with the disc's BaseDir and SortItems.
    bool LoadItems(const QString &path, const QString &base, TLoadNotes *notes = nullptr);
    // The item at Index of ItemList, or none.
    TItem *ItemAt(int index) const;
    bool IsCurrentTopic(const QString &name) const;

    // Shows the items of a topic in the tree: loads its items file, adds the folder nodes and
    // then the other items, and numbers the items with a target in tree order. An unknown topic
    // or a vanished items file leaves the tree as it is (it is cleared only when no items are
    // loaded). Pending events are handled before every item; a fill asked for meanwhile is
    // ignored and not shown, as is a failed load.
    // With Notes, what the load and the placing of the nodes dropped or moved is noted.
    TFillResult FillTree(const QString &topicName, QTreeWidget *tree, TLoadNotes *notes = nullptr);
    // A fill is running.
    bool IsFillingTree() const { return Filling; }

    // The first node, in tree order, whose item's full path is the item's parent path (letters
    // a to z compared without case); none for an item without a name.
    QTreeWidgetItem *FindParentNode(QTreeWidget *tree, const TItem &item) const;

private:
    struct TNodeIndex;
    // False when the item's folder has no node yet: it is placed at the top level.
    bool AddNode(QTreeWidget *tree, TItem *item, TIconRole role, const QIcon &icon);

    const TDisc &FDisc;
    bool Filling = false;
    // The nodes of the last filled tree by their item's full name.
    std::unique_ptr<TNodeIndex> NodeIndex;
};
