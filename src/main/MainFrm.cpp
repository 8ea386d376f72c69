#include "main/MainFrm.h"

#include "about/AboutFrm.h"
#include "catalogue/Disc.h"
#include "catalogue/GTreeView.h"
#include "hotzone/HotImg.h"
#include "lib/GExec.h"
#include "lib/Cue.h"
#include "platform/Sound.h"
#include "viewer/GVisor.h"

#include "ui_MainFrm.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

static void InitMainResources() { Q_INIT_RESOURCE(main); }

namespace {

const QString kDragRegions[] = {QStringLiteral("MOVER"), QStringLiteral("MOVER2")};
const QString kCue = QStringLiteral("BOTON.WAV");
const QColor kTreeKey(128, 128, 0);
// How far an arrow key moves the window while the keyboard is on a drag region.
constexpr int kKeyMoveStep = 10;

bool IsDragRegion(const QString &id) { return id == kDragRegions[0] || id == kDragRegions[1]; }

// The hint shown over a region, if it has one.
QString HintFor(const QString &id) {
    if (id == u"SALIR")
        return QStringLiteral("Salir");
    if (id == u"MINIMIZAR")
        return QStringLiteral("Minimizar");
    return {};
}

// What a screen reader says for each region. A disc author names the topic buttons by naming
// the topics; the fixed ids say what they do. An id that is both keeps its fixed name, since
// its fixed action runs first.
THSRgnPresentation PresentRegion(const TTopicList &topics, const QString &id) {
    static const struct {
        const char16_t *Id;
        const char16_t *Name;
    } fixed[] = {{u"SALIR", u"Salir"},          {u"MINIMIZAR", u"Minimizar"}, {u"CREDITOS", u"Créditos"},
                 {u"EJECUTAR", u"Abrir"},       {u"LUP", u"Subir"},           {u"LDOWN", u"Bajar"},
                 {u"MOVER", u"Mover la ventana"}, {u"MOVER2", u"Mover la ventana"}, {u"EMAIL", u"Correo"}};
    THSRgnPresentation p{id, topics.HasTopicForRegion(id)};
    if (p.Checkable)
        p.Name = topics.TopicForRegion(id);
    for (const auto &f : fixed)
        if (id == QStringView(f.Id))
            p.Name = QString::fromUtf16(f.Name);
    return p;
}

// To assistive tools the skin is a window named by its title, as a framed window would be.
QAccessibleInterface *MainFrmFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("TMainFrm") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

bool NativeWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

} // namespace

TMainFrm::TMainFrm(const TDisc &disc, QWidget *parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TMainFrm>()), FDisc(disc), FCatalogue(disc) {
    static const bool accessible = [] {
        QAccessible::installFactory(MainFrmFactory);
        return true;
    }();
    (void)accessible;
    // The tree's icons choose the icon theme: done before any widget of the menu exists.
    FCatalogue.Icons.Source();
    InitMainResources();
    FUi->setupUi(this);
    Hot()->SetDiscFolder(FDisc.BaseDir);
    FormCreate();
}

TMainFrm::~TMainFrm() {
    FTimer.stop();
    Tree()->OnChange = nullptr;
    // The skin still reports its focus leaving while the window's widgets go.
    disconnect(Hot(), nullptr, this, nullptr);
}

THotImg *TMainFrm::Hot() const { return FUi->Hot; }
TGTreeView *TMainFrm::Tree() const { return FUi->Tree; }
QLabel *TMainFrm::LblInfo() const { return FUi->LblInfo; }

void TMainFrm::PlaceWindow() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, kWidth, kHeight);
    setGeometry(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2, kWidth, kHeight);
}

void TMainFrm::FormCreate() {
    // No caption, no frame: the whole surface is the skin.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_NoSystemBackground);
    // The skin has one size: said so, a tiling compositor floats the window instead of
    // stretching it over the screen.
    setFixedSize(kWidth, kHeight);
    PlaceWindow();
    FCurrentItem = nullptr;

    QFont treeFont = Tree()->font();
    treeFont.setPixelSize(11);
    QFont infoFont = LblInfo()->font();
    infoFont.setPixelSize(11);
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        treeFont.setFamily(QStringLiteral("Tahoma"));
        infoFont.setFamily(QStringLiteral("Tahoma"));
    }
    treeFont.setBold(true);
    Tree()->setFont(treeFont);
    QPalette treePalette = Tree()->palette();
    treePalette.setColor(QPalette::Text, Qt::black);
    Tree()->setPalette(treePalette);
    infoFont.setBold(true);
    LblInfo()->setFont(infoFont);
    QPalette infoPalette = LblInfo()->palette();
    infoPalette.setColor(QPalette::WindowText, treePalette.color(QPalette::Text));
    LblInfo()->setPalette(infoPalette);
    LblInfo()->setAttribute(Qt::WA_TranslucentBackground);
    LblInfo()->setText(QString());

    Tree()->SetColor(kTreeKey);
    Tree()->SetNoScroll(true);
    Tree()->SetSingleExpand(true);
    Tree()->SetShowLines(true);
    Tree()->SetShowButtons(true);
    // Cut once from the skin: the tree does not follow later changes of the skin. Without a
    // skin the window is the desktop's plain colour, under the tree too: the key colour must
    // never be what shows.
    QPixmap back(Tree()->size());
    if (Hot()->Img().isNull()) {
        Hot()->setAutoFillBackground(true);
        back.fill(Hot()->palette().color(QPalette::Window));
    } else {
        back = QPixmap::fromImage(Hot()->Img().copy(Tree()->geometry()).scaled(Tree()->size()));
    }
    Tree()->SetBackground(back);

    FShape = MaskRegion(QImage(QStringLiteral(":/telvaro/mask.bmp")));
    // The mask is the window's shape for the X server; but Wayland compositors take it for
    // input alone, and some X compositors show a window's whole surface whatever its shape:
    // for them the shape is made of transparent pixels too, the skin drawn within it only.
    if (!FShape.isEmpty()) {
        setAttribute(Qt::WA_TranslucentBackground);
        Hot()->setMask(FShape);
    }

    connect(Hot(), &TCustomHotZone::OnHit, this, &TMainFrm::HotHit);
    connect(Hot(), &TCustomHotZone::OnEnter, this, &TMainFrm::HotEnter);
    connect(Hot(), &TCustomHotZone::OnLeave, this, &TMainFrm::HotLeave);
    connect(Hot(), &TCustomHotZone::OnFocus, this, &TMainFrm::HotFocus);
    Hot()->SetPresenter([this](const QString &id) { return PresentRegion(FDisc.TopicList, id); });
    // Tab goes from the tree over the skin's regions and back to the tree.
    setTabOrder(Tree(), Hot());
    Tree()->OnChange = [this](TGTreeView *, QTreeWidgetItem *) { TreeChange(); };
    Hot()->installEventFilter(this);
    Tree()->installEventFilter(this);
    Tree()->viewport()->installEventFilter(this);

    FTimer.setInterval(kTimerInterval);
    connect(&FTimer, &QTimer::timeout, this, &TMainFrm::TimerTimer);
    FollowPrimaryScreen(QGuiApplication::primaryScreen());
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *screen) {
        FollowPrimaryScreen(screen);
        DisplayChanged();
    });
}

void TMainFrm::FollowPrimaryScreen(QScreen *screen) {
    disconnect(FScreenChange);
    if (screen)
        FScreenChange = connect(screen, &QScreen::geometryChanged, this, &TMainFrm::DisplayChanged);
}

QRegion TMainFrm::MaskRegion(const QImage &mask) {
    if (mask.isNull() || mask.width() == 0 || mask.height() == 0)
        return {};
    const QImage m = mask.convertToFormat(QImage::Format_RGB32);
    const QRgb outside = m.pixel(0, 0);
    // Row by row: every maximal run of inside pixels is a rectangle one pixel high.
    std::vector<QRect> runs;
    for (int y = 0; y < m.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(m.constScanLine(y));
        for (int x = 0; x < m.width();) {
            if (row[x] == outside) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < m.width() && row[x] != outside)
                ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), int(runs.size()));
    return region;
}

void TMainFrm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // Qt also sends show events when the window comes back from minimised: the first showing
    // only is the form's.
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TMainFrm::FormShow() {
    if (!FShape.isEmpty())
        setMask(FShape);
    PrepareRegions();
    if (!FDisc.TopicList.IsEmpty())
        SelectTopic(FDisc.TopicList.Name(0));
    FFirstTick = true;
    FBlinkCount = 6000 / FTimer.interval();
    FTimer.start();
}

void TMainFrm::PrepareRegions() {
    Hot()->SetRegionsCursor(crHandPoint);
    Hot()->IncludeRegionFlags(QStringLiteral("LUP"), hsAutoRepeat);
    Hot()->IncludeRegionFlags(QStringLiteral("LDOWN"), hsAutoRepeat);
}

void TMainFrm::SelectTopic(const QString &topicName) {
    // A fill in progress handles events; a topic asked for meanwhile is ignored rather than
    // started over the lists that fill is using.
    if (FCatalogue.IsFillingTree())
        return;
    if (const TFillResult fill = FCatalogue.FillTree(topicName, Tree()))
        FItemCount = fill.ItemCount;
    MarkCurrentTopic();
    // A screen reader names the tree after the topic it shows.
    Tree()->setAccessibleName(FCatalogue.CurrentTopic);
    UpdateInfo();
    UpdateCurrentItem();
    if (Tree()->topLevelItemCount() > 0)
        Tree()->setCurrentItem(Tree()->topLevelItem(0));
    Tree()->setFocus();
    Tree()->viewport()->update();
}

void TMainFrm::MarkCurrentTopic() {
    const TTopicList &topics = FDisc.TopicList;
    for (int i = 0; i < topics.Count(); ++i) {
        const QString &name = topics.Name(i);
        const QString id = topics.TopicBaseName(name);
        if (FCatalogue.IsCurrentTopic(name))
            Hot()->IncludeRegionFlags(id, hsLatched);
        else
            Hot()->ExcludeRegionFlags(id, hsLatched);
    }
}

void TMainFrm::UpdateInfo() {
    QString text;
    QTreeWidgetItem *node = Tree()->currentItem();
    if (const TItem *item = NodeItem(node)) {
        if (!item->Exe.isEmpty())
            text = QStringLiteral("%1/%2").arg(item->Sequence + 1).arg(FItemCount);
        else if (node->childCount() >= 2)
            text = QStringLiteral("%1 objetos").arg(node->childCount());
        else
            text = QStringLiteral("1 objeto");
    }
    LblInfo()->setText(text);
    LblInfo()->adjustSize();
}

void TMainFrm::UpdateCurrentItem() { FCurrentItem = SelectedItem(Tree()); }

void TMainFrm::TreeChange() {
    UpdateInfo();
    UpdateCurrentItem();
}

void TMainFrm::HotEnter(QObject *, const QString &Id) {
    const QString hint = HintFor(Id);
    if (!hint.isEmpty())
        Hot()->setToolTip(hint);
}

void TMainFrm::HotFocus(QObject *, const QString &Id) {
    // The keyboard's counterpart of the hover hint: shown at once below the region.
    const QString hint = HintFor(Id);
    if (hint.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    const QRect box = Hot()->GetRegionRect(Id);
    QToolTip::showText(Hot()->mapToGlobal(box.bottomLeft() + QPoint(0, 4)), hint, Hot(), box);
}

void TMainFrm::HotLeave(QObject *, const QString &) {
    Hot()->setToolTip(QString());
    QToolTip::hideText();
}

void TMainFrm::HotHit(QObject *, const QString &Id) {
    if (Id != u"EJECUTAR" && Id != u"SALIR")
        PlayCue(FDisc.GresDir, kCue, false);
    // Each test stands on its own, in this order.
    if (Id == u"SALIR") {
        PlayCue(FDisc.GresDir, kCue, true);
        close();
    }
    if (Id == u"MINIMIZAR")
        MinimizeApplication();
    if (Id == u"EMAIL")
        SendMail(kMakerMail, kMailSubject);
    if (Id == u"LUP")
        SendKeyToTree(Qt::Key_Up);
    if (Id == u"LDOWN")
        SendKeyToTree(Qt::Key_Down);
    if (Id == u"CREDITOS") {
        FinishSetup();
        if (FAbout)
            FAbout->exec();
    }
    if (Id == u"EJECUTAR")
        ActivateItem(QGuiApplication::keyboardModifiers());
    if (FDisc.TopicList.HasTopicForRegion(Id))
        SelectTopic(FDisc.TopicList.TopicForRegion(Id));
}

void TMainFrm::FinishSetup() {
    if (!FDeferredSetup)
        return;
    // Cleared first: the setup may dispatch events that come back here.
    const std::function<void()> setup = std::move(FDeferredSetup);
    FDeferredSetup = nullptr;
    setup();
}

void TMainFrm::SendKeyToTree(int key) {
    // As if typed: through TreeKeyDown first, then the tree's own navigation.
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(Tree(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(Tree(), &release);
}

void TMainFrm::ActivateItem(Qt::KeyboardModifiers modifiers) {
    // While a fill runs, FCurrentItem may name an item it has already freed.
    if (FCatalogue.IsFillingTree() || !FCurrentItem)
        return;
    const QString target = FCurrentItem->Exe;
    if (target.isEmpty()) {
        if (QTreeWidgetItem *node = Tree()->currentItem()) {
            node->setExpanded(!node->isExpanded());
            Tree()->UpdateScrollBars();
        }
        return;
    }
    // Pictures open in the viewer, full screen over the menu, which stays as it is.
    if (IsPictureFile(target)) {
        FinishSetup();
        if (FVisor) {
            FVisor->show();
            FVisor->raise();
            FVisor->activateWindow();
            FVisor->OpenPath(target);
        }
        return;
    }
    bool launched;
    if (IsMediaFile(target))
        launched = (modifiers & Qt::ControlModifier) ? RunMediaCommand(target) : ShellPlay(target);
    else
        launched = ShellOpen(target);
    if (!launched) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Telvaro"), QStringLiteral("Error ejecutando \"%1\"").arg(target),
                        QMessageBox::Ok, this);
        box.exec();
    } else if (!(modifiers & Qt::ShiftModifier)) {
        MinimizeApplication();
    }
}

void TMainFrm::MinimizeApplication() { showMinimized(); }

void TMainFrm::RestoreAndRaise() {
    if (NativeWayland() && isVisible()) {
        // A Wayland client can neither bring its window back from minimised nor raise it (and
        // is not even told when the person did): the window is shown anew, which compositors
        // put in front with the focus.
        hide();
        setWindowState(windowState() & ~Qt::WindowMinimized);
    } else if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void TMainFrm::DisplayChanged() {
    Delay(100);
    PlaceWindow();
}

void TMainFrm::NoteActivity() {
    if (FBlinkCount > 4)
        FBlinkCount = 6000 / FTimer.interval();
}

void TMainFrm::TimerTimer() {
    const int restart = 6000 / FTimer.interval();
    if (!QApplication::activeWindow())
        FBlinkCount = restart;
    if (FFirstTick) {
        FFirstTick = false;
        FBlinkCount = 0;
    }
    if (--FBlinkCount < 0)
        FBlinkCount = restart;
    if (FBlinkCount >= 4 || !HasItems(Tree()))
        return;
    const auto blink = [this](const QString &id) {
        if (FBlinkCount % 2 != 0)
            Hot()->IncludeRegionFlags(id, hsLatched);
        else
            Hot()->ExcludeRegionFlags(id, hsLatched);
    };
    if (TopVisibleItem(Tree()) != Tree()->topLevelItem(0))
        blink(QStringLiteral("LUP"));
    if (LastVisibleItem(Tree()) != LastExpandedItem(Tree()))
        blink(QStringLiteral("LDOWN"));
}

bool TMainFrm::TreeKeyDown(QKeyEvent *event) {
    NoteActivity();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The tree never sees Enter.
        ActivateItem(event->modifiers());
        return true;
    }
    return false;
}

bool TMainFrm::OverDragRegion(QPoint pos) {
    bool over = false;
    for (const QString &id : kDragRegions) {
        const QRect box = Hot()->GetRegionRect(id);
        if (box.contains(pos)) {
            if (!(Hot()->GetRegionFlags(id) & hsLatched))
                Hot()->IncludeRegionFlags(id, hsLatched);
            over = true;
        } else if (Hot()->GetRegionFlags(id) & hsLatched) {
            Hot()->ExcludeRegionFlags(id, hsLatched);
        }
    }
    return over;
}

bool TMainFrm::HotPointer(QEvent *event) {
    auto *me = static_cast<QMouseEvent *>(event);
    if (FManualDrag) {
        if (event->type() == QEvent::MouseMove) {
            move(FWindowStart + me->globalPosition().toPoint() - FDragStart);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            FManualDrag = false;
            return true;
        }
    }
    // While a region is held, the hot image owns the pointer.
    if (Hot()->Pressing())
        return false;
    const bool inBox = OverDragRegion(Hot()->PixelAt(*me));
    if (event->type() == QEvent::MouseMove) {
        if (inBox && !FInDragBox) {
            // To the hot image the pointer has left: it unlights what it lit and says so.
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(Hot(), &leave);
            Hot()->setCursor(Qt::ArrowCursor);
        }
        FInDragBox = inBox;
        return inBox;
    }
    if (!inBox)
        return false;
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        me->button() == Qt::LeftButton) {
        QWindow *window = windowHandle();
        if (!window || !window->startSystemMove()) {
            // No window manager to move us: follow the pointer ourselves.
            FManualDrag = true;
            FDragStart = me->globalPosition().toPoint();
            FWindowStart = pos();
        }
    }
    return true;
}

bool TMainFrm::HotKey(QKeyEvent *event) {
    // On a drag region the arrows move the window, as dragging it would.
    const THSRgn *focus = Hot()->FocusRgn();
    if (!focus || !IsDragRegion(focus->Id))
        return false;
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left: step = {-kKeyMoveStep, 0}; break;
    case Qt::Key_Right: step = {kKeyMoveStep, 0}; break;
    case Qt::Key_Up: step = {0, -kKeyMoveStep}; break;
    case Qt::Key_Down: step = {0, kKeyMoveStep}; break;
    default: return false;
    }
    move(pos() + step);
    return true;
}

bool TMainFrm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Hot()) {
        // A press from the keyboard or a screen reader: a drag region, which a click never
        // presses either, does nothing.
        if (event->type() == THSRegionPressEvent::EventType())
            return IsDragRegion(static_cast<THSRegionPressEvent *>(event)->Id);
        switch (event->type()) {
        case QEvent::Enter:
            // The pointer has come to the buttons: a click, and its cue, may follow.
            platform::PreloadSound();
            return false;
        case QEvent::KeyPress:
            platform::PreloadSound();
            return HotKey(static_cast<QKeyEvent *>(event));
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return HotPointer(event);
        default:
            return false;
        }
    }
    if (watched == Tree() && event->type() == QEvent::KeyPress)
        return TreeKeyDown(static_cast<QKeyEvent *>(event));
    if (watched == Tree()->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            NoteActivity();
            return false;
        case QEvent::MouseButtonDblClick:
            NoteActivity();
            ActivateItem(static_cast<QMouseEvent *>(event)->modifiers());
            return false;
        case QEvent::Wheel: {
            NoteActivity();
            // One node per wheel event, whatever its size; the tree never scrolls by itself.
            const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
            if (delta > 0)
                SendKeyToTree(Qt::Key_Up);
            else if (delta < 0)
                SendKeyToTree(Qt::Key_Down);
            return true;
        }
        default:
            return false;
        }
    }
    return QWidget::eventFilter(watched, event);
}
