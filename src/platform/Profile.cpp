#include "platform/Profile.h"

#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

namespace {

QString Fold(const QString &s) { return s.toCaseFolded(); }

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView TrimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString Unquote(QStringView v) {
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == u'"' || q == u'\'') && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    return v.left(TProfile::kMaxValueChars).toString();
}

// Names are listed as the original byte buffer holds them: each one plus its zero byte, the
// list plus one more. Names that no longer fit are not seen. That buffer held the disc's code
// page, one byte a character (a character outside it became one byte too), so characters are
// counted, not the bytes of their UTF-8 form: accented names fill it no sooner than plain ones.
QStringList LimitNameList(const QStringList &names) {
    QStringList out;
    qsizetype used = 1;
    for (const QString &n : names) {
        const qsizetype need = n.toUcs4().size() + 1;
        if (used + need > TProfile::kNameListBytes)
            break;
        used += need;
        out << n;
    }
    return out;
}

} // namespace

TProfile TProfile::Load(const QString &path) {
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes, kMaxFileBytes))
        return {};
    return FromBytes(bytes);
}

TProfile TProfile::FromBytes(const QByteArray &bytes) {
    TProfile p;
    const QString text = DecodeText(bytes);
    Section *current = nullptr;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView line = TrimBlanks(QStringView(text).mid(pos, end - pos));
        // CRLF, LF and CR all end a line.
        pos = end;
        if (pos < n && text[pos] == u'\r')
            ++pos;
        if (pos < n && text[pos] == u'\n')
            ++pos;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            qsizetype close = line.indexOf(u']');
            const QString name = TrimBlanks(line.mid(1, close < 0 ? -1 : close - 1)).toString();
            const QString key = Fold(name);
            p.FSectionOrder << name;
            auto it = p.FIndex.constFind(key);
            if (it != p.FIndex.constEnd()) {
                // A repeated section is listed again, but its keys add nothing: the first
                // occurrence gives the values.
                current = nullptr;
                continue;
            }
            p.FIndex.insert(key, int(p.FSections.size()));
            p.FSections.push_back(Section{name, {}, {}});
            current = &p.FSections.back();
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = TrimBlanks(eq < 0 ? line : line.left(eq)).toString();
        const QString value = eq < 0 ? QString() : Unquote(TrimBlanks(line.mid(eq + 1)));
        current->KeyOrder << key;
        AddEntry(*current, key, value);
    }
    return p;
}

// Queries drop the same blanks the parser drops and no other: a name the file wrote with a
// no-break space or a vertical tab at its end keeps it, and is found by the name it was listed as.
const TProfile::Section *TProfile::FindSection(const QString &section) const {
    auto it = FIndex.constFind(Fold(TrimBlanks(section).toString()));
    return it == FIndex.constEnd() ? nullptr : &FSections[size_t(*it)];
}

const TProfile::Entry *TProfile::FindEntry(const QString &section, const QString &key) const {
    const Section *s = FindSection(section);
    if (!s)
        return nullptr;
    return FindInSection(*s, TrimBlanks(key).toString());
}

// Most sections hold a handful of keys: a scan beats hashing them. Large ones get an index.
constexpr size_t kIndexFrom = 16;

const TProfile::Entry *TProfile::FindInSection(const Section &s, const QString &key) {
    if (s.Entries.size() <= kIndexFrom) {
        for (const Entry &e : s.Entries)
            if (e.Key.compare(key, Qt::CaseInsensitive) == 0)
                return &e;
        return nullptr;
    }
    auto it = s.Index.constFind(Fold(key));
    return it == s.Index.constEnd() ? nullptr : &s.Entries[size_t(*it)];
}

bool TProfile::AddEntry(Section &s, QString key, QString value) {
    if (FindInSection(s, key))
        return false; // the first occurrence counts
    s.Entries.push_back(Entry{std::move(key), std::move(value)});
    if (s.Entries.size() == kIndexFrom + 1) {
        for (size_t i = 0; i < s.Entries.size(); ++i)
            s.Index.insert(Fold(s.Entries[i].Key), int(i));
    } else if (s.Entries.size() > kIndexFrom + 1) {
        s.Index.insert(Fold(s.Entries.back().Key), int(s.Entries.size() - 1));
    }
    return true;
}

bool TProfile::HasSection(const QString &section) const { return FindSection(section) != nullptr; }

bool TProfile::HasKey(const QString &section, const QString &key) const {
    return FindEntry(section, key) != nullptr;
}

QStringList TProfile::SectionNames() const { return LimitNameList(FSectionOrder); }

QStringList TProfile::KeyNames(const QString &section) const {
    const Section *s = FindSection(section);
    return s ? LimitNameList(s->KeyOrder) : QStringList();
}

int TProfile::KeyCount(const QString &section) const {
    const Section *s = FindSection(section);
    return s ? int(s->KeyOrder.size()) : 0;
}

QString TProfile::ReadString(const QString &section, const QString &key, const QString &Default) const {
    const Entry *e = FindEntry(section, key);
    return e ? e->Value : Default;
}

bool TProfile::ParseProfileInt(const QString &text, int &value) {
    const QStringView t = TrimBlanks(text);
    if (t.isEmpty())
        return false;
    quint32 acc = 0;
    qsizetype i = 0;
    if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) {
        i = 2;
        const qsizetype first = i;
        for (; i < t.size(); ++i) {
            const char16_t c = t[i].unicode();
            const int d = (c >= u'0' && c <= u'9')   ? c - u'0'
                          : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                          : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                                     : -1;
            if (d < 0)
                break;
            acc = acc * 16 + quint32(d);
        }
        if (i == first)
            return false;
        value = int(acc);
        return true;
    }
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        i = 1;
    }
    const qsizetype first = i;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i)
        acc = acc * 10 + quint32(t[i].unicode() - '0');
    if (i == first)
        return false;
    // Digits followed by other text count as the number they begin with, as the profile
    // reader of the original platform reads them; values wrap as its 32-bit integers do.
    value = int(negative ? 0u - acc : acc);
    return true;
}

int TProfile::ReadInt(const QString &section, const QString &key, int Default) const {
    const Entry *e = FindEntry(section, key);
    int v = 0;
    return (e && ParseProfileInt(e->Value, v)) ? v : Default;
}

bool TProfile::ReadBool(const QString &section, const QString &key, bool Default) const {
    return ReadInt(section, key, Default ? 1 : 0) != 0;
}

} // namespace platform
