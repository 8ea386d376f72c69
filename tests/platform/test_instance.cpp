#include "platform/Instance.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using platform::TSingleInstance;

class TestInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys();
    void secondStartRaisesTheFirst();
    void registrationEndsWithTheInstance();
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

QTEST_GUILESS_MAIN(TestInstance)
#include "test_instance.moc"
