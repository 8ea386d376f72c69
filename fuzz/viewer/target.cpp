// The picture viewer on a folder whose pictures are the input: the bytes are written as one
// JPEG and one GIF (padded to the viewer's smallest picture with zeros, which both formats
// leave unread after their end), then the window opens the folder and pages as a person
// would: next, previous, End, Home, and fitting in and out. Loading, decoding, animating and
// painting any bytes must not crash or hang, and the window must stay in a consistent state.
#include "viewer/GVisor.h"
#include "viewer/PictureBox.h"
#include "viewer/PictureList.h"

#include "FuzzWidgets.h"

#include <QKeyEvent>
#include <QLabel>

#include <cstdint>

using fuzzsupport::Check;

namespace {

const QString &Folder() {
    static const QString folder = fuzzsupport::Scratch() + QStringLiteral("fotos/");
    return folder;
}

// One window for the whole run, as the program keeps one viewer from start-up to the end and
// shows it again for each folder. Making one per input cost far more than the input itself.
TVisorFrm *Setup() {
    // A small screen: the full-screen window fits and paints each picture several times per
    // input, and at the offscreen platform's 800 x 600 that resampling took most of the run.
    // Every path the window takes is the same at this size, the checks included.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        const QString config = fuzzsupport::Scratch() + QStringLiteral("screen.json");
        fuzzsupport::WriteFile(config, R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 400, "height": 300,
                                              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    fuzzsupport::EnsureApplication();
    QDir().mkpath(Folder());
    auto *viewer = new TVisorFrm;
    TDecodeLimits limits;
    // Eight times below the decoders' own targets: a picture of two megapixels still takes every
    // path the window has (the finishing thread starts at one), while the pages of the larger ones,
    // touched fresh for each input under the address sanitizer, took over half of every run.
    limits.MaxBytes = qint64(8) << 20;
    limits.MaxScans = 100;
    viewer->SetDecodeLimits(limits);
    return viewer;
}

// Puts the window back as a new one stands, so that an input found failing fails again on its
// own: hiding drops the picture, its prepared neighbour, the animation and a drag; the fit mode
// outlives a hide, so the box goes back to actual size; showing lays the window out afresh.
void Reset(TVisorFrm *viewer) {
    viewer->hide();
    viewer->Box()->SetDest(viewer->Box()->rect(), false);
    viewer->show();
}

void Key(TVisorFrm *viewer, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(viewer, &press);
}

void CheckState(const TVisorFrm *viewer, int index) {
    Check(viewer->Pictures().size() == 2, "both pictures are listed");
    Check(viewer->Index() == index, "paging lands on the picture asked for");
    Check(!viewer->Busy(), "the viewer is idle between keys");
    const bool failed = viewer->LblInfo2()->text().startsWith(QStringLiteral("Error leyendo el archivo"));
    Check(failed == viewer->Picture().IsEmpty(), "a picture is on show unless its load says it failed");
    if (failed)
        return;
    Check(viewer->Zoom() > 0, "a picture on show has a zoom");
    const QRect box = viewer->Box()->rect();
    if (viewer->FitMode() && viewer->Picture().Width() > 0 && viewer->Picture().Height() > 0)
        Check(box.contains(viewer->Dest()), "a fitted picture lies inside the box");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TVisorFrm *const viewer = Setup();
    QByteArray bytes = fuzzsupport::Bytes(data, size);
    if (bytes.size() < kMinPictureBytes)
        bytes.append(QByteArray(kMinPictureBytes - bytes.size(), '\0'));
    fuzzsupport::WriteFile(Folder() + QStringLiteral("a.jpg"), bytes);
    fuzzsupport::WriteFile(Folder() + QStringLiteral("b.gif"), bytes);

    Reset(viewer);
    viewer->OpenPath(Folder());
    CheckState(viewer, 0);
    viewer->GoNext();
    CheckState(viewer, 1);
    viewer->GoPrevious();
    CheckState(viewer, 0);
    Key(viewer, Qt::Key_End);
    CheckState(viewer, 1);
    viewer->ToggleFit();
    Key(viewer, Qt::Key_Home);
    CheckState(viewer, 0);
    viewer->ToggleFit();
    viewer->ToggleFit();
    CheckState(viewer, 0);
    return 0;
}
