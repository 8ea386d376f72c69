#include "viewer/GVisor.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "lib/CopyWithProgress.h"
#include "picture/Prepare.h"
#include "picture/Resample.h"
#include "platform/Files.h"
#include "viewer/DSPlay.h"
#include "viewer/GifAnimator.h"
#include "viewer/GoToEntry.h"
#include "viewer/PictureBox.h"
#include "viewer/PictureList.h"
#include "viewer/SaveDialog.h"
#include "viewer/ViewerMusic.h"
#include "viewer/SpeedButton.h"
#include "viewer/VisorLayout.h"

#include "ui_VisorFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <limits>

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
    Box()->SetPicture(&FPicture);
    Box()->SetDest(Box()->rect(), false);
    FFrameSkin = QImage(QStringLiteral(":/telvaro/visor/frame.bmp"));

    const struct {
        TSpeedButton *Button;
        const char *Glyph;
        int Margin;
    } buttons[] = {{BtnPrev(), ":/telvaro/visor/prev", 10},
                   {BtnNext(), ":/telvaro/visor/next", 10},
                   {BtnOpc(), ":/telvaro/visor/opc", 0},
                   {BtnSalir(), ":/telvaro/visor/salir", 0}};
    for (const auto &b : buttons) {
        b.Button->SetGlyph(QPixmap(QString::fromLatin1(b.Glyph)));
        b.Button->SetMargin(b.Margin);
    }
    connect(BtnPrev(), &QAbstractButton::clicked, this, &TVisorFrm::GoPrevious);
    connect(BtnNext(), &QAbstractButton::clicked, this, &TVisorFrm::GoNext);
    connect(BtnOpc(), &QAbstractButton::clicked, this, &TVisorFrm::BtnOpcClick);
    connect(BtnSalir(), &QAbstractButton::clicked, this, &TVisorFrm::BtnSalirClick);
    SetAccessibleNames();

    for (QLabel *label : {LblInfo1(), LblInfo2()}) {
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    FGoTo = new TGoToEntry(LblInfo1(), Edit1(), this);
    connect(FGoTo, &TGoToEntry::CounterClicked, this, &TVisorFrm::LblInfo1Click);
    connect(FGoTo, &TGoToEntry::Chosen, this, &TVisorFrm::GoToIndex);
    connect(FGoTo, &TGoToEntry::Closed, this, [this] { Box()->setFocus(); });

    connect(Box(), &TPictureBox::FitRequested, this, &TVisorFrm::ToggleFit);
    connect(Box(), &TPictureBox::DragStarted, this, &TVisorFrm::BoxDragStarted);
    connect(Box(), &TPictureBox::DragEnded, this, &TVisorFrm::BoxDragEnded);
    connect(Box(), &TPictureBox::MenuRequested, this, &TVisorFrm::ShowMenuAt);
    connect(GIFAnimator(), &TGifAnimator::MenuRequested, this, &TVisorFrm::ShowMenuAt);

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
    BtnPrev()->setAccessibleName(QStringLiteral("Anterior"));
    BtnNext()->setAccessibleName(QStringLiteral("Siguiente"));
    BtnOpc()->setAccessibleName(QStringLiteral("Opciones"));
    BtnSalir()->setAccessibleName(QStringLiteral("Cerrar"));
    Edit1()->setAccessibleName(QStringLiteral("Ir a la imagen"));
}

void TVisorFrm::AnnouncePicture(const QString &name, const QString &description) {
    // The picture area carries the name and the place: a screen reader on it says both at
    // every change, so a listener hears where they are.
    Box()->setAccessibleName(name);
    Box()->setAccessibleDescription(description);
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
    for (QLabel *label : {LblInfo1(), LblInfo2()}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(pal);
        label->clear();
    }
    Edit1()->clear();
    LayoutControls();
    Edit1()->hide();
    Box()->setFocus();
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
    Box()->CancelDrag();
    FPicture.Clear();
    Box()->DropFitted();
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

const QRect &TVisorFrm::Dest() const { return Box()->Dest(); }

bool TVisorFrm::FitMode() const { return Box()->Fitted(); }

void TVisorFrm::PlaceControls(int w, int h) {
    const int counterWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("000/000"));
    const TVisorLayout &l = FLayout = ComputeVisorLayout(w, h, counterWidth);
    BtnPrev()->setGeometry(l.BtnPrev);
    BtnNext()->setGeometry(l.BtnNext);
    BtnSalir()->setGeometry(l.BtnSalir);
    BtnOpc()->setGeometry(l.BtnOpc);
    LblInfo1()->setGeometry(l.LblInfo1);
    LblInfo2()->setGeometry(l.LblInfo2);
    Edit1()->setGeometry(l.Edit1);
    Box()->setGeometry(l.Box);
    GIFAnimator()->setGeometry(l.Box);
    // The picture's arithmetic is in the screen's own pixels: one picture pixel per screen
    // pixel at actual size, whatever the desktop's scale.
    const QSize device = Box()->DeviceSize();
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
    LblInfo1()->clear();
    LblInfo2()->clear();
    if (!FFolder.isEmpty()) {
        FPictures = ListPictures(target);
        FAutoPopup = !FPictures.isEmpty();
        FIndex = StartIndex(FPictures, target);
        if (FPictures.isEmpty()) {
            ++FLoadSerial;
            FPicture.Clear();
            Box()->DropFitted();
            Box()->update();
            ClearAnimation();
            BtnPrev()->setEnabled(false);
            BtnNext()->setEnabled(false);
            LblInfo1()->unsetCursor();
            ShowFileInfo(QStringLiteral("No hay arhivos en %1").arg(FFolder));
            AnnouncePicture(LblInfo2()->text(), QString());
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

// --- loading and placing ----------------------------------------------------------------------

void TVisorFrm::ClearAnimation() {
    GIFAnimator()->hide();
    GIFAnimator()->Clear();
    Box()->SetSuppressed(false);
}

void TVisorFrm::WaitUntilShown() {
    // The window manager maps a window just shown a moment later. Reading and decoding take the
    // thread: waited for (half a second at most), the viewer is on the screen first, and the
    // picture builds up in it, rather than the menu standing still until the picture is whole.
    QWindow *window = windowHandle();
    if (!window || !isVisible())
        return;
    QElapsedTimer waited;
    waited.start();
    while (!window->isExposed() && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    repaint();
}

void TVisorFrm::LoadPicture(const QString &path) {
    const quint64 serial = ++FLoadSerial;
    LblInfo2()->setText(QStringLiteral("Leyendo ..."));
    WaitUntilShown();
    QCoreApplication::processEvents();
    if (serial != FLoadSerial)
        return;

    // One look at the file: its real name and version go down to whatever reads it.
    const platform::TFoundFile file = platform::FindFile(path);
    FFileSize = file.Exists() ? std::min<qint64>(file.Stamp.Size, std::numeric_limits<qint32>::max()) : -1;
    FHalfScale = false;
    Box()->DropFitted();
    // A neighbour prepared ahead is the same file prepared the same way; anything else is read now.
    bool ok;
    QImage fitted;
    TPicturePrefetch::TPrepared ready = FPrefetch.Take(path, file.Stamp);
    if (ready.Picture) {
        FPicture.Adopt(*ready.Picture);
        fitted = std::move(ready.Fitted);
        PlaceNewPicture();
        ok = true;
    } else {
        // Decoding runs here, outside any paint handler: its progress paints the rows as they
        // come and lets input through, so a newer load may overtake this one.
        QByteArray bytes;
        const TPictureFormat format = FormatForPath(path);
        ok = format != TPictureFormat::None && ReadPictureFile(file, FPicture.Limits(), bytes) &&
             PrepareForBox(FPicture, bytes, format, FitBox(), &fitted, [this] { PlaceNewPicture(); });
        if (serial != FLoadSerial)
            return;
    }
    if (ok) {
        Box()->OfferFitted(fitted);
        Box()->update();
        QCoreApplication::processEvents();
        if (serial != FLoadSerial)
            return;
    }
    QString info;
    if (ok) {
        LblInfo1()->setText(CounterText(FIndex, int(FPictures.size())));
        info = FormatPictureInfo(path);
    } else {
        info = QStringLiteral("Error leyendo el archivo %1").arg(path);
        FPicture.Clear();
        // The animation of an earlier picture must not go on under the error.
        ClearAnimation();
        Box()->update();
    }
    ShowFileInfo(info);
    UpdateAfterLoad();
    AnnouncePicture(FileNamePart(path), PlaceText(FIndex, int(FPictures.size()), ok));
}

void TVisorFrm::PlaceNewPicture() {
    FHalfScale = FPicture.HalfScale();
    TGifImage *gif = FPicture.Gif();
    if (gif && gif->FrameCount() > 1) {
        GIFAnimator()->SetPicture(*gif);
        Box()->SetSuppressed(true);
        GIFAnimator()->show();
    } else {
        ClearAnimation();
    }
    FitMode() ? ShowFitted() : ShowActualSize();
}

void TVisorFrm::UpdateAfterLoad() {
    BtnPrev()->setEnabled(FIndex > 0);
    BtnNext()->setEnabled(FIndex < FPictures.size() - 1);
    if (FPictures.isEmpty())
        LblInfo1()->unsetCursor();
    else
        LblInfo1()->setCursor(Qt::PointingHandCursor);
}

void TVisorFrm::SetDest(const QRect &dest, bool fitted) {
    Box()->SetDest(dest, fitted);
    Box()->update();
}

void TVisorFrm::ShowActualSize() {
    SetDest(ActualRect(FPicture.Width(), FPicture.Height(), FBoxWidth, FBoxHeight), false);
    FZoom = 100;
}

void TVisorFrm::ShowFitted() {
    const int w = FPicture.Width(), h = FPicture.Height();
    if (w <= 0 || h <= 0) {
        SetDest(ActualRect(w, h, FBoxWidth, FBoxHeight), true);
        FZoom = 100;
        return;
    }
    SetDest(FittedRect(w, h, FBoxWidth, FBoxHeight), true);
    FZoom = FitZoom(Dest(), w);
}

void TVisorFrm::ToggleFit() {
    if (FPictures.isEmpty() || FPicture.IsEmpty())
        return;
    Box()->CancelDrag();
    if (FitMode())
        ShowActualSize();
    else
        ShowFitted();
    ShowFileInfo(FormatPictureInfo(FPictures[FIndex]));
}

QString TVisorFrm::FormatPictureInfo(const QString &path) const {
    return PictureInfoText(path, FPicture.Width(), FPicture.Height(), FZoom, FHalfScale, FFileSize);
}

void TVisorFrm::ShowFileInfo(const QString &text) {
    QFont f = LblInfo2()->font();
    f.setPointSize(FittingPointSize(text, f, LblInfo2()->width()));
    LblInfo2()->setFont(f);
    LblInfo2()->setText(text);
}

void TVisorFrm::PictureProgress(TProgressStage stage, int percent, bool redraw, const QRect &band) {
    if (stage != TProgressStage::Running)
        return;
    LblInfo2()->setText(QStringLiteral("Leyendo %1% ...").arg(percent));
    if (!redraw) {
        // A progressive file reads its scans before any row comes out: the count goes on.
        LblInfo2()->repaint();
        QCoreApplication::processEvents();
        return;
    }
    const int h = FPicture.Height();
    const QRect &dest = Dest();
    if (FPicture.Format() == TPictureFormat::Jpeg && h > 0) {
        // The band's rows, scaled to where they land in the destination.
        const qint64 top = dest.top() + qint64(dest.height()) * band.top() / h;
        const qint64 bottom = dest.top() + qint64(dest.height()) * (band.top() + band.height()) / h;
        Box()->repaint(Box()->LogicalRect(QRect(dest.left(), int(top), dest.width(), int(bottom - top))) &
                       Box()->rect());
    } else {
        Box()->repaint();
    }
    QCoreApplication::processEvents();
}

// --- painting -------------------------------------------------------------------------------

void TVisorFrm::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    DrawFrameSkin(painter, FFrameSkin, width(), height());
    DrawControlFrames(painter, FLayout);
}

// --- buttons and the pointer -----------------------------------------------------------------

void TVisorFrm::BtnOpcClick() {
    FPopupMenu->popup(mapToGlobal(QPoint(BtnOpc()->x() + 8, BtnOpc()->y() + 8)));
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
    FPopupMenu->ShowState({GIFAnimator()->isHidden(), FitMode(), FTimer.isActive(), FMusic->CanPlay(),
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

// --- saving ----------------------------------------------------------------------------------

void TVisorFrm::miGuardarClick() {
    // Only a picture on show can be saved: its decoder chooses the file types offered.
    if (FPictures.isEmpty() || FPicture.IsEmpty() || FBusy)
        return;
    SetBusy(true);
    const bool wasPlaying = FMusic->Player()->State() == TDSPlayer::stPlaying;
    FMusic->Stop();
    const QString source = FPictures[FIndex];
    const QString target = AskSaveName(this, source, FPicture.Format());
    if (!target.isEmpty()) {
        const QString real = platform::ResolveCase(source);
        ShellCopyFile(this, real.isEmpty() ? source : real, target);
    }
    SetBusy(false);
    if (wasPlaying)
        PlayRandomTrack();
}

void TVisorFrm::SetBusy(bool busy) {
    FBusy = busy;
    Box()->SetBusy(busy);
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

