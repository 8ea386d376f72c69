#pragma once
// The catalogue tree's nodes: what a node carries (its item and its icon's role), and the
// queries over a tree's nodes with which the main window decides when to show its scroll arrows.
#include "catalogue/TreeIcons.h"

#include <QTreeWidgetItem>

class QTreeWidget;
struct TItem;

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
// The role of the node's icon; Folder for a node that carries no item.
TIconRole NodeRole(const QTreeWidgetItem *node);

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
