#include "viewer/GVisor.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "viewer/DSPlay.h"
#include "viewer/GifAnimator.h"
#include "viewer/GoToEntry.h"
#include "viewer/PictureBox.h"
#include "viewer/PictureList.h"
#include "viewer/ViewerMusic.h"
#include "viewer/SpeedButton.h"
#include "viewer/VisorLayout.h"

#include "ui_VisorFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <algorithm>

static void InitVisorResources() { Q_INIT_RESOURCE(visor); }

TVisorFrm::TVisorFrm(const TViewerSettings &settings, bool runningFromCD, QWidget *parent)
    : QWidget(parent, Qt::Window), FUi(std::make_unique<Ui::TVisorFrm>()), FSettings(settings),
      FRunningFromCD(runningFromCD) {
    InitVisorResources();
    FUi->setupUi(this);
    FormCreate();
}

TVisorFrm::~TVisorFrm() {
    // The picture goes before the window's parts; a load still running learns it was overtaken.
    ++FLoadSerial;
    FTimer.stop();
    FPicture.SetProgressHandler({});
    FPicture.Clear();
}

// The parts by name, for tests only (see the header).
TPictureBox *TVisorFrm::Box() const { return FUi->Box; }
TGifAnimator *TVisorFrm::GIFAnimator() const { return FUi->GIFAnimator; }
TSpeedButton *TVisorFrm::BtnPrev() const { return FUi->BtnPrev; }
TSpeedButton *TVisorFrm::BtnNext() const { return FUi->BtnNext; }
TSpeedButton *TVisorFrm::BtnOpc() const { return FUi->BtnOpc; }
TSpeedButton *TVisorFrm::BtnSalir() const { return FUi->BtnSalir; }
QLabel *TVisorFrm::LblInfo1() const { return FUi->LblInfo1; }
QLabel *TVisorFrm::LblInfo2() const { return FUi->LblInfo2; }
QLineEdit *TVisorFrm::Edit1() const { return FUi->Edit1; }

void TVisorFrm::FormCreate() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // Closing the viewer hides it; the program ends with the main window only.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The picture area holds the keyboard (keys it does not use come up to the window); the
    // window itself is no stop of Tab's round.
    setFocusPolicy(Qt::NoFocus);
    // Asked for once: every later show is full screen, so desktop panels don't cover the pictures.
    setWindowState(Qt::WindowFullScreen);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    FMask = kDefaultPictureMask;
    FFolder.clear();
    FPicture.SetProgressHandler([this](TProgressStage stage, int percent, bool redraw, const QRect &band) {
        PictureProgress(stage, percent, redraw, band);
    });
    FUi->Box->SetPicture(&FPicture);
    FUi->Box->SetDest(FUi->Box->rect(), false);
    FFrameSkin = QImage(QStringLiteral(":/telvaro/visor/frame.bmp"));

    const struct {
        TSpeedButton *Button;
        const char *Glyph;
        int Margin;
    } buttons[] = {{FUi->BtnPrev, ":/telvaro/visor/prev", 10},
                   {FUi->BtnNext, ":/telvaro/visor/next", 10},
                   {FUi->BtnOpc, ":/telvaro/visor/opc", 0},
                   {FUi->BtnSalir, ":/telvaro/visor/salir", 0}};
    for (const auto &b : buttons) {
        b.Button->SetGlyph(QPixmap(QString::fromLatin1(b.Glyph)));
        b.Button->SetMargin(b.Margin);
    }
    connect(FUi->BtnPrev, &QAbstractButton::clicked, this, &TVisorFrm::GoPrevious);
    connect(FUi->BtnNext, &QAbstractButton::clicked, this, &TVisorFrm::GoNext);
    connect(FUi->BtnOpc, &QAbstractButton::clicked, this, &TVisorFrm::BtnOpcClick);
    connect(FUi->BtnSalir, &QAbstractButton::clicked, this, &TVisorFrm::BtnSalirClick);
    SetAccessibleNames();

    for (QLabel *label : {FUi->LblInfo1, FUi->LblInfo2}) {
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    FGoTo = new TGoToEntry(FUi->LblInfo1, FUi->Edit1, this);
    connect(FGoTo, &TGoToEntry::CounterClicked, this, &TVisorFrm::LblInfo1Click);
    connect(FGoTo, &TGoToEntry::Chosen, this, &TVisorFrm::GoToIndex);
    connect(FGoTo, &TGoToEntry::Closed, this, [this] { FUi->Box->setFocus(); });

    connect(FUi->Box, &TPictureBox::FitRequested, this, &TVisorFrm::ToggleFit);
    connect(FUi->Box, &TPictureBox::DragStarted, this, &TVisorFrm::BoxDragStarted);
    connect(FUi->Box, &TPictureBox::DragEnded, this, &TVisorFrm::BoxDragEnded);
    connect(FUi->Box, &TPictureBox::MenuRequested, this, &TVisorFrm::ShowMenuAt);
    connect(FUi->GIFAnimator, &TGifAnimator::MenuRequested, this, &TVisorFrm::ShowMenuAt);

    FMusic = new TViewerMusic(FSettings.MusicFolder, this);
    connect(FMusic, &TViewerMusic::TrackEnded, this, &TVisorFrm::PlayerComplete);

    FTimer.setInterval(kDefaultSlideMs);
    connect(&FTimer, &QTimer::timeout, this, &TVisorFrm::TimerTimer);
    CreateMenu();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, &TVisorFrm::WMDisplayChange);
}

void TVisorFrm::CreateMenu() {
    FPopupMenu = new TViewerMenu(this);
    connect(FPopupMenu, &TViewerMenu::FitChosen, this, &TVisorFrm::ToggleFit);
    connect(FPopupMenu, &TViewerMenu::SlideIntervalChosen, this, &TVisorFrm::SetSlideInterval);
    connect(FPopupMenu, &TViewerMenu::MusicToggled, this, &TVisorFrm::miMusicaClick);
    connect(FPopupMenu, &TViewerMenu::NewTrackChosen, this, &TVisorFrm::PlayRandomTrack);
    connect(FPopupMenu, &TViewerMenu::SaveChosen, this, &TVisorFrm::miGuardarClick);
    connect(FPopupMenu, &TViewerMenu::AboutToOpen, this, &TVisorFrm::PopupMenuPopup);
}

// --- what a screen reader says ----------------------------------------------------------------

void TVisorFrm::SetAccessibleNames() {
    FUi->BtnPrev->setAccessibleName(QStringLiteral("Anterior"));
    FUi->BtnNext->setAccessibleName(QStringLiteral("Siguiente"));
    FUi->BtnOpc->setAccessibleName(QStringLiteral("Opciones"));
    FUi->BtnSalir->setAccessibleName(QStringLiteral("Cerrar"));
    FUi->Edit1->setAccessibleName(QStringLiteral("Ir a la imagen"));
}

void TVisorFrm::AnnouncePicture(const QString &name, const QString &description) {
    // The picture area carries the name and the place: a screen reader on it says both at
    // every change, so a listener hears where they are.
    FUi->Box->setAccessibleName(name);
    FUi->Box->setAccessibleDescription(description);
}

// --- showing, hiding, layout ---------------------------------------------------------------

void TVisorFrm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TVisorFrm::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    // A minimised window is hidden spontaneously; only a real close stops the viewer.
    if (!event->spontaneous())
        FormHide();
}

void TVisorFrm::FormShow() {
    FMusic->Reseed();
    QFont f = font();
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        f.setFamily(QStringLiteral("Tahoma"));
        setFont(f);
    }
    for (QLabel *label : {FUi->LblInfo1, FUi->LblInfo2}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(pal);
        label->clear();
    }
    FUi->Edit1->clear();
    LayoutControls();
    FUi->Edit1->hide();
    FUi->Box->setFocus();
    if (FPopupMenu->miAuto->isChecked())
        FTimer.start();
    else
        FTimer.stop();
    FMusic->BuildTrackList();
    FPopupMenu->miMusica->setEnabled(FMusic->CanPlay());
}

void TVisorFrm::FormHide() {
    ++FLoadSerial;
    FPrefetch.Drop();
    FTimer.stop();
    FUi->Box->CancelDrag();
    FPicture.Clear();
    FUi->Box->DropFitted();
    ClearAnimation();
    FMusic->Stop();
}

void TVisorFrm::closeEvent(QCloseEvent *event) {
    // The save dialog is running: the viewer stays until it ends.
    if (FBusy)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TVisorFrm::LayoutControls() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 660, 468);
    setGeometry(area);
    // The window manager confirms the size later on some systems; the layout follows the size
    // asked for now and is redone by the resize if the real one differs.
    PlaceControls(area.width(), area.height());
}

const QRect &TVisorFrm::Dest() const { return FUi->Box->Dest(); }

bool TVisorFrm::FitMode() const { return FUi->Box->Fitted(); }

void TVisorFrm::PlaceControls(int w, int h) {
    const int counterWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("000/000"));
    const TVisorLayout &l = FLayout = ComputeVisorLayout(w, h, counterWidth);
    FUi->BtnPrev->setGeometry(l.BtnPrev);
    FUi->BtnNext->setGeometry(l.BtnNext);
    FUi->BtnSalir->setGeometry(l.BtnSalir);
    FUi->BtnOpc->setGeometry(l.BtnOpc);
    FUi->LblInfo1->setGeometry(l.LblInfo1);
    FUi->LblInfo2->setGeometry(l.LblInfo2);
    FUi->Edit1->setGeometry(l.Edit1);
    FUi->Box->setGeometry(l.Box);
    FUi->GIFAnimator->setGeometry(l.Box);
    // The picture's arithmetic is in the screen's own pixels: one picture pixel per screen
    // pixel at actual size, whatever the desktop's scale.
    const QSize device = FUi->Box->DeviceSize();
    FBoxWidth = device.width();
    FBoxHeight = device.height();
}

void TVisorFrm::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The box depends on the window's size alone, not on the counter's width.
    if (event->size() == event->oldSize() ||
        DeviceSizeOf(ComputeVisorLayout(width(), height(), 0).Box.size(), devicePixelRatioF()) ==
            QSize(FBoxWidth, FBoxHeight))
        return;
    PlaceControls(width(), height());
    if (!FPicture.IsEmpty())
        FitMode() ? ShowFitted() : ShowActualSize();
}

void TVisorFrm::WMDisplayChange() {
    FPrefetch.Drop();
    LayoutControls();
    ShowActualSize();
}

// --- the picture list and navigation --------------------------------------------------------

void TVisorFrm::OpenPath(const QString &path) {
    const TPictureTarget target = PictureTargetOf(path);
    FMask = target.Mask;
    FFolder = target.Folder;
    FPrefetch.Drop();
    FPictures.clear();
    FUi->LblInfo1->clear();
    FUi->LblInfo2->clear();
    if (!FFolder.isEmpty()) {
        FPictures = ListPictures(target);
        FAutoPopup = !FPictures.isEmpty();
        FIndex = StartIndex(FPictures, target);
        if (FPictures.isEmpty()) {
            ++FLoadSerial;
            FPicture.Clear();
            FUi->Box->DropFitted();
            FUi->Box->update();
            ClearAnimation();
            FUi->BtnPrev->setEnabled(false);
            FUi->BtnNext->setEnabled(false);
            FUi->LblInfo1->unsetCursor();
            ShowFileInfo(QStringLiteral("No hay arhivos en %1").arg(FFolder));
            AnnouncePicture(FUi->LblInfo2->text(), QString());
        } else {
            const int start = FIndex;
            LoadPicture(FPictures[start]);
            // A person who opens a collection usually goes on forwards.
            if (FIndex == start && start + 1 < FPictures.size())
                FPrefetch.Start(FPictures[start + 1], FPicture.Limits(), FitBox());
        }
    }
    if (FPopupMenu->miMusica->isEnabled() && FPopupMenu->miMusica->isChecked())
        PlayRandomTrack();
}

void TVisorFrm::GoToIndex(int index) {
    if (FBusy || FPictures.isEmpty() || index < 0 || index >= FPictures.size())
        return;
    // A full interval of the slide show follows every change of picture.
    if (FTimer.isActive())
        FTimer.start();
    FIndex = index;
    LoadPicture(FPictures[index]);
}

void TVisorFrm::GoStep(int travel) {
    const int index = FIndex + travel;
    const quint64 serial = FLoadSerial;
    GoToIndex(index);
    // Once the picture is on show (and no newer load took over), its neighbour further on.
    const int next = index + travel;
    if (FLoadSerial == serial + 1 && FIndex == index && next >= 0 && next < FPictures.size())
        FPrefetch.Start(FPictures[next], FPicture.Limits(), FitBox());
}

void TVisorFrm::PageDown() { GoToIndex(std::min(int(FPictures.size()) - 1, FIndex + kPageStep)); }

void TVisorFrm::PageUp() { GoToIndex(std::max(0, FIndex - kPageStep)); }

// --- painting -------------------------------------------------------------------------------

void TVisorFrm::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    DrawFrameSkin(painter, FFrameSkin, width(), height());
    DrawControlFrames(painter, FLayout);
}

// --- buttons and the pointer -----------------------------------------------------------------

void TVisorFrm::BtnOpcClick() {
    FPopupMenu->popup(mapToGlobal(QPoint(FUi->BtnOpc->x() + 8, FUi->BtnOpc->y() + 8)));
}

void TVisorFrm::BtnSalirClick() {
    if (!FBusy)
        close();
}

void TVisorFrm::ShowMenuAt(QPoint globalPos) {
    if (FAutoPopup)
        FPopupMenu->popup(globalPos);
}

void TVisorFrm::BoxDragStarted() { FTimer.stop(); }

// A drag stopped the slide show and its release starts it again; a click that only fits or
// unfits the picture leaves a running show's interval alone, so clicking never postpones the
// next picture.
void TVisorFrm::BoxDragEnded() {
    if (FPopupMenu->miAuto->isChecked() && !FTimer.isActive())
        FTimer.start();
}

// --- the options menu and the slide show -----------------------------------------------------

void TVisorFrm::PopupMenuPopup() {
    FPopupMenu->ShowState({FUi->GIFAnimator->isHidden(), FitMode(), FTimer.isActive(), FMusic->CanPlay(),
                           FileNamePart(FMusic->Player()->FileName()), FMusic->Tracks().size() > 1,
                           FSettings.AutoCaption});
}

void TVisorFrm::SetSlideInterval(int seconds) {
    FPopupMenu->miAuto->setChecked(seconds > 0);
    if (seconds > 0)
        FTimer.start(seconds * 1000);
    else
        FTimer.stop();
}

void TVisorFrm::TimerTimer() {
    if (!FBusy)
        GoNext();
}

// --- music ------------------------------------------------------------------------------------

void TVisorFrm::PlayRandomTrack() {
    if (!FMusic->PlayRandomTrack())
        FPopupMenu->miMusica->setChecked(false);
}

void TVisorFrm::PlayerComplete() {
    if (FMusic->Player()->Available() && FPopupMenu->miMusica->isChecked())
        PlayRandomTrack();
}

void TVisorFrm::miMusicaClick() {
    if (FPopupMenu->miMusica->isChecked())
        PlayRandomTrack();
    else
        FMusic->Stop();
}

