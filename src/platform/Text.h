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

} // namespace platform
