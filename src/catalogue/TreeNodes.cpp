#include "catalogue/TreeNodes.h"

#include <QTreeWidget>

TItem *NodeItem(const QTreeWidgetItem *node) {
    if (!node || node->type() != TItemNode::Type)
        return nullptr;
    return static_cast<const TItemNode *>(node)->Item;
}

TIconRole NodeRole(const QTreeWidgetItem *node) {
    if (!node || node->type() != TItemNode::Type)
        return TIconRole::Folder;
    return static_cast<const TItemNode *>(node)->Role;
}

TItem *SelectedItem(QTreeWidget *tree) {
    if (!tree || tree->topLevelItemCount() == 0)
        return nullptr;
    QTreeWidgetItem *node = tree->currentItem();
    if (node && node->isSelected())
        return NodeItem(node);
    const QList<QTreeWidgetItem *> selected = tree->selectedItems();
    return selected.isEmpty() ? nullptr : NodeItem(selected.first());
}

bool HasItems(QTreeWidget *tree) {
    if (!tree)
        return false;
    if (!tree->testAttribute(Qt::WA_WState_Created))
        return true;
    return tree->topLevelItemCount() > 0;
}

QTreeWidgetItem *TopVisibleItem(QTreeWidget *tree) {
    if (!tree || !tree->testAttribute(Qt::WA_WState_Created) || tree->topLevelItemCount() == 0)
        return nullptr;
    return tree->itemAt(QPoint(0, 0));
}

QTreeWidgetItem *LastVisibleItem(QTreeWidget *tree) {
    QTreeWidgetItem *node = TopVisibleItem(tree);
    if (!node)
        return nullptr;
    const QRect client = tree->viewport()->rect();
    for (QTreeWidgetItem *next = tree->itemBelow(node); next; next = tree->itemBelow(next)) {
        const QRect r = tree->visualItemRect(next);
        if (!QRect(client.left(), r.top(), client.width(), r.height()).intersects(client))
            break;
        node = next;
    }
    return node;
}

QTreeWidgetItem *LastExpandedItem(QTreeWidget *tree) {
    if (!TopVisibleItem(tree))
        return nullptr;
    QTreeWidgetItem *node = tree->topLevelItem(tree->topLevelItemCount() - 1);
    while (node && node->isExpanded() && node->childCount() > 0)
        node = node->child(node->childCount() - 1);
    return node;
}
