#include "lib/GLib.h"

#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Sound.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

QString BaseDir;
QString GresDir;
bool RunningFromCD = false;

namespace {

TCopyPrompts gPrompts;

// A hostile disc can nest folders past any sensible depth; searches stop there.
constexpr int kMaxSearchDepth = 128;

QString FolderPart(const QString &path) { return path.left(path.lastIndexOf(u'/') + 1); }

// Iterative glob match with single-star backtracking: linear in practice, never exponential.
// Over UTF-16 text, or over bytes when both sides are known to agree unit for unit.
template <typename View, typename Fold>
bool CaseFoldedMatch(View s, View p, Fold fold) {
    using Char = typename View::value_type;
    qsizetype si = 0, pi = 0, star = -1, mark = 0;
    const auto ssize = qsizetype(s.size()), psize = qsizetype(p.size());
    while (si < ssize) {
        if (pi < psize && (p[pi] == Char('?') || p[pi] == fold(s[si]))) {
            ++si;
            ++pi;
        } else if (pi < psize && p[pi] == Char('*')) {
            star = pi++;
            mark = si;
        } else if (star >= 0) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < psize && p[pi] == Char('*'))
        ++pi;
    return pi == psize;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

QString DecodedName(std::string_view name) { return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size()))); }

// Names are looked at as the directory gives them. A name in ASCII folds and upper-cases the
// same way as bytes as it does as text (no other character maps into ASCII from it), so only
// other names are decoded to be judged as text.
class TWildcardName {
public:
    explicit TWildcardName(const QString &pattern)
        : FFolded(pattern.toCaseFolded()), FFolded8(FFolded.toUtf8().toStdString()),
          FAny(FFolded == u"*.*" || FFolded == u"*") {}
    bool operator()(std::string_view name) const {
        if (name.empty() || name.front() == '.')
            return false; // hidden files are never found
        if (FAny)
            return true;
        if (!IsAscii(name))
            return CaseFoldedMatch(QStringView(DecodedName(name).toCaseFolded()), QStringView(FFolded),
                                   [](QChar c) { return c; });
        return CaseFoldedMatch(name, std::string_view(FFolded8), [](char c) { return AsciiLower(c); });
    }

private:
    QString FFolded;
    std::string FFolded8;
    bool FAny;
};

// The extension (after the last dot, never empty), upper-cased, occurs in the list.
class TExtensionName {
public:
    explicit TExtensionName(const QString &upperExts) : FExts(upperExts), FExts8(upperExts.toUtf8()) {}
    bool operator()(std::string_view name) const {
        const size_t dot = name.rfind('.');
        if (dot == std::string_view::npos || dot + 1 == name.size())
            return false; // no extension: never collected
        std::string ext(name.substr(dot + 1));
        if (!IsAscii(ext)) {
            const QString text = DecodedName(name);
            return FExts.contains(text.mid(text.lastIndexOf(u'.') + 1).toUpper());
        }
        for (char &c : ext)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        return FExts8.contains(QByteArrayView(ext.data(), qsizetype(ext.size())));
    }

private:
    QString FExts;
    QByteArray FExts8;
};

QString SearchTree(const QString &folder, const TWildcardName &wanted, int depth) {
    QCoreApplication::processEvents();
    if (QCoreApplication::closingDown() || depth > kMaxSearchDepth)
        return {};
    QString result;
    const QString dir = AddBackslashChar(folder);
    const auto entries = platform::ListDir(dir, std::cref(wanted));
    for (const auto &e : entries)
        if (!e.IsDir)
            result = dir + e.Name; // the last one listed wins
    for (const auto &e : entries) {
        if (!result.isEmpty())
            break;
        if (e.IsDir && !e.IsLink && !e.IsHidden)
            result = SearchTree(dir + e.Name, wanted, depth + 1);
    }
    return result;
}

void Collect(const QString &folder, const TExtensionName &wanted, qint32 minSize, QStringList &list, int depth) {
    if (depth > kMaxSearchDepth)
        return;
    const QString dir = AddBackslash(folder);
    const auto entries = platform::ListDir(dir, std::cref(wanted));
    for (const auto &e : entries) {
        const qint64 size = std::min<qint64>(e.Size, std::numeric_limits<qint32>::max());
        if (!e.IsDir && size >= minSize)
            list << dir + e.Name;
    }
    for (const auto &e : entries)
        if (e.IsDir && !e.IsLink && !e.Name.startsWith(u'.'))
            Collect(dir + e.Name, wanted, minSize, list, depth + 1);
}

bool AskReplace(QWidget *owner, const QString &question) {
    if (gPrompts.AskReplace)
        return gPrompts.AskReplace(owner, question);
    return QMessageBox::question(owner, QApplication::applicationDisplayName(), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void ShowCopyError(QWidget *owner, const QString &message) {
    if (gPrompts.ShowError) {
        gPrompts.ShowError(owner, message);
        return;
    }
    QMessageBox::critical(owner, QApplication::applicationDisplayName(), message);
}

} // namespace

void InitPaths() {
    const QStringList args = QCoreApplication::arguments();
    InitPaths(args.size() > 1 ? args.at(1) : QString(), platform::ProgramFile());
}

void InitPaths(const QString &firstArgument, const QString &programFile) {
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
    RunningFromCD = IsOnCDROMDrive(program) || platform::IsOnReadOnlyMount(program);
    BaseDir = FolderPart(base);
    GresDir = BaseDir + QStringLiteral("GRES/");
}

void DonePaths() {
    BaseDir.clear();
    GresDir.clear();
}

bool IsOnCDROMDrive(const QString &path) { return platform::IsOnOpticalMount(path); }

QString FindCDROMRoot() { return platform::FirstOpticalRoot(); }

void Delay(quint32 ms) {
    const quint32 start = platform::TickCount();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (;;) {
        const quint32 now = platform::TickCount();
        if (now < start || now - start >= ms)
            return;
        // Sleep in a real event loop until the time is up, handling events as they come.
        QEventLoop loop;
        QTimer::singleShot(int(std::min<quint32>(ms - (now - start), 50)), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void PlayCue(const QString &name, bool wait) {
    if (name.isEmpty()) {
        StopCue();
        return;
    }
    const QString path = GresDir + platform::ToSlashes(name);
    if (path.size() > kMaxCuePath)
        return;
    platform::PlaySoundFile(path, wait);
}

void StopCue() { platform::StopSound(); }

QString AddBackslash(const QString &path) {
    if (path.isEmpty() || path.endsWith(u'/') || path.endsWith(u'\\'))
        return path;
    return path + u'/';
}

QString AddBackslashChar(const QString &path) { return AddBackslash(path); }

QString ResolvePath(const QString &path, const QString &base) {
    if (path.isEmpty())
        return {};
    const QString p = platform::ToSlashes(path);
    if (p.startsWith(u'/')) {
        QString root = platform::VolumeRoot(platform::ToSlashes(base));
        root.chop(1); // the root ends in "/", and so does the path's beginning
        return root + p;
    }
    if (p.startsWith(QLatin1String("./")))
        return BaseDir + p.mid(2);
    return platform::ToSlashes(base) + p;
}

qint32 FileSizeOf(const QString &path) {
    const qint64 size = platform::FileSize(QDir::current().absoluteFilePath(platform::ToSlashes(path)));
    if (size < 0)
        return -1;
    return qint32(std::min<qint64>(size, std::numeric_limits<qint32>::max()));
}

QString FindFileInTree(const QString &folder, const QString &name) {
    return SearchTree(platform::ToSlashes(folder), TWildcardName(name), 0);
}

void CollectFiles(const QString &folder, const QString &extensions, qint32 minSize, QStringList &list) {
    QString exts = extensions;
    exts.remove(QStringLiteral("*."));
    Collect(platform::ToSlashes(folder), TExtensionName(exts.toUpper()), std::max<qint32>(minSize, 1), list, 0);
}

bool MatchesWildcard(const QString &name, const QString &pattern) {
    const QString p = pattern.toCaseFolded();
    if (p == u"*.*" || p == u"*")
        return true;
    return CaseFoldedMatch(QStringView(name.toCaseFolded()), QStringView(p), [](QChar c) { return c; });
}

void ShellCopyFile(QWidget *owner, const QString &source, const QString &target) {
    QCoreApplication::processEvents();
    const QString src = platform::ToSlashes(source);
    const QString dst = platform::ToSlashes(target);
    const QString shown = QFileInfo(dst).fileName();

    const QString sameFile = QStringLiteral("No se puede copiar «%1»: el origen y el destino son el mismo archivo.").arg(shown);
    if (platform::SameFile(src, dst)) {
        ShowCopyError(owner, sameFile);
        return;
    }
    if (platform::PathExists(dst)) {
        if (platform::IsDirectory(dst)) {
            ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: ya existe una carpeta con ese nombre.").arg(shown));
            return;
        }
        if (!AskReplace(owner, QStringLiteral("Ya existe un archivo llamado «%1».\n¿Desea reemplazarlo?").arg(shown)))
            return;
    }

    const qint64 size = platform::FileSize(src);
    QProgressDialog *dialog = nullptr;
    if (size >= kCopyProgressFrom && !gPrompts.AskReplace) {
        dialog = new QProgressDialog(QStringLiteral("Copiando «%1»…").arg(shown), QStringLiteral("Cancelar"), 0, 1000, owner);
        dialog->setWindowTitle(QApplication::applicationDisplayName());
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setMinimumDuration(300);
    }
    const auto result = platform::CopyFileAtomically(src, dst, [dialog](qint64 done, qint64 total) {
        if (!dialog)
            return true;
        dialog->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    });
    delete dialog;

    switch (result) {
    case platform::TCopyResult::Ok:
    case platform::TCopyResult::Cancelled:
        break;
    case platform::TCopyResult::SameFile:
        ShowCopyError(owner, sameFile);
        break;
    case platform::TCopyResult::SourceUnreadable:
        ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: no se puede leer el archivo de origen.").arg(shown));
        break;
    case platform::TCopyResult::TargetUnwritable:
        ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: no se puede escribir en el destino (¿disco lleno o protegido contra escritura?).").arg(shown));
        break;
    }
}

void SetCopyPromptsForTesting(TCopyPrompts prompts) { gPrompts = std::move(prompts); }
