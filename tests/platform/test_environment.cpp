// The menu's own environment stays its own: programs and documents it opens, started directly
// or through the desktop's file associations, see the variables as the user had them.
#include "platform/Environment.h"
#include "platform/Shell.h"

#include "support/RecordingDesktop.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

namespace {

// name, the user's value (null: unset), what the menu does (set to "ours", or unset)
struct TCase {
    const char *Name;
    const char *User;
    bool Set;
};
const TCase kCases[] = {
    {"TELVARO_T_REPLACED", "theirs", true},
    {"TELVARO_T_ADDED", nullptr, true},
    {"TELVARO_T_REMOVED", "kept", false},
    {"TELVARO_T_NEVER", nullptr, false},
};

QByteArray Expected(const TCase &c) { return c.User ? QByteArray(c.Name) + '=' + c.User : QByteArray(); }

// name=value lines of an environment dump, only our test variables.
QStringList OurLines(const QList<QByteArray> &entries) {
    QStringList out;
    for (const QByteArray &e : entries)
        if (e.startsWith("TELVARO_T_"))
            out << QString::fromUtf8(e);
    out.sort();
    return out;
}

QStringList ExpectedLines() {
    QStringList out;
    for (const TCase &c : kCases)
        if (c.User)
            out << QString::fromUtf8(Expected(c));
    out.sort();
    return out;
}

// Waits for a launched program to have written its environment.
QList<QByteArray> WaitForDump(const QString &path) {
    if (!QTest::qWaitFor([&] { return QFile::exists(path + ".done"); }, 10000))
        return {};
    return testfiles::ReadFile(path).split('\n');
}

} // namespace

class TestEnvironment : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void processSeesItsOwnValues();
    void userEnvironmentHasTheUsersValues();
    void firstChangeRemembersTheUsersValue();
    void programStartedDirectlyGetsTheUsersValues();
    void documentHandlerGetsTheUsersValues();

private:
    TRecordingDesktop FDesk;
};

void TestEnvironment::initTestCase() {
    // The user's environment, then the menu's own changes on top of it.
    for (const TCase &c : kCases) {
        if (c.User)
            qputenv(c.Name, c.User);
        else
            qunsetenv(c.Name);
    }
    for (const TCase &c : kCases) {
        if (c.Set)
            platform::SetOwnVariable(c.Name, "ours");
        else if (c.User)
            platform::UnsetOwnVariable(c.Name);
    }
}

void TestEnvironment::processSeesItsOwnValues() {
    for (const TCase &c : kCases) {
        if (c.Set)
            QCOMPARE(qgetenv(c.Name), QByteArray("ours"));
        else
            QVERIFY2(!qEnvironmentVariableIsSet(c.Name), c.Name);
    }
}

void TestEnvironment::userEnvironmentHasTheUsersValues() {
    const QList<QByteArray> env = platform::UserEnvironment();
    QCOMPARE(OurLines(env), ExpectedLines());
    // The rest of the environment is passed on as it is.
    QVERIFY(env.contains("XDG_DATA_HOME=" + qgetenv("XDG_DATA_HOME")));
}

void TestEnvironment::firstChangeRemembersTheUsersValue() {
    platform::SetOwnVariable("TELVARO_T_REPLACED", "ours again");
    platform::UnsetOwnVariable("TELVARO_T_REPLACED");
    QVERIFY(OurLines(platform::UserEnvironment()).contains("TELVARO_T_REPLACED=theirs"));
    platform::SetOwnVariable("TELVARO_T_REPLACED", "ours");
}

void TestEnvironment::programStartedDirectlyGetsTheUsersValues() {
    const QString dump = FDesk.Path("direct.env");
    const QString script = FDesk.Path("bin/dump-env.sh");
    testfiles::WriteFile(script, "#!/bin/sh\nenv > \"$1\"; : > \"$1.done\"\n", true);
    QVERIFY(platform::RunCommandLine(script + " " + dump));
    QCOMPARE(OurLines(WaitForDump(dump)), ExpectedLines());
}

void TestEnvironment::documentHandlerGetsTheUsersValues() {
    const QString dump = FDesk.Path("handler.env");
    testfiles::WriteFile(FDesk.Path("bin/handler.sh"),
                         ("#!/bin/sh\nenv > \"" + dump + "\"; : > \"" + dump + ".done\"\n").toUtf8(), true);
    testfiles::WriteFile(FDesk.Path("data/applications/env-doc.desktop"),
                         ("[Desktop Entry]\nType=Application\nName=env-doc\nExec=" + FDesk.Path("bin/handler.sh") +
                          " %f\nMimeType=text/plain;\n").toUtf8());
    testfiles::WriteFile(FDesk.Path("config/mimeapps.list"), "[Default Applications]\ntext/plain=env-doc.desktop\n");
    const QString doc = FDesk.Path("LEEME.TXT");
    testfiles::WriteFile(doc, "Hola.\n");
    // GIO, and what it pulls in, is mapped by the first document opened, not before.
    QVERIFY(!testfiles::Mapped("libgio-2.0") && !testfiles::Mapped("libmount"));
    QVERIFY(platform::OpenTarget(doc));
    QVERIFY(testfiles::Mapped("libgio-2.0"));
    QCOMPARE(OurLines(WaitForDump(dump)), ExpectedLines());
}

QTEST_GUILESS_MAIN(TestEnvironment)
#include "test_environment.moc"
