#include "platform/Instance.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using platform::TSingleInstance;

class TestInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys();
    void secondStartRaisesTheFirst();
    void registrationEndsWithTheInstance();
    void strayConnectionsChangeNothing();
};

void TestInstance::keys() {
    QTemporaryDir dir;
    const QString a = dir.filePath("telvaro"), b = dir.filePath("otro/telvaro");
    QCOMPARE(TSingleInstance::KeyFor(a), TSingleInstance::KeyFor(a.toUpper()));
    QVERIFY(TSingleInstance::KeyFor(a) != TSingleInstance::KeyFor(b));
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":77");
    const QString onOther = TSingleInstance::KeyFor(a);
    qputenv("DISPLAY", display);
    QVERIFY(onOther != TSingleInstance::KeyFor(a));
}

void TestInstance::secondStartRaisesTheFirst() {
    QTemporaryDir dir;
    const QString program = dir.filePath("menu");
    TSingleInstance first;
    QSignalSpy raised(&first, &TSingleInstance::RaiseRequested);
    QVERIFY(first.Claim(program));
    TSingleInstance second;
    QVERIFY(!second.Claim(program));
    QTRY_COMPARE(raised.count(), 1);
    TSingleInstance other;
    QVERIFY(other.Claim(dir.filePath("another-menu")));
}

void TestInstance::registrationEndsWithTheInstance() {
    QTemporaryDir dir;
    const QString program = dir.filePath("menu");
    {
        TSingleInstance first;
        QVERIFY(first.Claim(program));
    }
    TSingleInstance again;
    QVERIFY(again.Claim(program));
}

// Anything else that reaches the name (a port scanner, a half-written request, a peer that
// hangs up at once) is dropped without raising the window or holding up the menu.
void TestInstance::strayConnectionsChangeNothing() {
    QTemporaryDir dir;
    const QString program = dir.filePath("menu");
    TSingleInstance first;
    QSignalSpy raised(&first, &TSingleInstance::RaiseRequested);
    QVERIFY(first.Claim(program));
    const QByteArray name = TSingleInstance::KeyFor(program).toUtf8();
    for (const QByteArray &sent : {QByteArray(), QByteArray("hello\n"), QByteArray("rai"), QByteArray(8000, 'x')}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&address), socklen_t(sizeof(sa_family_t) + 1 + name.size())), 0);
        if (!sent.isEmpty())
            QCOMPARE(::send(fd, sent.constData(), size_t(sent.size()), 0), ssize_t(sent.size()));
        ::close(fd);
    }
    QTest::qWait(200);
    QCOMPARE(raised.count(), 0);
    TSingleInstance second;
    QVERIFY(!second.Claim(program));
    QTRY_COMPARE(raised.count(), 1);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "test_instance.moc"
