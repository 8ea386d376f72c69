#pragma once
// A disc folder written by a test: GRES/GES.INI with its topics and the topics' items files.
#include "catalogue/GItem.h"
#include "catalogue/GTemas.h"
#include "lib/DiscPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TDisc {
public:
    TDisc() {
        QVERIFY(FDir.isValid());
        InitPaths(FDir.path(), FDir.path() + QStringLiteral("/telvaro"));
        InitItems();
    }
    ~TDisc() {
        DoneTopics();
        DoneItems();
        DonePaths();
    }

    QString Root() const { return BaseDir; }

    // Writes Text (UTF-8) to the file at Relative under the disc, creating its folders.
    QString Write(const QString &relative, const QByteArray &text) const {
        const QString path = BaseDir + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write(text);
        return path;
    }

    // GES.INI naming the given (name, items file) topics, then the topic list loaded from it.
    void Topics(const QList<QPair<QString, QString>> &topics, const QByteArray &general = {}) const {
        QByteArray ini = general + "\n[Temas]\n";
        for (const auto &t : topics)
            ini += t.first.toUtf8() + '=' + t.second.toUtf8() + '\n';
        Write(QStringLiteral("GRES/GES.INI"), ini);
        ReadSortItems();
        LoadTopics();
    }

private:
    QTemporaryDir FDir;
};
