// Items files read into ItemList, the item helpers, topic lookups and the start-up error.
#include "DiscFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

class TestItems : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { SortItems = false; }

    void order_data();
    void order();
    void keys_data();
    void keys();
    void missingAndEmptyFiles();
    void helpers_data();
    void helpers();
    void topicLookups();
    void startupErrorBox();
    void startupErrorExitCode();
};

static QStringList Dump() {
    QStringList out;
    for (int i = 0; i < ItemList->Count(); ++i)
        out << ItemList->Name(i) + u'<' + ItemList->Item(i)->Folder + u'>';
    return out;
}

void TestItems::order_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QStringList>("items");
    const QByteArray parentLater = "[B]\nCarpeta=A\nExe=b.txt\n[A]\n";
    QTest::newRow("parent after child, file order") << parentLater << false << QStringList{"B<>", "A<>"};
    QTest::newRow("parent after child, sorted") << parentLater << true << QStringList{"A<>", "B<A>"};
    QTest::newRow("sorted ignoring case")
        << QByteArray("[gamma]\n[Beta]\n[alpha]\n[Delta]\n") << true
        << QStringList{"alpha<>", "Beta<>", "Delta<>", "gamma<>"};
    QTest::newRow("Carpeta matches ignoring case")
        << QByteArray("[Juegos]\n[Arcade]\nCarpeta=JUEGOS\n") << false << QStringList{"Juegos<>", "Arcade<JUEGOS>"};
    QTest::newRow("Carpeta naming no item")
        << QByteArray("[X]\nCarpeta=Nadie\n") << false << QStringList{"X<>"};
    QTest::newRow("Carpeta naming itself") << QByteArray("[X]\nCarpeta=X\n") << false << QStringList{"X<>"};
    // A repeated section is a second item of that name, with the first section's keys.
    QTest::newRow("repeated section")
        << QByteArray("[A]\n[B]\nCarpeta=A\n[b]\nCarpeta=Nadie\n") << false << QStringList{"A<>", "B<A>", "b<A>"};
}

void TestItems::order() {
    QFETCH(QByteArray, text);
    QFETCH(bool, sort);
    QFETCH(QStringList, items);
    TDisc disc;
    SortItems = sort;
    QVERIFY(LoadItems(disc.Write("menu/T.INI", text), QString()));
    QCOMPARE(Dump(), items);
}

void TestItems::keys_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("exe");      // relative to the disc, "" for none
    QTest::addColumn<QString>("textFile"); // relative to the disc, "" for none
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QString>("screenMask");
    QTest::addColumn<QString>("install");
    // menu/juegos/leame.htm and menu/doc.htm exist.
    QTest::newRow("defaults with a target")
        << QByteArray("Exe=juegos\\setup.exe") << "menu/juegos/setup.exe" << "menu/juegos/leame.htm" << true
        << "*.jpg;*.gif" << "";
    QTest::newRow("leame.htm of a mask's folder")
        << QByteArray("Exe=juegos\\*.jpg") << "menu/juegos/*.jpg" << "menu/juegos/leame.htm" << true << "*.jpg;*.gif"
        << "";
    QTest::newRow("no leame.htm beside the target")
        << QByteArray("Exe=otro\\a.exe") << "menu/otro/a.exe" << "" << true << "*.jpg;*.gif" << "";
    QTest::newRow("Texto given") << QByteArray("Exe=a.exe\nTexto=doc.htm") << "menu/a.exe" << "menu/doc.htm" << true
                                 << "*.jpg;*.gif" << "";
    QTest::newRow("Texto missing is emptied")
        << QByteArray("Exe=juegos\\a.exe\nTexto=nada.htm") << "menu/juegos/a.exe" << "" << true << "*.jpg;*.gif"
        << "";
    QTest::newRow("Texto from the base folder") << QByteArray("Texto=.\\menu\\doc.htm") << "" << "menu/doc.htm"
                                                << true << "" << "";
    QTest::newRow("Exe from the base folder")
        << QByteArray("Exe=.\\otro\\x.exe") << "otro/x.exe" << "" << true << "*.jpg;*.gif" << "";
    QTest::newRow("Transparent off") << QByteArray("Transparent=0") << "" << "" << false << "" << "";
    QTest::newRow("TextoTrans wins") << QByteArray("Transparent=0\nTextoTrans=1") << "" << "" << true << "" << "";
    QTest::newRow("TextoTrans off") << QByteArray("TextoTrans=0x0") << "" << "" << false << "" << "";
    QTest::newRow("malformed TextoTrans falls back")
        << QByteArray("Transparent=0\nTextoTrans=si") << "" << "" << false << "" << "";
    QTest::newRow("Pantalla 0 with a target") << QByteArray("Exe=a.exe\nPantalla=0") << "menu/a.exe" << "" << true
                                              << "" << "";
    QTest::newRow("Pantalla kept with a target")
        << QByteArray("Exe=a.exe\nPantalla=*.bmp") << "menu/a.exe" << "" << true << "*.bmp" << "";
    QTest::newRow("Pantalla 0 without a target") << QByteArray("Pantalla=0") << "" << "" << true << "0" << "";
    QTest::newRow("Instalar unchanged")
        << QByteArray("Instalar=setup.exe /s") << "" << "" << true << "" << "setup.exe /s";
}

void TestItems::keys() {
    QFETCH(QByteArray, section);
    QFETCH(QString, exe);
    QFETCH(QString, textFile);
    QFETCH(bool, transparent);
    QFETCH(QString, screenMask);
    QFETCH(QString, install);
    TDisc disc;
    disc.Write("menu/juegos/leame.htm", "x");
    disc.Write("menu/doc.htm", "x");
    QVERIFY(LoadItems(disc.Write("menu/T.INI", "[Item]\n" + section + '\n'), QString()));
    const TItem *item = ItemAt(0);
    QVERIFY(item);
    QCOMPARE(item->Name, QStringLiteral("Item"));
    QCOMPARE(item->Exe, exe.isEmpty() ? QString() : disc.Root() + exe);
    QCOMPARE(item->TextFile, textFile.isEmpty() ? QString() : disc.Root() + textFile);
    QCOMPARE(item->TransparentText, transparent);
    QCOMPARE(item->ScreenMask, screenMask);
    QCOMPARE(item->Install, install);
    QCOMPARE(item->Sequence, 0);
}

void TestItems::missingAndEmptyFiles() {
    TDisc disc;
    const QString good = disc.Write("menu/A.INI", "[Uno]\n[Dos]\n");
    QVERIFY(LoadItems(good, QString()));
    // A vanished file leaves the list as it was.
    QVERIFY(!LoadItems(disc.Root() + "menu/NADA.INI", QString()));
    QCOMPARE(ItemList->Count(), 2);
    // A file found in another letter case is read.
    QVERIFY(LoadItems(disc.Root() + "MENU/a.ini", QString()));
    QCOMPARE(ItemList->Count(), 2);
    QVERIFY(!ItemAt(2) && !ItemAt(-1));
    // A file without sections empties it.
    QVERIFY(!LoadItems(disc.Write("menu/B.INI", "; nada\nExe=x\n"), QString()));
    QCOMPARE(ItemList->Count(), 0);
    QVERIFY(!ItemAt(0));
}

void TestItems::helpers_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<bool>("collection");
    QTest::addColumn<bool>("pictures");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("leaf");
    QTest::newRow("plain file") << "" << "A" << "/d/x/a.exe" << false << false << "A" << "" << "A";
    QTest::newRow("lower-case jpg mask") << "F" << "A" << "/d/x/*.jpg" << true << true << "F\\A" << "F" << "A";
    QTest::newRow("upper-case GIF mask") << "" << "A" << "/d/x/*.GIF" << true << true << "A" << "" << "A";
    QTest::newRow("other mask") << "" << "A" << "/d/x/*.bmp" << true << false << "A" << "" << "A";
    QTest::newRow("folder without extension") << "" << "A" << "/d/juegos" << true << false << "A" << "" << "A";
    QTest::newRow("folder under a dotted folder")
        << "" << "A" << "/home/u/disco.v2/juegos" << true << false << "A" << "" << "A";
    QTest::newRow("file under a dotted folder")
        << "" << "A" << "/home/u/disco.v2/a.exe" << false << false << "A" << "" << "A";
    QTest::newRow("backslashed name") << "" << "Juegos\\Arcade" << "" << true << false << "Juegos\\Arcade"
                                      << "Juegos" << "Arcade";
    QTest::newRow("folder and backslashed name")
        << "Top" << "Juegos\\Arcade" << "" << true << false << "Top\\Juegos\\Arcade" << "Top\\Juegos" << "Arcade";
    QTest::newRow("slash is no separator") << "" << "AC/DC" << "" << true << false << "AC/DC" << "" << "AC/DC";
}

void TestItems::helpers() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, exe);
    TItem item;
    item.Folder = folder;
    item.Name = name;
    item.Exe = exe;
    QTEST(IsCollection(item), "collection");
    QTEST(IsPictureCollection(item), "pictures");
    QTEST(FullName(item), "full");
    QTEST(ParentPath(item), "parent");
    QTEST(LeafName(item), "leaf");
}

void TestItems::topicLookups() {
    TDisc disc;
    disc.Write("menu/VIDEO.INI", "[A]\n");
    disc.Write("otro/Video.ini", "[A]\n");
    disc.Write("menu/MUSICA.INI", "[A]\n");
    disc.Topics({{"Peliculas", "menu\\VIDEO.INI"}, {"Musica", "menu\\MUSICA.INI"}, {"Clips", "otro\\Video.ini"}});
    QCOMPARE(TopicList->Count(), 3);
    QVERIFY(IsTopic("musica") && !IsTopic("Nada"));
    QVERIFY(HasTopicForRegion("VIDEO") && HasTopicForRegion("video") && !HasTopicForRegion("IMAGEN"));
    // Two topics with one BaseName: the first in list order.
    QCOMPARE(TopicForRegion("video"), QStringLiteral("Peliculas"));
    QCOMPARE(TopicForRegion("IMAGEN"), QString());
    QCOMPARE(TopicBaseName("CLIPS"), QStringLiteral("Video"));
    QCOMPARE(TopicPath("clips"), disc.Root() + "otro/Video.ini");
    QCOMPARE(TopicPath("Nada"), QString());
    QCOMPARE(TopicBaseName("Nada"), QString());
    CurrentTopic = "Musica";
    QVERIFY(IsCurrentTopic("MUSICA") && !IsCurrentTopic("Clips"));
    DoneTopics();
    QVERIFY(CurrentTopic.isEmpty() && !IsTopic("Musica") && TopicForRegion("VIDEO").isEmpty());
}

void TestItems::startupErrorBox() {
    struct Case {
        QString title;
        bool box;
    };
    for (const Case &c : {Case{"Telvaro", true}, Case{"Qor", false}, Case{"qOR", false}, Case{"Qorx", true}}) {
        TDisc disc; // no GES.INI anywhere
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
        QVERIFY(!InitTopics());
        QCoreApplication::processEvents(); // the timer, when no box ran it
        QCOMPARE(!text.isEmpty(), c.box);
        if (c.box) {
            QCOMPARE(text, QStringLiteral("Error incializando temas."));
            QCOMPARE(caption, c.title);
            QCOMPARE(icon, QMessageBox::Critical);
        }
    }
}

void TestItems::startupErrorExitCode() {
#ifndef TELVARO_PROGRAM
    QSKIP("the program is not part of this build");
#else
    // The program under a name whose title is "Qor" ends without a box, so it can run here.
    QTemporaryDir dir;
    const QString program = dir.filePath("qor.bin");
    QVERIFY(QFile::copy(QStringLiteral(TELVARO_PROGRAM), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    QDir().mkpath(dir.filePath("disc/GRES"));
    QProcess p;
    p.start(program, {dir.filePath("disc")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
#endif
}

QTEST_MAIN(TestItems)
#include "test_items.moc"
