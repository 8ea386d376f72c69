#include "lib/GExec.h"

#include "platform/Files.h"
#include "platform/Shell.h"


namespace {

const QString kMediaExtensions = QStringLiteral("AVI;MOV;WAV;MID;ASF;WMV");
const QString kPictureExtensions = QStringLiteral("JPG;GIF");
const QString kAviType = QStringLiteral("video/x-msvideo");

// Up to three characters after the extension's dot, upper-cased.
QString ExtensionKey(const QString &path) { return platform::ExtensionOf(path).mid(1, 3).toUpper(); }

} // namespace

bool IsMediaFile(const QString &path) {
    const QString key = ExtensionKey(path);
    if (!key.isEmpty() && kMediaExtensions.contains(key))
        return true;
    return key.startsWith(QLatin1String("MP"));
}

bool IsPictureFile(const QString &path) {
    const QString key = ExtensionKey(path);
    if (!key.isEmpty() && kPictureExtensions.contains(key))
        return true;
    return HasPictureWildcard(path);
}

bool HasPictureWildcard(const QString &path) {
    const QString upper = path.toUpper();
    return upper.contains(QLatin1String("*.JPG")) || upper.contains(QLatin1String("*.GIF"));
}

bool ShellRun(const QString &target, const QString &verb, const QString &parameters) {
    const QStringList args = parameters.isEmpty() ? QStringList() : QStringList{parameters};
    // A verb ("play") uses the same association as the default action here, so the verb's
    // attempt and the default action's are one and the same: trying it twice gains nothing.
    (void)verb;
    if (platform::OpenTarget(target, args))
        return true;
    const QString commandLine = parameters.isEmpty() ? target : target + u' ' + parameters;
    if (platform::RunCommandLine(commandLine))
        return true;
    if (IsMediaFile(commandLine))
        return RunMediaCommand(commandLine);
    return false;
}

bool ShellOpen(const QString &target) { return ShellRun(target, {}, {}); }

bool ShellPlay(const QString &target) { return ShellRun(target, QStringLiteral("play"), {}); }

QString MediaCommandFor(QString command, const QString &file) {
    const qsizetype p1 = command.indexOf(QLatin1String("%1"));
    if (p1 >= 0)
        command.replace(p1, 2, file);
    // The desktop's commands name their file with a field code; without one there is no place
    // to put the file, and nothing is run.
    static const char *const kFileCodes[] = {"%f", "%F", "%u", "%U", "%L"};
    qsizetype at = -1;
    for (const char *code : kFileCodes) {
        const qsizetype i = command.indexOf(QLatin1String(code));
        if (i >= 0 && (at < 0 || i < at))
            at = i;
    }
    if (at < 0)
        return {};
    // The other field codes (icon, name, location) carry nothing here.
    const auto clean = [](QString part) {
        static const char *const kCodes[] = {"%f", "%F", "%u", "%U", "%L", "%i", "%c", "%k", "%d", "%D", "%n", "%N", "%v", "%m"};
        for (const char *code : kCodes)
            part.remove(QLatin1String(code));
        return part.replace(QLatin1String("%%"), QLatin1String("%"));
    };
    return clean(command.left(at)) + u'"' + platform::ToSlashes(file) + u'"' + clean(command.mid(at + 2));
}

bool RunMediaCommand(const QString &file) {
    // A player started on a file that is not there would report the failure as a success.
    if (!platform::PathExists(file))
        return false;
    const QString command = MediaCommandFor(platform::DefaultCommandFor(kAviType), platform::ResolveCase(file));
    return !command.isEmpty() && platform::RunCommandLine(command);
}

bool SendMail(const QString &address, const QString &subject) {
    QString link = QStringLiteral("mailto:") + address;
    if (!subject.isEmpty())
        link += QStringLiteral("?subject=") + subject;
    return ShellOpen(link);
}
