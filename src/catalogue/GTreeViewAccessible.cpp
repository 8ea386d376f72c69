#include "catalogue/GTreeViewAccessible.h"

#include "catalogue/GTreeView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

#include <array>

namespace {

// One node, held by its model index: a node that leaves the tree (a refill) makes it invalid.
class TGTreeNodeAccessible : public QAccessibleInterface {
public:
    TGTreeNodeAccessible(TGTreeView *tree, QTreeWidgetItem *node) : FTree(tree), FIndex(tree->indexFromItem(node)) {}

    QTreeWidgetItem *Node() const { return FTree && FIndex.isValid() ? FTree->itemFromIndex(FIndex) : nullptr; }

    bool isValid() const override { return Node() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return FTree ? FTree->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return FTree ? QAccessible::queryAccessibleInterface(FTree) : nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        const QTreeWidgetItem *node = Node();
        return node && t == QAccessible::Name ? node->text(0) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override {
        QTreeWidgetItem *node = Node();
        if (!node)
            return {};
        const QRect r = FTree->visualItemRect(node);
        return QRect(FTree->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override { return QAccessible::TreeItem; }

    QAccessible::State state() const override {
        QAccessible::State s;
        QTreeWidgetItem *node = Node();
        if (!node) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.selected = node->isSelected();
        s.focusable = true;
        s.focused = FTree->hasFocus() && FTree->currentItem() == node;
        s.expandable = node->childCount() > 0;
        s.expanded = s.expandable && node->isExpanded();
        s.collapsed = s.expandable && !node->isExpanded();
        s.offscreen = !FTree->viewport()->rect().intersects(FTree->visualItemRect(node));
        return s;
    }

private:
    QPointer<TGTreeView> FTree;
    QPersistentModelIndex FIndex;
};

void NotifyNode(QAccessibleEvent &event, TGTreeView *tree, QTreeWidgetItem *node) {
    const int index = AccessibleNodeIndex(tree, node);
    if (index < 0)
        return;
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

void NotifyNodeFocus(TGTreeView *tree, QTreeWidgetItem *node) {
    if (!QAccessible::isActive() || !node)
        return;
    QAccessibleEvent event(tree, QAccessible::Focus);
    NotifyNode(event, tree, node);
}

void NotifyNodeExpansion(TGTreeView *tree, QTreeWidgetItem *node) {
    if (!QAccessible::isActive() || !node)
        return;
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent event(tree, changed);
    NotifyNode(event, tree, node);
}

class TGTreeAccessible : public QAccessibleWidget {
public:
    explicit TGTreeAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Tree) {
        TGTreeView *tree = Tree();
        FLinks = {QObject::connect(tree, &TGTreeView::NodeFocused, tree,
                                   [tree](QTreeWidgetItem *node) { NotifyNodeFocus(tree, node); }),
                  QObject::connect(tree, &TGTreeView::NodeExpansionChanged, tree,
                                   [tree](QTreeWidgetItem *node) { NotifyNodeExpansion(tree, node); })};
    }
    ~TGTreeAccessible() override {
        for (const QMetaObject::Connection &link : FLinks)
            QObject::disconnect(link);
        for (const QAccessible::Id id : std::as_const(FNodes))
            QAccessible::deleteAccessibleInterface(id);
    }

    TGTreeView *Tree() const { return static_cast<TGTreeView *>(widget()); }

    int childCount() const override {
        int n = 0;
        for (QTreeWidgetItem *node = Tree()->topLevelItem(0); node; node = Tree()->itemBelow(node))
            ++n;
        return n;
    }

    QAccessibleInterface *child(int index) const override {
        if (index < 0)
            return nullptr;
        QTreeWidgetItem *node = Tree()->topLevelItem(0);
        for (int i = 0; node && i < index; ++i)
            node = Tree()->itemBelow(node);
        return node ? NodeInterface(node) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto *node = dynamic_cast<const TGTreeNodeAccessible *>(child);
        return node && node->parent() == this ? AccessibleNodeIndex(Tree(), node->Node()) : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override {
        QTreeWidgetItem *node = Tree()->itemAt(Tree()->viewport()->mapFromGlobal(QPoint(x, y)));
        return node ? NodeInterface(node) : nullptr;
    }

    QAccessibleInterface *focusChild() const override {
        QTreeWidgetItem *node = Tree()->currentItem();
        return Tree()->hasFocus() && node && AccessibleNodeIndex(Tree(), node) >= 0 ? NodeInterface(node) : nullptr;
    }

    QAccessibleInterface *NodeInterface(QTreeWidgetItem *node) const {
        if (const QAccessible::Id id = FNodes.value(node)) {
            auto *known = static_cast<TGTreeNodeAccessible *>(QAccessible::accessibleInterface(id));
            if (known && known->Node() == node)
                return known;
            // A node freed by a refill whose address came back for a new one.
            QAccessible::deleteAccessibleInterface(id);
            FNodes.remove(node);
        }
        Prune();
        auto *made = new TGTreeNodeAccessible(Tree(), node);
        FNodes.insert(node, QAccessible::registerAccessibleInterface(made));
        return made;
    }

private:
    // Drops the interfaces of nodes a refill took away, once they outnumber the live ones.
    void Prune() const {
        if (FNodes.size() < 2 * Tree()->topLevelItemCount() + 64)
            return;
        for (auto it = FNodes.begin(); it != FNodes.end();) {
            auto *known = static_cast<TGTreeNodeAccessible *>(QAccessible::accessibleInterface(it.value()));
            if (known && known->Node() == it.key()) {
                ++it;
            } else {
                QAccessible::deleteAccessibleInterface(it.value());
                it = FNodes.erase(it);
            }
        }
    }

    std::array<QMetaObject::Connection, 2> FLinks;
    mutable QHash<const QTreeWidgetItem *, QAccessible::Id> FNodes;
};

QAccessibleInterface *TreeFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("TGTreeView") && object && object->isWidgetType())
        return new TGTreeAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void InstallTreeAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(TreeFactory);
        return true;
    }();
    (void)installed;
}

int AccessibleNodeIndex(const TGTreeView *tree, const QTreeWidgetItem *node) {
    if (!node)
        return -1;
    int i = 0;
    for (QTreeWidgetItem *n = tree->topLevelItem(0); n; n = tree->itemBelow(n), ++i)
        if (n == node)
            return i;
    return -1;
}
