#include "platform/Drives.h"

#include <QDir>
#include <QFile>

#include "platform/Files.h"

#include <libmount.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <optional>

namespace platform {

namespace {

std::optional<QByteArray> gMountInfo;
QString gSysfsRoot = QStringLiteral("/sys");

QString WithSlash(QString s) {
    if (!s.endsWith(u'/'))
        s += u'/';
    return s;
}

} // namespace

std::vector<TMount> ParseMountInfo(const QByteArray &text) {
    std::vector<TMount> out;
    libmnt_table *tb = mnt_new_table();
    if (!tb)
        return out;
    // libmount reads a stream; the text may come from a test rather than from /proc.
    QByteArray copy = text;
    if (copy.isEmpty())
        copy = "\n";
    FILE *f = ::fmemopen(copy.data(), size_t(copy.size()), "r");
    if (f) {
        mnt_table_parse_stream(tb, f, "/proc/self/mountinfo");
        ::fclose(f);
        libmnt_iter *it = mnt_new_iter(MNT_ITER_FORWARD);
        libmnt_fs *fs = nullptr;
        while (it && mnt_table_next_fs(tb, it, &fs) == 0) {
            TMount m;
            const char *target = mnt_fs_get_target(fs);
            if (!target)
                continue;
            m.Root = WithSlash(QFile::decodeName(target));
            m.FsType = QString::fromUtf8(mnt_fs_get_fstype(fs));
            m.Source = QFile::decodeName(mnt_fs_get_source(fs));
            const dev_t dev = mnt_fs_get_devno(fs);
            m.Major = major(dev);
            m.Minor = minor(dev);
            const char *options = mnt_fs_get_vfs_options(fs);
            m.ReadOnly = options && mnt_optstr_get_option(options, "ro", nullptr, nullptr) == 0;
            out.push_back(std::move(m));
        }
        mnt_free_iter(it);
    }
    mnt_unref_table(tb);
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
    const QString p = WithSlash(QDir::cleanPath(QDir(ToSlashes(path)).absolutePath()));
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
