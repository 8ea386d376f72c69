#include "platform/Drives.h"
#include "platform/Files.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

using testfiles::ReadFile;
using testfiles::WriteFile;

class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString P(const QString &rel) const { return FDir.path() + u'/' + rel; }
private Q_SLOTS:
    void cleanup() { SetFailureInjector({}); }
    void resolveCase_data();
    void resolveCase();
    void listingOrderAndKinds();
    void symlinkedFoldersAreMarked();
    void renameNeverReplaces();
    void copyIsAtomicAndByteIdentical();
    void copyFailuresLeaveTargetAlone_data();
    void copyFailuresLeaveTargetAlone();
    void injectedReadFailure();
    void mountInfo();
    void opticalDetection();
    void fullAndReadOnlyFileSystems();
};

void TestFiles::resolveCase_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("found");
    QTest::newRow("exact") << "menu/video.ini" << "menu/video.ini";
    QTest::newRow("backslashes, other case") << "MENU\\VIDEO.INI" << "menu/video.ini";
    QTest::newRow("mixed") << "Menu/Video.Ini" << "menu/video.ini";
    QTest::newRow("accents fold") << "FOTOS/ÁRBOL.JPG" << "Fotos/árbol.jpg";
    QTest::newRow("dot components") << "menu/../MENU/./VIDEO.INI" << "menu/video.ini";
    QTest::newRow("missing") << "menu/none.ini" << "";
    QTest::newRow("missing folder") << "nomenu/video.ini" << "";
}

void TestFiles::resolveCase() {
    QFETCH(QString, written);
    QFETCH(QString, found);
    WriteFile(P("menu/video.ini"), "x");
    WriteFile(P("Fotos/árbol.jpg"), "x");
    const QString got = ResolveCase(P(written));
    QCOMPARE(got, found.isEmpty() ? QString() : P(found));
    QCOMPARE(PathExists(P(written)), !found.isEmpty());
}

void TestFiles::listingOrderAndKinds() {
    const QString d = P("list");
    WriteFile(d + "/b.jpg", "1");
    WriteFile(d + "/A.jpg", "22");
    WriteFile(d + "/.hidden", "333");
    QDir().mkpath(d + "/c");
    QVERIFY(::mkfifo(QFile::encodeName(d + "/fifo.jpg").constData(), 0644) == 0);
    QVERIFY(::symlink("nowhere", QFile::encodeName(d + "/dangling.jpg").constData()) == 0);
    const auto entries = ListDir(d);
    QStringList names;
    for (const auto &e : entries)
        names << e.Name;
    QCOMPARE(names, QStringList({".hidden", "A.jpg", "b.jpg", "c"}));
    QVERIFY(entries[0].IsHidden);
    QCOMPARE(entries[1].Size, 2);
    QVERIFY(entries[3].IsDir);
    QVERIFY(ListDir(P("no-such-folder")).empty());
}

void TestFiles::symlinkedFoldersAreMarked() {
    const QString d = P("loop");
    QDir().mkpath(d);
    QVERIFY(::symlink(".", QFile::encodeName(d + "/self").constData()) == 0);
    const auto entries = ListDir(d);
    QCOMPARE(entries.size(), size_t(1));
    QVERIFY(entries[0].IsDir && entries[0].IsLink);
}

void TestFiles::renameNeverReplaces() {
    WriteFile(P("r/pic.jpg"), "picture");
    WriteFile(P("r/other.BAD"), "keep me");
    QVERIFY(!RenameNoReplace(P("r/pic.jpg"), P("r/other.bad"))); // exists in another case
    QVERIFY(!RenameNoReplace(P("r/pic.jpg"), P("r/other.BAD")));
    QCOMPARE(ReadFile(P("r/other.BAD")), QByteArray("keep me"));
    QVERIFY(RenameNoReplace(P("r/PIC.JPG"), P("r/pic.BAD")));
    QCOMPARE(ReadFile(P("r/pic.BAD")), QByteArray("picture"));
    QVERIFY(!PathExists(P("r/pic.jpg")));
    QVERIFY(!RenameNoReplace(P("r/gone.jpg"), P("r/gone.BAD")));
}

void TestFiles::copyIsAtomicAndByteIdentical() {
    QByteArray data(3 * 1024 * 1024 + 17, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 31 + (i >> 9));
    WriteFile(P("c/src.jpg"), data);
    QDir().mkpath(P("out"));
    const mode_t old = ::umask(022);
    int calls = 0;
    QCOMPARE(CopyFileAtomically(P("c/SRC.JPG"), P("out/copy.jpg"), [&](qint64 done, qint64 total) {
                 ++calls;
                 return done <= total;
             }),
             TCopyResult::Ok);
    ::umask(old);
    QCOMPARE(ReadFile(P("out/copy.jpg")), data);
    QVERIFY(calls >= 3);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(P("out/copy.jpg")).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0644)); // not a temporary file's 0600
    QCOMPARE(QDir(P("out")).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
    QCOMPARE(CopyFileAtomically(P("c/src.jpg"), P("c/./SRC.jpg")), TCopyResult::SameFile);
    QCOMPARE(ReadFile(P("c/src.jpg")), data);
}

void TestFiles::copyFailuresLeaveTargetAlone_data() {
    QTest::addColumn<int>("failing");
    QTest::addColumn<int>("expected");
    QTest::newRow("cannot create") << int(TFileOp::Write) << int(TCopyResult::TargetUnwritable);
    QTest::newRow("cannot rename into place") << int(TFileOp::Rename) << int(TCopyResult::TargetUnwritable);
    QTest::newRow("cannot read") << int(TFileOp::Read) << int(TCopyResult::SourceUnreadable);
    QTest::newRow("cancelled") << -1 << int(TCopyResult::Cancelled);
}

void TestFiles::copyFailuresLeaveTargetAlone() {
    QFETCH(int, failing);
    QFETCH(int, expected);
    WriteFile(P("f/src.jpg"), QByteArray(100000, 's'));
    WriteFile(P("f/out/target.jpg"), "old");
    SetFailureInjector([failing](TFileOp op, const QString &) { return int(op) == failing; });
    const auto r = CopyFileAtomically(P("f/src.jpg"), P("f/out/target.jpg"),
                                      [failing](qint64, qint64) { return failing != -1; });
    QCOMPARE(int(r), expected);
    QCOMPARE(ReadFile(P("f/out/target.jpg")), QByteArray("old"));
    QCOMPARE(QDir(P("f/out")).entryList(QDir::Files | QDir::Hidden), QStringList({"target.jpg"}));
}

void TestFiles::injectedReadFailure() {
    WriteFile(P("i/a.ini"), "[S]\nk=1\n");
    QByteArray bytes;
    QVERIFY(ReadFileBytes(P("i/A.INI"), bytes, 1000));
    QCOMPARE(bytes, QByteArray("[S]\nk=1\n"));
    QVERIFY(ReadFileBytes(P("i/a.ini"), bytes, 3));
    QCOMPARE(bytes, QByteArray("[S]"));
    SetFailureInjector([](TFileOp op, const QString &) { return op == TFileOp::Read; });
    QVERIFY(!ReadFileBytes(P("i/a.ini"), bytes, 1000));
    QVERIFY(!ReadFileBytes(P("i"), bytes, 1000));
}

static const QByteArray kMountInfo =
    "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 21 0:25 / /proc rw shared:2 - proc proc rw\n"
    "40 21 11:0 / /media/cdrom0 ro,relatime shared:3 - iso9660 /dev/sr0 ro\n"
    "41 21 8:17 / /media/My\\040Disc ro shared:4 - udf /dev/sdb1 ro\n"
    "42 21 8:33 / /mnt/usb rw shared:5 - vfat /dev/sdc1 rw\n";

void TestFiles::mountInfo() {
    const auto mounts = ParseMountInfo(kMountInfo);
    QCOMPARE(mounts.size(), size_t(5));
    QCOMPARE(mounts[0].Root, QString("/"));
    QCOMPARE(mounts[2].Root, QString("/media/cdrom0/"));
    QCOMPARE(mounts[2].FsType, QString("iso9660"));
    QCOMPARE(mounts[2].Major, 11u);
    QCOMPARE(mounts[3].Root, QString("/media/My Disc/"));
    QCOMPARE(MountOf(mounts, "/media/cdrom0/GRES/GES.INI")->Root, QString("/media/cdrom0/"));
    QCOMPARE(MountOf(mounts, "/media/cdrom01/x")->Root, QString("/"));
    QVERIFY(ParseMountInfo("garbage\n\0\n").size() <= 1);
}

void TestFiles::opticalDetection() {
    SetMountInfoForTesting(&kMountInfo);
    QCOMPARE(FirstOpticalRoot(), QString("/media/cdrom0/"));
    QVERIFY(IsOnOpticalMount("/media/My Disc/menu.exe"));
    QVERIFY(!IsOnOpticalMount("/mnt/usb/menu.exe"));
    QVERIFY(IsOnReadOnlyMount("/media/cdrom0/menu.exe"));
    QVERIFY(!IsOnReadOnlyMount("/mnt/usb/menu.exe"));
    QCOMPARE(VolumeRoot("/mnt/usb/a/b"), QString("/mnt/usb/"));

    // A disc drive seen only through sysfs (SCSI type 5), with a file system of another name.
    const QByteArray sysfsOnly = "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                 "50 21 8:48 / /media/dvd ro - hfsplus /dev/sdd ro\n";
    SetMountInfoForTesting(&sysfsOnly);
    QCOMPARE(FirstOpticalRoot(), QString());
    QTemporaryDir sys;
    WriteFile(sys.path() + "/dev/block/8:48/device/type", "5\n");
    SetSysfsRootForTesting(sys.path());
    QCOMPARE(FirstOpticalRoot(), QString("/media/dvd/"));
    SetSysfsRootForTesting("/sys");

    const QByteArray none = "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n";
    SetMountInfoForTesting(&none);
    QCOMPARE(FirstOpticalRoot(), QString());
    SetMountInfoForTesting(nullptr);
}

// A real file system that fills up halfway through a copy, then turns read-only: nothing is
// left half-written and nothing changes. Root alone may mount, and root ignores permission
// bits, so only a mount shows what a full or protected medium does.
void TestFiles::fullAndReadOnlyFileSystems() {
    const QString m = P("small");
    QDir().mkpath(m);
    auto mount = [](const QStringList &args) { return QProcess::execute(QStringLiteral("mount"), args) == 0; };
    if (geteuid() != 0 || !mount({"-t", "tmpfs", "-o", "size=64k", "tmpfs", m}))
        QSKIP("mounting a small tmpfs needs root");
    struct TUnmount {
        QString Path;
        ~TUnmount() { QProcess::execute(QStringLiteral("umount"), {Path}); }
    } unmount{m};

    QByteArray big(200 * 1024, 'x');
    for (int i = 0; i < big.size(); i += 7)
        big[i] = char(i);
    WriteFile(P("big.jpg"), big);
    WriteFile(m + "/old.jpg", "the copy kept from before");
    QCOMPARE(CopyFileAtomically(P("big.jpg"), m + "/new.jpg", {}), TCopyResult::TargetUnwritable);
    QCOMPARE(CopyFileAtomically(P("big.jpg"), m + "/old.jpg", {}), TCopyResult::TargetUnwritable);
    QCOMPARE(QDir(m).entryList(QDir::Files | QDir::Hidden), QStringList{"old.jpg"}); // no partial, no temporary
    QCOMPARE(ReadFile(m + "/old.jpg"), QByteArray("the copy kept from before"));
    QCOMPARE(ReadFile(P("big.jpg")), big);

    QVERIFY(!IsOnReadOnlyMount(m + "/old.jpg"));
    QVERIFY(mount({"-o", "remount,ro", m}));
    QVERIFY(IsOnReadOnlyMount(m + "/old.jpg"));
    QVERIFY(!RenameNoReplace(m + "/old.jpg", m + "/old.BAD"));
    QCOMPARE(QDir(m).entryList(QDir::Files | QDir::Hidden), QStringList{"old.jpg"});
    QCOMPARE(CopyFileAtomically(P("big.jpg"), m + "/new.jpg", {}), TCopyResult::TargetUnwritable);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
