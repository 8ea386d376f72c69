#include "lib/FileSearch.h"

#include "lib/DiscPaths.h"
#include "platform/Files.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace {

// A hostile disc can nest folders past any sensible depth; searches stop there.
constexpr int kMaxSearchDepth = 128;

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

void Collect(const QString &folder, const TExtensionName &wanted, qint32 minSize, QStringList &list,
             QStringList *tooSmall, int depth) {
    if (depth > kMaxSearchDepth)
        return;
    const QString dir = AddBackslash(folder);
    const auto entries = platform::ListDir(dir, std::cref(wanted));
    for (const auto &e : entries) {
        const qint64 size = std::min<qint64>(e.Size, std::numeric_limits<qint32>::max());
        if (!e.IsDir && size >= minSize)
            list << dir + e.Name;
        else if (!e.IsDir && tooSmall)
            *tooSmall << dir + e.Name;
    }
    for (const auto &e : entries)
        if (e.IsDir && !e.IsLink && !e.Name.startsWith(u'.'))
            Collect(dir + e.Name, wanted, minSize, list, tooSmall, depth + 1);
}

} // namespace

QString FindFileInTree(const QString &folder, const QString &name) {
    return SearchTree(platform::ToSlashes(folder), TWildcardName(name), 0);
}

void CollectFiles(const QString &folder, const QString &extensions, qint32 minSize, QStringList &list,
                  QStringList *tooSmall) {
    QString exts = extensions;
    exts.remove(QStringLiteral("*."));
    Collect(platform::ToSlashes(folder), TExtensionName(exts.toUpper()), std::max<qint32>(minSize, 1), list, tooSmall,
            0);
}

bool MatchesWildcard(const QString &name, const QString &pattern) {
    const QString p = pattern.toCaseFolded();
    if (p == u"*.*" || p == u"*")
        return true;
    return CaseFoldedMatch(QStringView(name.toCaseFolded()), QStringView(p), [](QChar c) { return c; });
}
