#include "platform/Shell.h"

#include "platform/Environment.h"
#include "platform/Files.h"

#include "platform/DesktopModule.h"
#include "platform/ModuleLoader.h"

#include <glib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <unistd.h>

#include <cstdio>

#include <vector>

namespace platform {

namespace {

// Where the build and the disc's bundle put it: a folder of the program's run path.
constexpr char kDesktopModule[] = "libtelvaro_desktop.so";

bool LooksLikeUri(const QString &s) {
    // "scheme:" with a scheme of two characters or more (one letter would be a drive).
    const qsizetype colon = s.indexOf(u':');
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = s[i];
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!ok)
            return false;
    }
    return true;
}

// Runs the launch with the process's current folder set to Folder, as spawned children inherit it.
template <class F> bool InFolder(const QString &folder, F &&launch) {
    const QString old = QDir::currentPath();
    const bool moved = !folder.isEmpty() && QDir::setCurrent(folder);
    const bool ok = launch();
    if (moved)
        QDir::setCurrent(old);
    return ok;
}

QByteArray Head(const QString &path, int bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(bytes);
}

// A program is known by its content: an ELF binary or a "#!" script. The execute bit alone
// says little on discs, whose file systems often mark every file executable.
bool IsProgramFile(const QString &path) {
    const QByteArray head = Head(path, 4);
    return head.startsWith("\x7f" "ELF") || head.startsWith("#!");
}

// How to start a program file: itself when it may be executed, its interpreter for a "#!"
// script without the execute bit (a disc mounted without execute permission); nothing else.
// Only a program is started, whatever its bits say: discs and FAT sticks mark every file
// executable, and the spawn hands a file the kernel refuses to /bin/sh, which would run a
// document's bytes as commands and call that a success.
QStringList StartArgv(const QString &path) {
    const QByteArray head = Head(path, 256);
    const bool script = head.startsWith("#!");
    if (!script && !head.startsWith("\x7f" "ELF"))
        return {};
    if (::access(EncodeFileName(path).constData(), X_OK) == 0)
        return {path};
    if (!script)
        return {};
    QByteArray line = head.mid(2);
    const qsizetype nl = line.indexOf('\n');
    if (nl >= 0)
        line.truncate(nl);
    const QStringList words = QString::fromLocal8Bit(line).split(u' ', Qt::SkipEmptyParts);
    return words.isEmpty() ? QStringList() : words + QStringList{path};
}

bool Spawn(const QStringList &argv, const QString &folder) {
    if (argv.isEmpty())
        return false;
    std::vector<QByteArray> bytes;
    for (const QString &a : argv)
        bytes.push_back(EncodeFileName(a));
    std::vector<char *> args;
    for (QByteArray &b : bytes)
        args.push_back(b.data());
    args.push_back(nullptr);
    // The program gets the user's environment, not the one this process set for itself.
    QList<QByteArray> environment = UserEnvironment();
    std::vector<char *> envp;
    for (QByteArray &e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    GError *error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD the child is detached and reaped for us.
    const gboolean ok = g_spawn_async(folder.isEmpty() ? nullptr : EncodeFileName(folder).constData(), args.data(),
                                      envp.data(), GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL),
                                      nullptr, nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}

// The desktop module, loaded at the first launch that needs it; null (for good) when it cannot
// be: nothing is then opened the desktop's way, and the caller reports the launch as failed.
const desktop::TTable *Desktop() {
    static const desktop::TTable *table = [] {
        QString error;
        const auto *t = LoadDesktopTable(QString::fromLatin1(kDesktopModule), &error);
        if (!t)
            std::fprintf(stderr, "telvaro: sin escritorio: %s\n", qPrintable(error));
        return t;
    }();
    return table;
}

// Calls Launch with the user's environment as the module takes it.
template <class F> bool WithUserVariables(F &&launch) {
    const QList<TUserVariable> vars = UserVariables();
    std::vector<desktop::TVariable> env;
    for (const TUserVariable &v : vars)
        env.push_back({v.Name.constData(), v.Value ? v.Value->constData() : nullptr});
    return launch(env.data(), int(env.size()));
}

bool OpenUri(const QString &uri) {
    const desktop::TTable *d = Desktop();
    const QByteArray bytes = uri.toUtf8();
    return d && WithUserVariables([&](const desktop::TVariable *env, int n) { return d->OpenUri(bytes.constData(), env, n); });
}

bool OpenFileWithDefault(const QString &path) {
    const desktop::TTable *d = Desktop();
    // Absolute before the launch moves into the file's folder.
    const QByteArray native = EncodeFileName(QFileInfo(path).absoluteFilePath());
    return d && InFolder(QFileInfo(path).path(), [&] {
               return WithUserVariables([&](const desktop::TVariable *env, int n) { return d->OpenFile(native.constData(), env, n); });
           });
}

} // namespace

const desktop::TTable *LoadDesktopTable(const QString &file, QString *error) {
    return LoadModuleTable<desktop::TTable>(file, "telvaro_desktop_table", desktop::kTableVersion,
                                            QStringLiteral("el módulo del escritorio"), error);
}

namespace {

QStringList SplitArguments(QStringView text) {
    // Blanks separate, double quotes group; a backslash is an ordinary character.
    QStringList out;
    QString cur;
    bool quoted = false, any = false;
    for (QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (any || !cur.isEmpty())
                out << cur;
            cur.clear();
            any = false;
        } else {
            cur += c;
        }
    }
    if (any || !cur.isEmpty())
        out << cur;
    return out;
}

} // namespace

TCommand ParseCommandLine(const QString &commandLine) {
    const QString line = commandLine.trimmed();
    TCommand cmd;
    if (line.isEmpty())
        return cmd;
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        const QString program = line.mid(1, close < 0 ? -1 : close - 1);
        const QString real = ResolveCase(program);
        cmd.Program = real.isEmpty() ? program : real;
        if (close >= 0)
            cmd.Arguments = SplitArguments(QStringView(line).mid(close + 1));
        return cmd;
    }
    // The longest prefix ending before a blank (or at the end) that names an existing file.
    for (qsizetype end = line.size(); end > 0; end = line.lastIndexOf(u' ', end - 1)) {
        const QString prefix = line.left(end);
        if (prefix.endsWith(u' '))
            continue;
        if (IsRegularFile(prefix)) {
            cmd.Program = ResolveCase(prefix);
            cmd.Arguments = SplitArguments(QStringView(line).mid(end));
            return cmd;
        }
        if (end == 0)
            break;
    }
    const QStringList words = SplitArguments(line);
    if (words.isEmpty())
        return cmd;
    if (!words.first().contains(u'/') && !words.first().contains(u'\\')) {
        gchar *found = g_find_program_in_path(EncodeFileName(words.first()).constData());
        if (found) {
            cmd.Program = QFile::decodeName(found);
            g_free(found);
            cmd.Arguments = words.mid(1);
        }
    }
    return cmd;
}

bool RunCommandLine(const QString &commandLine) {
    const TCommand cmd = ParseCommandLine(commandLine);
    if (cmd.Program.isEmpty())
        return false;
    const QStringList argv = StartArgv(cmd.Program);
    if (argv.isEmpty())
        return false;
    return Spawn(argv + cmd.Arguments, QFileInfo(cmd.Program).path());
}

bool OpenTarget(const QString &target, const QStringList &arguments) {
    if (target.isEmpty())
        return false;
    const QString real = ResolveCase(target);
    if (real.isEmpty())
        return LooksLikeUri(target) && OpenUri(target);
    if (IsRegularFile(real) && IsProgramFile(real)) {
        const QStringList argv = StartArgv(real);
        return !argv.isEmpty() && Spawn(argv + arguments, QFileInfo(real).path());
    }
    return OpenFileWithDefault(real);
}

QString DefaultCommandFor(const QString &contentType) {
    const desktop::TTable *d = Desktop();
    char *line = d ? d->DefaultCommandFor(contentType.toUtf8().constData()) : nullptr;
    const QString out = line ? QString::fromUtf8(line) : QString();
    g_free(line);
    return out;
}

} // namespace platform
