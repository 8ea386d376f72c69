#pragma once
// Filling a tree control with the current topic's items, the icons of its nodes, and the node
// queries with which the main window decides when to show its scroll arrows.
#include "catalogue/GItem.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <QTreeWidgetItem>

#include <memory>

class QTreeWidget;
struct TDisc;

// What a node's icon stands for. Every role looks different from the others.
enum class TIconRole {
    Folder,   // a folder node (no target)
    Pictures, // a collection of JPEG or GIF pictures
    Programs, // any other collection (a folder or a mask)
    File,     // an existing file: its own icon
    Broken,   // a target that does not exist
};
// "folder", "pictures", "programs", "file", "broken".
QString IconRoleName(TIconRole role);

// A tree node of a catalogue item. The item belongs to its catalogue's ItemList and is valid
// until the next successful LoadItems.
class TItemNode : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    TItemNode(TItem *item, TIconRole role) : QTreeWidgetItem(Type), Item(item), Role(role) {}
    TItem *Item;
    TIconRole Role;
};
TItem *NodeItem(const QTreeWidgetItem *node);
// The role FillTree gives an item's node (it looks at the disc for targets that are not
// collections).
TIconRole ItemIconRole(const TItem &item);
// The file an item's target opens, or the program of a target with arguments; empty when
// there is none.
QString ItemTargetFile(const TItem &item);
// The role of the node's icon; Folder for a node that carries no item.
TIconRole NodeRole(const QTreeWidgetItem *node);

// Style: the style's own icons even when a theme is installed (how a bare system looks).
enum class TIconSource { Auto, Style };

// The icons of the tree's nodes, fetched on first use (the freedesktop theme, falling back to
// Adwaita when the current theme lacks them and to the style's own icons when no theme is
// installed). Its pixmaps must go before the application object does.
class TTreeIcons {
public:
    explicit TTreeIcons(TIconSource source = TIconSource::Auto) : FSource(source) {}
    // The icon of a role; the closed image is the normal mode, the open one the selected mode.
    // For File, the icon of the given existing file.
    QIcon RoleIcon(TIconRole role, const QString &file = {});
    // Where the role icons came from: "theme", or "style" when no icon theme serves.
    QString Source();

private:
    void Load();
    void LoadThemeIcons();
    void LoadStyleIcons();
    QIcon FileIcon(const QString &file);

    TIconSource FSource;
    bool FReady = false;
    bool FFromTheme = false;
    QIcon FRole[5];
    QHash<QString, QIcon> FFiles; // by MIME type name
};

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

// The item of the selected node, or none.
TItem *SelectedItem(QTreeWidget *tree);

// False for no tree; true when the tree has not been shown yet (its window does not exist) or
// when it has at least one node.
bool HasItems(QTreeWidget *tree);
// The top node in view, or none.
QTreeWidgetItem *TopVisibleItem(QTreeWidget *tree);
// The last node at least partly in view, following the visible nodes from the top one.
QTreeWidgetItem *LastVisibleItem(QTreeWidget *tree);
// The last node reachable through expanded parents.
QTreeWidgetItem *LastExpandedItem(QTreeWidget *tree);
