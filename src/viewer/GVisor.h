#pragma once
// The full-screen picture viewer. It is created hidden at start-up and lives until the program
// ends; the main window shows it and hands it a picture file, a folder mask or a folder. The
// window conducts: it holds the picture list, the index, the options menu and the slide-show
// timer, and runs the key table; the box paints and drags, the animation area animates, the
// music class chooses the tracks, and the arithmetic and the frame live in VisorLayout.
// The window's own code is in GVisor.cpp (making, showing, navigation, menu, slide show, music),
// ViewerLoading.cpp (loading a picture and placing it), ViewerFiles.cpp (saving a copy,
// marking a bad picture) and VisorKeys.cpp (the key table).
#include "lib/ViewerSettings.h"
#include "picture/Picture.h"
#include "viewer/Prefetch.h"
#include "viewer/ViewerMenu.h"
#include "viewer/VisorLayout.h"

#include <QImage>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class TVisorFrm;
}
class QLabel;
class QLineEdit;
class TGoToEntry;
class TGifAnimator;
class TPictureBox;
class TSpeedButton;
class TViewerMusic;

class TVisorFrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageStep = 10;
    static constexpr int kDefaultSlideMs = 5000;

    // The disc's viewer settings, and whether the program runs from the disc (a picture on it
    // cannot be marked bad).
    explicit TVisorFrm(const TViewerSettings &settings = {}, bool runningFromCD = false, QWidget *parent = nullptr);
    ~TVisorFrm() override;

    void OpenPath(const QString &path);
    void GoToIndex(int index);
    void GoNext() { GoStep(+1); }
    void GoPrevious() { GoStep(-1); }

    void LoadPicture(const QString &path);
    void WaitUntilShown();
    // What decoding one picture may cost; the defaults suit a desktop. The fuzzer lowers them
    // so that each of its runs stays quick.
    void SetDecodeLimits(const TDecodeLimits &limits) { FPicture.SetLimits(limits); }
    void ShowActualSize();
    void ShowFitted();
    void ToggleFit();
    QString FormatPictureInfo(const QString &path) const;
    void ShowFileInfo(const QString &text);

    // The slide show: on with an interval of Seconds, off for 0.
    void SetSlideInterval(int seconds);
    // A tick of the slide show.
    void TimerTimer();

    // What tests and the main window look at.
    const QStringList &Pictures() const { return FPictures; }
    int Index() const { return FIndex; }
    const QString &Folder() const { return FFolder; }
    const QString &Mask() const { return FMask; }
    const QRect &Dest() const;
    bool FitMode() const;
    int Zoom() const { return FZoom; }
    bool Busy() const { return FBusy; }
    const TPicture &Picture() const { return FPicture; }
    QTimer &Timer() { return FTimer; }
    TViewerMenu *PopupMenu() const { return FPopupMenu; }
    const TPicturePrefetch &Prefetch() const { return FPrefetch; }
    TViewerMusic &Music() const { return *FMusic; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct TKeyBinding;
    static const TKeyBinding kKeyTable[];

    void FormCreate();
    void CreateMenu();
    void FormShow();
    void FormHide();
    void LayoutControls();
    void PlaceControls(int w, int h);
    void WMDisplayChange();
    void PlaceNewPicture();
    void UpdateAfterLoad();
    void FormKeyDown(QKeyEvent *event);
    void CloseByEsc();
    void GoStep(int travel);
    // The box a prepared picture is fitted into: none at actual size.
    QSize FitBox() const { return FitMode() ? QSize(FBoxWidth, FBoxHeight) : QSize(); }
    void GoFirst() { GoToIndex(0); }
    void GoLast() { GoToIndex(int(FPictures.size()) - 1); }
    void PageDown();
    void PageUp();
    void MarkBad();
    void LblInfo1Click();
    void BtnOpcClick();
    void BtnSalirClick();
    void BoxDragStarted();
    void BoxDragEnded();
    void SetBusy(bool busy);
    void ShowMenuAt(QPoint globalPos);
    void PictureProgress(TProgressStage stage, int percent, bool redraw, const QRect &band);
    void PopupMenuPopup();
    void miGuardarClick();
    void miMusicaClick();
    void PlayRandomTrack();
    void PlayerComplete();
    void ClearAnimation();
    void SetDest(const QRect &dest, bool fitted);
    void SetAccessibleNames();
    void AnnouncePicture(const QString &name, const QString &description);

    std::unique_ptr<Ui::TVisorFrm> FUi;
    const TViewerSettings FSettings;
    const bool FRunningFromCD;
    QString FFolder;
    QString FMask;
    int FBoxWidth = 0, FBoxHeight = 0;
    int FZoom = 100;
    int FIndex = 0;
    QStringList FPictures;
    TPicture FPicture;
    // The neighbour in the direction of travel, prepared while the person looks.
    TPicturePrefetch FPrefetch;
    qint64 FFileSize = -1;
    bool FHalfScale = false;
    bool FBusy = false;
    TVisorLayout FLayout;
    // Counts loads: a load that finds the count changed after dispatching events was overtaken
    // by a newer one (a key pressed while a large picture decoded) and leaves the screen to it.
    quint64 FLoadSerial = 0;
    // The right-button menu pops up over the picture only while there are pictures.
    bool FAutoPopup = false;
    QTimer FTimer;  // paces the slide show
    QImage FFrameSkin;
    TViewerMusic *FMusic = nullptr;  // owned as a child

    TViewerMenu *FPopupMenu = nullptr;
    TGoToEntry *FGoTo = nullptr;

public:
    // ---- For tests, the fuzz target and the benchmark only ------------------------------------
    // The window's parts by their names in the window design (resources/VisorFrm.ui), so that a
    // test can press, read and measure them. The window's own code reaches them through FUi.
    TPictureBox *Box() const;
    TGifAnimator *GIFAnimator() const;
    TSpeedButton *BtnPrev() const;
    TSpeedButton *BtnNext() const;
    TSpeedButton *BtnOpc() const;
    TSpeedButton *BtnSalir() const;
    QLabel *LblInfo1() const;
    QLabel *LblInfo2() const;
    QLineEdit *Edit1() const;
};
