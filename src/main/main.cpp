// The menu's start-up: find the disc, read its topics, greet with the button cue.
#include "catalogue/GItem.h"
#include "catalogue/GTemas.h"
#include "lib/GLib.h"
#include "platform/Sound.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(StartupTitle(QCoreApplication::applicationFilePath()));

    InitPaths();
    ReadSortItems();
    if (!InitTopics()) {
        DoneTopics();
        DonePaths();
        return 0;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Telvaro"));

    PlayCue(QStringLiteral("BOTON.WAV"), true);

    DoneTopics();
    platform::ShutdownSound();
    DonePaths();
    return 0;
}
