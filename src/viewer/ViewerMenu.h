#pragma once
// The viewer's options menu: what the right button and the "..." button pop up. It shows the
// viewer's state as the window hands it over just before it opens, and reports each choice by a
// signal; the window does the work.
#include <QMenu>

class TViewerMenu : public QMenu {
    Q_OBJECT
public:
    // What the items show; filled in by the window each time the menu is about to open.
    struct TState {
        bool CanFit = false;      // no animation plays
        bool Fitted = false;
        bool SlideShowOn = false;
        bool MusicAvailable = false;
        QString Track;            // the track playing, shown beside "Música"
        bool SeveralTracks = false;
        QString AutoCaption;      // the slide-show submenu's caption, from the disc
    };

    explicit TViewerMenu(QWidget *parent);
    void ShowState(const TState &state);

    QAction *miAjustar, *miAuto, *miAutoOff, *miAuto2S, *miAuto5S, *miAuto20S, *miAuto1M;
    QAction *miMusica, *miTema, *miGuardar;

Q_SIGNALS:
    void FitChosen();
    void SlideIntervalChosen(int seconds); // 0 stops the show
    void MusicToggled(bool on);
    void NewTrackChosen();
    void SaveChosen();
    void AboutToOpen();

private:
    void miAutoClick(QAction *sender);
    QMenu *FAutoMenu;
};
