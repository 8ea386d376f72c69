// Items files read into ItemList, the item helpers and topic lookups.
#include "support/DiscFolder.h"

class TestItems : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void order_data();
    void order();
    void keys_data();
    void keys();
    void missingAndEmptyFiles();
    void helpers_data();
    void helpers();
    void topicLookups();
    void twoDiscsSideBySide();
};

static QStringList Dump(const TItemList &items) {
    QStringList out;
    for (int i = 0; i < items.Count(); ++i)
        out << items.Name(i) + u'<' + items.Item(i)->Folder + u'>';
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
    TDiscFolder disc;
    disc.Topics({}, sort ? "[General]\nOrdenar=1\n" : "");
    QVERIFY(disc.Catalogue.LoadItems(disc.Write("menu/T.INI", text), QString()));
    QCOMPARE(Dump(disc.Catalogue.ItemList), items);
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
    TDiscFolder disc;
    disc.Write("menu/juegos/leame.htm", "x");
    disc.Write("menu/doc.htm", "x");
    QVERIFY(disc.Catalogue.LoadItems(disc.Write("menu/T.INI", "[Item]\n" + section + '\n'), QString()));
    const TItem *item = disc.Catalogue.ItemAt(0);
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
    TDiscFolder disc;
    const QString good = disc.Write("menu/A.INI", "[Uno]\n[Dos]\n");
    QVERIFY(disc.Catalogue.LoadItems(good, QString()));
    // A vanished file leaves the list as it was.
    QVERIFY(!disc.Catalogue.LoadItems(disc.Root() + "menu/NADA.INI", QString()));
    QCOMPARE(disc.Catalogue.ItemList.Count(), 2);
    // A file found in another letter case is read.
    QVERIFY(disc.Catalogue.LoadItems(disc.Root() + "MENU/a.ini", QString()));
    QCOMPARE(disc.Catalogue.ItemList.Count(), 2);
    QVERIFY(!disc.Catalogue.ItemAt(2) && !disc.Catalogue.ItemAt(-1));
    // A file without sections empties it.
    QVERIFY(!disc.Catalogue.LoadItems(disc.Write("menu/B.INI", "; nada\nExe=x\n"), QString()));
    QCOMPARE(disc.Catalogue.ItemList.Count(), 0);
    QVERIFY(!disc.Catalogue.ItemAt(0));
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
    TDiscFolder disc;
    disc.Write("menu/VIDEO.INI", "[A]\n");
    disc.Write("otro/Video.ini", "[A]\n");
    disc.Write("menu/MUSICA.INI", "[A]\n");
    disc.Topics({{"Peliculas", "menu\\VIDEO.INI"}, {"Musica", "menu\\MUSICA.INI"}, {"Clips", "otro\\Video.ini"}});
    const TTopicList &topics = disc.Disc.TopicList;
    QCOMPARE(topics.Count(), 3);
    QVERIFY(topics.IsTopic("musica") && !topics.IsTopic("Nada"));
    QVERIFY(topics.HasTopicForRegion("VIDEO") && topics.HasTopicForRegion("video"));
    QVERIFY(!topics.HasTopicForRegion("IMAGEN"));
    // Two topics with one BaseName: the first in list order.
    QCOMPARE(topics.TopicForRegion("video"), QStringLiteral("Peliculas"));
    QCOMPARE(topics.TopicForRegion("IMAGEN"), QString());
    QCOMPARE(topics.TopicBaseName("CLIPS"), QStringLiteral("Video"));
    QCOMPARE(topics.TopicPath("clips"), disc.Root() + "otro/Video.ini");
    QCOMPARE(topics.TopicPath("Nada"), QString());
    QCOMPARE(topics.TopicBaseName("Nada"), QString());
    QVERIFY(disc.Catalogue.CurrentTopic.isEmpty());
    disc.Catalogue.CurrentTopic = "Musica";
    QVERIFY(disc.Catalogue.IsCurrentTopic("MUSICA") && !disc.Catalogue.IsCurrentTopic("Clips"));
}

void TestItems::twoDiscsSideBySide() {
    // Two discs read in one process keep their own paths, topics, order and viewer settings.
    TDiscFolder a, b;
    a.Write("menu/A.INI", "[Zeta]\n[Alfa]\n");
    b.Write("menu/B.INI", "[Zeta]\n[Alfa]\n");
    a.Topics({{"Uno", "menu\\A.INI"}}, "[General]\nOrdenar=1\n[Visor]\nMusica=musica\nEsc=0\n");
    b.Topics({{"Dos", "menu\\B.INI"}}, "[Visor]\nAuto=Pase\n");
    QVERIFY(a.Catalogue.LoadItems(a.Disc.TopicList.TopicPath("Uno"), QString()));
    QVERIFY(b.Catalogue.LoadItems(b.Disc.TopicList.TopicPath("Dos"), QString()));
    QCOMPARE(Dump(a.Catalogue.ItemList), (QStringList{"Alfa<>", "Zeta<>"}));
    QCOMPARE(Dump(b.Catalogue.ItemList), (QStringList{"Zeta<>", "Alfa<>"}));
    QVERIFY(!a.Disc.TopicList.IsTopic("Dos") && !b.Disc.TopicList.IsTopic("Uno"));
    QCOMPARE(a.Disc.GresDir, a.Root() + "GRES/");
    QCOMPARE(b.Disc.GresDir, b.Root() + "GRES/");
    QCOMPARE(a.Disc.MusicFolder, a.Root() + "musica");
    QVERIFY(b.Disc.MusicFolder.isEmpty());
    QVERIFY(!a.Disc.EscCloses && b.Disc.EscCloses);
    QCOMPARE(a.Disc.AutoCaption, QStringLiteral("Modo automático"));
    QCOMPARE(b.Disc.AutoCaption, QStringLiteral("Pase"));
}

QTEST_MAIN(TestItems)
#include "test_items.moc"
