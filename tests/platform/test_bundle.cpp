// Finding the bundle at start: the program beside a bundle's marker points Qt, GStreamer and GIO
// at the bundle, whether the kernel started it or it was started through the dynamic loader (a
// copy that lost its execute bits), from a folder whose name has blanks and accents.
#include "platform/Bundle.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <elf.h>

namespace {

// The dynamic loader this test program was linked for: the path in its own PT_INTERP.
QString Loader() {
    QFile self(QStringLiteral("/proc/self/exe"));
    if (!self.open(QIODevice::ReadOnly))
        return {};
    const QByteArray elf = self.read(1 << 16);
    if (elf.size() < qsizetype(sizeof(Elf64_Ehdr)))
        return {};
    Elf64_Ehdr eh;
    memcpy(&eh, elf.constData(), sizeof eh);
    for (int i = 0; i < eh.e_phnum; ++i) {
        const qsizetype at = qsizetype(eh.e_phoff) + qsizetype(i) * eh.e_phentsize;
        if (at + qsizetype(sizeof(Elf64_Phdr)) > elf.size())
            break;
        Elf64_Phdr ph;
        memcpy(&ph, elf.constData() + at, sizeof ph);
        if (ph.p_type == PT_INTERP)
            return QString::fromLocal8Bit(elf.mid(qsizetype(ph.p_offset), qsizetype(ph.p_filesz)).chopped(1));
    }
    return {};
}

QMap<QString, QString> Run(const QString &program, const QStringList &args, const QProcessEnvironment &env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        qWarning() << "probe failed:" << p.readAllStandardError();
    QMap<QString, QString> out;
    for (const QString &l : QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = l.indexOf(u'=');
        out.insert(l.left(eq), l.mid(eq + 1));
    }
    return out;
}

// A user whose environment points at other plugins and data folders.
QProcessEnvironment UserEnvironment(const QString &home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_CACHE_HOME"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/opt/escritorio/share:/usr/share"));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QLibraryInfo::path(QLibraryInfo::PluginsPath));
    env.insert(QStringLiteral("GST_PLUGIN_PATH_1_0"), QStringLiteral("/opt/gst-plugins"));
    return env;
}

} // namespace

class TestBundle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dataFolderIsAppended_data();
    void dataFolderIsAppended();
    void folderWithoutMarkerIsNoBundle();
    void bundledProgramFindsItsBundle_data();
    void bundledProgramFindsItsBundle();
    void programOutsideABundleChangesNothing();

private:
    QTemporaryDir FDir;
    QString MakeBundle(bool marker, bool executable);
};

void TestBundle::dataFolderIsAppended_data() {
    QTest::addColumn<QByteArray>("dirs");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("unset: the standard folders first") << QByteArray() << QByteArray("/usr/local/share:/usr/share:/b/share");
    QTest::newRow("the user's folders first") << QByteArray("/x:/y") << QByteArray("/x:/y:/b/share");
    QTest::newRow("already listed") << QByteArray("/x:/b/share:/y") << QByteArray("/x:/b/share:/y");
    QTest::newRow("a longer name is another folder") << QByteArray("/b/share2") << QByteArray("/b/share2:/b/share");
}

void TestBundle::dataFolderIsAppended() {
    QFETCH(QByteArray, dirs);
    QFETCH(QByteArray, expected);
    QCOMPARE(platform::AppendDataFolder(dirs, "/b/share"), expected);
}

void TestBundle::folderWithoutMarkerIsNoBundle() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("plugins")));
    const QByteArray before = qgetenv("GST_PLUGIN_SYSTEM_PATH_1_0");
    QVERIFY(!platform::UseBundle(dir.path()));
    QVERIFY(platform::BundleFolder().isEmpty());
    QCOMPARE(qgetenv("GST_PLUGIN_SYSTEM_PATH_1_0"), before);
}

// A copy of the probe in a folder of its own, with a bundle's marker and launch helper when asked.
QString TestBundle::MakeBundle(bool marker, bool executable) {
    static int n = 0;
    const QString folder = FDir.filePath(QStringLiteral("disco %1 ñ/.telvaro").arg(++n));
    testfiles::WriteFile(folder + "/libexec/gio-launch-desktop", {}, executable);
    if (marker)
        testfiles::WriteFile(folder + "/bundle.txt", {});
    const QString program = folder + "/telvaro";
    QFile::copy(QStringLiteral(TELVARO_BUNDLE_PROBE), program);
    const QFile::Permissions rw = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    const QFile::Permissions x = executable ? QFile::ExeOwner | QFile::ExeUser : QFile::Permissions();
    QFile::setPermissions(program, rw | x);
    return program;
}

void TestBundle::bundledProgramFindsItsBundle_data() {
    QTest::addColumn<bool>("throughLoader");
    QTest::newRow("started by the kernel") << false;
    QTest::newRow("started through the dynamic loader") << true;
}

void TestBundle::bundledProgramFindsItsBundle() {
    QFETCH(bool, throughLoader);
    const QString program = MakeBundle(true, !throughLoader);
    const QString bundle = QFileInfo(program).path();
    const QString loader = Loader();
    QVERIFY(!loader.isEmpty());
    const QProcessEnvironment env = UserEnvironment(FDir.filePath("home"));
    // Started as autorun.sh starts it: by its path, from the disc's folder.
    const auto got = throughLoader ? Run(loader, {program}, env) : Run(program, {}, env);

    QCOMPARE(got.value("program"), program);
    QCOMPARE(got.value("bundle"), bundle);
    QCOMPARE(got.value("icons"), QStringLiteral("telvaro"));
    QCOMPARE(got.value("translations"), bundle + "/translations");
    // Qt's plugins: the bundle's first, and never the installed ones the user's variable names.
    const QStringList qtPlugins = got.value("qt-plugins").split(u':');
    QCOMPARE(qtPlugins.value(0), bundle + "/plugins");
    QVERIFY2(!qtPlugins.contains(got.value("qt-installed-plugins")), qPrintable(got.value("qt-plugins")));
    QCOMPARE(got.value("GST_PLUGIN_SYSTEM_PATH_1_0"), bundle + "/gstreamer-1.0");
    QCOMPARE(got.value("GST_PLUGIN_PATH_1_0"), QStringLiteral("(unset)"));
    // No registry: the media module loads the bundle's plugins by name.
    QCOMPARE(got.value("GST_REGISTRY_DISABLE"), QStringLiteral("yes"));
    QCOMPARE(got.value("TELVARO_GST_PLUGINS"), bundle + "/gstreamer-1.0");
    QCOMPARE(got.value("GIO_MODULE_DIR"), bundle + "/gio-modules");
    QCOMPARE(got.value("GIO_LAUNCH_DESKTOP"), throughLoader ? QStringLiteral("(unset)") : bundle + "/libexec/gio-launch-desktop");
    QCOMPARE(got.value("XDG_DATA_DIRS"), "/opt/escritorio/share:/usr/share:" + bundle + "/share");
}

void TestBundle::programOutsideABundleChangesNothing() {
    const QString program = MakeBundle(false, true);
    const QProcessEnvironment env = UserEnvironment(FDir.filePath("home"));
    const auto got = Run(Loader(), {program}, env);
    QCOMPARE(got.value("program"), program);
    QCOMPARE(got.value("bundle"), QString());
    QCOMPARE(got.value("translations"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    QCOMPARE(got.value("GST_PLUGIN_SYSTEM_PATH_1_0"), QStringLiteral("(unset)"));
    QCOMPARE(got.value("GST_PLUGIN_PATH_1_0"), QStringLiteral("/opt/gst-plugins"));
    QCOMPARE(got.value("XDG_DATA_DIRS"), QStringLiteral("/opt/escritorio/share:/usr/share"));
}

QTEST_GUILESS_MAIN(TestBundle)
#include "test_bundle.moc"
