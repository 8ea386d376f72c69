#pragma once
// A desktop made for tests: XDG folders in a temporary directory whose default applications
// (documents, WAV sound, mail links, AVI video) are one script that records its working folder
// and arguments. Create it before the application object, so GIO reads these folders.
#include "support/TestFiles.h"

#include <QStringList>
#include <QTemporaryDir>

class TRecordingDesktop {
public:
    TRecordingDesktop() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("config")));
        WriteFile(Path("bin/rec.sh"), RecorderScript(), true);
        Desktop("rec-doc", Path("bin/rec.sh") + " doc %f", "application/pdf;audio/x-wav;text/html");
        Desktop("rec-mail", Path("bin/rec.sh") + " mail %u", "x-scheme-handler/mailto");
        Desktop("rec-avi", Path("bin/rec.sh") + " avi --fullscreen %U", "video/x-msvideo");
        WriteFile(Path("config/mimeapps.list"), "[Default Applications]\napplication/pdf=rec-doc.desktop\n"
                                                "audio/x-wav=rec-doc.desktop\ntext/html=rec-doc.desktop\n"
                                                "x-scheme-handler/mailto=rec-mail.desktop\n"
                                                "video/x-msvideo=rec-avi.desktop\n");
    }

    QString Path(const QString &rel) const { return FDir.path() + u'/' + rel; }

    // A shell script that appends "cwd:FOLDER", one "arg:A" per argument and "end".
    QByteArray RecorderScript() const {
        return "#!/bin/sh\n{ echo \"cwd:$(pwd)\"; for a in \"$@\"; do echo \"arg:$a\"; done; echo end; } >> \"" +
               QFile::encodeName(Path("record.txt")) + "\"\n";
    }

    QStringList Recorded() const {
        return QString::fromUtf8(testfiles::ReadFile(Path("record.txt"))).split(u'\n', Qt::SkipEmptyParts);
    }
    void ClearRecord() const { QFile::remove(Path("record.txt")); }

    static void WriteFile(const QString &path, const QByteArray &bytes, bool exec = false) {
        testfiles::WriteFile(path, bytes, exec);
    }

private:
    void Desktop(const QString &name, const QString &exec, const QString &types) {
        WriteFile(Path("data/applications/" + name + ".desktop"),
                  ("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\nMimeType=" + types + ";\n").toUtf8());
    }
    QTemporaryDir FDir;
};
