#include "platform/Drives.h"

#include <QDir>
#include <QFile>

#include "platform/Files.h"

#include <optional>

namespace platform {

namespace {

std::optional<QByteArray> gMountInfo;
QString gSysfsRoot = QStringLiteral("/sys");


// The kernel writes a blank, tab, newline or backslash in a path as a three-digit octal escape
// ("\040"); anything else stands for itself.
QByteArray Unescape(const QByteArray &field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto octal = [&](qsizetype k) { return k < field.size() && field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

// One line per mount: ID, parent ID, major:minor, root, mount point, mount options, optional
// fields up to a "-", then the file system type, the source and the super block's options. A
// line that does not have that shape is skipped. Read here rather than through a library, so the
// program maps nothing more for it before its window is up.
std::vector<TMount> ParseMountInfo(const QByteArray &text) {
    std::vector<TMount> out;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf("-", 6);
        if (f.size() < 6 || dash < 0 || dash + 2 >= f.size())
            continue;
        const QList<QByteArray> dev = f[2].split(':');
        bool majorOk = false, minorOk = false;
        TMount m;
        if (dev.size() == 2) {
            m.Major = dev[0].toUInt(&majorOk);
            m.Minor = dev[1].toUInt(&minorOk);
        }
        if (!majorOk || !minorOk || f[4].isEmpty())
            continue;
        m.Root = WithTrailingSeparator(QFile::decodeName(Unescape(f[4])));
        m.FsType = QString::fromUtf8(Unescape(f[dash + 1]));
        m.Source = QFile::decodeName(Unescape(f[dash + 2]));
        m.ReadOnly = f[5].split(',').contains("ro");
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<TMount> Mounts() {
    if (gMountInfo)
        return ParseMountInfo(*gMountInfo);
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return ParseMountInfo(f.readAll());
}

void SetMountInfoForTesting(const QByteArray *text) {
    if (text)
        gMountInfo = *text;
    else
        gMountInfo.reset();
}

void SetSysfsRootForTesting(const QString &root) { gSysfsRoot = root; }

bool IsOpticalMount(const TMount &m) {
    if (m.FsType == u"iso9660" || m.FsType == u"udf")
        return true;
    if (m.Major == 11) // the SCSI CD-ROM driver's block major
        return true;
    if (m.Major == 0)
        return false;
    QFile type(QStringLiteral("%1/dev/block/%2:%3/device/type").arg(gSysfsRoot).arg(m.Major).arg(m.Minor));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() == "5"; // SCSI peripheral type 5: CD/DVD
}

const TMount *MountOf(const std::vector<TMount> &mounts, const QString &path) {
    const QString p = WithTrailingSeparator(QDir::cleanPath(QDir(ToSlashes(path)).absolutePath()));
    const TMount *best = nullptr;
    for (const TMount &m : mounts)
        if (p.startsWith(m.Root) && (!best || m.Root.size() >= best->Root.size()))
            best = &m; // later mounts over the same point hide earlier ones
    return best;
}

QString VolumeRoot(const QString &path) {
    const auto mounts = Mounts();
    const TMount *m = MountOf(mounts, path);
    return m ? m->Root : QStringLiteral("/");
}

bool IsOnOpticalMount(const QString &path) {
    const auto mounts = Mounts();
    const TMount *m = MountOf(mounts, path);
    return m && IsOpticalMount(*m);
}

bool IsOnReadOnlyMount(const QString &path) {
    const auto mounts = Mounts();
    const TMount *m = MountOf(mounts, path);
    return m && m->ReadOnly;
}

QString FirstOpticalRoot() {
    for (const TMount &m : Mounts())
        if (IsOpticalMount(m))
            return m.Root;
    return {};
}

} // namespace platform
