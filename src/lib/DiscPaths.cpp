#include "lib/DiscPaths.h"

#include "platform/Bundle.h"
#include "platform/Drives.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

qsizetype LastSeparator(const QString &path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

} // namespace

QString FolderPart(const QString &path) { return path.left(LastSeparator(path) + 1); }

QString FileNamePart(const QString &path) { return path.mid(LastSeparator(path) + 1); }

TDiscPaths ReadDiscPaths(const QString &firstArgument, const QString &programFile) {
    const QString program = QFileInfo(platform::ToSlashes(programFile)).absoluteFilePath();
    QString base;
    if (!firstArgument.isEmpty()) {
        // There are no drive letters here: the argument is a folder, made absolute against the
        // current folder, in the letter case it has on disk when it exists in another.
        QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(platform::ToSlashes(firstArgument)));
        const QString real = platform::ResolveCase(folder);
        if (!real.isEmpty())
            folder = real;
        base = AddBackslash(folder);
    } else {
        base = program;
    }
    // A copy of the disc on a read-only mount is as unchangeable as the disc itself.
    TDiscPaths paths;
    paths.RunningFromCD = IsOnCDROMDrive(program) || platform::IsOnReadOnlyMount(program);
    paths.BaseDir = FolderPart(base);
    paths.GresDir = paths.BaseDir + QStringLiteral("GRES/");
    return paths;
}

bool IsOnCDROMDrive(const QString &path) { return platform::IsOnOpticalMount(path); }

QString FindCDROMRoot() { return platform::FirstOpticalRoot(); }

QString AddBackslash(const QString &path) {
    return path.isEmpty() ? path : platform::WithTrailingSeparator(path);
}

QString AddBackslashChar(const QString &path) { return AddBackslash(path); }

QString BaseNameOf(const QString &path) {
    QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString ResolvePath(const QString &path, const QString &base, const QString &baseDir) {
    if (path.isEmpty())
        return {};
    const QString p = platform::ToSlashes(path);
    if (p.startsWith(u'/')) {
        QString root = platform::VolumeRoot(platform::ToSlashes(base));
        root.chop(1); // the root ends in "/", and so does the path's beginning
        return root + p;
    }
    if (p.startsWith(QLatin1String("./")))
        return baseDir + p.mid(2);
    return platform::ToSlashes(base) + p;
}

