#pragma once
// The menu's one main window: a borderless, shaped skin with the topic buttons, the catalogue
// tree drawn over it and the information label.
#include "catalogue/GTree.h"

#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TMainFrm;
}
class QKeyEvent;
class QLabel;
class QScreen;
class QTreeWidgetItem;
class TGTreeView;
class THotImg;
class TAboutFrm;
class TVisorFrm;
class TWindowDrag;
struct TDisc;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 600;

    // The window shows Disc, which must outlive it.
    explicit TMainFrm(const TDisc &disc, QWidget *parent = nullptr);
    ~TMainFrm() override;

    THotImg *Hot() const;
    TGTreeView *Tree() const;
    QLabel *LblInfo() const;
    QTimer &Timer() { return FTimer; }
    void SetAboutBox(TAboutFrm *about) { FAbout = about; }
    void SetViewer(TVisorFrm *viewer) { FVisor = viewer; }
    // Work the menu does not need until a button or an item asks for it (the other windows):
    // run once, at that first need. Made ahead, the viewer and the About box held about 1.3 MiB
    // for people who never open them, and making them takes a few milliseconds.
    void SetDeferredSetup(std::function<void()> setup) { FDeferredSetup = std::move(setup); }
    void FinishSetup();

    void PlaceWindow();
    void SelectTopic(const QString &topicName);
    void HotHit(QObject *Sender, const QString &Id);
    void ActivateItem(Qt::KeyboardModifiers modifiers);
    void TimerTimer();
    void NoteActivity();
    // What the skin's fixed regions do when pressed (the table in Regions.cpp names them).
    void Exit();
    void MinimizeApplication();
    void MailMaker();
    void LineUp();
    void LineDown();
    void ShowCredits();
    void ActivateCurrentItem();
    // Brings the window back from another start of the program.
    void RestoreAndRaise();
    // A change of the primary screen's geometry, or another screen made primary: re-centre
    // after a short pause.
    void DisplayChanged();

    TCatalogue &Catalogue() { return FCatalogue; }
    TItem *CurrentItem() const { return FCurrentItem; }
    int BlinkCount() const { return FBlinkCount; }
    bool FirstTick() const { return FFirstTick; }
    // The window's shape, built from the mask bitmap.
    const QRegion &Shape() const { return FShape; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void PrepareRegions();
    void MarkCurrentTopic();
    void UpdateInfo();
    void UpdateCurrentItem();
    void TreeChange();
    void HotEnter(QObject *Sender, const QString &Id);
    void HotLeave(QObject *Sender, const QString &Id);
    void HotFocus(QObject *Sender, const QString &Id);
    void SendKeyToTree(int key);
    bool TreeKeyDown(QKeyEvent *event);
    void FollowPrimaryScreen(QScreen *screen);

    std::unique_ptr<Ui::TMainFrm> FUi;
    const TDisc &FDisc;
    TCatalogue FCatalogue;
    // How many items with a target the last fill that showed its topic numbered.
    qint32 FItemCount = 0;
    TAboutFrm *FAbout = nullptr;
    TVisorFrm *FVisor = nullptr;
    TItem *FCurrentItem = nullptr;
    bool FFirstTick = false;
    int FBlinkCount = 0;
    QTimer FTimer; // paces the blinking of the scroll arrows
    bool FShown = false;
    std::function<void()> FDeferredSetup;
    QRegion FShape;
    QMetaObject::Connection FScreenChange;
    std::unique_ptr<TWindowDrag> FDrag;
};
