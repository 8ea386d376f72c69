#pragma once
// Filling a tree control with the current topic's items, the icons of its nodes, and the node
// queries with which the main window decides when to show its scroll arrows.
#include <QIcon>
#include <QString>
#include <QTreeWidgetItem>

class QTreeWidget;
struct TItem;

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

// A tree node of a catalogue item. The item belongs to ItemList and is valid until the next
// successful LoadItems.
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
// The role of the node's icon; Folder for a node that carries no item.
TIconRole NodeRole(const QTreeWidgetItem *node);

// Fetches the role icons once (the freedesktop theme, falling back to Adwaita when the current
// theme lacks them and to the style's own icons when no theme is installed). FillTree does it
// when start-up has not.
// Style: the style's own icons even when a theme is installed (how a bare system looks).
enum class TIconSource { Auto, Style };
void InitTreeIcons(TIconSource source = TIconSource::Auto);
void DoneTreeIcons();
// The icon of a role; the closed image is the normal mode, the open one the selected mode. For
// File, the icon of the given existing file.
QIcon RoleIcon(TIconRole role, const QString &file = {});
// Where the role icons came from: "theme", or "style" when no icon theme serves.
QString TreeIconSource();

// How many items with a target the last successful FillTree numbered.
extern qint32 ItemCount;

// Shows the items of a topic in the tree: loads its items file, adds the folder nodes and then
// the other items, and numbers the items with a target in tree order. An unknown topic or a
// vanished items file leaves the tree as it is (it is cleared only when no items are loaded).
// Pending events are handled before every item; a fill asked for meanwhile is ignored and
// returns false, as does a failed load. True when the topic is now shown.
bool FillTree(const QString &topicName, QTreeWidget *tree);
// A fill is running.
bool IsFillingTree();

// The first node, in tree order, whose item's full path is the item's parent path (letters a to
// z compared without case); none for an item without a name.
QTreeWidgetItem *FindParentNode(QTreeWidget *tree, const TItem &item);
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
