#pragma once
// Fixtures for the picture and viewer tests: ImageMagick run as a reference, and the offscreen screen the
// viewer is laid out on. The pictures themselves come from support/TestPictures.h.
#include "support/TestPictures.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTest>

namespace testsupport {

// Debian's own convert, else whichever is on the path.
inline QString ConvertProgram() {
    if (QFile::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

inline bool RunMagick(const QString &program, const QStringList &args, QByteArray *out = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                 p.readAllStandardError().constData());
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

inline bool Convert(const QStringList &args) { return RunMagick(ConvertProgram(), args); }

// Runs a viewer test on a 1024 x 768 offscreen screen, as the viewer's layout is checked
// against one; the screen's description is written into Dir.
template <typename TTest>
int RunOn1024x768(int argc, char **argv, const QString &dir) {
    const QString config = dir + QStringLiteral("/screen.json");
    testfiles::WriteFile(config, R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1024, "height": 768,
        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Telvaro"));
    TTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace testsupport
