// telvaro-check on disc folders written by the tests, read back through its JSON.
#include "check/Check.h"
#include "check/Json.h"
#include "check/MapReport.h"

#include "lib/LoadNotes.h"
#include "platform/Drives.h"
#include "viewer/PictureList.h"

#include "support/DiscFolder.h"
#include "support/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject Report(const QString &disc, int expectedExit = kExitStarts) {
    const TCheckRun run = RunCheck({QStringLiteral("--json"), disc});
    [&] { QCOMPARE(run.ExitCode, expectedExit); }();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.Out, &error);
    [&] { QCOMPARE(error.error, QJsonParseError::NoError); }();
    return doc.object();
}

QStringList Problems(const QJsonObject &report) {
    QStringList out;
    for (const auto &p : report[u"problems"].toArray())
        out << p[u"where"].toString() + QStringLiteral(" :: ") + p[u"what"].toString();
    return out;
}

// The codes of the report's problems, sorted; each once when Unique.
QStringList Codes(const QJsonObject &report, bool unique = true) {
    QStringList out;
    for (const auto &p : report[u"problems"].toArray())
        out << p[u"code"].toString();
    if (unique)
        out.removeDuplicates();
    out.sort();
    return out;
}

QJsonArray Items(const QJsonObject &report, int topic = 0) {
    return report[u"topics"].toArray()[topic].toObject()[u"items"].toArray();
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void topicLinesAndSkips();
    void repeatedNames();
    void noConfigurationMeansTheStartupError();
    void treeOrderNumberingAndIcons();
    void folderRulesAndSorting_data();
    void folderRulesAndSorting();
    void itemFieldsAndDescriptions();
    void shippedMapAndTopicRegions();
    void mapLinesThatCreateNothing();
    void everyDecisionHasItsCode();
    void configFromAnOpticalDisc();
    void wholeReport();
    void viewerSettingsAndMusic();
    void pictureCollections();
    void namesInAnotherCase();
    void jsonIsStable();
    void mapCommand();
    void pictureCommand();
    void usageAndExitCodesOfTheExecutable();
    void twoDiscsInOneRun();
};

void TestCheck::topicLinesAndSkips() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=menu\\VIDEO.INI\nVacio=\nFalta=menu\\FALTA.INI\nBarra=menu\\\nLista=menu\\LISTA\n");
    disc.Write(QStringLiteral("menu/VIDEO.INI"), "[Uno]\nExe=uno.txt\n");
    disc.Write(QStringLiteral("menu/LISTA"), "[Dos]\n");
    const QJsonObject r = Report(disc.Root());
    const QJsonArray topics = r[u"topics"].toArray();
    QCOMPARE(topics.size(), 2);
    QCOMPARE(topics[0][u"name"].toString(), QStringLiteral("Video"));
    QCOMPARE(topics[0][u"baseName"].toString(), QStringLiteral("VIDEO"));
    QCOMPARE(topics[0][u"path"].toString(), disc.Root() + QStringLiteral("menu/VIDEO.INI"));
    QCOMPARE(topics[1][u"name"].toString(), QStringLiteral("Lista"));
    QCOMPARE(topics[1][u"baseName"].toString(), QStringLiteral("LISTA"));
    QCOMPARE(r[u"configFile"].toString(), disc.Root() + QStringLiteral("GRES/GES.INI"));
}

void TestCheck::repeatedNames() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=menu\\VIDEO.INI\nvideo=menu\\OTRO.INI\n");
    disc.Write(QStringLiteral("menu/VIDEO.INI"), "[Uno]\nExe=uno.txt\n[uno]\nExe=otro.txt\n");
    const QJsonObject r = Report(disc.Root());
    const QJsonArray topics = r[u"topics"].toArray();
    QCOMPARE(topics.size(), 2);
    QCOMPARE(topics[1][u"name"].toString(), QStringLiteral("video"));
    QCOMPARE(topics[1][u"path"].toString(), disc.Root() + QStringLiteral("menu/VIDEO.INI"));
    QCOMPARE(topics[0][u"items"].toArray().size(), 2);
    QCOMPARE(Codes(r, false).count(QStringLiteral("item-section-repeated")), 2); // once per topic
}

void TestCheck::noConfigurationMeansTheStartupError() {
    {
        TDiscFolder disc;
        disc.Skin();
        const QJsonObject r = Report(disc.Root(), kExitFails);
        QVERIFY(r[u"configFile"].isNull());
        QCOMPARE(r[u"topics"].toArray().size(), 0);
        const TCheckRun human = RunCheck({disc.Root()});
        QCOMPARE(human.ExitCode, kExitFails);
        QVERIFY(human.Out.contains("«Error incializando temas.»"));
    }
    {
        // A configuration whose topics all fail is the same start-up error.
        TDiscFolder disc;
        disc.Basics("[Temas]\nVideo=menu\\VIDEO.INI\n");
        const QJsonObject r = Report(disc.Root(), kExitFails);
    }
}

void TestCheck::treeOrderNumberingAndIcons() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVarios=menu\\VARIOS.INI\n");
    disc.Write(QStringLiteral("docs/manual.txt"), "x");
    QDir().mkpath(disc.Root() + QStringLiteral("progs"));
    disc.Write(QStringLiteral("menu/VARIOS.INI"),
               "[Manual]\nExe=.\\docs\\manual.txt\n"
               "[Juegos]\n"
               "[Juegos\\Arcade]\n"
               "[Fotos]\nCarpeta=Juegos\\Arcade\nExe=.\\fotos\\*.JPG\n"
               "[Juegos\\Programas]\nExe=.\\progs\n"
               "[Roto]\nExe=.\\nada.exe\n"
               "[Docs]\n"
               "[Docs\\Animadas]\nExe=.\\fotos\\*.gif\n");
    const QJsonObject r = Report(disc.Root());
    const QJsonObject topic = r[u"topics"].toArray()[0].toObject();
    QVERIFY(topic[u"loaded"].toBool());
    QCOMPARE(topic[u"itemCount"].toInt(), 5);

    struct Row { const char *Caption; int Depth; int Sequence; const char *Icon; };
    // Within a parent the folders come first; numbers follow the tree order.
    const Row expected[] = {
        {"Juegos", 0, -1, "folder"},   {"Arcade", 1, -1, "folder"},     {"Fotos", 2, 0, "pictures"},
        {"Programas", 1, 1, "programs"}, {"Docs", 0, -1, "folder"},     {"Animadas", 1, 2, "pictures"},
        {"Manual", 0, 3, "file"},      {"Roto", 0, 4, "broken"},
    };
    const QJsonArray items = topic[u"items"].toArray();
    QCOMPARE(items.size(), int(std::size(expected)));
    for (int i = 0; i < items.size(); ++i) {
        const QJsonObject it = items[i].toObject();
        const Row &e = expected[i];
        QCOMPARE(it[u"caption"].toString(), QString::fromUtf8(e.Caption));
        QCOMPARE(it[u"depth"].toInt(), e.Depth);
        if (e.Sequence < 0)
            QVERIFY(it[u"sequence"].isNull());
        else
            QCOMPARE(it[u"sequence"].toInt(), e.Sequence);
        QCOMPARE(it[u"icon"].toString(), QString::fromUtf8(e.Icon));
    }
    QCOMPARE(items[2][u"folder"].toString(), QStringLiteral("Juegos\\Arcade"));
    QCOMPARE(items[3][u"name"].toString(), QStringLiteral("Programas"));
    QCOMPARE(items[3][u"folder"].toString(), QStringLiteral("Juegos"));
    QCOMPARE(Codes(r), (QStringList{"picture-folder-missing", "target-missing"}));

    // The report for people says the same, and nothing of one check is left for the next.
    const QByteArray out = RunCheck({disc.Root()}).Out;
    QCOMPARE(RunCheck({disc.Root()}).Out, out);
    const QString text = QString::fromUtf8(out);
    QVERIFY(text.contains(QStringLiteral("Tema Varios (región VARIOS), menu/VARIOS.INI: 5 con destino")));
    QVERIFY2(text.contains(QStringLiteral("Problemas: 3\n")), qPrintable(text)); // two missing picture folders
    QVERIFY(text.contains(QStringLiteral("[Roto]: no existe el destino nada.exe")));
}

void TestCheck::folderRulesAndSorting_data() {
    QTest::addColumn<QByteArray>("general");
    QTest::addColumn<QByteArray>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("depths");
    QTest::addColumn<QString>("problem"); // empty: none expected

    QTest::newRow("parent after child") << QByteArray() << QByteArray("[B]\nCarpeta=A\nExe=b.txt\n[A]\n")
                                        << QStringList{"A", "B"} << QList<int>{0, 0}
                                        << QStringLiteral("item-folder-unknown");
    QTest::newRow("sorted, parent first") << QByteArray("[General]\nOrdenar=1\n")
                                          << QByteArray("[B]\nCarpeta=A\nExe=b.txt\n[A]\n") << QStringList{"A", "B"}
                                          << QList<int>{0, 1} << QString();
    QTest::newRow("path before its folder") << QByteArray() << QByteArray("[Juegos\\Arcade]\n[Juegos]\n")
                                            << QStringList{"Arcade", "Juegos"} << QList<int>{0, 0}
                                            << QStringLiteral("item-parent-later");
    QTest::newRow("path after its folder") << QByteArray() << QByteArray("[Juegos]\n[Juegos\\Arcade]\n")
                                           << QStringList{"Juegos", "Arcade"} << QList<int>{0, 1} << QString();
}

void TestCheck::folderRulesAndSorting() {
    QFETCH(QByteArray, general);
    QFETCH(QByteArray, items);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, depths);
    QFETCH(QString, problem);
    TDiscFolder disc;
    disc.Basics(general + "\n[Temas]\nVideo=VIDEO.INI\n");
    disc.Write(QStringLiteral("VIDEO.INI"), items);
    disc.Write(QStringLiteral("b.txt"), "x");
    const QJsonObject r = Report(disc.Root());
    QCOMPARE(r[u"sortItems"].toBool(), !general.isEmpty());
    const QJsonArray nodes = Items(r);
    QStringList gotCaptions;
    QList<int> gotDepths;
    for (const auto &n : nodes) {
        gotCaptions << n[u"caption"].toString();
        gotDepths << n[u"depth"].toInt();
    }
    QCOMPARE(gotCaptions, captions);
    QCOMPARE(gotDepths, depths);
    QCOMPARE(Problems(r).size(), problem.isEmpty() ? 0 : 1);
    if (!problem.isEmpty())
        QCOMPARE(Codes(r), QStringList{problem});
}

void TestCheck::itemFieldsAndDescriptions() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=menu\\VIDEO.INI\nVacio=menu\\VACIO.INI\n");
    disc.Write(QStringLiteral("menu/VIDEO.INI"),
               "[Con texto]\nExe=peli.avi\nTexto=notas.txt\nTransparent=0\nInstalar=SETUP.EXE /S\nPantalla=0\n"
               "[Sin texto]\nExe=peli.avi\nTexto=falta.txt\nTextoTrans=0\n"
               "[Carpeta]\nPantalla=*.bmp\n");
    disc.Write(QStringLiteral("menu/peli.avi"), "x");
    disc.Write(QStringLiteral("menu/notas.txt"), "x");
    disc.Write(QStringLiteral("menu/VACIO.INI"), "; nothing\n");
    const QJsonObject r = Report(disc.Root());
    const QJsonArray items = Items(r);
    QCOMPARE(items.size(), 3);
    const QJsonObject carpeta = items[0].toObject(), con = items[1].toObject(), sin = items[2].toObject();
    QCOMPARE(carpeta[u"screenMask"].toString(), QStringLiteral("*.bmp"));
    QCOMPARE(con[u"exe"].toString(), disc.Root() + QStringLiteral("menu/peli.avi"));
    QCOMPARE(con[u"textFile"].toString(), disc.Root() + QStringLiteral("menu/notas.txt"));
    QCOMPARE(con[u"transparentText"].toBool(), false);
    QCOMPARE(con[u"install"].toString(), QStringLiteral("SETUP.EXE /S"));
    QCOMPARE(con[u"screenMask"].toString(), QString());
    QCOMPARE(sin[u"textFile"].toString(), QString());
    QCOMPARE(sin[u"screenMask"].toString(), QStringLiteral("*.jpg;*.gif"));
    QCOMPARE(Codes(r), (QStringList{"item-text-missing", "items-none", "topic-no-region"}));
    QCOMPARE(Problems(r).filter(QStringLiteral("[Sin texto]")).size(), 1);
    // A topic whose file has no sections is listed, not loaded.
    const QJsonObject vacio = r[u"topics"].toArray()[1].toObject();
    QCOMPARE(vacio[u"loaded"].toBool(), false);
    QCOMPARE(vacio[u"items"].toArray().size(), 0);
}

void TestCheck::shippedMapAndTopicRegions() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=VIDEO.INI\nOtro=x\\video.ini\nJuegos=JUEGOS.INI\n");
    disc.Write(QStringLiteral("VIDEO.INI"), "[A]\n");
    disc.Write(QStringLiteral("x/video.ini"), "[A]\n");
    disc.Write(QStringLiteral("JUEGOS.INI"), "[A]\n");
    const QJsonObject r = Report(disc.Root());
    const QJsonArray regions = r[u"map"][u"regions"].toArray();
    QCOMPARE(regions.size(), 11);
    QCOMPARE(regions[0][u"id"].toString(), QStringLiteral("VIDEO"));
    QCOMPARE(regions[0][u"box"].toArray(), (QJsonArray{364, 31, 431, 49}));
    QCOMPARE(regions[0][u"flags"].toInt(), 5);
    QCOMPARE(regions[6][u"id"].toString(), QStringLiteral("MOVER"));
    QCOMPARE(regions[6][u"box"].toArray(), (QJsonArray{244, 308, 310, 374}));
    // A second topic on the same region can never be chosen; so cannot one without a region.
    QCOMPARE(Codes(r), (QStringList{"topic-no-region", "topic-region-taken"}));
    QCOMPARE(Problems(r).size(), 2);
}

void TestCheck::mapLinesThatCreateNothing() {
    const QStringList lines = {
        QStringLiteral("circle A 100,100 100,120"), // corner mode: zero width
        QStringLiteral("circle Z 100,100 120,120"), // corner mode: an ellipse in the box
        QStringLiteral("#$FORMAT:ncsa"),
        QStringLiteral("circle B 100,100 120,100"), // circle mode: zero height
        QStringLiteral("# comment"),
        QStringLiteral(""),
        QStringLiteral("   "),
        QStringLiteral("rect C 10,10 10,20"),
        QStringLiteral("TRIANGLE D 1,1 5,5 9,1"),
        QStringLiteral("\trect E 1,1 5,5"),
        QStringLiteral("rect F 1,1 5,5"),
        QStringLiteral("circle Y 100,100 100,120"), // circle mode: radius 20
    };
    QCOMPARE(MapLinesWithoutRegion(lines),
             (QStringList{lines[0], lines[3], lines[7], lines[8], lines[9]}));
    QVERIFY(MapLinesWithoutRegion(ShippedMapText()).isEmpty());
    QCOMPARE(ShippedMapText().size(), 13);
}

void TestCheck::everyDecisionHasItsCode() {
    // A tiny disc per decision: the basics, GES.INI, VIDEO.INI as "[A]" unless a row writes it;
    // a file written as "-" is taken away. The codes it gives, each once.
    const QByteArray video = "[Temas]\nVideo=VIDEO.INI\n";
    QByteArray manyTopics = "[Temas]\n", manySections;
    for (int i = 0; i < 3000; ++i) {
        manyTopics += "T" + QByteArray::number(i) + "=\n";
        manySections += "[S" + QByteArray::number(i) + "]\n";
    }
    struct Row { QByteArray Ges; QList<std::pair<QString, QByteArray>> Files; QStringList Codes; };
    const Row rows[] = {
        {"-", {}, {"config-not-found"}},
        {"[General]\n", {}, {"topics-section-missing"}},
        {manyTopics, {}, {"topic-names-cut", "topic-value-empty"}},
        {video + "=VIDEO.INI\n", {}, {"topic-name-empty"}},
        {video + "Raro=.ini\nBarra=menu\\\n", {{".ini", "[A]\n"}}, {"topic-no-base-name"}},
        {video + "Carpeta=SUB\n", {{"SUB/x", ""}}, {"topic-not-a-file"}},
        {video + "Falta=FALTA.INI\n", {}, {"topic-file-missing"}},
        {video + "video=OTRO.INI\n", {}, {"topic-name-repeated"}},
        {video + "[Visor]\nEsc=no\n[General]\nOrdenar=sí\n", {{"VIDEO.INI", "[A]\nTextoTrans=x\n"}},
         {"setting-not-number"}},
        {video, {{"VIDEO.INI", "; nada\n"}}, {"items-none"}},
        {video, {{"VIDEO.INI", manySections}}, {"item-sections-cut"}},
        {video, {{"VIDEO.INI", "[A]\n[a]\n"}}, {"item-section-repeated"}},
        {video, {{"VIDEO.INI", "[B]\nCarpeta=A\n[A]\n"}}, {"item-folder-unknown"}},
        {video, {{"VIDEO.INI", "[J\\A]\n[J]\n"}}, {"item-parent-later"}},
        {video, {{"VIDEO.INI", "[A]\nTexto=falta.txt\n"}}, {"item-text-missing"}},
        {video, {{"GRES/menul.bmp", "-"}}, {"skin-bitmap-missing"}},
        {video, {{"GRES/menuh.bmp", "BM no"}}, {"skin-bitmap-unreadable"}},
        {video, {{"GRES/BOTON.WAV", "-"}}, {"cue-missing"}},
        {video + "[Visor]\nMusica=NADA\n", {}, {"music-folder-missing"}},
        {video + "[Visor]\nMusica=M\n", {{"M/c.wav", "RIFF"}}, {"music-none", "music-wav-too-small"}},
        {video + "Juegos=JUEGOS.INI\n", {{"JUEGOS.INI", "[A]\n"}}, {"topic-no-region"}},
        {video, {{"VIDEO.INI", "[A]\nExe=nada.exe\n[B]\nExe=progs\n"}}, {"collection-missing", "target-missing"}},
        {"[Temas]\nVideo=video.ini\n", {}, {"other-case"}},
    };
    for (const Row &row : rows) {
        TDiscFolder disc;
        disc.Basics(row.Ges);
        disc.Write(QStringLiteral("VIDEO.INI"), "[A]\n");
        for (const auto &[file, bytes] : row.Files)
            bytes == "-" ? void(QFile::remove(disc.Root() + file)) : void(disc.Write(file, bytes));
        if (row.Ges == "-")
            QFile::remove(disc.Root() + QStringLiteral("GRES/GES.INI"));
        const QJsonObject r = QJsonDocument::fromJson(RunCheck({QStringLiteral("--json"), disc.Root()}).Out).object();
        QVERIFY2(Codes(r) == row.Codes, qPrintable(Problems(r).join(u'\n')));
    }
    // Without an MP3 decoder, MP3 files are no tracks.
    TDiscFolder music;
    music.Write(QStringLiteral("M/a.mp3"), "x");
    TLoadNotes notes;
    QVERIFY(ListTracks(music.Root() + QStringLiteral("M"), false, &notes).isEmpty());
    QCOMPARE(notes.size(), size_t(2));
    QCOMPARE(notes[0].Code, TNoteCode::MusicMp3Skipped);
}

void TestCheck::configFromAnOpticalDisc() {
    TDiscFolder disc, cd;
    disc.Skin();
    cd.Basics("[Temas]\nVideo=VIDEO.INI\n");
    disc.Write(QStringLiteral("VIDEO.INI"), "[A]\n");
    QByteArray root = cd.Root().toUtf8();
    root.chop(1);
    const QByteArray mounts = "21 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n40 21 11:0 / " + root + " ro - iso9660 /dev/sr0 ro\n";
    platform::SetMountInfoForTesting(&mounts);
    const QJsonObject r = Report(disc.Root());
    platform::SetMountInfoForTesting(nullptr);
    QCOMPARE(Codes(r), (QStringList{"config-elsewhere", "cue-missing"}));
}

void TestCheck::wholeReport() {
    // The disc of a report that once gave wrong reasons, read in full: the sentences as a person
    // reads them, and the JSON of its problems.
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=VIDEO.INI\nRaro=.ini\nCarpeta=SUB\n[Visor]\nEsc=no\n");
    disc.Write(QStringLiteral(".ini"), "[A]\n");
    disc.Write(QStringLiteral("SUB/x"), "");
    disc.Write(QStringLiteral("VIDEO.INI"), "[A]\nExe=a.txt\nCarpeta=Nada\nTexto=falta.txt\n");
    disc.Write(QStringLiteral("a.txt"), "x");
    const QByteArray json = RunCheck({QStringLiteral("--json"), disc.Root()}).Out;
    const QByteArray got = RunCheck({disc.Root()}).Out + json.mid(json.indexOf("\n  \"problems\""));
    QCOMPARE(QString::fromUtf8(got).replace(disc.Root(), QStringLiteral("DISCO/")),
             QString::fromUtf8(testfiles::ReadFile(QStringLiteral(TELVARO_CHECK_EXPECTED))));
}

void TestCheck::viewerSettingsAndMusic() {
    struct Case {
        const char *Visor;         // the "Visor" section's lines
        const char *MusicFolder;   // relative to the disc; "" for none
        const char *Caption;
        bool Esc;
        QList<QPair<const char *, int>> Files; // music files and their sizes
        QStringList Problems;      // the codes expected
    };
    const Case cases[] = {
        {"", "", "Modo automático", true, {}, {}},
        {"Musica=MUSICA\\\nAuto=Diapositivas\nEsc=0\n", "MUSICA/", "Diapositivas", false, {{"MUSICA/a.mp3", 10}}, {}},
        {"Musica=SONIDO\nEsc=si\n", "SONIDO", "Modo automático", true, {}, {"music-folder-missing", "setting-not-number"}},
        {"Musica=MUSICA\n", "MUSICA", "Modo automático", true, {{"MUSICA/c.wav", 100000}, {"MUSICA/n.txt", 9}},
         {"music-none", "music-wav-too-small"}},
        {"Musica=MUSICA\n", "MUSICA", "Modo automático", true, {{"MUSICA/sub/b.MID", 5}}, {}},
    };
    for (const Case &c : cases) {
        TDiscFolder disc;
        disc.Basics("[Temas]\nVideo=VIDEO.INI\n[Visor]\n" + QByteArray(c.Visor));
        disc.Write(QStringLiteral("VIDEO.INI"), "[A]\n");
        for (const auto &f : c.Files)
            disc.Write(QString::fromUtf8(f.first), QByteArray(f.second, 'x'));
        if (QByteArray(c.Visor).contains("SONIDO"))
            QVERIFY(!QFileInfo::exists(disc.Root() + QStringLiteral("SONIDO")));
        const QJsonObject r = Report(disc.Root());
        const QJsonObject v = r[u"viewer"].toObject();
        const QString folder = QString::fromUtf8(c.MusicFolder);
        QCOMPARE(v[u"musicFolder"].toString(), folder.isEmpty() ? QString() : disc.Root() + folder);
        QCOMPARE(v[u"autoCaption"].toString(), QString::fromUtf8(c.Caption));
        QCOMPARE(v[u"escCloses"].toBool(), c.Esc);
        QCOMPARE(Problems(r).size(), c.Problems.size());
        QCOMPARE(Codes(r), c.Problems);
    }
}

void TestCheck::pictureCollections() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nImagen=IMAGEN.INI\n");
    disc.Write(QStringLiteral("IMAGEN.INI"),
               "[Buenas]\nExe=.\\FOTOS\\*.jpg\n"
               "[Pequeñas]\nExe=.\\PEQUE\\*.jpg;*.gif\n"
               "[Rotas]\nExe=.\\ROTAS\\*.jpg\n"
               "[Falta]\nExe=.\\NADA\\*.gif\n"
               "[Una]\nExe=.\\FOTOS\\a.jpg\n");
    QVERIFY(testpictures::WriteBusyJpeg(disc.Root() + QStringLiteral("FOTOS/a.jpg"), 128, 128, 7));
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(testpictures::WritePicture(disc.Root() + QStringLiteral("PEQUE/p.jpg"), red, "JPEG"));
    QVERIFY(QFileInfo(disc.Root() + QStringLiteral("PEQUE/p.jpg")).size() < 2048);
    disc.Write(QStringLiteral("ROTAS/basura.jpg"), QByteArray(4096, 'z'));
    QFile good(disc.Root() + QStringLiteral("FOTOS/a.jpg"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    disc.Write(QStringLiteral("ROTAS/cortada.jpg"), good.read(good.size() / 2));

    const QJsonObject r = Report(disc.Root());
    QCOMPARE(Codes(r), (QStringList{"picture-damaged", "picture-folder-missing", "picture-unreadable", "pictures-none"}));
    QCOMPARE(Problems(r).size(), 4);
}

void TestCheck::namesInAnotherCase() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=menu\\video.ini\n");
    disc.Write(QStringLiteral("MENU/VIDEO.INI"), "[A]\nExe=..\\Docs\\Leeme.TXT\nTexto=NOTAS.txt\n[B]\nExe=.\\docs\\leeme.txt\n");
    disc.Write(QStringLiteral("docs/leeme.txt"), "x");
    disc.Write(QStringLiteral("MENU/notas.txt"), "x");
    const QJsonObject r = Report(disc.Root());
    const QJsonArray items = Items(r);
    QCOMPARE(items[0][u"icon"].toString(), QStringLiteral("file"));
    // The topic, the target and the description of [A]; nothing of [B].
    QCOMPARE(Codes(r), QStringList{"other-case"});
    QCOMPARE(Problems(r).filter(QStringLiteral("[Temas] Video ::")).size() + Problems(r).filter(QStringLiteral("[A] ::")).size(), 3);
}

void TestCheck::jsonIsStable() {
    TDiscFolder disc;
    disc.Basics("[Temas]\nVideo=VIDEO.INI\n");
    disc.Write(QStringLiteral("VIDEO.INI"), "[A \"tab\there\"]\nExe=a.txt\n");
    const TCheckRun run = RunCheck({QStringLiteral("--json"), disc.Root()});
    // Keys in the documented order, and the same bytes on a second run.
    qsizetype at = 0;
    for (const char *key : {"baseDir", "gresDir", "runningFromCD", "configFile", "sortItems", "viewer", "topics", "map",
                            "problems"}) {
        const qsizetype next = run.Out.indexOf("\n  \"" + QByteArray(key) + "\":");
        QVERIFY2(next > at, key);
        at = next;
    }
    QCOMPARE(RunCheck({QStringLiteral("--json"), disc.Root()}).Out, run.Out);
    const QJsonObject r = QJsonDocument::fromJson(run.Out).object();
    QCOMPARE(Items(r)[0][u"caption"].toString(), QStringLiteral("A \"tab\there\""));

    // Escapes: quotes, controls and characters beyond the basic plane come back as written.
    const QString text = QStringLiteral("a\"b\\c\n\x01 ñ ") + QString::fromUcs4(U"\U0001F600");
    TJson j = TJson::Object();
    j.Add(QStringLiteral("t"), text);
    QCOMPARE(QJsonDocument::fromJson(j.Write()).object()[u"t"].toString(), text);
}

void TestCheck::mapCommand() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("map.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#$FORMAT:ncsa\r\nrect Uno 10,10 20,20\r\n\r\ncircle DOS 100,100 100,120\r\nrect Uno 0,0 50,50\r\npoly X 1,1\r\n");
    f.close();
    const TCheckRun run = RunCheck({QStringLiteral("map"), file, QStringLiteral("15,15"), QStringLiteral("100,85"),
                                    QStringLiteral("49,49"), QStringLiteral("20,20"), QStringLiteral("-5,0x10")});
    QCOMPARE(run.ExitCode, kExitStarts);
    const QJsonObject r = QJsonDocument::fromJson(run.Out).object();
    const QJsonArray regions = r[u"regions"].toArray();
    QCOMPARE(regions.size(), 3);
    QCOMPARE(regions[0][u"id"].toString(), QStringLiteral("UNO"));
    QCOMPARE(regions[0][u"box"].toArray(), (QJsonArray{10, 10, 20, 20}));
    QCOMPARE(regions[1][u"box"].toArray(), (QJsonArray{80, 80, 120, 120}));
    QCOMPARE(regions[2][u"box"].toArray(), (QJsonArray{0, 0, 50, 50}));
    const QJsonArray at = r[u"at"].toArray();
    QCOMPARE(at.size(), 5);
    QCOMPARE(at[0][u"id"].toString(), QStringLiteral("UNO")); // the earlier line wins
    QCOMPARE(at[1][u"id"].toString(), QStringLiteral("DOS"));
    QCOMPARE(at[2][u"id"].toString(), QStringLiteral("UNO")); // the second UNO
    QCOMPARE(at[3][u"id"].toString(), QStringLiteral("UNO"));
    QVERIFY(at[4][u"id"].isNull());
    QCOMPARE(at[4][u"x"].toInt(), -5);
    QCOMPARE(at[4][u"y"].toInt(), 16);

    QCOMPARE(RunCheck({QStringLiteral("map"), file, QStringLiteral("12")}).ExitCode, kExitUsage);
    QCOMPARE(RunCheck({QStringLiteral("map")}).ExitCode, kExitUsage);
    QCOMPARE(RunCheck({QStringLiteral("map"), dir.filePath(QStringLiteral("none.txt"))}).ExitCode, kExitFails);
}

void TestCheck::pictureCommand() {
    QTemporaryDir dir;
    const QString jpg = dir.filePath(QStringLiteral("a.jpg")), big = dir.filePath(QStringLiteral("big.jpg")),
                  gif = dir.filePath(QStringLiteral("anim.gif"));
    QImage red(64, 48, QImage::Format_RGB32), blue(2000, 1100, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    QVERIFY(testpictures::WritePicture(jpg, red, "JPEG"));
    QVERIFY(testpictures::WritePicture(big, blue, "JPEG"));
    testpictures::TGifWriter anim(6, 4, {0xFF0000, 0x00FF00});
    for (int frame = 0; frame < 2; ++frame) {
        anim.Control(0, frame == 0 ? 20 : 3);
        anim.Image(0, 0, 6, 4, std::vector<unsigned char>(24, (unsigned char)frame), {}, false, 2);
    }
    QVERIFY(testfiles::WriteFile(gif, anim.Finish()));

    struct Case { QString File; const char *Format; int W, H, FileW, FileH; bool Half; int Frames; QJsonArray Delays; };
    const Case cases[] = {
        {jpg, "jpeg", 64, 48, 64, 48, false, 1, {}},
        {big, "jpeg", 1000, 550, 2000, 1100, true, 1, {}},
        {gif, "gif", 6, 4, 6, 4, false, 2, {200, 30}}, // before the animation's own clamping
    };
    for (const Case &c : cases) {
        const TCheckRun run = RunCheck({QStringLiteral("picture"), c.File});
        QCOMPARE(run.ExitCode, kExitStarts);
        const QJsonObject r = QJsonDocument::fromJson(run.Out).object();
        QCOMPARE(r[u"format"].toString(), QString::fromUtf8(c.Format));
        QCOMPARE(r[u"width"].toInt(), c.W);
        QCOMPARE(r[u"height"].toInt(), c.H);
        QCOMPARE(r[u"fileWidth"].toInt(), c.FileW);
        QCOMPARE(r[u"fileHeight"].toInt(), c.FileH);
        QCOMPARE(r[u"halfScale"].toBool(), c.Half);
        QCOMPARE(r[u"frames"].toInt(), c.Frames);
        QCOMPARE(r[u"delays"].toArray(), c.Delays);
        QVERIFY(r[u"bitsPerPixel"].toInt() > 0);
    }

    const QString frames = dir.filePath(QStringLiteral("frames")), fit = dir.filePath(QStringLiteral("fit.png"));
    QCOMPARE(RunCheck({QStringLiteral("picture"), gif, QStringLiteral("--frames"), frames, QStringLiteral("--fit"),
                       QStringLiteral("12x8"), fit})
                 .ExitCode,
             kExitStarts);
    const QImage f0(frames + QStringLiteral("/frame-000.png")), f1(frames + QStringLiteral("/frame-001.png"));
    QCOMPARE(f0.size(), QSize(6, 4));
    // The frames as the viewer's animation shows them: this two-colour (1-bit) GIF in grey,
    // red as 76 and green as 149.
    QCOMPARE(QColor(f0.pixel(3, 2)), QColor(76, 76, 76));
    QCOMPARE(QColor(f1.pixel(3, 2)), QColor(149, 149, 149));
    QVERIFY(!QFileInfo::exists(frames + QStringLiteral("/frame-002.png")));
    const QImage fitted(fit);
    QCOMPARE(fitted.size(), QSize(12, 8));
    // Fitted as the viewer's box shows it: a two-colour (1-bit) GIF in grey, red as 76.
    QCOMPARE(QColor(fitted.pixel(6, 4)), QColor(76, 76, 76));

    // A picture that does not load, and bad options.
    const QString bad = dir.filePath(QStringLiteral("bad.gif"));
    QFile b(bad);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("GIF89a broken");
    b.close();
    const TCheckRun failed = RunCheck({QStringLiteral("picture"), bad});
    QCOMPARE(failed.ExitCode, kExitFails);
    QVERIFY(QJsonDocument::fromJson(failed.Out).object()[u"error"].toString().startsWith(u"Error leyendo el archivo"));
    QCOMPARE(RunCheck({QStringLiteral("picture"), dir.filePath(QStringLiteral("none.jpg"))}).ExitCode, kExitFails);
    QCOMPARE(RunCheck({QStringLiteral("picture"), jpg, QStringLiteral("--fit"), QStringLiteral("0x5"), fit}).ExitCode,
             kExitUsage);
    QCOMPARE(RunCheck({QStringLiteral("picture"), jpg, QStringLiteral("--fit"), QStringLiteral("5x5")}).ExitCode,
             kExitUsage);
    QCOMPARE(RunCheck({QStringLiteral("picture")}).ExitCode, kExitUsage);
}

void TestCheck::usageAndExitCodesOfTheExecutable() {
    TDiscFolder good, empty;
    good.Basics("[Temas]\nVideo=VIDEO.INI\n");
    good.Write(QStringLiteral("VIDEO.INI"), "[A]\n");
    struct Case { QStringList Args; QString Folder; int Exit; };
    const Case cases[] = {
        {{QStringLiteral("--json"), good.Root()}, {}, kExitStarts},
        {{}, good.Root(), kExitStarts}, // the current folder by default
        {{empty.Root()}, {}, kExitFails},
        {{QStringLiteral("--bogus")}, {}, kExitUsage},
        {{good.Root(), empty.Root()}, {}, kExitFails}, // one of the two would not start
        {{good.Root() + QStringLiteral("no-such-folder")}, {}, kExitUsage},
    };
    for (const Case &c : cases) {
        QProcess p;
        // No platform given: the tool must choose one that needs no display.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(env);
        if (!c.Folder.isEmpty())
            p.setWorkingDirectory(c.Folder);
        p.start(QStringLiteral(TELVARO_CHECK_EXE), c.Args);
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        const QByteArray stderrText = p.readAllStandardError();
        QVERIFY2(p.exitCode() == c.Exit, qPrintable(c.Args.join(u' ') + u'\n' + stderrText));
        if (c.Exit == kExitUsage)
            QVERIFY(stderrText.contains("Uso: telvaro-check"));
        else if (c.Args.contains(QStringLiteral("--json")))
            QVERIFY(QJsonDocument::fromJson(p.readAllStandardOutput()).isObject());
        else if (c.Exit == kExitStarts)
            QVERIFY(p.readAllStandardOutput().contains("El menú arrancará con el tema Video."));
    }
}

void TestCheck::twoDiscsInOneRun() {
    // Each disc reports as it does alone, whichever was read before it.
    TDiscFolder a, b;
    a.Basics("[General]\nOrdenar=1\n[Visor]\nEsc=0\n[Temas]\nVideo=VIDEO.INI\n");
    a.Write(QStringLiteral("VIDEO.INI"), "[B]\nExe=b.txt\n[A]\nExe=a.txt\n");
    b.Basics("[Visor]\nAuto=Pase\n[Temas]\nFotos=FOTOS.INI\nMas=MAS.INI\n");
    b.Write(QStringLiteral("FOTOS.INI"), "[Uno]\n");
    b.Write(QStringLiteral("MAS.INI"), "[Dos]\n");
    const TCheckRun run = RunCheck({QStringLiteral("--json"), a.Root(), b.Root()});
    QCOMPARE(run.ExitCode, kExitStarts);
    const QJsonArray reports = QJsonDocument::fromJson(run.Out).array();
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports[0].toObject(), Report(a.Root()));
    QCOMPARE(reports[1].toObject(), Report(b.Root()));
    QVERIFY(reports[0][u"sortItems"].toBool() && !reports[1][u"sortItems"].toBool());
    const QString both = QString::fromUtf8(RunCheck({a.Root(), b.Root()}).Out);
    QVERIFY(both.contains(u"tema Video.") && both.contains(u"tema Fotos."));
}

QTEST_MAIN(TestCheck)
#include "test_check.moc"
