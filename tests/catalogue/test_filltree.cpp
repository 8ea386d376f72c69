// FillTree on items files written by the tests: placement, numbering, icons, failures and fills
// asked for while one runs.
#include "support/DiscFolder.h"

#include "catalogue/GTreeView.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidgetItemIterator>

class TestFillTree : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
    void rewritesNames();
    void failures();
    void changeHandlerDetached();
    void plainTreeSignalsBlocked();
    void reentrantFillIgnored();
    void treeDestroyedDuringFill();
    void selectedItem();
    void rolesLookDifferent_data();
    void rolesLookDifferent();
};

// "caption[role#sequence](children)" for every node in tree order; folders have no number.
static QString Dump(QTreeWidgetItem *node) {
    QString s = node->text(0) + u'[' + IconRoleName(NodeRole(node));
    if (const TItem *item = NodeItem(node); item && !item->Exe.isEmpty())
        s += u'#' + QString::number(item->Sequence);
    s += u']';
    if (node->childCount()) {
        QStringList kids;
        for (int i = 0; i < node->childCount(); ++i)
            kids << Dump(node->child(i));
        s += u'(' + kids.join(u' ') + u')';
    }
    return s;
}

static QString Dump(QTreeWidget *tree) {
    QStringList top;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        top << Dump(tree->topLevelItem(i));
    return top.join(u' ');
}

void TestFillTree::placement_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<int>("count");
    // Existing files: menu/a.txt, menu/b.txt, menu/c.txt, menu/d.txt.
    const QByteArray parentLater = "[B]\nCarpeta=A\nExe=b.txt\n[A]\n";
    QTest::newRow("parent later, file order") << parentLater << false << "A[folder] B[file#0]" << 1;
    QTest::newRow("parent later, sorted") << parentLater << true << "A[folder](B[file#0])" << 1;
    QTest::newRow("backslashed name after its folder")
        << QByteArray("[Juegos]\n[Juegos\\Arcade]\n") << false << "Juegos[folder](Arcade[folder])" << 0;
    QTest::newRow("backslashed folder before its folder")
        << QByteArray("[Juegos\\Arcade]\n[Juegos]\n") << false << "Arcade[folder] Juegos[folder]" << 0;
    // Items are placed after all folders, so a backslashed item finds a folder that came later.
    QTest::newRow("backslashed item before its folder")
        << QByteArray("[Juegos\\Pac]\nExe=a.txt\n[Juegos]\n") << false << "Juegos[folder](Pac[file#0])" << 1;
    QTest::newRow("parent path ignores ASCII case")
        << QByteArray("[JUEGOS]\n[juegos\\Pac]\nExe=a.txt\n") << false << "JUEGOS[folder](Pac[file#0])" << 1;
    QTest::newRow("only ASCII letters fold")
        << QByteArray("[\xc3\x81rbol]\n[\xc3\xa1rbol\\Hoja]\n") << false
        << QString::fromUtf8("\xc3\x81rbol[folder] Hoja[folder]") << 0;
    QTest::newRow("folders before items within a parent")
        << QByteArray("[F]\n[x]\nCarpeta=F\nExe=a.txt\n[G]\nCarpeta=F\n[y]\nCarpeta=F\nExe=b.txt\n") << false
        << "F[folder](G[folder] x[file#0] y[file#1])" << 2;
    QTest::newRow("numbering in tree order at several levels")
        << QByteArray("[z]\nExe=a.txt\n[F]\n[F\\G]\n[F\\G\\deep]\nExe=b.txt\n[F\\top]\nExe=c.txt\n[H]\n"
                      "[H\\h]\nExe=d.txt\n")
        << false << "F[folder](G[folder](deep[file#0]) top[file#1]) H[folder](h[file#2]) z[file#3]" << 4;
    // Repeated folders and names that differ only in case: children go to the first in tree order.
    QTest::newRow("repeated and case-twin folders")
        << QByteArray("[F]\n[f]\n[F]\n[F\\x]\nExe=a.txt\n[f\\G]\n[f\\g\\y]\nExe=b.txt\n") << false
        << "F[folder](G[folder](y[file#0]) x[file#1]) f[folder] F[folder]" << 2;
    QTest::newRow("an item under an item placed before it")
        << QByteArray("[P]\nExe=a.txt\n[P\\c]\nExe=b.txt\n") << false << "P[file#0](c[file#1])" << 2;
    QTest::newRow("icons by target")
        << QByteArray("[p]\nExe=fotos\\*.jpg\n[q]\nExe=fotos\\*.GIF\n[r]\nExe=juegos\n[s]\nExe=fotos\\*.bmp\n"
                      "[t]\nExe=a.txt\n[u]\nExe=nada.txt\n[v]\nExe=A.TXT\n[w]\nExe=dir.v2\n"
                      "[x]\nExe=a.txt --saludo\n[y]\nExe=nada.txt --saludo\n")
        << false
        << "p[pictures#0] q[pictures#1] r[programs#2] s[programs#3] t[file#4] u[broken#5] v[file#6] "
           "w[file#7] x[file#8] y[broken#9]"
        << 10;
}

void TestFillTree::placement() {
    QFETCH(QByteArray, text);
    QFETCH(bool, sort);
    QFETCH(QString, tree);
    QFETCH(int, count);
    TDiscFolder disc;
    for (const char *f : {"menu/a.txt", "menu/b.txt", "menu/c.txt", "menu/d.txt"})
        disc.Write(f, "x");
    QDir().mkpath(disc.Root() + "menu/dir.v2");
    disc.Write("menu/T.INI", text);
    disc.Topics({{"Tema", "menu\\T.INI"}}, sort ? "[General]\nOrdenar=1\n" : "");
    QCOMPARE(disc.Disc.SortItems, sort);
    TGTreeView view;
    const TFillResult fill = disc.Catalogue.FillTree("tema", &view);
    QVERIFY(fill);
    QCOMPARE(Dump(&view), tree);
    QCOMPARE(fill.ItemCount, count);
    QCOMPARE(disc.Catalogue.CurrentTopic, QStringLiteral("tema"));
}

void TestFillTree::rewritesNames() {
    TDiscFolder disc;
    disc.Write("menu/T.INI", "[Juegos]\n[Juegos\\Arcade]\n[Viejos\\Pac]\nCarpeta=Juegos\\Arcade\nExe=x.exe\n"
                                 "[Galaga]\nCarpeta=Juegos\\Arcade\nExe=y.exe\n");
    disc.Topics({{"Tema", "menu\\T.INI"}});
    QTreeWidget tree;
    QVERIFY(disc.Catalogue.FillTree("Tema", &tree));
    // Pac's parent path, Juegos\Arcade\Viejos, names no node: it goes to the top level.
    QCOMPARE(Dump(&tree), QStringLiteral("Juegos[folder](Arcade[folder](Galaga[broken#0])) Pac[broken#1]"));
    const TItem *arcade = disc.Catalogue.ItemAt(1);
    QCOMPARE(arcade->Folder, QStringLiteral("Juegos"));
    QCOMPARE(arcade->Name, QStringLiteral("Arcade"));
    const TItem *pac = disc.Catalogue.ItemAt(2);
    QCOMPARE(pac->Folder, QStringLiteral("Juegos\\Arcade\\Viejos"));
    QCOMPARE(pac->Name, QStringLiteral("Pac"));
    // The list keeps the section names as written.
    QCOMPARE(disc.Catalogue.ItemList.Name(2), QStringLiteral("Viejos\\Pac"));
}

void TestFillTree::failures() {
    TDiscFolder disc;
    const QString first = disc.Write("menu/A.INI", "[Uno]\nExe=a.exe\n[Dos]\nExe=b.exe\n");
    const QString second = disc.Write("menu/B.INI", "[Tres]\n");
    disc.Topics({{"A", "menu\\A.INI"}, {"B", "menu\\B.INI"}});
    TGTreeView view;

    // Nothing loaded yet: a topic that cannot load leaves an empty tree.
    view.addTopLevelItem(new QTreeWidgetItem(QStringList{"vieja"}));
    QVERIFY(!disc.Catalogue.FillTree("Nada", &view));
    QCOMPARE(view.topLevelItemCount(), 0);

    QCOMPARE(disc.Catalogue.FillTree("A", &view).ItemCount, 2);
    const QString before = Dump(&view);
    QVERIFY(!disc.Catalogue.FillTree("Nada", &view)); // unknown topic
    QCOMPARE(Dump(&view), before);
    QCOMPARE(disc.Catalogue.CurrentTopic, QStringLiteral("A"));
    QVERIFY(QFile::remove(second)); // the items file has vanished since start-up
    const TFillResult failed = disc.Catalogue.FillTree("B", &view);
    QVERIFY(!failed);
    QCOMPARE(failed.ItemCount, 0); // a failed fill numbers nothing
    QCOMPARE(Dump(&view), before);
    QCOMPARE(disc.Catalogue.CurrentTopic, QStringLiteral("A"));

    // A file that lost its sections: the items are gone, so are their nodes.
    disc.Write("menu/A.INI", "; vacio\n");
    QVERIFY(!disc.Catalogue.FillTree("A", &view));
    QCOMPARE(view.topLevelItemCount(), 0);
    Q_UNUSED(first);
}

void TestFillTree::changeHandlerDetached() {
    TDiscFolder disc;
    disc.Write("menu/A.INI", "[Uno]\nExe=a.exe\n[Dos]\nExe=b.exe\n[Tres]\nExe=c.exe\n");
    disc.Topics({{"A", "menu\\A.INI"}});
    TGTreeView view;
    int changes = 0;
    QObject::connect(&view, &TGTreeView::OnChange, [&] { ++changes; });
    QVERIFY(disc.Catalogue.FillTree("A", &view));
    QCOMPARE(changes, 0);
    // Input handled during a fill moves the selection without reaching the handler.
    int seenDuring = -1;
    QTimer::singleShot(0, [&] {
        view.setCurrentItem(view.topLevelItem(1));
        seenDuring = changes;
    });
    QVERIFY(disc.Catalogue.FillTree("A", &view));
    QCOMPARE(seenDuring, 0);
    QVERIFY(!view.ChangeMuted());
    QVERIFY(view.updatesEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());
    view.setCurrentItem(view.topLevelItem(2));
    QCOMPARE(changes, 1);
    // A failed load does not take the handler away either.
    QVERIFY(!disc.Catalogue.FillTree("Nada", &view));
    view.setCurrentItem(view.topLevelItem(0));
    QCOMPARE(changes, 2);
}

void TestFillTree::plainTreeSignalsBlocked() {
    TDiscFolder disc;
    disc.Write("menu/A.INI", "[Uno]\nExe=a.exe\n[Dos]\nExe=b.exe\n");
    disc.Topics({{"A", "menu\\A.INI"}});
    QTreeWidget tree;
    int changes = 0;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&] { ++changes; });
    QVERIFY(disc.Catalogue.FillTree("A", &tree));
    QVERIFY(disc.Catalogue.FillTree("A", &tree)); // clears a tree that has nodes
    QCOMPARE(changes, 0);
    QVERIFY(!tree.signalsBlocked());
    tree.setCurrentItem(tree.topLevelItem(1));
    QCOMPARE(changes, 1);
}

void TestFillTree::reentrantFillIgnored() {
    TDiscFolder disc;
    disc.Write("menu/A.INI", "[Uno]\nExe=a.exe\n[Dos]\nExe=b.exe\n");
    disc.Write("menu/B.INI", "[Tres]\n[Cuatro]\n[Cinco]\n");
    disc.Topics({{"A", "menu\\A.INI"}, {"B", "menu\\B.INI"}});
    TGTreeView view;
    int nested = -1;
    bool fillingSeen = false;
    QTimer::singleShot(0, [&] {
        fillingSeen = disc.Catalogue.IsFillingTree();
        nested = disc.Catalogue.FillTree("B", &view) ? 1 : 0;
    });
    QVERIFY(disc.Catalogue.FillTree("A", &view));
    QVERIFY(fillingSeen);
    QCOMPARE(nested, 0);
    QVERIFY(!disc.Catalogue.IsFillingTree());
    QCOMPARE(disc.Catalogue.CurrentTopic, QStringLiteral("A"));
    QCOMPARE(Dump(&view), QStringLiteral("Uno[broken#0] Dos[broken#1]"));
    QCOMPARE(disc.Catalogue.ItemList.Count(), 2);
    // Once the fill is over the other topic fills normally.
    QVERIFY(disc.Catalogue.FillTree("B", &view));
    QCOMPARE(view.topLevelItemCount(), 3);
}

void TestFillTree::treeDestroyedDuringFill() {
    TDiscFolder disc;
    disc.Write("menu/A.INI", "[F]\n[Uno]\nExe=a.exe\nCarpeta=F\n");
    disc.Topics({{"A", "menu\\A.INI"}});
    auto *view = new TGTreeView;
    QTimer::singleShot(0, [&] { delete view; });
    QVERIFY(!disc.Catalogue.FillTree("A", view));
    QVERIFY(!disc.Catalogue.IsFillingTree());
    QVERIFY(!QGuiApplication::overrideCursor());
    QTreeWidget other;
    QVERIFY(disc.Catalogue.FillTree("A", &other));
}

void TestFillTree::selectedItem() {
    TDiscFolder disc;
    disc.Write("menu/A.INI", "[F]\n[Uno]\nExe=a.exe\nCarpeta=F\n");
    disc.Topics({{"A", "menu\\A.INI"}});
    QVERIFY(!SelectedItem(nullptr));
    TGTreeView view;
    QVERIFY(!SelectedItem(&view));
    QVERIFY(disc.Catalogue.FillTree("A", &view));
    QVERIFY(!SelectedItem(&view));
    QTreeWidgetItem *uno = view.topLevelItem(0)->child(0);
    view.setCurrentItem(uno);
    QCOMPARE(SelectedItem(&view), disc.Catalogue.ItemAt(1));
    view.clearSelection();
    QVERIFY(!SelectedItem(&view));
    // A node that carries no item.
    auto *bare = new QTreeWidgetItem(QStringList{"x"});
    view.addTopLevelItem(bare);
    view.setCurrentItem(bare);
    QVERIFY(!SelectedItem(&view));
    QVERIFY(!disc.Catalogue.FindParentNode(&view, TItem{}));
    // A change made outside a fill: the lookups see the tree as it is now.
    TItem child{};
    child.Name = "Dos";
    child.Folder = "F";
    QCOMPARE(disc.Catalogue.FindParentNode(&view, child), view.topLevelItem(0));
    delete view.takeTopLevelItem(0);
    QVERIFY(!disc.Catalogue.FindParentNode(&view, child));
}

void TestFillTree::rolesLookDifferent() {
    QFETCH(bool, styleOnly);
    TTreeIcons icons(styleOnly ? TIconSource::Style : TIconSource::Auto);
    // Each role's closed image differs from every other role's.
    QList<QImage> images;
    for (TIconRole role : {TIconRole::Folder, TIconRole::Pictures, TIconRole::Programs, TIconRole::File,
                           TIconRole::Broken})
        images << icons.RoleIcon(role).pixmap(16, 16).toImage();
    for (int i = 0; i < images.size(); ++i) {
        QVERIFY(!images[i].isNull());
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("roles %1 and %2").arg(i).arg(j)));
    }
    if (icons.Source() == u"theme") {
        // The folder shows its open image when selected.
        const QIcon folder = icons.RoleIcon(TIconRole::Folder);
        QVERIFY(folder.pixmap(16, 16, QIcon::Selected).toImage() != folder.pixmap(16, 16).toImage());
    }
}

void TestFillTree::rolesLookDifferent_data() {
    QTest::addColumn<bool>("styleOnly");
    QTest::newRow("theme when installed") << false;
    QTest::newRow("style icons") << true;
}

QTEST_MAIN(TestFillTree)
#include "test_filltree.moc"
