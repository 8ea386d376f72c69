#include "platform/Text.h"

#include <QStringDecoder>

namespace platform {

QString UpperAscii(QStringView s) {
    QString out = s.toString();
    for (QChar &c : out)
        c = QChar(UpperAscii(c));
    return out;
}

namespace {
// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five undefined bytes map to
// the C1 controls, as the Windows conversion does.
const char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QString DecodeWindows1252(const QByteArray &bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh1252[b - 0x80]) : QChar(b);
    }
    return out;
}

int Utf8SequenceLength(const char *data, qsizetype size) {
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    if (size <= 0)
        return 0;
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int extra;
    unsigned int cp;
    if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (size <= extra)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char cc = p[k];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return extra + 1;
}

bool IsValidUtf8(const char *data, qsizetype size) {
    for (qsizetype i = 0; i < size;) {
        const int n = Utf8SequenceLength(data + i, size - i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

QString DecodeText(const QByteArray &bytes) {
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            QStringDecoder dec(b0 == 0xFF ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            return dec.decode(bytes.mid(2));
        }
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (IsValidUtf8(bytes.constData(), bytes.size()))
        return QString::fromUtf8(bytes);
    return DecodeWindows1252(bytes);
}

} // namespace platform
