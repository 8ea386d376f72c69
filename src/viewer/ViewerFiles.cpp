// What the viewer does to the file of the picture on show: it saves a copy elsewhere, and marks
// a bad picture by renaming it to .BAD (never on the disc itself, and never over another file).
#include "viewer/GVisor.h"

#include "lib/CopyWithProgress.h"
#include "lib/DiscPaths.h"
#include "platform/Files.h"
#include "viewer/DSPlay.h"
#include "viewer/PictureBox.h"
#include "viewer/SaveDialog.h"
#include "viewer/ViewerMusic.h"

#include "ui_VisorFrm.h"

#include <QMessageBox>

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
    FUi->Box->SetBusy(busy);
}

void TVisorFrm::MarkBad() {
    if (FRunningFromCD || FPictures.isEmpty())
        return;
    const QString path = FPictures[FIndex];
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmar"), QStringLiteral("¿ BORRAR \"%1\"?").arg(path),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    if (box.exec() != QMessageBox::Yes)
        return;
    const QString real = platform::ResolveCase(path);
    if (!real.isEmpty()) {
        const QString bad = FolderPart(real) + BaseNameOf(real) + QStringLiteral(".BAD");
        // The outcome is not reported: a picture that could not be marked simply stays.
        platform::RenameNoReplace(real, bad);
    }
    GoNext();
}
