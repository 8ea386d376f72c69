#pragma once
// The words and numbers of map text, read the same way wherever map text is read.
#include "platform/Text.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The common integer reader: blanks skipped, an optional sign, then decimal digits, or
// hexadecimal digits after "$", "x" or "0x" (either letter case). False when the text is not a
// whole integer or lies outside the signed 32-bit range.
bool ReadInteger(QStringView text, int &value);

// The lines of a map file's text: LF or CR LF ends a line, and a final line break starts no
// empty line.
QStringList MapLines(const QString &text);


// Tokens, in upper case, separated by blanks only; tabs and everything else belong to tokens.
// Reading past the last token gives an empty one.
class TTokenReader {
public:
    explicit TTokenReader(QStringView line) : FLine(line) {}
    QString Next() {
        while (FPos < FLine.size() && FLine[FPos] == u' ')
            ++FPos;
        const qsizetype start = FPos;
        while (FPos < FLine.size() && FLine[FPos] != u' ')
            ++FPos;
        // Only ASCII letters change: ids and keywords keep accented characters as written.
        return platform::UpperAscii(FLine.mid(start, FPos - start));
    }

private:
    QStringView FLine;
    qsizetype FPos = 0;
};
