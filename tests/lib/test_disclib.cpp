#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "lib/CopyWithProgress.h"
#include "lib/Cue.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {
// A file of Size bytes of Fill: the listings look at sizes, the copies at contents.
void Write(const QString &path, qint64 size, char fill = 'x') { testfiles::WriteFile(path, QByteArray(size, fill)); }
using testfiles::ReadFile;
} // namespace

class TestDiscLib : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString P(const QString &rel) const { return FDir.path() + u'/' + rel; }
private Q_SLOTS:
    void cleanup() {
        platform::SetMountInfoForTesting(nullptr);
        platform::SetTickSourceForTesting({});
        SetCopyPromptsForTesting({});
    }
    void initPaths_data();
    void initPaths();
    void runningFromCD();
    void addBackslash_data();
    void addBackslash();
    void resolvePath_data();
    void resolvePath();
    void collectFiles_data();
    void collectFiles();
    void collectFilesOrderAndLoops();
    void findFileInTree();
    void namesAsTheDirectoryHoldsThem_data();
    void namesAsTheDirectoryHoldsThem();
    void wildcards_data();
    void wildcards();
    void delayWaitsAndHandlesEvents();
    void delayEndsWhenTheTickWraps();
    void cuePathsAreBounded();
    void copyAsksBeforeReplacing();
    void copyRefusesItself();
    void copyFailureIsReported();
};

void TestDiscLib::initPaths_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("base");
    QTest::newRow("no argument: the program's folder") << "" << "/opt/disc/";
    QTest::newRow("folder") << "/media/cdrom" << "/media/cdrom/";
    QTest::newRow("folder with separator") << "/media/cdrom/" << "/media/cdrom/";
    QTest::newRow("backslashes") << "\\media\\cdrom" << "/media/cdrom/";
    QTest::newRow("relative") << "disc" << QDir::currentPath() + "/disc/";
}

void TestDiscLib::initPaths() {
    QFETCH(QString, argument);
    QFETCH(QString, base);
    const TDiscPaths paths = ReadDiscPaths(argument, "/opt/disc/telvaro");
    QCOMPARE(paths.BaseDir, base);
    QCOMPARE(paths.GresDir, base + "GRES/");
}

void TestDiscLib::runningFromCD() {
    const QByteArray mounts = "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "40 21 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n";
    platform::SetMountInfoForTesting(&mounts);
    // Decided by the program file, with or without an argument.
    const TDiscPaths copy = ReadDiscPaths("/home/me/copy", "/media/cdrom/setup/menu");
    QVERIFY(copy.RunningFromCD);
    QCOMPARE(copy.BaseDir, QString("/home/me/copy/"));
    QVERIFY(!ReadDiscPaths("", "/home/me/copy/menu").RunningFromCD);
    const TDiscPaths disc = ReadDiscPaths("", "/media/cdrom/setup/menu");
    QVERIFY(disc.RunningFromCD);
    QCOMPARE(disc.BaseDir, QString("/media/cdrom/setup/"));
    QCOMPARE(FindCDROMRoot(), QString("/media/cdrom/"));
}

void TestDiscLib::addBackslash_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("slash") << "/a/" << "/a/";
    QTest::newRow("backslash") << "a\\" << "a\\";
    QTest::newRow("folder") << "/a/b" << "/a/b/";
    QTest::newRow("one letter is a folder here") << "C" << "C/";
}

void TestDiscLib::addBackslash() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(AddBackslash(in), out);
    QCOMPARE(AddBackslashChar(in), out);
}

void TestDiscLib::resolvePath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("volume root") << "\\docs\\a.pdf" << "/media/cdrom/docs/a.pdf";
    QTest::newRow("base dir") << ".\\docs\\a.pdf" << "/media/cdrom/disc/docs/a.pdf";
    QTest::newRow("relative") << "docs\\a.pdf" << "/media/cdrom/disc/x/docs/a.pdf";
    QTest::newRow("parent") << "..\\a.pdf" << "/media/cdrom/disc/x/../a.pdf";
    QTest::newRow("drive letter appended") << "C:\\a.pdf" << "/media/cdrom/disc/x/C:/a.pdf";
}

void TestDiscLib::resolvePath() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QByteArray mounts = "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "40 21 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n";
    platform::SetMountInfoForTesting(&mounts);
    QCOMPARE(ResolvePath(path, "/media/cdrom/disc/x/", "/media/cdrom/disc/"), expected);
    // On the system's root volume a leading separator is the file system's root.
    if (path.startsWith(u'\\'))
        QCOMPARE(ResolvePath(path, "/home/x/", "/media/cdrom/disc/"), QString("/docs/a.pdf"));
}

void TestDiscLib::collectFiles_data() {
    QTest::addColumn<QString>("extensions");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("masks") << "*.jpg;*.gif" << 2048 << QStringList({"a.JPG", "c.gif", "sub/d.jpg"});
    QTest::newRow("run of characters") << "mid;mp2" << 1 << QStringList({"song.mi", "song.MID"});
    QTest::newRow("minimum 0 skips empty") << "txt" << 0 << QStringList({"full.txt"});
    QTest::newRow("hidden files count") << "wav" << 1 << QStringList({".x.wav"});
}

void TestDiscLib::collectFiles() {
    QFETCH(QString, extensions);
    QFETCH(int, minimum);
    QFETCH(QStringList, expected);
    const QString d = P("collect");
    if (!QFileInfo::exists(d)) {
        Write(d + "/a.JPG", 4096);
        Write(d + "/b.jpg", 100); // too small
        Write(d + "/c.gif", 2048);
        Write(d + "/sub/d.jpg", 3000);
        Write(d + "/.skip/e.jpg", 3000); // folders starting with "." are not entered
        Write(d + "/song.MID", 10);
        Write(d + "/song.mi", 10);
        Write(d + "/noext", 10);
        Write(d + "/empty.txt", 0);
        Write(d + "/full.txt", 1);
        Write(d + "/.x.wav", 5);
    }
    QStringList got;
    CollectFiles(d, extensions, minimum, got);
    QStringList want;
    for (const QString &e : expected)
        want << d + "/" + e;
    QCOMPARE(got, want);
}

void TestDiscLib::collectFilesOrderAndLoops() {
    const QString d = P("order");
    Write(d + "/z.mp3", 10);
    Write(d + "/A/b.mp3", 10);
    Write(d + "/A/a.mp3", 10);
    Write(d + "/b/c.mp3", 10);
    QVERIFY(QFile::link(d, d + "/A/loop"));
    QStringList got;
    CollectFiles(d + "\\", "*.mp3", 1, got);
    QCOMPARE(got, QStringList({d + "/z.mp3", d + "/A/a.mp3", d + "/A/b.mp3", d + "/b/c.mp3"}));
}

void TestDiscLib::findFileInTree() {
    const QString d = P("find");
    Write(d + "/x/deep/GES.INI", 1);
    Write(d + "/Y/ges.ini", 1);
    Write(d + "/a/.hidden/GES.INI", 1);
    Write(d + "/a/.GES.INI", 1);
    QVERIFY(QFile::link(d, d + "/a/loop"));
    // Sub-folders in listing order; the first subtree that yields a result wins.
    QCOMPARE(FindFileInTree(d, "GES.INI"), d + "/x/deep/GES.INI");
    Write(d + "/Ges.Ini", 1);
    QCOMPARE(FindFileInTree(d, "GES.INI"), d + "/Ges.Ini");
    QCOMPARE(FindFileInTree(d + "/Y", "*.INI"), d + "/Y/ges.ini");
    QCOMPARE(FindFileInTree(d, "NONE.INI"), QString());
    QCOMPARE(FindFileInTree(P("missing"), "GES.INI"), QString());
}

// Names that are not ASCII, or not even UTF-8, are judged as their decoded text would be and
// listed in the same order; a link to a file counts by its own name and its target's size.
void TestDiscLib::namesAsTheDirectoryHoldsThem_data() {
    QTest::addColumn<QString>("search"); // "collect:EXTENSIONS" or "find:PATTERN"
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArrayList jpegs = {"a.jpg", "b.JPG", "link.jpg", "\xc3\x89mile.jpg", "\xff\xfe.jpg"};
    QTest::newRow("ASCII extension, names not UTF-8") << "collect:*.jpg" << jpegs;
    QTest::newRow("extension not UTF-8") << "collect:*.jpg;*.\xef\xbf\xbd" 
                                          << QByteArrayList{"a.jpg", "b.JPG", "foto.\xff", "link.jpg", "\xc3\x89mile.jpg", "\xff\xfe.jpg"};
    QTest::newRow("extension upper-cased as text") << "collect:*.MPS;*.JP\xc3\x89"
                                                  << QByteArrayList{"canci\xc3\xb3n.jp\xc3\xa9", "x.mp\xc5\xbf"};
    QTest::newRow("trailing dot is no extension") << "collect:*." << QByteArrayList{};
    QTest::newRow("kelvin sign folds to k") << "find:K.INI" << QByteArrayList{"\xe2\x84\xaa.ini"};
    QTest::newRow("last listed wins") << "find:?.JPG" << QByteArrayList{"b.JPG"};
    QTest::newRow("nothing") << "find:*.gif" << QByteArrayList{};
}

void TestDiscLib::namesAsTheDirectoryHoldsThem() {
    QFETCH(QString, search);
    QFETCH(QByteArrayList, expected);
    const QString d = P("bytes");
    const QByteArray native = QFile::encodeName(d);
    if (!QFileInfo::exists(d)) {
        QDir().mkpath(d);
        const QByteArrayList names = {"a.jpg", "b.JPG", "\xff\xfe.jpg", "foto.\xff", "\xc3\x89mile.jpg", "empty.jpg",
                                      "canci\xc3\xb3n.jp\xc3\xa9", "x.mp\xc5\xbf", "dot.", "\xe2\x84\xaa.ini", "target.dat"};
        for (const QByteArray &name : names) {
            const int fd = ::open(native + "/" + name, O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            if (name != "empty.jpg")
                QCOMPARE(::write(fd, "x", 1), 1);
            ::close(fd);
        }
        QCOMPARE(::symlink("target.dat", native + "/link.jpg"), 0);
        QCOMPARE(::symlink("target.dat", native + "/link.txt"), 0);
    }
    const QString how = search.section(u':', 0, 0), what = search.section(u':', 1);
    QStringList got;
    if (how == u"collect")
        CollectFiles(d, what, 1, got);
    else if (const QString found = FindFileInTree(d, what); !found.isEmpty())
        got << found;
    QStringList want;
    for (const QByteArray &name : expected)
        want << d + "/" + platform::DecodeFileName(name);
    QCOMPARE(got, want);
}

void TestDiscLib::wildcards_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");
    QTest::newRow("exact other case") << "Ges.Ini" << "GES.INI" << true;
    QTest::newRow("star dot star, no dot") << "README" << "*.*" << true;
    QTest::newRow("question") << "a1.jpg" << "a?.JPG" << true;
    QTest::newRow("question needs a char") << "a.jpg" << "a?.jpg" << false;
    QTest::newRow("star middle") << "foto-2020.gif" << "foto*.gif" << true;
    QTest::newRow("no match") << "foto.gif" << "*.jpg" << false;
    QTest::newRow("many stars") << QString(200, u'a') + "b" << "*a*a*a*a*a*a*a*c" << false;
}

void TestDiscLib::wildcards() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(MatchesWildcard(name, pattern), match);
}

void TestDiscLib::delayWaitsAndHandlesEvents() {
    bool fired = false;
    QTimer::singleShot(20, this, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    Delay(100);
    QVERIFY(t.elapsed() >= 95);
    QVERIFY(fired);
    t.restart();
    Delay(0); // dispatches once and returns
    QVERIFY(t.elapsed() < 1000);
}

void TestDiscLib::delayEndsWhenTheTickWraps() {
    quint32 tick = 0xFFFFFFF0u;
    platform::SetTickSourceForTesting([&] {
        const quint32 now = tick;
        tick += 8; // wraps on the third reading
        return now;
    });
    QElapsedTimer t;
    t.start();
    Delay(1000000);
    QVERIFY(t.elapsed() < 5000);
}

void TestDiscLib::cuePathsAreBounded() {
    const QString gres = ReadDiscPaths(P("disc"), "/usr/bin/telvaro").GresDir;
    QElapsedTimer t;
    t.start();
    PlayCue(gres, QString(400, u'a') + ".wav", true); // refused: nothing plays, nothing overruns
    PlayCue(gres, "missing.wav", true);
    PlayCue(gres, "", false);
    QVERIFY(t.elapsed() < 3000);
    // What the checker is told of those two: the refusal and the missing file.
    TLoadNotes notes;
    QVERIFY(CueFile(gres, QString(400, u'a') + ".wav", &notes).isEmpty());
    QVERIFY(!CueFile(gres, "missing.wav", &notes).isEmpty());
    QCOMPARE(notes.size(), size_t(2));
    QVERIFY(notes[0].Code == TNoteCode::CuePathTooLong && notes[1].Code == TNoteCode::CueMissing);
}

void TestDiscLib::copyAsksBeforeReplacing() {
    Write(P("copy/src.jpg"), 5000, 'n');
    Write(P("copy/out/dst.jpg"), 10, 'o');
    QStringList asked;
    bool answer = false;
    SetCopyPromptsForTesting({[&](QWidget *, const QString &q) {
                                  asked << q;
                                  return answer;
                              },
                              [&](QWidget *, const QString &m) { QFAIL(qPrintable(m)); }});
    ShellCopyFile(nullptr, P("copy/src.jpg"), P("copy/out/DST.JPG"));
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].contains("DST.JPG"));
    QCOMPARE(ReadFile(P("copy/out/dst.jpg")), QByteArray(10, 'o'));
    answer = true;
    ShellCopyFile(nullptr, P("copy/src.jpg"), P("copy/out/dst.jpg"));
    QCOMPARE(ReadFile(P("copy/out/dst.jpg")), QByteArray(5000, 'n'));
    ShellCopyFile(nullptr, P("copy/src.jpg"), P("copy/out/new.jpg"));
    QCOMPARE(asked.size(), 2); // a new file needs no question
    QCOMPARE(ReadFile(P("copy/out/new.jpg")), QByteArray(5000, 'n'));
}

void TestDiscLib::copyRefusesItself() {
    Write(P("self/a.jpg"), 5000, 's');
    QStringList errors;
    SetCopyPromptsForTesting({[](QWidget *, const QString &) { return true; },
                              [&](QWidget *, const QString &m) { errors << m; }});
    ShellCopyFile(nullptr, P("self/a.jpg"), P("self/A.JPG"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(ReadFile(P("self/a.jpg")), QByteArray(5000, 's'));
}

void TestDiscLib::copyFailureIsReported() {
    Write(P("fail/a.jpg"), 5000, 's');
    Write(P("fail/out/a.jpg"), 3, 'o');
    QStringList errors;
    SetCopyPromptsForTesting({[](QWidget *, const QString &) { return true; },
                              [&](QWidget *, const QString &m) { errors << m; }});
    platform::SetFailureInjector([](platform::TFileOp op, const QString &) { return op == platform::TFileOp::Write; });
    ShellCopyFile(nullptr, P("fail/a.jpg"), P("fail/out/a.jpg"));
    platform::SetFailureInjector({});
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith("No se puede copiar"));
    QCOMPARE(ReadFile(P("fail/out/a.jpg")), QByteArray(3, 'o'));
    QCOMPARE(QDir(P("fail/out")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(TestDiscLib)
#include "test_disclib.moc"
