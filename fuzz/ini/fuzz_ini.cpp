// The INI reader on any bytes: text decoding, sections, keys, quotes, name lists and integers.
// Whatever the bytes, reading must not crash or hang, and every answer must keep the reader's
// promises: what it lists it can find again, values are cut, integers read one way.
#include "platform/Profile.h"
#include "platform/Text.h"

#include "FuzzSupport.h"

#include <cstdint>

using fuzzsupport::Check;
using platform::TProfile;

namespace {

// The bytes a name list takes in the original's buffer: each name and its zero, one more zero;
// a byte for each character, as in the disc's code page.
qsizetype ListBytes(const QStringList &names) {
    qsizetype used = 1;
    for (const QString &n : names)
        used += n.toUcs4().size() + 1;
    return used;
}

bool HasLineBreak(const QString &s) { return s.contains(u'\n') || s.contains(u'\r'); }

bool EdgeBlank(const QString &s) {
    return !s.isEmpty() && (s.front() == u' ' || s.front() == u'\t' || s.back() == u' ' || s.back() == u'\t');
}

void CheckDecoding(const QByteArray &bytes) {
    const QString text = platform::DecodeText(bytes);
    const bool bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (bom)
        return;
    // Text that is plainly UTF-8 comes back byte for byte; anything else is one character a byte.
    if (platform::IsValidUtf8(bytes.constData(), bytes.size()))
        Check(text.toUtf8() == bytes, "valid UTF-8 decodes losslessly");
    else
        Check(text.size() == bytes.size(), "Windows-1252 gives one character per byte");
}

void CheckInteger(const TProfile &p, const QString &section, const QString &key, const QString &value) {
    int parsed = 0;
    const bool number = TProfile::ParseProfileInt(value, parsed);
    Check(p.ReadInt(section, key, 7) == (number ? parsed : 7), "ReadInt gives the number or the default");
    Check(p.ReadInt(section, key, -3) == (number ? parsed : -3), "ReadInt gives the number or the default");
    Check(p.ReadBool(section, key, true) == (number ? parsed != 0 : true), "ReadBool follows ReadInt");
    Check(p.ReadBool(section, key, false) == (number ? parsed != 0 : false), "ReadBool follows ReadInt");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = fuzzsupport::Bytes(data, size);
    CheckDecoding(bytes);

    const TProfile p = TProfile::FromBytes(bytes);
    const QStringList sections = p.SectionNames();
    Check(ListBytes(sections) <= TProfile::kNameListBytes, "section list fits its buffer");
    Check(!p.IsEmpty() || sections.isEmpty(), "an empty file lists no sections");
    for (const QString &s : sections) {
        Check(!HasLineBreak(s) && !s.contains(u']') && !EdgeBlank(s), "section names are trimmed single lines");
        Check(p.HasSection(s), "a listed section is found by its name");
        Check(p.HasSection(QStringLiteral(" \t") + s + QStringLiteral("\t ")), "blanks around a section name are ignored");

        const QStringList keys = p.KeyNames(s);
        Check(ListBytes(keys) <= TProfile::kNameListBytes, "key list fits its buffer");
        for (const QString &k : keys) {
            Check(!HasLineBreak(k) && !k.contains(u'=') && !EdgeBlank(k), "key names are trimmed single lines");
            Check(p.HasKey(s, k), "a listed key is found by its name");
            Check(p.HasKey(s, QStringLiteral(" ") + k + QStringLiteral("\t")), "blanks around a key are ignored");
            const QString value = p.ReadString(s, k, QStringLiteral("\x01absent"));
            Check(value.size() <= TProfile::kMaxValueChars, "values are cut");
            Check(!HasLineBreak(value), "a value is one line");
            CheckInteger(p, s, k, value);
        }
    }

    // Names that are nowhere in the file answer with the defaults.
    const QString none = QStringLiteral("\x01none");
    Check(!p.HasSection(none) && p.KeyNames(none).isEmpty(), "an absent section has no keys");
    Check(p.ReadString(none, none, QStringLiteral("d")) == u"d", "an absent key reads as the default");
    Check(p.ReadInt(none, none, 42) == 42, "an absent key reads as the default number");
    // The names the program itself asks for.
    (void)p.ReadInt(QStringLiteral("General"), QStringLiteral("Ordenar"), 0);
    (void)p.KeyNames(QStringLiteral("Temas"));
    (void)p.ReadString(QStringLiteral("Visor"), QStringLiteral("Musica"));
    return 0;
}
