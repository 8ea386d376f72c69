// Writes a small disc, fills the catalogue tree from it over a skin-like background and saves a
// picture of it: tree_preview OUT.png [scale [style]]. For looking at, not for asserting.
#include "catalogue/Disc.h"
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "lib/SkinGeometry.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

using testfiles::WriteFile;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tree.png");
    const int scale = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir dir;
    const QString base = dir.path() + u'/';
    WriteFile(base + "GRES/GES.INI", "[Temas]\nVarios=menu\\VARIOS.INI\n");
    WriteFile(base + "menu/VARIOS.INI",
          "[Juegos]\n[Juegos\\Arcade]\nExe=juegos\\arcade\n[Juegos\\Tablero]\nExe=juegos\\tablero.sh\n"
          "[Fotos del viaje]\nExe=fotos\\*.jpg\n[Animaciones]\nExe=fotos\\*.GIF\n[Documentos]\n"
          "[Manual]\nCarpeta=Documentos\nExe=doc\\manual.pdf\n[Notas]\nCarpeta=Documentos\nExe=doc\\notas.txt\n"
          "[Video perdido]\nExe=video\\perdido.avi\n[Canción]\nExe=musica\\cancion.mp3\n"
          "[Página web]\nExe=doc\\index.htm\n");
    WriteFile(base + "menu/doc/manual.pdf", "%PDF-1.4\n");
    WriteFile(base + "menu/doc/notas.txt", "notas\n");
    WriteFile(base + "menu/doc/index.htm", "<html></html>\n");
    WriteFile(base + "menu/musica/cancion.mp3", "ID3");
    WriteFile(base + "menu/juegos/tablero.sh", "#!/bin/sh\n");

    const TDisc disc = LoadDisc(dir.path(), base + QStringLiteral("telvaro"));
    if (!TopicsLoaded(disc.TopicList))
        return 1;
    TCatalogue catalogue(disc, argc > 3 && QByteArray(argv[3]) == "style" ? TIconSource::Style : TIconSource::Auto);

    TGTreeView tree;
    tree.setFrameShape(QFrame::NoFrame);
    tree.resize(kTreeRect.size());
    tree.SetColor(QColor(kTreeKey));
    tree.setRootIsDecorated(false);
    tree.setIndentation(19);
    tree.SetSingleExpand(true);
    tree.SetNoScroll(true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(true);
    tree.setFont(font);

    // Something like a skin: a warm gradient with a pale panel and a few shapes.
    QPixmap back(kTreeRect.size());
    {
        QPainter p(&back);
        QLinearGradient g(QPointF(0, 0), QPointF(kTreeRect.width(), kTreeRect.height()));
        g.setColorAt(0, QColor(250, 226, 170));
        g.setColorAt(1, QColor(214, 150, 90));
        p.fillRect(back.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRoundedRect(QRectF(6, 6, 206, 180), 14, 14);
        p.setBrush(QColor(180, 90, 40, 70));
        p.drawEllipse(QPointF(180, 160), 60, 40);
    }
    tree.SetBackground(back);
    catalogue.FillTree(disc.TopicList.Name(0), &tree);
    tree.show();
    QCoreApplication::processEvents();
    tree.setCurrentItem(tree.topLevelItem(0));
    tree.setCurrentItem(tree.topLevelItem(0)->child(1));
    QCoreApplication::processEvents();

    const QImage shot = tree.grab().toImage();
    shot.scaled(shot.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(out);
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        printf("%s%s: %s\n", QString((*it)->parent() ? 2 : 0, u' ').toUtf8().constData(),
               (*it)->text(0).toUtf8().constData(), IconRoleName(NodeRole(*it)).toUtf8().constData());
    printf("icons from %s; picture in %s\n", qPrintable(catalogue.Icons.Source()), qPrintable(out));
    return 0;
}
