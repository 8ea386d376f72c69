#include "catalogue/GTree.h"

#include "catalogue/Disc.h"
#include "catalogue/GItem.h"
#include "catalogue/GTreeView.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

// Text[at, at + part.size()) equals Part, letters a to z compared without case.
bool SameAt(const QString &text, qsizetype at, const QString &part) {
    for (qsizetype i = 0; i < part.size(); ++i)
        if (platform::UpperAscii(text[at + i]) != platform::UpperAscii(part[i]))
            return false;
    return true;
}

// FullName(Item) equals Path without building it: this runs once per node for every item placed.
bool FullNameIs(const TItem &item, const QString &path) {
    if (item.Folder.isEmpty())
        return item.Name.size() == path.size() && SameAt(path, 0, item.Name);
    const qsizetype f = item.Folder.size();
    return path.size() == f + 1 + item.Name.size() && path[f] == u'\\' && SameAt(path, 0, item.Folder) &&
           SameAt(path, f + 1, item.Name);
}

// A full name as the lookups compare it: letters a to z in upper case, everything else as is.
QString NameKey(const QString &folder, const QString &name) {
    QString key = folder.isEmpty() ? name : folder + u'\\' + name;
    for (QChar &c : key)
        c = QChar(platform::UpperAscii(c));
    return key;
}

} // namespace

// The nodes of the last filled tree by their item's full name, so that finding a parent costs
// one lookup instead of a walk over every node. It is built as the fill adds nodes and forgotten
// as soon as anything else changes the tree.
struct TCatalogue::TNodeIndex {
    explicit TNodeIndex(const bool &filling) : Filling(filling) {}
    ~TNodeIndex() { Forget(); }
    const bool &Filling; // changes made by the fill itself keep the index
    QPointer<QTreeWidget> Tree;
    QHash<QString, std::vector<QTreeWidgetItem *>> Nodes;
    std::vector<QMetaObject::Connection> Watches;

    void Forget() {
        for (const auto &c : Watches)
            QObject::disconnect(c);
        Watches.clear();
        Nodes.clear();
        Tree = nullptr;
    }
    void Start(QTreeWidget *tree) {
        Forget();
        Tree = tree;
        QAbstractItemModel *model = tree->model();
        const auto drop = [this] {
            if (!Filling)
                Forget();
        };
        Watches.push_back(QObject::connect(model, &QAbstractItemModel::rowsInserted, drop));
        Watches.push_back(QObject::connect(model, &QAbstractItemModel::rowsRemoved, drop));
        Watches.push_back(QObject::connect(model, &QAbstractItemModel::rowsMoved, drop));
        Watches.push_back(QObject::connect(model, &QAbstractItemModel::modelReset, drop));
        Watches.push_back(QObject::connect(model, &QAbstractItemModel::layoutChanged, drop));
    }
    bool Covers(const QTreeWidget *tree) const { return Tree && Tree == tree; }
};

namespace {

// Row numbers from the top of the tree: comparing them orders two nodes as the tree shows them.
std::vector<int> TreePosition(QTreeWidgetItem *node) {
    std::vector<int> rows;
    for (; node; node = node->parent()) {
        QTreeWidgetItem *parent = node->parent();
        rows.push_back(parent ? parent->indexOfChild(node) : node->treeWidget()->indexOfTopLevelItem(node));
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
}

} // namespace

bool TCatalogue::AddNode(QTreeWidget *tree, TItem *item, TIconRole role, const QIcon &icon) {
    QTreeWidgetItem *parent = item->Folder.isEmpty() ? nullptr : FindParentNode(tree, *item);
    auto *node = new TItemNode(item, role);
    node->setText(0, item->Name);
    node->setIcon(0, icon);
    if (parent)
        parent->addChild(node);
    else
        tree->addTopLevelItem(node);
    if (NodeIndex->Covers(tree))
        NodeIndex->Nodes[NameKey(item->Folder, item->Name)].push_back(node);
    return parent || item->Folder.isEmpty();
}

namespace {

// Undoes what a fill changed on the tree and the screen, however the fill ends.
class TFillGuard {
public:
    TFillGuard(QTreeWidget *tree, bool &filling)
        : FTree(tree), FView(qobject_cast<TGTreeView *>(tree)), FFilling(filling) {
        FFilling = true;
        if (FView) {
            FWasMuted = FView->ChangeMuted();
            FView->SetChangeMuted(true);
        } else {
            FWasBlocked = tree->blockSignals(true);
        }
        FWasUpdating = tree->updatesEnabled();
        tree->setUpdatesEnabled(false);
        // The busy pointer only where a person can see it: the first topic fills while the
        // menu's window is still being shown, and setting it then only costs loading the
        // pointer theme before the first paint.
        const QWindowList windows = QGuiApplication::topLevelWindows();
        FBusyPointer = std::any_of(windows.begin(), windows.end(), [](QWindow *w) { return w->isExposed(); });
        if (FBusyPointer)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TFillGuard() {
        if (FTree) {
            FTree->setUpdatesEnabled(FWasUpdating);
            if (FView)
                FView->SetChangeMuted(FWasMuted);
            else
                FTree->blockSignals(FWasBlocked);
        }
        if (FBusyPointer)
            QGuiApplication::restoreOverrideCursor();
        FFilling = false;
    }
    TFillGuard(const TFillGuard &) = delete;
    TFillGuard &operator=(const TFillGuard &) = delete;

    // The tree still exists (a handler run during the fill may have closed its window).
    bool Alive() const { return !FTree.isNull(); }

private:
    QPointer<QTreeWidget> FTree;
    TGTreeView *FView;
    bool &FFilling;
    bool FWasBlocked = false;
    bool FWasMuted = false;
    bool FWasUpdating = true;
    bool FBusyPointer = false;
};

} // namespace

TCatalogue::TCatalogue(const TDisc &disc, TIconSource icons)
    : Icons(icons), FDisc(disc), NodeIndex(std::make_unique<TNodeIndex>(Filling)) {}

TCatalogue::~TCatalogue() = default;

bool TCatalogue::LoadItems(const QString &path, const QString &base, TLoadNotes *notes) {
    return ::LoadItems(ItemList, path, base, FDisc.BaseDir, FDisc.SortItems, notes);
}

TItem *TCatalogue::ItemAt(int index) const {
    return index < 0 || index >= ItemList.Count() ? nullptr : ItemList.Item(index);
}

bool TCatalogue::IsCurrentTopic(const QString &name) const {
    return name.compare(CurrentTopic, Qt::CaseInsensitive) == 0;
}

TFillResult TCatalogue::FillTree(const QString &topicName, QTreeWidget *tree, TLoadNotes *notes) {
    // Pending events are handled while a fill runs; a topic chosen meanwhile must not refill
    // the lists this fill is walking. It is dropped: the user sees the first choice completed.
    if (Filling || !tree)
        return {};
    const QString path = FDisc.TopicList.TopicPath(topicName);
    if (!LoadItems(path, QString(), notes)) {
        // Nodes must never point at freed items.
        if (ItemList.IsEmpty())
            tree->clear();
        return {};
    }
    TFillResult fill;
    CurrentTopic = topicName;
    {
        TFillGuard guard(tree, Filling);
        tree->clear();
        NodeIndex->Start(tree);

        // Folders first, so that every folder exists before the items placed into it.
        const QIcon folderIcon = Icons.RoleIcon(TIconRole::Folder);
        for (int i = 0; i < ItemList.Count(); ++i) {
            QCoreApplication::processEvents();
            if (!guard.Alive())
                return {};
            TItem *item = ItemList.Item(i);
            const QString parent = ParentPath(*item);
            item->Name = LeafName(*item);
            item->Folder = parent;
            if (item->Exe.isEmpty() && !AddNode(tree, item, TIconRole::Folder, folderIcon) && notes)
                notes->push_back({TNoteCode::ItemParentLater, path, ItemList.Name(i), {}, item->Folder});
        }
        for (int i = 0; i < ItemList.Count(); ++i) {
            QCoreApplication::processEvents();
            if (!guard.Alive())
                return {};
            TItem *item = ItemList.Item(i);
            if (item->Exe.isEmpty())
                continue;
            const TIconRole role = ItemIconRole(*item);
            const QIcon icon = role == TIconRole::File ? Icons.RoleIcon(role, ItemTargetFile(*item))
                                                       : Icons.RoleIcon(role);
            if (!AddNode(tree, item, role, icon) && notes)
                notes->push_back({TNoteCode::ItemParentLater, path, ItemList.Name(i), {}, item->Folder});
        }

        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            TItem *item = NodeItem(*it);
            if (item && !item->Exe.isEmpty())
                item->Sequence = fill.ItemCount++;
        }
    }
    if (auto *view = qobject_cast<TGTreeView *>(tree)) {
        view->MarkScrollBarsPending();
        view->UpdateScrollBars();
    }
    fill.Shown = true;
    return fill;
}

QTreeWidgetItem *TCatalogue::FindParentNode(QTreeWidget *tree, const TItem &item) const {
    if (!tree || item.Name.isEmpty())
        return nullptr;
    const QString parent = ParentPath(item);
    if (NodeIndex->Covers(tree)) {
        auto it = NodeIndex->Nodes.constFind(NameKey(QString(), parent));
        if (it == NodeIndex->Nodes.constEnd() || it->empty())
            return nullptr;
        // Names may repeat: the first in tree order, which need not be the first added.
        QTreeWidgetItem *first = it->front();
        for (size_t i = 1; i < it->size(); ++i)
            if (TreePosition((*it)[i]) < TreePosition(first))
                first = (*it)[i];
        return first;
    }
    // Tree order (each node before its children), walked by hand: the generic iterator's
    // per-step bookkeeping doubles the cost of this scan.
    const int tops = tree->topLevelItemCount();
    for (int t = 0; t < tops; ++t) {
        QTreeWidgetItem *node = tree->topLevelItem(t);
        std::vector<std::pair<QTreeWidgetItem *, int>> path; // (parent, index of the next child)
        while (node) {
            const TItem *candidate = NodeItem(node);
            if (candidate && FullNameIs(*candidate, parent))
                return node;
            if (node->childCount() > 0) {
                path.emplace_back(node, 1);
                node = node->child(0);
                continue;
            }
            node = nullptr;
            while (!path.empty() && !node) {
                auto &[p, next] = path.back();
                if (next < p->childCount())
                    node = p->child(next++);
                else
                    path.pop_back();
            }
        }
    }
    return nullptr;
}
