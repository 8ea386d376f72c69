#pragma once
// Reading of INI ("profile") files as the disc author's Windows tools wrote and read them:
// names match ignoring case, blanks around names and values are ignored, one enclosing pair of
// quotes is dropped, the first occurrence of a section or key gives the value, values are cut at
// 2047 characters, and the lists of section and key names (every occurrence, repeated names
// included) fit in 16384 bytes. A file is parsed once
// and then queried; a missing or unreadable file reads as a file without sections.
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace platform {

class TProfile {
public:
    static constexpr int kMaxValueChars = 2047;
    static constexpr int kNameListBytes = 16384;
    // Files larger than this are read only up to it: no real INI comes near, and a hostile
    // disc must not make us allocate without bound.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    TProfile() = default;
    static TProfile Load(const QString &path);
    static TProfile FromBytes(const QByteArray &bytes);

    bool IsEmpty() const { return FSections.empty(); }
    bool HasSection(const QString &section) const;
    bool HasKey(const QString &section, const QString &key) const;

    // Section names in file order, every occurrence (a repeated section is listed again);
    // only as many as fit in the 16384-byte list.
    QStringList SectionNames() const;
    // Key names of one section (its first occurrence) in file order, every occurrence, with the
    // same limit.
    QStringList KeyNames(const QString &section) const;
    // How many names the two lists would hold without the limit: more than they give means
    // some were not seen.
    int SectionCount() const { return int(FSectionOrder.size()); }
    int KeyCount(const QString &section) const;

    // The value as stored (trimmed, unquoted, cut), or Default when the key is absent.
    QString ReadString(const QString &section, const QString &key, const QString &Default = {}) const;
    // Integer with an optional "0x" hexadecimal form; absent, empty or non-numeric gives Default.
    int ReadInt(const QString &section, const QString &key, int Default) const;
    // "0" is false, any other number true; absent, empty or non-numeric gives Default.
    bool ReadBool(const QString &section, const QString &key, bool Default) const;

    // The integer rule on its own, for values already read: false when Text is no number.
    static bool ParseProfileInt(const QString &text, int &value);

private:
    struct Entry {
        QString Key;
        QString Value;
    };
    struct Section {
        QString Name;
        std::vector<Entry> Entries;
        QHash<QString, int> Index; // case-folded key -> first entry, once the section is large
        QStringList KeyOrder;      // every key line's name, repeated ones included
    };
    const Section *FindSection(const QString &section) const;
    const Entry *FindEntry(const QString &section, const QString &key) const;
    static const Entry *FindInSection(const Section &s, const QString &key);
    static bool AddEntry(Section &s, QString key, QString value);

    std::vector<Section> FSections;
    QStringList FSectionOrder;  // every section header's name, repeated ones included
    QHash<QString, int> FIndex; // case-folded section name -> first section
};

} // namespace platform
