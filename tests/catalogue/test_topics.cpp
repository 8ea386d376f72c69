// The topic list read from GES.INI wherever it is found, and the start-up that needs one.
#include "catalogue/Disc.h"
#include "platform/Drives.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using testfiles::WriteFile;

class TestTopics : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString FHd, FCd; // a hard-disk copy of the disc and the mounted disc
    QByteArray FMounts;
    QString P(const QString &rel) const { return FDir.path() + u'/' + rel; }

    // The disc copy on the hard disk, read by a program installed elsewhere.
    TDisc Load() const { return LoadDisc(FHd + "disc", "/usr/bin/telvaro"); }
    static QStringList Names(const TDisc &disc) {
        QStringList out;
        for (int i = 0; i < disc.TopicList.Count(); ++i)
            out << disc.TopicList.Name(i) + "=" + disc.TopicList.Topic(i).BaseName;
        return out;
    }

private Q_SLOTS:
    void init() {
        QDir(P("hd")).removeRecursively();
        QDir(P("cd")).removeRecursively();
        FHd = P("hd/");
        FCd = P("cd/");
        QDir().mkpath(FHd + "disc");
        QDir().mkpath(FCd);
        FMounts = QStringLiteral("21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                 "30 21 8:2 / %1 rw - ext4 /dev/sda2 rw\n"
                                 "40 21 11:0 / %2 ro - iso9660 /dev/sr0 ro\n")
                      .arg(P("hd"), P("cd"))
                      .toUtf8();
        platform::SetMountInfoForTesting(&FMounts);
    }
    void cleanup() { platform::SetMountInfoForTesting(nullptr); }
    void topicLines_data();
    void topicLines();
    void configFromTheDiscCopy();
    void configFoundBySearchingTheDisc();
    void noDiscNoSearch();
    void sortSettingOnlyFromGresDir();
    void startupErrorBox();
    void startupTitle_data();
    void startupTitle();
    void startupErrorExitCode();
};

void TestTopics::topicLines_data() {
    QTest::addColumn<QByteArray>("temas");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("backslash path") << QByteArray("Video=menu\\VIDEO.INI\n") << QStringList({"Video=VIDEO"});
    QTest::newRow("no extension") << QByteArray("X=menu\\LISTA\n") << QStringList({"X=LISTA"});
    QTest::newRow("ends in separator") << QByteArray("X=menu\\\n") << QStringList();
    QTest::newRow("missing file skipped, order kept")
        << QByteArray("A=menu\\NONE.INI\nVideo=menu\\video.ini\nImagen=MENU/IMAGEN.INI\n")
        << QStringList({"Video=video", "Imagen=IMAGEN"});
    QTest::newRow("empty value") << QByteArray("Video=\nImagen=menu\\IMAGEN.INI\n") << QStringList({"Imagen=IMAGEN"});
    QTest::newRow("commented out") << QByteArray(";Video=menu\\VIDEO.INI\nImagen=menu\\IMAGEN.INI\n")
                                   << QStringList({"Imagen=IMAGEN"});
    // Each line is a topic; a repeated name's value is its first line's.
    QTest::newRow("repeated name: two topics, first line's file")
        << QByteArray("Video=menu\\VIDEO.INI\nVIDEO=menu\\IMAGEN.INI\n") << QStringList({"Video=VIDEO", "VIDEO=VIDEO"});
    QTest::newRow("drive letter stripped from base name") << QByteArray("X=C:LISTA.INI\n") << QStringList();
    QTest::newRow("a folder is no items file") << QByteArray("M=menu\n") << QStringList();
}

void TestTopics::topicLines() {
    QFETCH(QByteArray, temas);
    QFETCH(QStringList, expected);
    WriteFile(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    WriteFile(FHd + "disc/menu/IMAGEN.INI", "[a]\n");
    WriteFile(FHd + "disc/menu/LISTA", "[a]\n");
    WriteFile(FHd + "disc/GRES/GES.INI", "[Temas]\n" + temas);
    const TDisc disc = Load();
    QCOMPARE(Names(disc), expected);
    QCOMPARE(disc.TopicsConfigFile, FHd + "disc/GRES/GES.INI");
    if (!expected.isEmpty() && expected[0] == "Video=VIDEO")
        QCOMPARE(disc.TopicList.Topic(0).Path, FHd + "disc/menu/VIDEO.INI");
}

void TestTopics::configFromTheDiscCopy() {
    // GES.INI is missing beside the copy but present at the same place on the disc: the topics
    // come from the disc's file, their items files are still looked for under BaseDir.
    WriteFile(FCd + "disc/GRES/GES.INI", "[General]\nOrdenar=1\n[Temas]\nVideo=menu\\VIDEO.INI\n");
    WriteFile(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    const TDisc disc = Load();
    QCOMPARE(disc.TopicsConfigFile, FCd + "disc/GRES/GES.INI");
    QCOMPARE(Names(disc), QStringList({"Video=VIDEO"}));
    QCOMPARE(disc.TopicList.Topic(0).Path, FHd + "disc/menu/VIDEO.INI");
    QVERIFY(!disc.SortItems);
}

void TestTopics::configFoundBySearchingTheDisc() {
    WriteFile(FCd + "other/place/ges.ini", "[Temas]\nVideo=menu\\VIDEO.INI\n");
    WriteFile(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    const TDisc disc = Load();
    QCOMPARE(disc.TopicsConfigFile, FCd + "other/place/ges.ini");
    QCOMPARE(Names(disc), QStringList({"Video=VIDEO"}));
}

void TestTopics::noDiscNoSearch() {
    const QByteArray noDisc = QStringLiteral("21 1 8:1 / / rw - ext4 /dev/sda1 rw\n").toUtf8();
    platform::SetMountInfoForTesting(&noDisc);
    WriteFile(FHd + "elsewhere/GRES/GES.INI", "[Temas]\nVideo=menu\\VIDEO.INI\n");
    const TDisc disc = Load();
    QVERIFY(disc.TopicList.IsEmpty());
    QVERIFY(disc.TopicsConfigFile.isEmpty());
}

void TestTopics::sortSettingOnlyFromGresDir() {
    WriteFile(FHd + "disc/gres/ges.ini", "[general]\nordenar=0x1\n");
    QVERIFY(Load().SortItems);
    WriteFile(FHd + "disc/gres/ges.ini", "[general]\nordenar=yes\n");
    QVERIFY(!Load().SortItems);
}

void TestTopics::startupErrorBox() {
    struct Case {
        QString title;
        bool box;
    };
    const Case cases[] = {{StartupTitle("/media/cdrom/TELVARO.EXE"), true}, {"Telvaro", true}, {"Qor", false},
                          {"qOR", false}, {"Qorx", true}};
    const TDisc disc = Load(); // no GES.INI anywhere; the search of the disc handles events
    for (const Case &c : cases) {
        QApplication::setApplicationDisplayName(c.title);
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                caption = box->windowTitle();
                icon = box->icon();
                box->accept();
            }
        });
        QVERIFY(!TopicsLoaded(disc.TopicList));
        QCoreApplication::processEvents(); // the timer, when no box ran it
        QCOMPARE(!text.isEmpty(), c.box);
        if (c.box) {
            QCOMPARE(text, QStringLiteral("Error incializando temas."));
            QCOMPARE(caption, c.title);
            QCOMPARE(icon, QMessageBox::Critical);
        }
    }
}

void TestTopics::startupTitle_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("title");
    QTest::newRow("upper") << "/d/TELVARO.EXE" << "Telvaro";
    QTest::newRow("lower") << "/d/telvaro" << "telvaro";
    QTest::newRow("first dot") << "/d/Menu.v2.exe" << "Menu";
    QTest::newRow("backslashes") << "D:\\setup\\QOR.EXE" << "Qor";
}

void TestTopics::startupTitle() {
    QFETCH(QString, program);
    QFETCH(QString, title);
    QCOMPARE(StartupTitle(program), title);
}

void TestTopics::startupErrorExitCode() {
#ifndef TELVARO_PROGRAM
    QSKIP("the program is not part of this build");
#else
    // The real program, started under a name whose title is "Qor" on a disc without topics:
    // no box, exit code 0.
    QDir().mkpath(P("bin"));
    QDir().mkpath(P("disc/GRES"));
    // A folder that does not exist, and one whose GRES holds nothing.
    for (const auto &[name, disc] : {std::pair{"bin/QOR", "empty-disc"}, std::pair{"bin/qor.bin", "disc"}}) {
        const QString program = P(name);
        QVERIFY(QFile::copy(QStringLiteral(TELVARO_PROGRAM), program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        QProcess proc;
        proc.start(program, {P(disc)});
        QVERIFY(proc.waitForFinished(60000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
    }
#endif
}

QTEST_MAIN(TestTopics)
#include "test_topics.moc"
