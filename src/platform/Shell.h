#pragma once
// Opening things the desktop's way: files with their default application, links with their
// scheme's handler, programs and command lines started directly. Every call answers whether
// something was actually launched; nothing here shows anything.
#include <QString>
#include <QStringList>

namespace platform {

namespace desktop {
struct TTable;
}

// A file is opened with the default application for its content type, except that a program
// (execute permission, an ELF binary or a "#!" script) is started. A URI ("mailto:...") goes to
// its scheme's handler as written. A target that does not exist is not opened. Arguments are
// given to a program only. Launches run in the target's own folder.
bool OpenTarget(const QString &target, const QStringList &arguments = {});

// Runs a command line as the original process start reads one: the program is the quoted
// first word or the longest blank-separated prefix that names an existing file (else the first
// word, looked up in PATH), the rest are its arguments. No shell is involved; the program
// starts detached in its own folder. True when the process started.
bool RunCommandLine(const QString &commandLine);

// How RunCommandLine splits a command line: the program path (as found, absolute) and its
// arguments; an empty program when none can be found.
struct TCommand {
    QString Program;
    QStringList Arguments;
};
TCommand ParseCommandLine(const QString &commandLine);

// The command line (with its field codes) of the default application for a content type,
// such as "video/x-msvideo"; empty when there is none.
QString DefaultCommandFor(const QString &contentType);

// The desktop module (GIO behind a table), loaded from File the first time something is opened
// the desktop's way; null with *Error set when it is missing or not such a module. The calls
// above then open nothing but programs.
const desktop::TTable *LoadDesktopTable(const QString &file, QString *error);

} // namespace platform
