#pragma once
// What the targets share: a check that stops the run at the first broken promise, and one
// scratch folder for the whole process.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Marks a function of a target's own checking whose comparisons tell the fuzzer nothing about the
// code under test; clang then leaves them out of its coverage (the replay builds ignore it).
#if defined(__clang__)
#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_UNTRACED
#endif

namespace fuzzsupport {

// A promise the code under test broke: abort, so that libFuzzer keeps the input as a crash.
inline void Check(bool ok, const char *what) {
    if (!ok) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

inline QByteArray Bytes(const uint8_t *data, size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A folder of our own for the whole run, removed when the process ends normally.
inline const QString &Scratch() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/telvaro-fuzz-XXXXXX"));
    Check(dir.isValid(), "scratch folder made");
    static const QString path = dir.path() + u'/';
    return path;
}

inline void WriteFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(), "scratch file written");
}

} // namespace fuzzsupport
