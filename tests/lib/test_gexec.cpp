#include "lib/GExec.h"
#include "platform/Files.h"

#include "support/RecordingDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

static TRecordingDesktop *gDesk = nullptr;

static QString Desk(const QString &rel) { return gDesk->Path(rel); }
static QStringList Recorded() { return gDesk->Recorded(); }
using testfiles::WriteFile;

class TestGExec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { gDesk->ClearRecord(); }
    void mediaFiles_data();
    void mediaFiles();
    void pictureFiles_data();
    void pictureFiles();
    void pathParts();
    void openDocumentWithItsApplication();
    void playFallsBackToTheDefaultAction();
    void missingTargetFailsEverywhere();
    void programWithArgumentsRunsDirectly();
    void scriptWithoutExecuteBitRunsThroughItsInterpreter();
    void onlyProgramsStart_data();
    void onlyProgramsStart();
    void mediaCommand();
    void mediaCommandFieldCodes_data();
    void mediaCommandFieldCodes();
    void mailLinkIsPassedAsWritten();
};

void TestGExec::mediaFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("media");
    QTest::newRow(".MPEG") << "a\\b.MPEG" << true;
    QTest::newRow(".mp3") << "song.mp3" << true;
    QTest::newRow(".MPG") << "x.MPG" << true;
    QTest::newRow(".MIDI") << "x.midi" << true;
    QTest::newRow(".WAVE") << "x.wave" << true;
    QTest::newRow(".VI run of characters") << "x.vi" << true;
    QTest::newRow(".S run of characters") << "x.s" << true;
    QTest::newRow(".avi") << "clip.avi" << true;
    QTest::newRow(".JPEG") << "x.JPEG" << false;
    QTest::newRow(".pdf") << "x.pdf" << false;
    QTest::newRow("no extension") << "PROGRAMAS\\SETUP" << false;
    QTest::newRow("dot in a folder only") << "v1.0\\SETUP" << false;
    QTest::newRow("bare dot") << "x." << false;
    QTest::newRow("semicolon alone is in the list") << "x.;" << true;
}

void TestGExec::mediaFiles() {
    QFETCH(QString, path);
    QFETCH(bool, media);
    QCOMPARE(IsMediaFile(path), media);
}

void TestGExec::pictureFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("picture");
    QTest::newRow(".jpg") << "a.jpg" << true;
    QTest::newRow(".GIF") << "a.GIF" << true;
    QTest::newRow(".JPEG is not") << "a.jpeg" << false;
    QTest::newRow(".G") << "a.g" << true;
    QTest::newRow("mask") << "FOTOS\\*.JPG" << true;
    QTest::newRow("mask list") << "FOTOS\\*.GIF;*.BMP" << true;
    QTest::newRow("lower-case mask") << "fotos/*.jpg" << true;
    QTest::newRow("folder") << "FOTOS\\" << false;
    QTest::newRow(".bmp") << "a.bmp" << false;
}

void TestGExec::pictureFiles() {
    QFETCH(QString, path);
    QFETCH(bool, picture);
    QCOMPARE(IsPictureFile(path), picture);
}

void TestGExec::pathParts() {
    QCOMPARE(platform::ExtensionOf("a\\b.c\\d"), QString());
    QCOMPARE(platform::ExtensionOf("a/b.tar.gz"), QString(".gz"));
}

void TestGExec::openDocumentWithItsApplication() {
    WriteFile(Desk("disc/DOCS/Guía.pdf"), "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<<>>\nendobj\ntrailer\n<<>>\n%%EOF\n");
    QVERIFY(ShellOpen(Desk("disc/docs/GUÍA.PDF")));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    const QStringList rec = Recorded();
    QCOMPARE(rec.value(0), "cwd:" + Desk("disc/DOCS"));
    QCOMPARE(rec.value(1), QString("arg:doc"));
    QCOMPARE(rec.value(2), "arg:" + Desk("disc/DOCS/Guía.pdf"));
}

void TestGExec::playFallsBackToTheDefaultAction() {
    // A 44-byte header of a silent 16-bit mono WAV.
    const QByteArray wav = QByteArray::fromHex("524946462400000057415645666d742010000000010001002256000044ac0000020010006461746100000000");
    WriteFile(Desk("disc/musica.wav"), wav);
    QVERIFY(ShellPlay(Desk("disc/musica.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    QCOMPARE(Recorded().value(2), "arg:" + Desk("disc/musica.wav"));
}

void TestGExec::missingTargetFailsEverywhere() {
    QVERIFY(!ShellOpen(Desk("disc/none.pdf")));
    QVERIFY(!ShellPlay(Desk("disc/none.avi")));
    QVERIFY(!RunMediaCommand(Desk("disc/none.avi")));
    QVERIFY(!ShellOpen(QString()));
    QTest::qWait(300);
    QVERIFY(Recorded().isEmpty());
}

void TestGExec::programWithArgumentsRunsDirectly() {
    // A program followed by its arguments is no file: the direct run starts it, in its own
    // folder, with the arguments split on blanks and grouped by quotes.
    WriteFile(Desk("disc/INSTALAR/Con blanco/setup.sh"), gDesk->RecorderScript(), true);
    const QString target = QDir::toNativeSeparators(Desk("disc")).replace(u'/', u'\\') +
                           "\\instalar\\CON BLANCO\\SETUP.SH /S \"dos palabras\"";
    QVERIFY(ShellOpen(target));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    QCOMPARE(Recorded(), QStringList({"cwd:" + Desk("disc/INSTALAR/Con blanco"), "arg:/S", "arg:dos palabras", "end"}));
}

void TestGExec::scriptWithoutExecuteBitRunsThroughItsInterpreter() {
    const QByteArray script = "#!/bin/sh\necho \"arg:$1\" >> \"" + QFile::encodeName(Desk("record.txt")) + "\"\necho end >> \"" +
                              QFile::encodeName(Desk("record.txt")) + "\"\n";
    WriteFile(Desk("disc/noexec/demo.sh"), script, false);
    QVERIFY(ShellOpen(Desk("disc/noexec/demo.sh --saludo")));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    QCOMPARE(Recorded().value(0), QString("arg:--saludo"));
}

void TestGExec::onlyProgramsStart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("starts");
    const QByteArray commands = "echo end >> \"" + QFile::encodeName(Desk("record.txt")) + "\"\n";
    QFile elf(QStringLiteral("/bin/true"));
    elf.open(QIODevice::ReadOnly);
    // What a stick or a disc without Rock Ridge marks executable, and what it does not.
    QTest::newRow("a Windows program with the bit") << "SETUP.EXE" << QByteArray("MZ\x90") + commands << true << false;
    QTest::newRow("a text with the bit") << "LEEME" << commands << true << false;
    QTest::newRow("a text without it") << "LEEME" << commands << false << false;
    QTest::newRow("an ELF program") << "programa" << elf.readAll() << true << true;
    QTest::newRow("a script without the bit") << "demo.sh" << "#!/bin/sh\n" + commands << false << true;
}

void TestGExec::onlyProgramsStart() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, executable);
    QFETCH(bool, starts);
    const QString path = Desk("disc/INSTALAR/" + name);
    QFile::remove(path);
    WriteFile(path, content, executable);
    QCOMPARE(ShellOpen(path), starts);
    // A refused file must not have been run by a shell behind the launch's back; a started
    // script has run before the next case begins.
    if (!starts) {
        QTest::qWait(300);
        QVERIFY(Recorded().isEmpty());
    } else if (content.contains("echo end")) {
        QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    }
}

void TestGExec::mediaCommand() {
    WriteFile(Desk("disc/VIDEO/Mi clip.avi"), QByteArray("RIFF\0\0\0\0AVI LIST", 16));
    QVERIFY(RunMediaCommand(Desk("disc/video/mi clip.AVI")));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    QCOMPARE(Recorded().mid(1), QStringList({"arg:avi", "arg:--fullscreen", "arg:" + Desk("disc/VIDEO/Mi clip.avi"), "end"}));
    // A media file the desktop cannot open otherwise ends up there through ShellOpen too.
}

void TestGExec::mediaCommandFieldCodes_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("%U") << "player --x %U" << "player --x \"/d/a b.avi\"";
    QTest::newRow("%f with icon code") << "player %i %f" << "player  \"/d/a b.avi\"";
    QTest::newRow("only %1: nothing is run") << "player %1" << "";
    QTest::newRow("no code") << "player" << "";
    QTest::newRow("percent in the file survives") << "player %f %c" << "player \"/d/a b.avi\" ";
    QTest::newRow("empty") << "" << "";
}

void TestGExec::mediaCommandFieldCodes() {
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QCOMPARE(MediaCommandFor(command, "/d/a b.avi"), expected);
}

void TestGExec::mailLinkIsPassedAsWritten() {
    QVERIFY(SendMail("autor@example.com", "CD Telvaro"));
    QTRY_VERIFY_WITH_TIMEOUT(Recorded().contains("end"), 10000);
    QCOMPARE(Recorded().mid(1), QStringList({"arg:mail", "arg:mailto:autor@example.com?subject=CD Telvaro", "end"}));
}

int main(int argc, char **argv) {
    TRecordingDesktop desk;
    gDesk = &desk;
    QApplication app(argc, argv);
    TestGExec t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_gexec.moc"
