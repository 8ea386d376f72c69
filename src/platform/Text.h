#pragma once
// Decoding of text read from a disc. Discs are authored on Windows in the Western code page,
// but a modern author may save UTF-8 or UTF-16: each file is decoded as what it plainly is.
#include <QByteArray>
#include <QString>

namespace platform {

// UTF-16 with a byte-order mark, UTF-8 (with or without its mark) when the bytes are valid
// UTF-8, else Windows-1252.
QString DecodeText(const QByteArray &bytes);

QString DecodeWindows1252(const QByteArray &bytes);
bool IsValidUtf8(const char *data, qsizetype size);
// The length of the valid UTF-8 sequence that Data starts with; 0 when it starts with none.
int Utf8SequenceLength(const char *data, qsizetype size);

// Letters a to z in upper case, everything else as it is: how names from a disc's maps and
// catalogues are compared, whatever the locale.
inline char16_t UpperAscii(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'a' && u <= u'z' ? char16_t(u - 32) : u;
}
QString UpperAscii(QStringView s);

} // namespace platform
