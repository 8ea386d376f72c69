// How the viewer loads a picture and places it in the box: the file read once (or the neighbour
// prepared ahead taken over), the decoding's progress painted as it goes, a newer load allowed
// to overtake, the picture at actual size or fitted, and the information line that follows.
#include "viewer/GVisor.h"

#include "lib/DiscPaths.h"
#include "picture/Prepare.h"
#include "picture/Resample.h"
#include "platform/Files.h"
#include "viewer/GifAnimator.h"
#include "viewer/PictureBox.h"
#include "viewer/VisorLayout.h"

#include "ui_VisorFrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <algorithm>
#include <limits>

void TVisorFrm::ClearAnimation() {
    FUi->GIFAnimator->hide();
    FUi->GIFAnimator->Clear();
    FUi->Box->SetSuppressed(false);
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
    FUi->LblInfo2->setText(QStringLiteral("Leyendo ..."));
    WaitUntilShown();
    QCoreApplication::processEvents();
    if (serial != FLoadSerial)
        return;

    // One look at the file: its real name and version go down to whatever reads it.
    const platform::TFoundFile file = platform::FindFile(path);
    FFileSize = file.Exists() ? std::min<qint64>(file.Stamp.Size, std::numeric_limits<qint32>::max()) : -1;
    FHalfScale = false;
    FUi->Box->DropFitted();
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
             PrepareForBox(FPicture, bytes, format, FitBox(), &fitted, [this] {
                 PlaceNewPicture();
                 // Painted now: an animation's first frame shows while the other frames decode.
                 FUi->Box->repaint();
             });
        if (serial != FLoadSerial)
            return;
    }
    if (ok) {
        FUi->Box->OfferFitted(fitted);
        FUi->Box->update();
        QCoreApplication::processEvents();
        if (serial != FLoadSerial)
            return;
    }
    QString info;
    if (ok) {
        FUi->LblInfo1->setText(CounterText(FIndex, int(FPictures.size())));
        info = FormatPictureInfo(path);
    } else {
        info = QStringLiteral("Error leyendo el archivo %1").arg(path);
        FPicture.Clear();
        // The animation of an earlier picture must not go on under the error.
        ClearAnimation();
        FUi->Box->update();
    }
    ShowFileInfo(info);
    UpdateAfterLoad();
    AnnouncePicture(FileNamePart(path), PlaceText(FIndex, int(FPictures.size()), ok));
}

void TVisorFrm::PlaceNewPicture() {
    FHalfScale = FPicture.HalfScale();
    TGifImage *gif = FPicture.Gif();
    if (gif && gif->FrameCount() > 1) {
        FUi->GIFAnimator->SetPicture(*gif);
        FUi->Box->SetSuppressed(true);
        FUi->GIFAnimator->show();
    } else {
        ClearAnimation();
    }
    FitMode() ? ShowFitted() : ShowActualSize();
}

void TVisorFrm::UpdateAfterLoad() {
    FUi->BtnPrev->setEnabled(FIndex > 0);
    FUi->BtnNext->setEnabled(FIndex < FPictures.size() - 1);
    if (FPictures.isEmpty())
        FUi->LblInfo1->unsetCursor();
    else
        FUi->LblInfo1->setCursor(Qt::PointingHandCursor);
}

void TVisorFrm::SetDest(const QRect &dest, bool fitted) {
    FUi->Box->SetDest(dest, fitted);
    FUi->Box->update();
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
    FUi->Box->CancelDrag();
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
    QFont f = FUi->LblInfo2->font();
    f.setPointSize(FittingPointSize(text, f, FUi->LblInfo2->width()));
    FUi->LblInfo2->setFont(f);
    FUi->LblInfo2->setText(text);
}

void TVisorFrm::PictureProgress(TProgressStage stage, int percent, bool redraw, const QRect &band) {
    if (stage != TProgressStage::Running)
        return;
    FUi->LblInfo2->setText(QStringLiteral("Leyendo %1% ...").arg(percent));
    if (!redraw) {
        // A progressive file reads its scans before any row comes out: the count goes on.
        FUi->LblInfo2->repaint();
        QCoreApplication::processEvents();
        return;
    }
    const int h = FPicture.Height();
    const QRect &dest = Dest();
    if (FPicture.Format() == TPictureFormat::Jpeg && h > 0) {
        // The band's rows, scaled to where they land in the destination.
        const qint64 top = dest.top() + qint64(dest.height()) * band.top() / h;
        const qint64 bottom = dest.top() + qint64(dest.height()) * (band.top() + band.height()) / h;
        FUi->Box->repaint(FUi->Box->LogicalRect(QRect(dest.left(), int(top), dest.width(), int(bottom - top))) &
                       FUi->Box->rect());
    } else {
        FUi->Box->repaint();
    }
    QCoreApplication::processEvents();
}
