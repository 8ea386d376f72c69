#include "main/MainFrm.h"

#include "about/AboutFrm.h"
#include "catalogue/Disc.h"
#include "catalogue/GTreeView.h"
#include "hotzone/HotImg.h"
#include "lib/GExec.h"
#include "lib/Cue.h"
#include "lib/DiscPaths.h"
#include "lib/SkinGeometry.h"
#include "main/Regions.h"
#include "main/WindowDrag.h"
#include "main/WindowShape.h"
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

// How long the arrows rest between two rounds of blinking, and after any activity.
constexpr int kBlinkPauseMs = 6000;

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
    // The skin still reports its focus leaving, and the tree its node, while the window's
    // widgets go.
    disconnect(Hot(), nullptr, this, nullptr);
    disconnect(Tree(), nullptr, this, nullptr);
}

THotImg *TMainFrm::Hot() const { return FUi->Hot; }
TGTreeView *TMainFrm::Tree() const { return FUi->Tree; }
QLabel *TMainFrm::LblInfo() const { return FUi->LblInfo; }

void TMainFrm::PlaceWindow() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), kSkinSize);
    const int w = kSkinSize.width(), h = kSkinSize.height();
    setGeometry(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
}

void TMainFrm::FormCreate() {
    // No caption, no frame: the whole surface is the skin.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_NoSystemBackground);
    // The skin has one size: said so, a tiling compositor floats the window instead of
    // stretching it over the screen.
    setFixedSize(kSkinSize);
    PlaceWindow();
    FCurrentItem = nullptr;

    // Where the skin paints the tree's panel: the design leaves the place to the skin's numbers.
    Tree()->setGeometry(kTreeRect);
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

    Tree()->SetColor(QColor(kTreeKey));
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

    FShape = SkinShape();
    ShapeSkin(this, Hot(), FShape);
    FDrag = std::make_unique<TWindowDrag>(this, Hot());

    connect(Hot(), &TCustomHotZone::OnHit, this, &TMainFrm::HotHit);
    connect(Hot(), &TCustomHotZone::OnEnter, this, &TMainFrm::HotEnter);
    connect(Hot(), &TCustomHotZone::OnLeave, this, &TMainFrm::HotLeave);
    connect(Hot(), &TCustomHotZone::OnFocus, this, &TMainFrm::HotFocus);
    Hot()->SetPresenter([this](const QString &id) { return PresentRegion(FDisc.TopicList, id); });
    // Tab goes from the tree over the skin's regions and back to the tree.
    setTabOrder(Tree(), Hot());
    connect(Tree(), &TGTreeView::OnChange, this, [this] { TreeChange(); });
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
    FBlinkCount = kBlinkPauseMs / FTimer.interval();
    FTimer.start();
}

void TMainFrm::PrepareRegions() {
    Hot()->SetRegionsCursor(crHandPoint);
    for (const TRegionRole &role : RegionRoles())
        if (role.Repeats)
            Hot()->IncludeRegionFlags(role.Id, hsAutoRepeat);
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
    const QString hint = RegionHint(Id);
    if (!hint.isEmpty())
        Hot()->setToolTip(hint);
}

void TMainFrm::HotFocus(QObject *, const QString &Id) {
    // The keyboard's counterpart of the hover hint: shown at once below the region.
    const QString hint = RegionHint(Id);
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
    const TRegionRole *role = FindRegionRole(Id);
    if (!role || role->Click)
        PlayCue(FDisc.GresDir, kClickFileName, false);
    if (role && role->Press)
        (this->*role->Press)();
    // After the fixed action: an id that is also a topic's does both.
    if (FDisc.TopicList.HasTopicForRegion(Id))
        SelectTopic(FDisc.TopicList.TopicForRegion(Id));
}

void TMainFrm::Exit() {
    PlayCue(FDisc.GresDir, kClickFileName, true);
    close();
}

void TMainFrm::MailMaker() { SendMail(kMakerMail, kMailSubject); }

void TMainFrm::LineUp() { SendKeyToTree(Qt::Key_Up); }

void TMainFrm::LineDown() { SendKeyToTree(Qt::Key_Down); }

void TMainFrm::ShowCredits() {
    FinishSetup();
    if (FAbout)
        FAbout->exec();
}

void TMainFrm::ActivateCurrentItem() { ActivateItem(QGuiApplication::keyboardModifiers()); }

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
        FBlinkCount = kBlinkPauseMs / FTimer.interval();
}

void TMainFrm::TimerTimer() {
    const int restart = kBlinkPauseMs / FTimer.interval();
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
        blink(RegionIdFor(&TMainFrm::LineUp));
    if (LastVisibleItem(Tree()) != LastExpandedItem(Tree()))
        blink(RegionIdFor(&TMainFrm::LineDown));
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
            return FDrag->Key(static_cast<QKeyEvent *>(event));
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return FDrag->Pointer(static_cast<QMouseEvent *>(event));
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
