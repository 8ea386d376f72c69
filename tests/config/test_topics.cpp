#include "catalogue/GItem.h"
#include "catalogue/GTemas.h"
#include "lib/DiscPaths.h"
#include "platform/Drives.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
void Write(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestTopics : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString FHd, FCd; // a hard-disk copy of the disc and the mounted disc
    QByteArray FMounts;
    QString P(const QString &rel) const { return FDir.path() + u'/' + rel; }

    QStringList Names() const {
        QStringList out;
        for (int i = 0; i < TopicList->Count(); ++i)
            out << TopicList->Name(i) + "=" + TopicList->Topic(i).BaseName;
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
        InitPaths(FHd + "disc", "/usr/bin/telvaro");
    }
    void cleanup() {
        DoneTopics();
        platform::SetMountInfoForTesting(nullptr);
    }
    void topicLines_data();
    void topicLines();
    void configFromTheDiscCopy();
    void configFoundBySearchingTheDisc();
    void noDiscNoSearch();
    void sortSettingOnlyFromGresDir();
    void startupErrorBox();
    void startupTitle_data();
    void startupTitle();
    void qorEndsSilentlyWithExitCodeZero();
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
    Write(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    Write(FHd + "disc/menu/IMAGEN.INI", "[a]\n");
    Write(FHd + "disc/menu/LISTA", "[a]\n");
    Write(FHd + "disc/GRES/GES.INI", "[Temas]\n" + temas);
    LoadTopics();
    QCOMPARE(Names(), expected);
    QCOMPARE(TopicsConfigFile, FHd + "disc/GRES/GES.INI");
    if (!expected.isEmpty() && expected[0] == "Video=VIDEO")
        QCOMPARE(TopicList->Topic(0).Path, FHd + "disc/menu/VIDEO.INI");
}

void TestTopics::configFromTheDiscCopy() {
    // GES.INI is missing beside the copy but present at the same place on the disc: the topics
    // come from the disc's file, their items files are still looked for under BaseDir.
    Write(FCd + "disc/GRES/GES.INI", "[General]\nOrdenar=1\n[Temas]\nVideo=menu\\VIDEO.INI\n");
    Write(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    LoadTopics();
    QCOMPARE(TopicsConfigFile, FCd + "disc/GRES/GES.INI");
    QCOMPARE(Names(), QStringList({"Video=VIDEO"}));
    QCOMPARE(TopicList->Topic(0).Path, FHd + "disc/menu/VIDEO.INI");
    ReadSortItems();
    QVERIFY(!SortItems);
}

void TestTopics::configFoundBySearchingTheDisc() {
    Write(FCd + "other/place/ges.ini", "[Temas]\nVideo=menu\\VIDEO.INI\n");
    Write(FHd + "disc/menu/VIDEO.INI", "[a]\n");
    LoadTopics();
    QCOMPARE(TopicsConfigFile, FCd + "other/place/ges.ini");
    QCOMPARE(Names(), QStringList({"Video=VIDEO"}));
}

void TestTopics::noDiscNoSearch() {
    const QByteArray noDisc = QStringLiteral("21 1 8:1 / / rw - ext4 /dev/sda1 rw\n").toUtf8();
    platform::SetMountInfoForTesting(&noDisc);
    Write(FHd + "elsewhere/GRES/GES.INI", "[Temas]\nVideo=menu\\VIDEO.INI\n");
    LoadTopics();
    QVERIFY(TopicList->IsEmpty());
    QVERIFY(TopicsConfigFile.isEmpty());
}

void TestTopics::sortSettingOnlyFromGresDir() {
    Write(FHd + "disc/gres/ges.ini", "[general]\nordenar=0x1\n");
    ReadSortItems();
    QVERIFY(SortItems);
    Write(FHd + "disc/gres/ges.ini", "[general]\nordenar=yes\n");
    ReadSortItems();
    QVERIFY(!SortItems);
}

void TestTopics::startupErrorBox() {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // The search for GES.INI handles events too, so wait until the box is really there.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->isVisible()) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                box->accept();
            }
        }
    });
    poll.start(20);
    QApplication::setApplicationDisplayName(StartupTitle("/media/cdrom/TELVARO.EXE"));
    QVERIFY(!InitTopics());
    QCOMPARE(text, QString("Error incializando temas."));
    QCOMPARE(title, QString("Telvaro"));
    QCOMPARE(icon, QMessageBox::Critical);
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

void TestTopics::qorEndsSilentlyWithExitCodeZero() {
    // The real program, started as "qor" on a disc without topics: no box, exit code 0.
    const QString exe = qEnvironmentVariable("TELVARO_EXE");
    if (exe.isEmpty())
        QSKIP("TELVARO_EXE not set");
    const QString qor = P("bin/QOR");
    QDir().mkpath(P("bin"));
    QVERIFY(QFile::copy(exe, qor));
    QProcess proc;
    proc.start(qor, {P("empty-disc")});
    QVERIFY(proc.waitForFinished(20000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 0);
}

QTEST_MAIN(TestTopics)
#include "test_topics.moc"
