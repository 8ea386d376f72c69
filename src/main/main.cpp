// The menu's start-up: find the disc, read its topics, claim the one running instance, and
// show the skin window.
#include "about/AboutFrm.h"
#include "catalogue/Disc.h"
#include "main/Accessibility.h"
#include "main/MainFrm.h"
#include "platform/Bundle.h"
#include "platform/Environment.h"
#include "platform/Fonts.h"
#include "platform/Instance.h"
#include "platform/Memory.h"
#include "platform/Sound.h"
#include "viewer/GVisor.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

// Picks the windowing system before the application object exists. A Wayland client cannot
// place its own window, so when an X display is offered too, we take it (Wayland if X fails);
// and with no display at all we say so in one line rather than let the toolkit abort.
bool ChoosePlatform() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Ours alone: the programs we open keep the user's choice.
    if (x11 && wayland)
        platform::SetOwnVariable("QT_QPA_PLATFORM", "xcb;wayland");
    else if (x11)
        platform::SetOwnVariable("QT_QPA_PLATFORM", "xcb");
    else if (wayland)
        platform::SetOwnVariable("QT_QPA_PLATFORM", "wayland");
    if (x11 || wayland)
        return true;
    std::fprintf(stderr, "telvaro: no hay pantalla (DISPLAY no está definido). "
                         "Sin escritorio, pruebe: xvfb-run -s '-screen 0 1024x768x24' telvaro CARPETA_DEL_DISCO\n");
    return false;
}

// While the application object connects to the display, a failure is the toolkit's fatal
// error, which would abort with advice about reinstalling after lines about its plugins: it is
// said in one line instead. What the toolkit says meanwhile waits, and is told once it is up.
QtMessageHandler gUsualHandler = nullptr;
struct THeldMessage {
    QtMsgType Type;
    QString Text;
};
QList<THeldMessage> gHeld;

void NoDisplayHandler(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type != QtFatalMsg) {
        gHeld.append({type, text});
        return;
    }
    const QByteArray x11 = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    std::fprintf(stderr, "telvaro: no se puede abrir la pantalla (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n",
                 x11.constData(), wayland.constData());
    std::_Exit(1);
}

void ReleaseHeldMessages() {
    qInstallMessageHandler(gUsualHandler);
    for (const THeldMessage &m : std::exchange(gHeld, {}))
        gUsualHandler(m.Type, QMessageLogContext(), m.Text);
}

} // namespace

int main(int argc, char **argv) {
    platform::SetUpProgram(argv[0]);
    if (!ChoosePlatform())
        return 1;
    platform::TFontConfigPreload fonts;
    // The skin, its mask and the tree's colour key only line up at whole scale factors.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    gUsualHandler = qInstallMessageHandler(NoDisplayHandler);
    QApplication app(argc, argv);
    ReleaseHeldMessages();
    InstallAccessibility();
    QApplication::setApplicationDisplayName(StartupTitle(platform::ProgramFile()));

    const QStringList args = QCoreApplication::arguments();
    const TDisc disc = LoadDisc(args.size() > 1 ? args.at(1) : QString(), platform::ProgramFile());
    if (!TopicsLoaded(disc.TopicList))
        return 0;

    platform::TSingleInstance instance;
    if (!instance.Claim(platform::ProgramFile()))
        return 0;

    QApplication::setApplicationDisplayName(QStringLiteral("Telvaro"));
    // Qt's own parts (standard buttons, the save dialog) speak Spanish like the rest of the menu.
    QTranslator qtSpanish;
    if (qtSpanish.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                       platform::QtTranslationsFolder()))
        QCoreApplication::installTranslator(&qtSpanish);
    int code = 0;
    {
        // The main window's widgets look fonts up as soon as they exist.
        fonts.Wait();
        auto mainFrm = std::make_unique<TMainFrm>(disc);
        std::unique_ptr<TAboutFrm> aboutFrm;
        std::unique_ptr<TVisorFrm> visorFrm;
        mainFrm->SetDeferredSetup([&] {
            aboutFrm = std::make_unique<TAboutFrm>(mainFrm.get());
            mainFrm->SetAboutBox(aboutFrm.get());
            visorFrm = std::make_unique<TVisorFrm>(disc, disc.RunningFromCD);
            mainFrm->SetViewer(visorFrm.get());
            // The sound system is not started here: it loads with the first cue or track, and
            // until then the menu does not carry GStreamer and its plugins (about 5 MiB).
        });
        QObject::connect(&instance, &platform::TSingleInstance::RaiseRequested, mainFrm.get(), &TMainFrm::RestoreAndRaise);
        mainFrm->show();
        // By now the start has read from the disc all the window needs (the tree's first topic
        // included): the disc's launcher may read on for the first click.
        QTimer::singleShot(0, [] { platform::NoteWindowShown(); });
        // Start-up frees more than it keeps; once the window has been up a moment, the free
        // memory goes back to the system rather than sitting in the idle menu.
        QTimer::singleShot(1000, [] { platform::ReturnFreeMemory(); });
        code = app.exec();
        // Windows go in the reverse order of their creation.
        visorFrm.reset();
        aboutFrm.reset();
        mainFrm.reset();
    }
    platform::ShutdownSound();
    (void)code;
    return 0;
}
