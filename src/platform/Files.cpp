#include "platform/Files.h"

#include "platform/Text.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

TFailureInjector gInjector;

bool Injected(TFileOp op, const QString &path) { return gInjector && gInjector(op, path); }

QByteArray Native(const QString &path) { return EncodeFileName(path); }

bool StatPath(const QString &path, struct stat &st) { return ::stat(Native(path).constData(), &st) == 0; }

QString MakeAbsolute(const QString &path) {
    const QString p = ToSlashes(path);
    if (p.startsWith(u'/'))
        return QDir::cleanPath(p);
    return QDir::cleanPath(QDir::currentPath() + u'/' + p);
}

// Names of a folder as readdir gives them, or false when it cannot be read.
bool ReadNames(const QString &dir, std::vector<QString> &names) {
    if (Injected(TFileOp::List, dir))
        return false;
    DIR *d = ::opendir(Native(dir.isEmpty() ? QStringLiteral("/") : dir).constData());
    if (!d)
        return false;
    while (dirent *e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        names.push_back(DecodeFileName(e->d_name));
    }
    ::closedir(d);
    return true;
}

// Case-folded names of the folders looked into, so that a disc's many lookups of missing
// files (a description document per item) list each folder once. An entry is good while the
// folder's modification time is unchanged.
struct TFoldedDir {
    struct timespec Mtime;
    QHash<QString, QString> Names; // folded -> first name in sorted order
};
QHash<QString, TFoldedDir> gFolded;
constexpr qsizetype kFoldedCacheLimit = 512;

QString FoldedLookup(const QString &dir, const QString &part) {
    struct stat st;
    if (!StatPath(dir, st) || !S_ISDIR(st.st_mode))
        return {};
    auto it = gFolded.find(dir);
    if (it == gFolded.end() || it->Mtime.tv_sec != st.st_mtim.tv_sec || it->Mtime.tv_nsec != st.st_mtim.tv_nsec ||
        gInjector) {
        std::vector<QString> names;
        if (!ReadNames(dir, names))
            return {};
        std::sort(names.begin(), names.end());
        TFoldedDir entry{st.st_mtim, {}};
        for (const QString &n : names) {
            const QString folded = n.toCaseFolded();
            if (!entry.Names.contains(folded))
                entry.Names.insert(folded, n);
        }
        if (gFolded.size() >= kFoldedCacheLimit)
            gFolded.clear();
        it = gFolded.insert(dir, std::move(entry));
    }
    return it->Names.value(part.toCaseFolded());
}

} // namespace

QString DecodeFileName(const char *name) {
    const qsizetype size = qsizetype(std::strlen(name));
    if (IsValidUtf8(name, size))
        return QString::fromUtf8(name, size);
    const auto *p = reinterpret_cast<const unsigned char *>(name);
    const auto *end = p + size;
    QString out;
    out.reserve(end - p);
    while (p < end) {
        const int n = Utf8SequenceLength(reinterpret_cast<const char *>(p), end - p);
        if (n == 0) {
            out += QChar(char16_t(0xdc00 + *p));
            ++p;
        } else {
            out += QString::fromUtf8(reinterpret_cast<const char *>(p), n);
            p += n;
        }
    }
    return out;
}

QByteArray EncodeFileName(const QString &path) {
    QByteArray out;
    out.reserve(path.size());
    qsizetype run = 0; // start of the text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (u >= 0xdc80 && u <= 0xdcff && !paired) {
            out += QStringView(path).mid(run, i - run).toUtf8();
            out += char(u - 0xdc00);
            run = i + 1;
        }
    }
    out += QStringView(path).mid(run).toUtf8();
    return out;
}

QString ToSlashes(QString path) {
    path.replace(u'\\', u'/');
    return path;
}

QString ExtensionOf(const QString &path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path[i] == u'.')
            return path.mid(i);
        if (path[i] == u'\\' || path[i] == u'/' || path[i] == u':')
            break;
    }
    return {};
}

QString WithTrailingSeparator(const QString &path) {
    return path.endsWith(u'/') || path.endsWith(u'\\') ? path : path + u'/';
}

QString ResolveCase(const QString &path) {
    if (path.isEmpty())
        return {};
    const QString abs = MakeAbsolute(path);
    struct stat st;
    if (StatPath(abs, st))
        return abs;
    // Walk the components, keeping each exact match and otherwise taking the first entry
    // (in listing order) whose case-folded name matches.
    const QStringList parts = abs.split(u'/', Qt::SkipEmptyParts);
    QString cur;
    for (const QString &part : parts) {
        const QString exact = cur + u'/' + part;
        if (StatPath(exact, st) || ::lstat(Native(exact).constData(), &st) == 0) {
            cur = exact;
            continue;
        }
        const QString found = FoldedLookup(cur.isEmpty() ? QStringLiteral("/") : cur, part);
        if (found.isEmpty())
            return {};
        cur += u'/' + found;
    }
    return StatPath(cur, st) ? (cur.isEmpty() ? QStringLiteral("/") : cur) : QString();
}

bool PathExists(const QString &path) { return !ResolveCase(path).isEmpty(); }

bool IsRegularFile(const QString &path) {
    const QString r = ResolveCase(path);
    struct stat st;
    return !r.isEmpty() && StatPath(r, st) && S_ISREG(st.st_mode);
}

bool IsDirectory(const QString &path) {
    const QString r = ResolveCase(path);
    struct stat st;
    return !r.isEmpty() && StatPath(r, st) && S_ISDIR(st.st_mode);
}

bool ExistsOnlyInOtherCase(const QString &path) {
    if (path.isEmpty())
        return false;
    struct stat st;
    return !StatPath(MakeAbsolute(path), st) && !ResolveCase(path).isEmpty();
}

std::vector<DirEntry> ListDir(const QString &dir) { return ListDir(dir, nullptr); }

std::vector<DirEntry> ListDir(const QString &dir, const TNameFilter &wanted) {
    std::vector<DirEntry> out;
    const QString real = ResolveCase(dir);
    if (real.isEmpty() || Injected(TFileOp::List, real))
        return out;
    DIR *d = ::opendir(Native(real).constData());
    if (!d)
        return out;
    const int dfd = ::dirfd(d);
    while (dirent *ent = ::readdir(d)) {
        const char *name = ent->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        DirEntry e;
        struct stat st;
        // The directory entry's type spares a stat for folders; files need one for their size,
        // links one more for what they name (a dangling link names nothing).
        if (ent->d_type == DT_DIR) {
            e.IsDir = true;
        } else if (ent->d_type == DT_REG && wanted && !wanted(std::string_view(name))) {
            continue; // a plain file the caller does not want: not even its size is needed
        } else {
            if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISLNK(st.st_mode)) {
                e.IsLink = true;
                if (::fstatat(dfd, name, &st, 0) != 0)
                    continue;
            }
            if (S_ISDIR(st.st_mode)) {
                e.IsDir = true;
            } else if (S_ISREG(st.st_mode)) {
                if (wanted && ent->d_type != DT_REG && !wanted(std::string_view(name)))
                    continue;
                e.Size = qint64(st.st_size);
                e.IsReadOnly = (st.st_mode & 0222) == 0;
            } else {
                continue; // FIFOs, devices and sockets are never files of a disc
            }
        }
        e.Name = DecodeFileName(name);
        e.IsHidden = name[0] == '.';
        out.push_back(std::move(e));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const DirEntry &a, const DirEntry &b) {
        const int c = a.Name.compare(b.Name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
    return out;
}

qint64 FileSize(const QString &path) {
    const QString r = ResolveCase(path);
    struct stat st;
    if (r.isEmpty() || !StatPath(r, st) || !S_ISREG(st.st_mode))
        return -1;
    return qint64(st.st_size);
}

TFileStamp FileStamp(const QString &path) { return FindFile(path).Stamp; }

TFoundFile FindFile(const QString &path) {
    TFoundFile found;
    const QString r = ResolveCase(path);
    struct stat st;
    if (r.isEmpty() || !StatPath(r, st) || !S_ISREG(st.st_mode))
        return found;
    found.Path = r;
    found.Stamp.Size = qint64(st.st_size);
    found.Stamp.ModifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    found.Stamp.Inode = quint64(st.st_ino);
    return found;
}

bool ReadFileBytes(const QString &path, QByteArray &bytes, qint64 maxBytes) {
    bytes.clear();
    return ReadFoundFile(TFoundFile{ResolveCase(path), {}}, bytes, maxBytes);
}

bool ReadFoundFile(const TFoundFile &found, QByteArray &bytes, qint64 maxBytes) {
    bytes.clear();
    const QString &r = found.Path;
    if (r.isEmpty() || Injected(TFileOp::Read, r))
        return false;
    const int fd = ::open(Native(r).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const qint64 want = std::min<qint64>(qint64(st.st_size), maxBytes);
    bytes.resize(want);
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(want - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return ::close(fd) == 0;
}

bool RenameNoReplace(const QString &from, const QString &to) {
    const QString src = ResolveCase(from);
    if (src.isEmpty() || Injected(TFileOp::Rename, src))
        return false;
    if (PathExists(to))
        return false;
    const QString dst = MakeAbsolute(to);
    if (::renameat2(AT_FDCWD, Native(src).constData(), AT_FDCWD, Native(dst).constData(),
                    RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the no-replace flag: a hard link fails when the target exists.
    if (::link(Native(src).constData(), Native(dst).constData()) != 0)
        return false;
    ::unlink(Native(src).constData());
    return true;
}

bool SameFile(const QString &a, const QString &b) {
    const QString ra = ResolveCase(a), rb = ResolveCase(b);
    struct stat sa, sb;
    if (ra.isEmpty() || rb.isEmpty() || !StatPath(ra, sa) || !StatPath(rb, sb))
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

TCopyResult CopyFileAtomically(const QString &source, const QString &target,
                               const std::function<bool(qint64, qint64)> &progress) {
    const QString src = ResolveCase(source);
    if (src.isEmpty() || Injected(TFileOp::Read, src))
        return TCopyResult::SourceUnreadable;
    const QString existing = ResolveCase(target);
    const QString dst = existing.isEmpty() ? MakeAbsolute(target) : existing;
    if (SameFile(src, dst))
        return TCopyResult::SameFile;

    const int in = ::open(Native(src).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return TCopyResult::SourceUnreadable;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return TCopyResult::SourceUnreadable;
    }

    const QString folder = dst.left(dst.lastIndexOf(u'/') + 1);
    QByteArray tmpl = Native(folder) + ".telvaro-copy-XXXXXX";
    int out = Injected(TFileOp::Write, dst) ? -1 : ::mkstemp(tmpl.data());
    if (out < 0) {
        ::close(in);
        return TCopyResult::TargetUnwritable;
    }
    ::fcntl(out, F_SETFD, FD_CLOEXEC);

    TCopyResult result = TCopyResult::Ok;
    const qint64 total = qint64(st.st_size);
    qint64 done = 0;
    std::vector<char> buf(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result = TCopyResult::SourceUnreadable;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t off = 0; off < n;) {
            const ssize_t w = ::write(out, buf.data() + off, size_t(n - off));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                result = TCopyResult::TargetUnwritable;
                break;
            }
            off += w;
        }
        if (result != TCopyResult::Ok)
            break;
        done += n;
        if (progress && !progress(done, total)) {
            result = TCopyResult::Cancelled;
            break;
        }
    }
    ::close(in);

    if (result == TCopyResult::Ok) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(out, 0666 & ~mask) != 0 || ::fsync(out) != 0)
            result = TCopyResult::TargetUnwritable;
    }
    if (::close(out) != 0 && result == TCopyResult::Ok)
        result = TCopyResult::TargetUnwritable;
    if (result == TCopyResult::Ok &&
        (Injected(TFileOp::Rename, dst) || ::rename(tmpl.constData(), Native(dst).constData()) != 0))
        result = TCopyResult::TargetUnwritable;
    if (result != TCopyResult::Ok)
        ::unlink(tmpl.constData());
    return result;
}

void SetFailureInjector(TFailureInjector injector) { gInjector = std::move(injector); }

} // namespace platform
