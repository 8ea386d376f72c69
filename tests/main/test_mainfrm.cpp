#include "main/MainFrm.h"
#include "main/WindowShape.h"

#include "about/AboutFrm.h"
#include "catalogue/GTreeView.h"
#include "hotzone/HotImg.h"
#include "lib/SkinGeometry.h"
#include "main/Accessibility.h"
#include "viewer/GVisor.h"

#include "support/RecordingDesktop.h"
#include "support/DiscFolder.h"
#include "support/TestPictures.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QToolTip>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

static TRecordingDesktop *gDesk = nullptr;

namespace {

// A disc made for these tests: a skin whose normal picture is dark and whose lit twin is
// bright, two topics, and targets of every kind.
void MakeDisc(TDiscFolder &d) {
    d.Skin(kSkinSize, QColor(20, 30, 60), QColor(250, 200, 40));
    d.Write("GRES/GES.INI", "[Temas]\r\nVideo=menu\\VIDEO.INI\r\nImagen=menu\\imagen.ini\r\n");
    QByteArray video = "[Carpeta]\r\n"
                       "[Carpeta\\Manual]\r\nExe=.\\DOCS\\manual.pdf\r\n"
                       "[Carpeta\\Programa]\r\nExe=.\\PROG\\demo.sh --saludo\r\n"
                       "[Clip]\r\nExe=.\\VIDEO\\clip.avi\r\n"
                       "[Roto]\r\nExe=.\\DOCS\\falta.pdf\r\n"
                       "[Fotos]\r\nExe=.\\FOTOS\\*.jpg\r\n";
    for (int i = 0; i < 30; ++i)
        video += "[Extra " + QByteArray::number(i).rightJustified(2, '0') + "]\r\nExe=.\\DOCS\\manual.pdf\r\n";
    d.Write("menu/VIDEO.INI", video);
    d.Write("menu/imagen.ini", "[Uno]\r\nExe=.\\DOCS\\manual.pdf\r\n[Dos]\r\nExe=.\\DOCS\\manual.pdf\r\n");
    d.Write("DOCS/manual.pdf", "%PDF-1.4\n1 0 obj\n<<>>\nendobj\ntrailer\n<<>>\n%%EOF\n");
    d.Write("PROG/demo.sh", gDesk->RecorderScript(), true);
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x * 37 % 256, y * 53 % 256, (x * y) % 256));
    testpictures::WritePicture(d.Root() + "FOTOS/foto.jpg", photo, "JPEG", 95);
    d.Write("VIDEO/clip.avi", QByteArray("RIFF\0\0\0\0AVI LIST", 16));
}

QTreeWidgetItem *Node(TGTreeView *tree, const QString &caption) {
    const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

void MouseAt(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Answers the next message box with OK, keeping what it said.
struct TBoxCatcher {
    QString Text, Title;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    int Count = 0;
    QTimer Poll;
    TBoxCatcher() {
        QObject::connect(&Poll, &QTimer::timeout, [this] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    Text = box->text();
                    Title = box->windowTitle();
                    Icon = box->icon();
                    ++Count;
                    box->accept();
                }
        });
        Poll.start(20);
    }
};

} // namespace

class TestMainFrm : public QObject {
    Q_OBJECT
    std::unique_ptr<TDiscFolder> FDisc;
    std::unique_ptr<TMainFrm> F;
    std::unique_ptr<TAboutFrm> FAbout;
    TGTreeView *Tree() const { return F->Tree(); }

private Q_SLOTS:
    // The disc read again, by the program that the tests are.
    bool LoadDisc() {
        FDisc->Load(QCoreApplication::applicationFilePath());
        return TopicsLoaded(FDisc->Disc.TopicList);
    }
    void initTestCase() {
        FDisc = std::make_unique<TDiscFolder>(gDesk->Path("disc/"));
        MakeDisc(*FDisc);
        QVERIFY(LoadDisc());
    }
    void init() {
        gDesk->ClearRecord();
        F = std::make_unique<TMainFrm>(FDisc->Disc);
        FAbout = std::make_unique<TAboutFrm>(F.get());
        F->SetAboutBox(FAbout.get());
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(F.get()));
        F->activateWindow();
    }
    void cleanup() {
        FAbout.reset();
        F.reset();
    }

    void placementAndShape();
    void displayChangeRecentres();
    void withoutASkinTheKeyColourNeverShows();
    void fontsFallBackToTheDesign();
    void firstTopicShown();
    void labelTexts();
    void topicRegionsIgnoreCase();
    void reselectingTheCurrentTopicRefills();
    void restoringKeepsEverything();
    void arrowsMoveOneNodeAndStopAtTheEnd();
    void wheelMovesOneNodePerEvent();
    void enterTogglesAFolder();
    void activationLaunches_data();
    void activationLaunches();
    void failedLaunchSaysSo();
    void picturesOpenTheViewer();
    void setupWaitsForTheFirstNeed();
    void activationDuringAFillIsIgnored();
    void dragRegionLatchesAndSwallowsThePointer();
    void hints();
    void blinkRhythm();
    void nothingBlinksWithEverythingInView();
    void regionsForScreenReaders_data();
    void regionsForScreenReaders();
    void topicRenamedInTemasNamesItsButton();
    void tabFromTheTreeWalksTheRegionsAndBack();
    void keyboardPressesARegion();
    void screenReaderPressOfSalirCloses();
    void dragRegionFromTheKeyboard();
    void focusedRegionShowsItsHint();
    void treeAndLabelForScreenReaders();
};

void TestMainFrm::placementAndShape() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size = kSkinSize;
    QCOMPARE(F->geometry(), QRect(QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2), size));
    QVERIFY(F->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(Tree()->geometry(), kTreeRect);
    const QRegion mask = F->mask();
    QVERIFY(!mask.isEmpty());
    QVERIFY(!mask.contains(QPoint(0, 0)));           // the mask's outside
    QVERIFY(mask.contains(QPoint(150, 150)));        // the tree panel
    for (const char *id : {"VIDEO", "SALIR", "EJECUTAR", "MOVER", "LUP", "LDOWN", "CREDITOS"}) {
        const QRect box = F->Hot()->GetRegionRect(id);
        QVERIFY2(mask.contains(box.center()), qPrintable(id));
    }
    // Row runs: a small picture whose outside is its top-left colour.
    QImage m(4, 2, QImage::Format_RGB32);
    m.fill(Qt::white);
    m.setPixel(1, 0, qRgb(0, 0, 0));
    m.setPixel(2, 0, qRgb(9, 9, 9));
    m.setPixel(0, 1, qRgb(0, 0, 0));
    m.setPixel(3, 1, qRgb(0, 0, 0));
    const QRegion r = MaskRegion(m);
    QCOMPARE(r, QRegion(1, 0, 2, 1) + QRegion(0, 1, 1, 1) + QRegion(3, 1, 1, 1));
    QVERIFY(MaskRegion(QImage()).isEmpty());
}

void TestMainFrm::displayChangeRecentres() {
    const QPoint placed = F->pos();
    F->move(5, 5);
    // What the screen says after a change of resolution; the window re-centres after 100 ms.
    QScreen *screen = QGuiApplication::primaryScreen();
    QElapsedTimer t;
    t.start();
    Q_EMIT screen->geometryChanged(screen->geometry());
    QVERIFY(t.elapsed() >= 95);
    QCOMPARE(F->pos(), placed);
    // Another screen made primary (here the same one announced again): the window follows it,
    // and keeps following its changes, once per change.
    F->move(5, 5);
    Q_EMIT qApp->primaryScreenChanged(screen);
    QCOMPARE(F->pos(), placed);
    F->move(5, 5);
    t.restart();
    Q_EMIT screen->geometryChanged(screen->geometry());
    QVERIFY(t.elapsed() >= 95 && t.elapsed() < 190);
    QCOMPARE(F->pos(), placed);
}

void TestMainFrm::withoutASkinTheKeyColourNeverShows() {
    TDiscFolder bare(gDesk->Path("bare/"));
    bare.Write("GRES/GES.INI", "[Temas]\r\nVideo=menu\\VIDEO.INI\r\n");
    bare.Write("menu/VIDEO.INI", "[Uno]\r\nExe=.\\falta.pdf\r\n");
    bare.Load(QCoreApplication::applicationFilePath());
    TMainFrm f(bare.Disc);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QImage shown = f.grab(f.Tree()->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            QVERIFY2(shown.pixel(x, y) != kTreeKey, qPrintable(QString("%1,%2").arg(x).arg(y)));
}

void TestMainFrm::fontsFallBackToTheDesign() {
    // Tahoma is not installed on these machines: the design fonts stay, both bold.
    QCOMPARE(Tree()->font().family(), QString("MS Sans Serif"));
    QCOMPARE(F->LblInfo()->font().family(), QString("Arial"));
    QVERIFY(Tree()->font().bold() && F->LblInfo()->font().bold());
    QCOMPARE(F->LblInfo()->palette().color(QPalette::WindowText), Tree()->palette().color(QPalette::Text));
}

void TestMainFrm::firstTopicShown() {
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Video"));
    QCOMPARE(Tree()->currentItem(), Tree()->topLevelItem(0));
    QCOMPARE(Tree()->currentItem()->text(0), QString("Carpeta"));
    QVERIFY(F->Hot()->GetRegionFlags("VIDEO") & hsLatched);
    QVERIFY(!(F->Hot()->GetRegionFlags("IMAGEN") & hsLatched));
    QVERIFY(F->Hot()->GetRegionFlags("LUP") & hsAutoRepeat);
    QVERIFY(F->Hot()->GetRegionFlags("SALIR") & hsOwnCursor);
    QVERIFY(F->FirstTick());
    QCOMPARE(F->BlinkCount(), 10);
    QVERIFY(F->Timer().isActive());
    QCOMPARE(F->Timer().interval(), 600);
}

void TestMainFrm::labelTexts() {
    QCOMPARE(F->LblInfo()->text(), QString("2 objetos")); // the folder with two children
    Tree()->setCurrentItem(Node(Tree(), "Manual"));
    QCOMPARE(F->LblInfo()->text(), QString("1/35"));
    QCOMPARE(F->CurrentItem()->Name, QString("Manual"));
    Tree()->setCurrentItem(Node(Tree(), "Clip"));
    QCOMPARE(F->LblInfo()->text(), QString("3/35"));
    QVERIFY(F->LblInfo()->width() > 0);
}

void TestMainFrm::topicRegionsIgnoreCase() {
    F->HotHit(F->Hot(), "IMAGEN"); // the items file is "imagen.ini"
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Imagen"));
    QVERIFY(F->Hot()->GetRegionFlags("IMAGEN") & hsLatched);
    QVERIFY(!(F->Hot()->GetRegionFlags("VIDEO") & hsLatched));
    QCOMPARE(F->LblInfo()->text(), QString("1/2"));
    F->HotHit(F->Hot(), "VARIOS"); // no such topic: only the cue
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Imagen"));
}

void TestMainFrm::reselectingTheCurrentTopicRefills() {
    Tree()->setCurrentItem(Node(Tree(), "Clip"));
    F->HotHit(F->Hot(), "VIDEO");
    QCOMPARE(Tree()->currentItem(), Tree()->topLevelItem(0));
    QCOMPARE(F->LblInfo()->text(), QString("2 objetos"));
}

void TestMainFrm::restoringKeepsEverything() {
    Tree()->setCurrentItem(Node(Tree(), "Clip"));
    F->showMinimized();
    QTest::qWait(50);
    F->RestoreAndRaise();
    QTest::qWait(50);
    QCOMPARE(Tree()->currentItem()->text(0), QString("Clip"));
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Video"));
}

void TestMainFrm::arrowsMoveOneNodeAndStopAtTheEnd() {
    const int nodes = 1 + 2 + 34; // the folder expands as it is selected
    F->HotHit(F->Hot(), "LDOWN");
    QCOMPARE(Tree()->currentItem()->text(0), QString("Manual"));
    for (int i = 0; i < nodes + 5; ++i)
        F->HotHit(F->Hot(), "LDOWN");
    QCOMPARE(Tree()->currentItem()->text(0), QString("Extra 29"));
    F->HotHit(F->Hot(), "LUP");
    QCOMPARE(Tree()->currentItem()->text(0), QString("Extra 28"));
    // Held on the arrow, the hit repeats every 150 ms.
    Tree()->setCurrentItem(Tree()->topLevelItem(0));
    const QRect box = F->Hot()->GetRegionRect("LDOWN");
    QSignalSpy hits(F->Hot(), &TCustomHotZone::OnHit);
    MouseAt(F->Hot(), QEvent::MouseMove, box.center());
    MouseAt(F->Hot(), QEvent::MouseButtonPress, box.center(), Qt::LeftButton);
    QTest::qWait(700);
    MouseAt(F->Hot(), QEvent::MouseButtonRelease, box.center(), Qt::LeftButton);
    QVERIFY2(hits.count() >= 3 && hits.count() <= 7, qPrintable(QString::number(hits.count())));
    QTest::qWait(400);
    const int after = hits.count();
    QTest::qWait(400);
    QCOMPARE(hits.count(), after);
}

void TestMainFrm::wheelMovesOneNodePerEvent() {
    const int scrolled = Tree()->verticalScrollBar()->value();
    QWheelEvent down(QPointF(20, 20), Tree()->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -240),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Tree()->viewport(), &down);
    QCOMPARE(Tree()->currentItem()->text(0), QString("Manual"));
    QWheelEvent up(QPointF(20, 20), Tree()->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Tree()->viewport(), &up);
    QCOMPARE(Tree()->currentItem()->text(0), QString("Carpeta"));
    QCOMPARE(Tree()->verticalScrollBar()->value(), scrolled);
}

void TestMainFrm::enterTogglesAFolder() {
    QTreeWidgetItem *folder = Tree()->topLevelItem(0);
    const bool open = folder->isExpanded();
    Key(Tree(), Qt::Key_Return);
    QCOMPARE(folder->isExpanded(), !open);
    Key(Tree(), Qt::Key_Enter);
    QCOMPARE(folder->isExpanded(), open);
    QVERIFY(!F->isMinimized());
    QTest::qWait(200);
    QVERIFY(gDesk->Recorded().isEmpty());
}

void TestMainFrm::activationLaunches_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("firstArgument");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<bool>("clicked"); // chosen with the mouse after another node
    QTest::newRow("document") << "Manual" << 0 << "doc" << true << false;
    QTest::newRow("document, Shift keeps the window") << "Manual" << int(Qt::ShiftModifier) << "doc" << false << false;
    QTest::newRow("document, clicked") << "Manual" << 0 << "doc" << true << true;
    QTest::newRow("program with arguments") << "Programa" << 0 << "--saludo" << true << false;
    QTest::newRow("program, clicked") << "Programa" << 0 << "--saludo" << true << true;
    QTest::newRow("media, played by its application") << "Clip" << 0 << "avi" << true << false;
    QTest::newRow("media with Ctrl: the video command") << "Clip" << int(Qt::ControlModifier | Qt::ShiftModifier) << "avi"
                                                         << false << false;
}

void TestMainFrm::activationLaunches() {
    QFETCH(QString, node);
    QFETCH(int, modifiers);
    QFETCH(QString, firstArgument);
    QFETCH(bool, minimised);
    QFETCH(bool, clicked);
    if (clicked) {
        Tree()->setCurrentItem(Tree()->topLevelItem(0));
        QTreeWidgetItem *n = Node(Tree(), node);
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, Tree()->visualItemRect(n).center());
        QCOMPARE(F->CurrentItem(), NodeItem(n));
    } else {
        Tree()->setCurrentItem(Node(Tree(), node));
    }
    Key(Tree(), Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY_WITH_TIMEOUT(gDesk->Recorded().contains("end"), 10000);
    QCOMPARE(gDesk->Recorded().value(1), "arg:" + firstArgument);
    QCOMPARE(F->isMinimized(), minimised);
}

void TestMainFrm::failedLaunchSaysSo() {
    TBoxCatcher box;
    Tree()->setCurrentItem(Node(Tree(), "Roto"));
    const QString target = F->CurrentItem()->Exe;
    Key(Tree(), Qt::Key_Return);
    QCOMPARE(box.Count, 1);
    QCOMPARE(box.Text, QString("Error ejecutando \"%1\"").arg(target));
    QCOMPARE(box.Title, QString("Telvaro"));
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QVERIFY(!F->isMinimized());
}

void TestMainFrm::picturesOpenTheViewer() {
    TBoxCatcher box;
    TVisorFrm visor;
    F->SetViewer(&visor);
    Tree()->setCurrentItem(Node(Tree(), "Fotos"));
    F->HotHit(F->Hot(), "EJECUTAR");
    QTRY_VERIFY(visor.isVisible());
    QVERIFY(visor.Folder().endsWith("/FOTOS/"));
    QCOMPARE(visor.Pictures().size(), 1);
    QCOMPARE(visor.LblInfo1()->text(), QString("1/1"));
    QCOMPARE(box.Count, 0);
    QVERIFY(gDesk->Recorded().isEmpty());
    QVERIFY(!F->isMinimized());
    F->SetViewer(nullptr);
}

void TestMainFrm::setupWaitsForTheFirstNeed() {
    // A picture opened before that moment makes the viewer first, and opens in it.
    std::unique_ptr<TVisorFrm> visor;
    F->SetDeferredSetup([&] {
        visor = std::make_unique<TVisorFrm>();
        F->SetViewer(visor.get());
    });
    Tree()->setCurrentItem(Node(Tree(), "Fotos"));
    F->HotHit(F->Hot(), "EJECUTAR");
    QVERIFY(visor);
    QTRY_VERIFY(visor->isVisible());
    QCOMPARE(visor->Pictures().size(), 1);
    F->SetViewer(nullptr);

    // Left alone, the deferred work waits for its first need: a painted, idle window does not
    // run it; the About button runs it once. (This window refills the shared catalogue: F's
    // nodes are stale from here on.)
    FAbout.reset();
    F.reset();
    int runs = 0;
    TMainFrm idle(FDisc->Disc);
    idle.SetDeferredSetup([&] { ++runs; });
    idle.show();
    QVERIFY(QTest::qWaitForWindowExposed(&idle));
    QTest::qWait(200);
    QCOMPARE(runs, 0);
    idle.HotHit(idle.Hot(), "CREDITOS");
    idle.HotHit(idle.Hot(), "CREDITOS");
    QCOMPARE(runs, 1);
}

void TestMainFrm::activationDuringAFillIsIgnored() {
    TBoxCatcher box;
    Tree()->setCurrentItem(Node(Tree(), "Roto"));
    int tries = 0;
    QTimer during;
    connect(&during, &QTimer::timeout, this, [&] {
        if (F->Catalogue().IsFillingTree()) {
            ++tries;
            F->ActivateItem(Qt::NoModifier); // its item may already be freed: ignored
            F->SelectTopic("Imagen");        // a second fill over the same lists: ignored
        }
    });
    during.start(0);
    F->SelectTopic("Video");
    during.stop();
    QVERIFY(tries > 0);
    QCOMPARE(box.Count, 0);
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Video"));
    QCOMPARE(F->CurrentItem(), SelectedItem(Tree()));
}

void TestMainFrm::dragRegionLatchesAndSwallowsThePointer() {
    QSignalSpy enters(F->Hot(), &TCustomHotZone::OnEnter);
    QSignalSpy hits(F->Hot(), &TCustomHotZone::OnHit);
    const QPoint corner(246, 310); // inside MOVER's box, outside its circle
    MouseAt(F->Hot(), QEvent::MouseMove, corner);
    QVERIFY(F->Hot()->GetRegionFlags("MOVER") & hsLatched);
    QCOMPARE(F->Hot()->cursor().shape(), Qt::ArrowCursor);
    const QPoint before = F->pos();
    MouseAt(F->Hot(), QEvent::MouseButtonPress, corner, Qt::LeftButton);
    // Offscreen there is no window manager: the window follows the pointer by itself.
    QMouseEvent drag(QEvent::MouseMove, QPointF(corner + QPoint(30, 20)), F->Hot()->mapToGlobal(QPointF(corner)) + QPointF(30, 20),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(F->Hot(), &drag);
    MouseAt(F->Hot(), QEvent::MouseButtonRelease, corner + QPoint(30, 20), Qt::LeftButton);
    QCOMPARE(F->pos(), before + QPoint(30, 20));
    QCOMPARE(enters.count(), 0);
    QCOMPARE(hits.count(), 0);
    // The next pointer move elsewhere on the window unlatches it.
    MouseAt(F->Hot(), QEvent::MouseMove, QPoint(20, 200));
    QVERIFY(!(F->Hot()->GetRegionFlags("MOVER") & hsLatched));
}

void TestMainFrm::hints() {
    QSignalSpy enters(F->Hot(), &TCustomHotZone::OnEnter);
    MouseAt(F->Hot(), QEvent::MouseMove, F->Hot()->GetRegionRect("SALIR").center());
    QCOMPARE(enters.count(), 1);
    QCOMPARE(F->Hot()->toolTip(), QString("Salir"));
    MouseAt(F->Hot(), QEvent::MouseMove, F->Hot()->GetRegionRect("MINIMIZAR").center());
    QCOMPARE(F->Hot()->toolTip(), QString("Minimizar"));
    MouseAt(F->Hot(), QEvent::MouseMove, F->Hot()->GetRegionRect("VIDEO").center());
    QCOMPARE(F->Hot()->toolTip(), QString());
    MouseAt(F->Hot(), QEvent::MouseMove, F->Hot()->GetRegionRect("SALIR").center());
    MouseAt(F->Hot(), QEvent::MouseMove, QPoint(20, 200));
    QCOMPARE(F->Hot()->toolTip(), QString());
}

void TestMainFrm::blinkRhythm() {
    if (!QApplication::activeWindow())
        QSKIP("the window cannot be made active here");
    F->Timer().stop();
    // Nodes are hidden below (34 items do not fit) but not above.
    const auto lit = [this](const char *id) { return bool(F->Hot()->GetRegionFlags(id) & hsLatched); };
    QStringList got;
    for (int tick = 0; tick < 13; ++tick) {
        F->TimerTimer();
        got << QString("%1%2").arg(F->BlinkCount()).arg(lit("LDOWN") ? "*" : "");
        QVERIFY(!lit("LUP"));
    }
    QCOMPARE(got.join(' '), QString("10 9 8 7 6 5 4 3* 2 1* 0 10 9"));
    // Activity in the quiet part restarts it.
    F->TimerTimer();
    F->TimerTimer();
    QCOMPARE(F->BlinkCount(), 7);
    Key(Tree(), Qt::Key_Down);
    QCOMPARE(F->BlinkCount(), 10);
}

void TestMainFrm::nothingBlinksWithEverythingInView() {
    F->Timer().stop();
    F->HotHit(F->Hot(), "IMAGEN");
    for (int tick = 0; tick < 12; ++tick) {
        F->TimerTimer();
        QVERIFY(!(F->Hot()->GetRegionFlags("LUP") & hsLatched));
        QVERIFY(!(F->Hot()->GetRegionFlags("LDOWN") & hsLatched));
    }
}

namespace {

QAccessibleInterface *RegionButton(THotImg *hot, const QString &id) {
    return QAccessible::queryAccessibleInterface(hot)->child(hot->RgnList().IndexOf(hot->RgnList().FindById(id)));
}

bool RegionLit(THotImg *hot, const QString &id) {
    return hot->grab().toImage().pixelColor(hot->GetRegionRect(id).center()) == QColor(250, 200, 40);
}

QString FocusedRegion(THotImg *hot) { return hot->hasFocus() && hot->FocusRgn() ? hot->FocusRgn()->Id : QString(); }

} // namespace

void TestMainFrm::regionsForScreenReaders_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("checked");
    // The test disc's topics are Video and Imagen; MUSICA and VARIOS are no topics here.
    QTest::newRow("current topic") << "VIDEO" << "Video" << true << true;
    QTest::newRow("other topic") << "IMAGEN" << "Imagen" << true << false;
    QTest::newRow("no topic") << "MUSICA" << "MUSICA" << false << false;
    QTest::newRow("exit") << "SALIR" << "Salir" << false << false;
    QTest::newRow("minimise") << "MINIMIZAR" << "Minimizar" << false << false;
    QTest::newRow("credits") << "CREDITOS" << "Créditos" << false << false;
    QTest::newRow("open") << "EJECUTAR" << "Abrir" << false << false;
    QTest::newRow("up") << "LUP" << "Subir" << false << false;
    QTest::newRow("down") << "LDOWN" << "Bajar" << false << false;
    QTest::newRow("drag") << "MOVER" << "Mover la ventana" << false << false;
}

void TestMainFrm::regionsForScreenReaders() {
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(bool, checkable);
    QFETCH(bool, checked);
    QAccessibleInterface *button = RegionButton(F->Hot(), id);
    QVERIFY(button);
    QCOMPARE(button->role(), QAccessible::PushButton);
    QCOMPARE(button->text(QAccessible::Name), name);
    QCOMPARE(bool(button->state().checkable), checkable);
    QCOMPARE(bool(button->state().checked), checked);
    const QRect box = F->Hot()->GetRegionRect(id);
    QCOMPARE(button->rect(), QRect(F->mapToGlobal(box.topLeft()), box.size()));
}

void TestMainFrm::topicRenamedInTemasNamesItsButton() {
    const QString ini = gDesk->Path("disc/GRES/GES.INI");
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    struct TRestore {
        TestMainFrm *Test;
        QByteArray Text;
        ~TRestore() {
            Test->FDisc->Write("GRES/GES.INI", Text);
            Test->LoadDisc();
        }
    } restore{this, original};
    FAbout.reset();
    F.reset();
    FDisc->Write("GRES/GES.INI", "[Temas]\r\nPel" "\xc3\xad" "culas=menu\\VIDEO.INI\r\nImagen=menu\\imagen.ini\r\n");
    QVERIFY(LoadDisc());
    F = std::make_unique<TMainFrm>(FDisc->Disc);
    F->show();
    QCOMPARE(RegionButton(F->Hot(), "VIDEO")->text(QAccessible::Name), QString("Películas"));
    QVERIFY(RegionButton(F->Hot(), "VIDEO")->state().checked);
    F->HotHit(F->Hot(), "IMAGEN");
    QVERIFY(!RegionButton(F->Hot(), "VIDEO")->state().checked);
    QVERIFY(RegionButton(F->Hot(), "IMAGEN")->state().checked);
}

void TestMainFrm::tabFromTheTreeWalksTheRegionsAndBack() {
    if (!QApplication::activeWindow())
        QSKIP("the window cannot be made active here");
    QVERIFY(Tree()->hasFocus());
    QStringList walk;
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk << (Tree()->hasFocus() ? QString("tree") : FocusedRegion(F->Hot()));
    }
    QCOMPARE(walk.join(' '), QString("VIDEO MUSICA VARIOS SALIR MINIMIZAR IMAGEN MOVER LUP LDOWN CREDITOS EJECUTAR tree"));
    QTest::keyClick(Tree(), Qt::Key_Backtab);
    QCOMPARE(FocusedRegion(F->Hot()), QString("EJECUTAR"));
    QVERIFY(RegionLit(F->Hot(), "EJECUTAR"));
    QTest::keyClick(F->Hot(), Qt::Key_Backtab);
    QVERIFY(!RegionLit(F->Hot(), "EJECUTAR"));
    QVERIFY(RegionLit(F->Hot(), "CREDITOS"));
    // The tree's own keys are untouched.
    Tree()->setFocus();
    QCOMPARE(Tree()->currentItem()->text(0), QString("Carpeta"));
    QTest::keyClick(Tree(), Qt::Key_Down);
    QCOMPARE(Tree()->currentItem()->text(0), QString("Manual"));
}

void TestMainFrm::keyboardPressesARegion() {
    if (!QApplication::activeWindow())
        QSKIP("the window cannot be made active here");
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(FocusedRegion(F->Hot()), QString("IMAGEN"));
    QTest::keyClick(F->Hot(), Qt::Key_Space);
    QCOMPARE(F->Catalogue().CurrentTopic, QString("Imagen"));
    // As after a click, the tree takes the keyboard, and the region left goes dark but stays
    // latched as the current topic.
    QVERIFY(Tree()->hasFocus());
    QVERIFY(RegionLit(F->Hot(), "IMAGEN"));
    QVERIFY(!RegionLit(F->Hot(), "VIDEO"));
    // Down through the arrow region, from the keyboard.
    QVERIFY(F->Hot()->FocusRegion(F->Hot()->RgnList().IndexOf(F->Hot()->RgnList().FindById("LDOWN"))));
    QTest::keyClick(F->Hot(), Qt::Key_Return);
    QCOMPARE(Tree()->currentItem()->text(0), QString("Dos"));
}

void TestMainFrm::screenReaderPressOfSalirCloses() {
    QVERIFY(F->isVisible());
    RegionButton(F->Hot(), "SALIR")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!F->isVisible());
}

void TestMainFrm::dragRegionFromTheKeyboard() {
    THotImg *hot = F->Hot();
    QSignalSpy hits(hot, &TCustomHotZone::OnHit);
    QVERIFY(hot->FocusRegion(hot->RgnList().IndexOf(hot->RgnList().FindById("MOVER"))));
    const QPoint start = F->pos();
    QTest::keyClick(hot, Qt::Key_Right);
    QTest::keyClick(hot, Qt::Key_Down);
    QTest::keyClick(hot, Qt::Key_Down);
    QTRY_COMPARE(F->pos(), start + QPoint(10, 20));
    // Pressing it, as clicking it, raises nothing.
    QTest::keyClick(hot, Qt::Key_Space);
    RegionButton(hot, "MOVER")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    QCOMPARE(hits.count(), 0);
    // Elsewhere the arrows do nothing to the window.
    QVERIFY(hot->FocusRegion(hot->RgnList().IndexOf(hot->RgnList().FindById("CREDITOS"))));
    QTest::keyClick(hot, Qt::Key_Left);
    QCoreApplication::processEvents();
    QCOMPARE(F->pos(), start + QPoint(10, 20));
}

void TestMainFrm::focusedRegionShowsItsHint() {
    if (!QApplication::activeWindow())
        QSKIP("the window cannot be made active here");
    THotImg *hot = F->Hot();
    QVERIFY(hot->FocusRegion(hot->RgnList().IndexOf(hot->RgnList().FindById("SALIR"))));
    QTRY_COMPARE(QToolTip::text(), QString("Salir"));
    QTest::keyClick(hot, Qt::Key_Tab);
    QTRY_COMPARE(QToolTip::text(), QString("Minimizar"));
    QTest::keyClick(hot, Qt::Key_Tab);
    QTRY_VERIFY(QToolTip::text().isEmpty());
}

void TestMainFrm::treeAndLabelForScreenReaders() {
    QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(Tree());
    QCOMPARE(tree->role(), QAccessible::Tree);
    QCOMPARE(tree->text(QAccessible::Name), QString("Video"));
    // The nodes in view, and nothing for the hidden header: Carpeta is open, with its two.
    QStringList names;
    for (int i = 0; i < tree->childCount(); ++i)
        names << tree->child(i)->text(QAccessible::Name);
    QCOMPARE(names.mid(0, 4), (QStringList{"Carpeta", "Manual", "Programa", "Clip"}));
    QCOMPARE(tree->childCount(), 3 + 33);
    QAccessibleInterface *folder = tree->child(0);
    QCOMPARE(folder->role(), QAccessible::TreeItem);
    QVERIFY(folder->state().expandable && folder->state().expanded && !folder->state().collapsed);
    QVERIFY(!tree->child(1)->state().expandable);
    Tree()->setCurrentItem(Node(Tree(), "Clip"));
    QVERIFY(folder->state().collapsed && !folder->state().expanded);
    QCOMPARE(tree->childCount(), 1 + 33);
    QCOMPARE(tree->indexOfChild(tree->child(1)), 1);
    QCOMPARE(tree->child(1)->text(QAccessible::Name), QString("Clip"));
    QVERIFY(tree->child(1)->state().selected);
    if (Tree()->hasFocus())
        QCOMPARE(tree->focusChild(), tree->child(1));
    QAccessibleInterface *label = QAccessible::queryAccessibleInterface(F->LblInfo());
    QCOMPARE(label->text(QAccessible::Name), QString("3/35"));
}

int main(int argc, char **argv) {
    TRecordingDesktop desk;
    gDesk = &desk;
    QApplication app(argc, argv);
    InstallAccessibility();
    QApplication::setApplicationDisplayName("Telvaro");
    TestMainFrm t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_mainfrm.moc"
