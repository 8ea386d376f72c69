#pragma once
// A JSON value that keeps its object members in the order they were added, so the checker's
// output reads in the order its documentation gives (QJsonObject would sort the keys).
#include <QByteArray>
#include <QString>

#include <vector>

class TJson {
public:
    enum class TKind { Null, Bool, Number, String, Array, Object };

    TJson() = default; // null
    TJson(bool value) : FKind(TKind::Bool), FBool(value) {}
    TJson(int value) : FKind(TKind::Number), FNumber(value) {}
    TJson(qint64 value) : FKind(TKind::Number), FNumber(value) {}
    TJson(const QString &value) : FKind(TKind::String), FString(value) {}
    TJson(const char *value) : FKind(TKind::String), FString(QString::fromUtf8(value)) {}
    static TJson Array() { return TJson(TKind::Array); }
    static TJson Object() { return TJson(TKind::Object); }
    // An optional string: null when empty.
    static TJson StringOrNull(const QString &value) { return value.isEmpty() ? TJson() : TJson(value); }

    TKind Kind() const { return FKind; }
    // Appends a member to an object (keys are not checked for repeats) or an element to an array.
    TJson &Add(const QString &key, TJson value);
    TJson &Append(TJson value);
    int Size() const { return int(FValues.size()); }

    // Two-space indentation; arrays of plain values stay on one line. Ends with a newline.
    QByteArray Write() const;

private:
    explicit TJson(TKind kind) : FKind(kind) {}
    void WriteTo(QByteArray &out, int indent) const;
    bool IsFlat() const;

    TKind FKind = TKind::Null;
    bool FBool = false;
    qint64 FNumber = 0;
    QString FString;
    std::vector<QString> FKeys;   // objects: one per value
    std::vector<TJson> FValues;   // arrays and objects
};

// Text as a JSON string literal, quotes included.
QByteArray JsonQuote(const QString &text);
