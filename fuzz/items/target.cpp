// An items file from any bytes, shown as a topic's tree: the file is written into a disc folder
// of our own, then FillTree loads it (LoadItems) and builds the nodes, once in file order and
// once sorted, and the tree is browsed and painted over a skin. Besides not crashing or
// hanging, the tree must hold each item once, and number the items with a target in tree order.
#include "catalogue/Disc.h"
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "lib/SkinGeometry.h"

#include "FuzzWidgets.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTreeWidgetItemIterator>

#include <cstdint>

using fuzzsupport::Check;

namespace {

// ASCII letters folded, as the tree compares paths.
QString FoldAscii(const QString &s) {
    QString out = s;
    for (QChar &c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return out;
}

// A disc with a topic "T" whose items file the inputs replace, and a few real targets for the
// items to name: a document, a picture folder, a program and a description.
struct TScratch {
    TDisc Disc;
    TCatalogue Catalogue{Disc};
    TGTreeView *Tree = nullptr;
};

TScratch *Setup() {
    fuzzsupport::EnsureApplication();
    const QString disc = fuzzsupport::Scratch() + QStringLiteral("disco/");
    fuzzsupport::WriteFile(disc + QStringLiteral("GRES/GES.INI"), "[General]\nOrdenar=0\n[Temas]\nT=menu\\T.INI\n");
    fuzzsupport::WriteFile(disc + QStringLiteral("menu/T.INI"), "[x]\n");
    fuzzsupport::WriteFile(disc + QStringLiteral("menu/leame.htm"), "<p>hola</p>");
    fuzzsupport::WriteFile(disc + QStringLiteral("DOCS/manual.txt"), "manual");
    fuzzsupport::WriteFile(disc + QStringLiteral("FOTOS/a.jpg"), QByteArray(16, '\xff'));
    fuzzsupport::WriteFile(disc + QStringLiteral("PROGRAMAS/demo.sh"), "#!/bin/sh\n");
    auto *scratch = new TScratch{LoadDisc(disc, disc + QStringLiteral("telvaro"))};
    Check(scratch->Disc.TopicList.IsTopic(QStringLiteral("T")), "the scratch topic is listed");

    auto *tree = scratch->Tree = new TGTreeView;
    tree->resize(180, 240);
    QPixmap back(tree->size());
    back.fill(QColor(200, 180, 120));
    tree->SetBackground(back);
    tree->SetColor(QColor(kTreeKey));
    tree->SetNoScroll(true);
    tree->SetSingleExpand(true);
    return scratch;
}

void CheckTree(QTreeWidget *tree, const TItemList &items, qint32 itemCount) {
    int nodes = 0, withTarget = 0;
    QSet<const TItem *> seen;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const TItem *item = NodeItem(*it);
        Check(item != nullptr, "every node carries an item");
        Check(!seen.contains(item), "an item has one node");
        seen.insert(item);
        ++nodes;
        if (!item->Exe.isEmpty()) {
            Check(item->Sequence == withTarget, "items with a target are numbered in tree order");
            ++withTarget;
        }
        Check(!item->Name.contains(u'\\'), "a node shows the last element of its path");
        if (const TItem *parent = NodeItem((*it)->parent()))
            Check(FoldAscii(FullName(*parent)) == FoldAscii(ParentPath(*item)), "a child sits under its parent path");
    }
    Check(nodes == items.Count(), "every item has a node");
    Check(withTarget == itemCount, "ItemCount counts the items with a target");
}

// Selects the last node in tree order and then the first, as the arrow keys would reach them
// (the tree opens the branch it enters and closes the one it leaves), and paints the tree.
void BrowseAndPaint(TGTreeView *tree) {
    QTreeWidgetItem *last = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        last = *it;
    for (QTreeWidgetItem *node : {last, tree->topLevelItem(0)}) {
        if (!node)
            continue;
        tree->setCurrentItem(node);
        Check(SelectedItem(tree) == NodeItem(node), "the current node is the selected item");
    }
    tree->UpdateScrollBars();
    QImage canvas(tree->size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    tree->render(&canvas);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TScratch *scratch = Setup();
    TGTreeView *tree = scratch->Tree;
    fuzzsupport::WriteFile(scratch->Disc.TopicList.TopicPath(QStringLiteral("T")), fuzzsupport::Bytes(data, size));
    for (bool sorted : {false, true}) {
        scratch->Disc.SortItems = sorted;
        const TFillResult fill = scratch->Catalogue.FillTree(QStringLiteral("T"), tree);
        Check(fill.Shown == !scratch->Catalogue.ItemList.IsEmpty(), "the topic shows exactly when it has items");
        if (!fill) {
            Check(tree->topLevelItemCount() == 0, "no nodes are left pointing at freed items");
            continue;
        }
        CheckTree(tree, scratch->Catalogue.ItemList, fill.ItemCount);
        BrowseAndPaint(tree);
    }
    return 0;
}
