#pragma once
// Writing the files a test lays out: the folder is made first, and a write that fails fails the
// test that asked for it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace testfiles {

// Writes Bytes to Path, making its folder; with Exec, the owner may run it. False (and the
// current test fails) when the file cannot be written.
inline bool WriteFile(const QString &path, const QByteArray &bytes, bool exec = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        QTest::qFail(qPrintable("cannot write " + path), __FILE__, __LINE__);
        return false;
    }
    f.close();
    if (exec)
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return true;
}

// The whole file, or empty when it cannot be read.
inline QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether a library whose file name contains Library is mapped into this process.
inline bool Mapped(const char *library) { return ReadFile(QStringLiteral("/proc/self/maps")).contains(library); }

} // namespace testfiles
