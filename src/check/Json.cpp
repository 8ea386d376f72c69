#include "check/Json.h"

TJson &TJson::Add(const QString &key, TJson value) {
    FKeys.push_back(key);
    FValues.push_back(std::move(value));
    return FValues.back();
}

TJson &TJson::Append(TJson value) {
    FValues.push_back(std::move(value));
    return FValues.back();
}

QByteArray JsonQuote(const QString &text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    qsizetype plain = 0; // start of the run of characters copied as they are
    const auto flush = [&](qsizetype end) {
        if (end > plain)
            out += QStringView(text).mid(plain, end - plain).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const char *escape = nullptr;
        switch (u) {
        case u'"': escape = "\\\""; break;
        case u'\\': escape = "\\\\"; break;
        case u'\b': escape = "\\b"; break;
        case u'\f': escape = "\\f"; break;
        case u'\n': escape = "\\n"; break;
        case u'\r': escape = "\\r"; break;
        case u'\t': escape = "\\t"; break;
        default:
            if (u >= 0x20)
                continue;
        }
        flush(i);
        plain = i + 1;
        if (escape)
            out += escape;
        else
            out += QByteArray("\\u00") + QByteArray::number(int(u), 16).rightJustified(2, '0');
    }
    flush(text.size());
    out += '"';
    return out;
}

bool TJson::IsFlat() const {
    for (const TJson &v : FValues)
        if (v.FKind == TKind::Array || v.FKind == TKind::Object)
            return false;
    return true;
}

void TJson::WriteTo(QByteArray &out, int indent) const {
    switch (FKind) {
    case TKind::Null: out += "null"; return;
    case TKind::Bool: out += FBool ? "true" : "false"; return;
    case TKind::Number: out += QByteArray::number(FNumber); return;
    case TKind::String: out += JsonQuote(FString); return;
    case TKind::Array:
    case TKind::Object: break;
    }
    const bool object = FKind == TKind::Object;
    out += object ? '{' : '[';
    if (FValues.empty()) {
        out += object ? '}' : ']';
        return;
    }
    if (!object && IsFlat()) {
        for (size_t i = 0; i < FValues.size(); ++i) {
            if (i)
                out += ", ";
            FValues[i].WriteTo(out, indent);
        }
        out += ']';
        return;
    }
    const QByteArray inner(indent + 2, ' ');
    for (size_t i = 0; i < FValues.size(); ++i) {
        out += i ? ",\n" : "\n";
        out += inner;
        if (object) {
            out += JsonQuote(FKeys[i]);
            out += ": ";
        }
        FValues[i].WriteTo(out, indent + 2);
    }
    out += '\n';
    out += QByteArray(indent, ' ');
    out += object ? '}' : ']';
}

QByteArray TJson::Write() const {
    QByteArray out;
    WriteTo(out, 0);
    out += '\n';
    return out;
}
