// TGTreeView painted offscreen: the background through the colour key, the scroll bars, the
// whole repaints, single-expand, and the node queries of the scroll arrows.
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "lib/SkinGeometry.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

namespace {

const QColor kOlive(kTreeKey);

// A background of two blues: nothing the tree draws uses them.
QPixmap Stripes(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, ((x / 4 + y / 4) & 1) ? qRgb(0, 0, 255) : qRgb(0, 0, 160));
    return QPixmap::fromImage(img);
}

// Green with a 6 x 6 olive square in the middle.
QIcon KeyedIcon() {
    QPixmap pix(16, 16);
    pix.fill(QColor(0, 200, 0));
    QPainter p(&pix);
    p.fillRect(5, 5, 6, 6, kOlive);
    p.end();
    QIcon icon;
    icon.addPixmap(pix, QIcon::Normal);
    icon.addPixmap(pix, QIcon::Selected);
    return icon;
}

struct TCatalogueTree {
    TGTreeView View;
    explicit TCatalogueTree(int w = 218, int h = 192) {
        View.setFrameShape(QFrame::NoFrame);
        View.SetColor(kOlive);
        View.setRootIsDecorated(false);
        View.setIndentation(19);
        View.SetSingleExpand(true);
        // Focus would make the first node current (and, single-expand, open it) on show.
        View.setFocusPolicy(Qt::NoFocus);
        View.resize(w, h);
    }
    QTreeWidgetItem *Add(const QString &text, QTreeWidgetItem *parent = nullptr) {
        auto *node = new QTreeWidgetItem(QStringList{text});
        if (parent)
            parent->addChild(node);
        else
            View.addTopLevelItem(node);
        return node;
    }
    void Show() {
        View.show();
        QVERIFY(QTest::qWaitForWindowExposed(&View));
        QCoreApplication::processEvents();
    }
    QImage Grab() { return View.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Records the region of every paint of the viewport.
class TPaintSpy : public QObject {
public:
    explicit TPaintSpy(QWidget *w) : FWidget(w) { w->installEventFilter(this); }
    QRegion Painted;
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o == FWidget && e->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }

private:
    QWidget *FWidget;
};

} // namespace

class TestTreeView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backgroundThroughKey();
    void smallerBackground();
    void textEdgesStayClean();
    void withoutBackground();
    void noScrollHidesBarButScrolls();
    void barFollowsContent();
    void noSidewaysScrolling();
    void wholeRepaints();
    void singleExpand_data();
    void singleExpand();
    void doubleClickDoesNotToggle();
    void clickBelowTheBranchItCloses();
    void nodeQueriesBeforeShow();
    void nodeQueries();
};

void TestTreeView::backgroundThroughKey() {
    TCatalogueTree t;
    const QPixmap back = Stripes(kTreeRect.width(), kTreeRect.height());
    t.View.SetBackground(back);
    QTreeWidgetItem *node = t.Add("Nodo");
    node->setIcon(0, KeyedIcon());
    t.Show();
    const QImage shot = t.Grab();
    const QImage bg = back.toImage().convertToFormat(QImage::Format_RGB32);
    // Where no node paints: the background.
    for (QPoint p : {QPoint(200, 100), QPoint(5, 150), QPoint(217, 191)})
        QCOMPARE(shot.pixel(p), bg.pixel(p));
    // The icon: green stays, olive shows the background.
    const QRect icon = t.View.visualItemRect(node);
    int green = 0, through = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x < icon.left() + 30; ++x) {
            if (shot.pixel(x, y) == qRgb(0, 200, 0))
                ++green;
            if (shot.pixel(x, y) == bg.pixel(x, y))
                ++through;
            QVERIFY(shot.pixel(x, y) != kOlive.rgb());
        }
    QVERIFY(green > 100);
    QVERIFY(through > 36);
}

void TestTreeView::smallerBackground() {
    TCatalogueTree t;
    t.View.SetBackground(Stripes(100, 50));
    QTreeWidgetItem *node = t.Add("Nodo");
    node->setIcon(0, KeyedIcon());
    t.Show();
    const QImage shot = t.Grab();
    QCOMPARE(QColor(shot.pixel(150, 120)), kOlive); // outside the picture: the control's colour
    QCOMPARE(shot.pixel(50, 120), shot.pixel(150, 120));
    QVERIFY(QColor(shot.pixel(99, 49)) != kOlive);
    // The picture is copied: changing the original afterwards changes nothing.
    QPixmap back = Stripes(20, 20);
    t.View.SetBackground(back);
    back.fill(Qt::red);
    QVERIFY(t.View.Background().toImage().pixel(0, 0) != QColor(Qt::red).rgb());
}

void TestTreeView::textEdgesStayClean() {
    // Antialiased black text over a blue background: any trace of the olive key in an edge pixel
    // would show as red or green.
    TCatalogueTree t;
    QPixmap back(kTreeRect.size());
    back.fill(QColor(0, 0, 255));
    t.View.SetBackground(back);
    QFont f = t.View.font();
    f.setBold(true);
    f.setPixelSize(13);
    t.View.setFont(f);
    for (const char *s : {"Películas", "Música y sonido", "Imágenes WAV @ 44"})
        t.Add(QString::fromUtf8(s));
    t.Show();
    const QImage shot = t.Grab();
    int ink = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c(shot.pixel(x, y));
            QVERIFY2(c.red() == c.green(), qPrintable(QStringLiteral("fringe at %1,%2").arg(x).arg(y)));
            QVERIFY2(c.red() == 0 || c.blue() >= c.red(), qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            if (c.blue() < 255)
                ++ink;
        }
    QVERIFY(ink > 50);
}

void TestTreeView::withoutBackground() {
    TCatalogueTree t;
    for (int i = 0; i < 3; ++i)
        t.Add(QStringLiteral("Nodo %1").arg(i));
    t.Show();
    const QImage shot = t.Grab();
    QCOMPARE(QColor(shot.pixel(200, 150)), kOlive);
    QVERIFY(!t.View.horizontalScrollBar()->isVisible());
}

void TestTreeView::noScrollHidesBarButScrolls() {
    TCatalogueTree t(218, 100);
    t.View.SetNoScroll(true);
    t.View.SetBackground(Stripes(218, 100));
    for (int i = 0; i < 40; ++i)
        t.Add(QStringLiteral("Nodo %1").arg(i));
    t.View.UpdateScrollBars();
    t.Show();
    QVERIFY(t.View.HasVertRange());
    QVERIFY(!t.View.verticalScrollBar()->isVisible());
    t.View.setCurrentItem(t.View.topLevelItem(0));
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(&t.View, Qt::Key_Down);
    QCOMPARE(t.View.currentItem(), t.View.topLevelItem(20));
    QVERIFY(t.View.verticalScrollBar()->value() > 0);
    QVERIFY(t.View.visualItemRect(t.View.currentItem()).intersects(t.View.viewport()->rect()));
    QVERIFY(!t.View.verticalScrollBar()->isVisible());
    // The wheel scrolls too.
    const int before = t.View.verticalScrollBar()->value();
    QWheelEvent up(QPointF(10, 10), t.View.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(t.View.viewport(), &up);
    QVERIFY(t.View.verticalScrollBar()->value() < before);
}

void TestTreeView::barFollowsContent() {
    TCatalogueTree t(218, 100);
    QTreeWidgetItem *folder = t.Add("Carpeta");
    for (int i = 0; i < 30; ++i)
        t.Add(QStringLiteral("Hijo %1").arg(i), folder);
    t.Add("Otro");
    t.Show();
    QVERIFY(!t.View.verticalScrollBar()->isVisible());
    folder->setExpanded(true);
    QCoreApplication::processEvents();
    QVERIFY(t.View.HasVertRange());
    QVERIFY(t.View.verticalScrollBar()->isVisible());
    folder->setExpanded(false);
    QCoreApplication::processEvents();
    QVERIFY(!t.View.verticalScrollBar()->isVisible());
    // Switching NoScroll on takes effect at the next UpdateScrollBars.
    folder->setExpanded(true);
    QCoreApplication::processEvents();
    t.View.SetNoScroll(true);
    QVERIFY(t.View.verticalScrollBar()->isVisible());
    t.View.UpdateScrollBars();
    QCoreApplication::processEvents();
    QVERIFY(!t.View.verticalScrollBar()->isVisible());
}

void TestTreeView::noSidewaysScrolling() {
    TCatalogueTree t(120, 100);
    t.View.SetBackground(Stripes(120, 100));
    QTreeWidgetItem *folder = t.Add("Carpeta");
    QTreeWidgetItem *deep = t.Add(QString(80, u'W'), t.Add("Sub", folder));
    folder->setExpanded(true);
    deep->parent()->setExpanded(true);
    t.Show();
    t.View.setCurrentItem(deep);
    t.View.scrollToItem(deep);
    QCoreApplication::processEvents();
    QCOMPARE(t.View.horizontalScrollBar()->maximum(), 0);
    QCOMPARE(t.View.horizontalScrollBar()->value(), 0);
    QCOMPARE(t.View.columnWidth(0), t.View.viewport()->width());
    QVERIFY(!t.View.horizontalScrollBar()->isVisible());
}

void TestTreeView::wholeRepaints() {
    TCatalogueTree t(218, 100);
    t.View.SetNoScroll(true);
    t.View.SetBackground(Stripes(218, 100));
    QTreeWidgetItem *folder = t.Add("Carpeta");
    t.Add("Hijo", folder);
    for (int i = 0; i < 30; ++i)
        t.Add(QStringLiteral("Nodo %1").arg(i));
    t.View.UpdateScrollBars();
    t.Show();
    t.View.setCurrentItem(t.View.topLevelItem(3));
    QCoreApplication::processEvents();
    TPaintSpy spy(t.View.viewport());
    const QRegion whole(t.View.viewport()->rect());
    auto check = [&](const char *what, auto action) {
        spy.Painted = QRegion();
        action();
        QCoreApplication::processEvents();
        QVERIFY2(spy.Painted.contains(whole.boundingRect()) && (whole - spy.Painted).isEmpty(), what);
    };
    check("key press", [&] { QTest::keyClick(&t.View, Qt::Key_Down); });
    check("scroll", [&] { t.View.verticalScrollBar()->setValue(t.View.verticalScrollBar()->value() + 3); });
    check("expand", [&] { folder->setExpanded(true); });
    check("collapse", [&] { folder->setExpanded(false); });
}

void TestTreeView::singleExpand_data() {
    QTest::addColumn<QStringList>("path");     // nodes selected one after the other
    QTest::addColumn<QStringList>("expanded"); // folders open at the end
    // Folders A(a1, a2(x)), B(b1), C (no children).
    QTest::newRow("select opens") << QStringList{"A"} << QStringList{"A"};
    QTest::newRow("sibling closes the one left") << QStringList{"A", "B"} << QStringList{"B"};
    QTest::newRow("child keeps its ancestor") << QStringList{"A", "a2"} << QStringList{"A", "a2"};
    QTest::newRow("grandchild keeps both") << QStringList{"A", "a2", "x"} << QStringList{"A", "a2"};
    QTest::newRow("leaving a child closes only it") << QStringList{"A", "a2", "B"} << QStringList{"A", "B"};
    QTest::newRow("back to the parent closes the child") << QStringList{"A", "a2", "A"} << QStringList{"A"};
    QTest::newRow("empty folder") << QStringList{"B", "C"} << QStringList{};
}

void TestTreeView::singleExpand() {
    QFETCH(QStringList, path);
    QFETCH(QStringList, expanded);
    TCatalogueTree t;
    QHash<QString, QTreeWidgetItem *> n;
    n["A"] = t.Add("A");
    n["a1"] = t.Add("a1", n["A"]);
    n["a2"] = t.Add("a2", n["A"]);
    n["x"] = t.Add("x", n["a2"]);
    n["B"] = t.Add("B");
    n["b1"] = t.Add("b1", n["B"]);
    n["C"] = t.Add("C");
    t.Show();
    QStringList changes;
    QObject::connect(&t.View, &TGTreeView::OnChange, [&](QTreeWidgetItem *node) { changes << (node ? node->text(0) : "-"); });
    for (const QString &name : path)
        t.View.setCurrentItem(n[name]);
    QStringList open;
    for (auto it = n.cbegin(); it != n.cend(); ++it)
        if (it.value()->isExpanded())
            open << it.key();
    open.sort();
    expanded.sort();
    QCOMPARE(open, expanded);
    QCOMPARE(changes, path);
}

void TestTreeView::doubleClickDoesNotToggle() {
    TCatalogueTree t;
    t.View.SetSingleExpand(false);
    t.View.setRootIsDecorated(true);
    QTreeWidgetItem *folder = t.Add("Carpeta");
    t.Add("Hijo", folder);
    t.Show();
    int doubleClicks = 0;
    connect(&t.View, &QTreeWidget::itemDoubleClicked, [&] { ++doubleClicks; });
    const QPoint at = t.View.visualItemRect(folder).center();
    QTest::mousePress(t.View.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(t.View.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(t.View.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(doubleClicks, 1);
    QVERIFY(!folder->isExpanded());
    QVERIFY(!t.View.isPersistentEditorOpen(folder));
}

// Clicking a node below an open branch closes that branch, which moves the node up under the
// pointer's old place: the node clicked is still the one selected, once and for good.
void TestTreeView::clickBelowTheBranchItCloses() {
    TCatalogueTree t;
    QTreeWidgetItem *a = t.Add("A");
    t.Add("a1", a);
    t.Add("a2", a);
    QTreeWidgetItem *b = t.Add("B");
    t.Show();
    t.View.setCurrentItem(a);
    QVERIFY(a->isExpanded());
    int selectionChanges = 0;
    connect(&t.View, &QTreeWidget::itemSelectionChanged, [&] { ++selectionChanges; });
    QTest::mouseClick(t.View.viewport(), Qt::LeftButton, Qt::NoModifier, t.View.visualItemRect(b).center());
    QVERIFY(!a->isExpanded());
    QCOMPARE(t.View.currentItem(), b);
    QCOMPARE(t.View.selectedItems(), QList<QTreeWidgetItem *>{b});
    QVERIFY(selectionChanges > 0);
}

void TestTreeView::nodeQueriesBeforeShow() {
    QVERIFY(!HasItems(nullptr));
    TCatalogueTree t;
    QVERIFY(HasItems(&t.View)); // no window yet: assumed to have nodes
    t.Add("A");
    QVERIFY(HasItems(&t.View));
    QVERIFY(!LastVisibleItem(&t.View));
    QVERIFY(!LastExpandedItem(&t.View));
    QVERIFY(!TopVisibleItem(&t.View));
    TCatalogueTree empty;
    empty.Show();
    QVERIFY(!HasItems(&empty.View));
    QVERIFY(!LastVisibleItem(&empty.View) && !LastExpandedItem(&empty.View));
}

void TestTreeView::nodeQueries() {
    TCatalogueTree t(218, 100);
    t.View.SetNoScroll(true);
    QList<QTreeWidgetItem *> top;
    for (int i = 0; i < 20; ++i)
        top << t.Add(QStringLiteral("Nodo %1").arg(i));
    QTreeWidgetItem *lastChild = t.Add("ultimo hijo", t.Add("hijo", top.last()));
    t.View.UpdateScrollBars();
    t.Show();
    QVERIFY(HasItems(&t.View));
    const int rowH = t.View.visualItemRect(top[0]).height();
    QVERIFY(rowH > 0);
    const int rowsInView = (100 + rowH - 1) / rowH; // the last one partly

    QCOMPARE(TopVisibleItem(&t.View), top[0]);
    QCOMPARE(LastVisibleItem(&t.View), top[rowsInView - 1]);
    QCOMPARE(LastExpandedItem(&t.View), top.last());

    // Nodes hidden above and below.
    t.View.verticalScrollBar()->setValue(5);
    QCoreApplication::processEvents();
    QCOMPARE(TopVisibleItem(&t.View), top[5]);
    QCOMPARE(LastVisibleItem(&t.View), top[5 + rowsInView - 1]);

    // Everything expanded and scrolled to the end: the last visible node is the last one.
    top.last()->setExpanded(true);
    top.last()->child(0)->setExpanded(true);
    QCOMPARE(LastExpandedItem(&t.View), lastChild);
    t.View.scrollToItem(lastChild);
    QCoreApplication::processEvents();
    QCOMPARE(LastVisibleItem(&t.View), lastChild);
    QVERIFY(TopVisibleItem(&t.View) != top[0]);
}

QTEST_MAIN(TestTreeView)
#include "test_treeview.moc"
