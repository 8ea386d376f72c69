// telvaro-check: the disc author's checker. See Check.h.
#include "check/Check.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv) {
    // The tree is filled in a window that is never shown: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("telvaro-check"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const TCheckRun run = RunCheck(arguments);
    std::fwrite(run.Out.constData(), 1, size_t(run.Out.size()), stdout);
    std::fwrite(run.Err.constData(), 1, size_t(run.Err.size()), stderr);
    return run.ExitCode;
}
