#pragma once
// A disc folder laid out by a test (GRES/GES.INI, the skin and the click, items files and what
// they name), and the disc read back from it as the menu reads it, with a catalogue over it.
#include "catalogue/Disc.h"
#include "catalogue/GTree.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QTemporaryDir>

class TDiscFolder {
public:
    // In a temporary folder of its own, or in Root when one is given.
    explicit TDiscFolder(const QString &root = {}) : FRoot(root.isEmpty() ? FDir.path() + u'/' : root) {
        QVERIFY(FDir.isValid());
        QDir().mkpath(FRoot);
        // Where the disc lies is known from the start; its files are read by Load.
        static_cast<TDiscPaths &>(Disc) = ReadDiscPaths(FRoot, FRoot + QStringLiteral("telvaro"));
    }

    QString Root() const { return FRoot; }

    // Writes Bytes to the file at Relative under the disc, creating its folders; its path.
    QString Write(const QString &relative, const QByteArray &bytes, bool exec = false) const {
        testfiles::WriteFile(FRoot + relative, bytes, exec);
        return FRoot + relative;
    }
    // The skin's normal and lit bitmaps.
    void Skin(QSize size = QSize(8, 8), QColor normal = Qt::blue, QColor lit = Qt::blue) const {
        QImage img(size, QImage::Format_RGB32);
        QDir().mkpath(FRoot + QStringLiteral("GRES"));
        for (const auto &[name, colour] : {std::pair{"GRES/menul.bmp", normal}, std::pair{"GRES/menuh.bmp", lit}}) {
            img.fill(colour);
            img.save(FRoot + QLatin1String(name), "BMP");
        }
    }
    // A disc the menu accepts without complaint: GES.INI, the skin and the click.
    void Basics(const QByteArray &gesIni) const {
        Write(QStringLiteral("GRES/GES.INI"), gesIni);
        Skin();
        Write(QStringLiteral("GRES/BOTON.WAV"), "RIFF");
    }
    // GES.INI naming the given (name, items file) topics after General, then the disc read again.
    void Topics(const QList<QPair<QString, QString>> &topics, const QByteArray &general = {}) {
        QByteArray ini = general + "\n[Temas]\n";
        for (const auto &t : topics)
            ini += t.first.toUtf8() + '=' + t.second.toUtf8() + '\n';
        Write(QStringLiteral("GRES/GES.INI"), ini);
        Load();
    }
    // Reads the disc as the menu does when started as Program (by default, one in the disc's
    // folder) with the disc's folder as its argument.
    void Load(const QString &program = {}) {
        Disc = LoadDisc(FRoot, program.isEmpty() ? FRoot + QStringLiteral("telvaro") : program);
    }

private:
    QTemporaryDir FDir;
    QString FRoot;

public:
    TDisc Disc;
    TCatalogue Catalogue{Disc};
};
