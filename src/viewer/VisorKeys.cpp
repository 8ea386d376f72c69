// The viewer's keys: a table of key, modifiers and action, and the action that the disc's
// settings decide (Esc closes only when the disc says so). Ctrl+F11's marking of a bad picture
// is with the other file operations, in ViewerFiles.cpp.
#include "viewer/GVisor.h"

#include "viewer/GoToEntry.h"

#include "ui_VisorFrm.h"

#include <QKeyEvent>
#include <QLineEdit>

// The key table: each key with the modifiers it needs (-1: any) and what it does.
struct TVisorFrm::TKeyBinding {
    int Key;
    int Modifiers;
    void (TVisorFrm::*Action)();
};

const TVisorFrm::TKeyBinding TVisorFrm::kKeyTable[] = {
    {Qt::Key_Escape, -1, &TVisorFrm::CloseByEsc},
    {Qt::Key_Right, -1, &TVisorFrm::GoNext},
    {Qt::Key_Down, -1, &TVisorFrm::GoNext},
    {Qt::Key_Space, -1, &TVisorFrm::GoNext},
    {Qt::Key_Left, -1, &TVisorFrm::GoPrevious},
    {Qt::Key_Up, -1, &TVisorFrm::GoPrevious},
    {Qt::Key_Home, -1, &TVisorFrm::GoFirst},
    {Qt::Key_PageDown, -1, &TVisorFrm::PageDown},
    {Qt::Key_PageUp, -1, &TVisorFrm::PageUp},
    {Qt::Key_End, -1, &TVisorFrm::GoLast},
    {Qt::Key_Return, -1, &TVisorFrm::ToggleFit},
    {Qt::Key_Enter, -1, &TVisorFrm::ToggleFit},
    // Only Ctrl, nothing else held: Shift+Ctrl+F11 does nothing.
    {Qt::Key_F11, Qt::ControlModifier, &TVisorFrm::MarkBad},
    // The go-to entry, for those who do not click the counter.
    {Qt::Key_G, Qt::ControlModifier, &TVisorFrm::LblInfo1Click},
};

void TVisorFrm::keyPressEvent(QKeyEvent *event) { FormKeyDown(event); }

void TVisorFrm::FormKeyDown(QKeyEvent *event) {
    if (FUi->Edit1->isVisible())
        return;
    const int modifiers = int(event->modifiers() & ~Qt::KeypadModifier);
    for (const TKeyBinding &binding : kKeyTable) {
        if (binding.Key == event->key() && (binding.Modifiers < 0 || binding.Modifiers == modifiers))
            (this->*binding.Action)();
    }
}

void TVisorFrm::CloseByEsc() {
    if (FSettings.EscCloses)
        close();
}

void TVisorFrm::LblInfo1Click() { FGoTo->Open(FIndex, int(FPictures.size())); }
