#include "platform/Profile.h"
#include "platform/Text.h"

#include <QTemporaryDir>
#include <QTest>

using platform::TProfile;

class TestProfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readString_data();
    void readString();
    void readBool_data();
    void readBool();
    void lineEnds_data();
    void lineEnds();
    void encodings_data();
    void encodings();
    void nameListsAreLimited_data();
    void nameListsAreLimited();
    void sectionsAndKeysListedAtEveryOccurrence();
    void listedNamesAreFound_data();
    void listedNamesAreFound();
    void missingFileReadsEmpty();
    void hostileInput();
};

void TestProfile::readString_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("[S]\nk=v\n") << "S" << "k" << "v";
    QTest::newRow("case of names") << QByteArray("[Temas]\nVideo=a\n") << "TEMAS" << "vIDEO" << "a";
    QTest::newRow("blanks trimmed") << QByteArray("[ S ]\n  k  =  v w  \n") << "S" << "k" << "v w";
    QTest::newRow("double quotes") << QByteArray("[S]\nk=\" v \"\n") << "S" << "k" << " v ";
    QTest::newRow("single quotes") << QByteArray("[S]\nk='v'\n") << "S" << "k" << "v";
    QTest::newRow("only one pair") << QByteArray("[S]\nk=\"\"v\"\"\n") << "S" << "k" << "\"v\"";
    QTest::newRow("mismatched quotes stay") << QByteArray("[S]\nk=\"v'\n") << "S" << "k" << "\"v'";
    QTest::newRow("lone quote stays") << QByteArray("[S]\nk=\"\n") << "S" << "k" << "\"";
    QTest::newRow("first key wins") << QByteArray("[S]\nk=1\nK=2\n") << "S" << "k" << "1";
    QTest::newRow("first section wins") << QByteArray("[S]\nk=1\n[s]\nk=2\nj=3\n") << "S" << "k" << "1";
    QTest::newRow("repeated section adds nothing") << QByteArray("[S]\nk=1\n[s]\nj=3\n") << "S" << "j" << "";
    QTest::newRow("equals in value") << QByteArray("[S]\nk=a=b\n") << "S" << "k" << "a=b";
    QTest::newRow("comment line") << QByteArray("[S]\n;k=1\nk=2\n") << "S" << "k" << "2";
    QTest::newRow("indented comment") << QByteArray("[S]\n   ; k=1\n") << "S" << "; k" << "";
    QTest::newRow("key before any section") << QByteArray("k=1\n[S]\n") << "S" << "k" << "";
    QTest::newRow("backslashes kept") << QByteArray("[S]\nExe=..\\a\\b.exe\n") << "S" << "Exe" << "..\\a\\b.exe";
    QTest::newRow("unclosed section") << QByteArray("[S\nk=v\n") << "S" << "k" << "v";
    QTest::newRow("empty value") << QByteArray("[S]\nk=\n") << "S" << "k" << "";
    QTest::newRow("long value cut") << QByteArray("[S]\nk=" + QByteArray(5000, 'x') + "\n") << "S" << "k"
                                    << QString(2047, u'x');
}

void TestProfile::readString() {
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(TProfile::FromBytes(text).ReadString(section, key, {}), expected);
}

void TestProfile::readBool_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("def");
    QTest::addColumn<bool>("expected");
    QTest::newRow("1") << QByteArray("1") << false << true;
    QTest::newRow("0") << QByteArray("0") << true << false;
    QTest::newRow("0x1") << QByteArray("0x1") << false << true;
    QTest::newRow("0X0") << QByteArray("0X0") << true << false;
    QTest::newRow("0x10 hex") << QByteArray("0x10") << false << true;
    QTest::newRow("yes is no number") << QByteArray("yes") << false << false;
    QTest::newRow("yes keeps true default") << QByteArray("yes") << true << true;
    QTest::newRow("empty") << QByteArray("") << true << true;
    QTest::newRow("negative") << QByteArray("-1") << false << true;
    QTest::newRow("blanks") << QByteArray("  0  ") << true << false;
    QTest::newRow("0x alone is decimal 0") << QByteArray("0x") << true << false;
    QTest::newRow("0xZZ not hex") << QByteArray("0xZZ") << true << true;
    QTest::newRow("digits then text") << QByteArray("2abc") << false << true;
    QTest::newRow("quoted") << QByteArray("\"0\"") << true << false;
}

void TestProfile::readBool() {
    QFETCH(QByteArray, value);
    QFETCH(bool, def);
    QFETCH(bool, expected);
    const auto p = TProfile::FromBytes("[General]\nOrdenar=" + value + "\n");
    QCOMPARE(p.ReadBool("General", "Ordenar", def), expected);
    QCOMPARE(p.ReadBool("General", "Absent", def), def);
}

void TestProfile::lineEnds_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("LF") << QByteArray("[S]\na=1\nb=2\n\n[T]\nc=3");
    QTest::newRow("CRLF") << QByteArray("[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nc=3\r\n");
    QTest::newRow("CR") << QByteArray("[S]\ra=1\rb=2\r\r[T]\rc=3\r");
    QTest::newRow("mixed, no last end") << QByteArray("[S]\r\na=1\rb=2\n[T]\r\nc=3");
}

void TestProfile::lineEnds() {
    QFETCH(QByteArray, text);
    const auto p = TProfile::FromBytes(text);
    QCOMPARE(p.SectionNames(), QStringList({"S", "T"}));
    QCOMPARE(p.KeyNames("S"), QStringList({"a", "b"}));
    QCOMPARE(p.ReadString("T", "c"), QString("3"));
}

void TestProfile::encodings_data() {
    QTest::addColumn<QByteArray>("text");
    const QString want = QStringLiteral("[Temas]\nMúsica=menu\\MÚSICA.INI\n");
    QTest::newRow("windows-1252") << QByteArray("[Temas]\nM\xfasica=menu\\M\xdaSICA.INI\n");
    QTest::newRow("utf-8") << want.toUtf8();
    QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF") + want.toUtf8();
    QByteArray le("\xFF\xFE");
    for (QChar c : want)
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    QTest::newRow("utf-16le") << le;
    QByteArray be("\xFE\xFF");
    for (QChar c : want)
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    QTest::newRow("utf-16be") << be;
}

void TestProfile::encodings() {
    QFETCH(QByteArray, text);
    const auto p = TProfile::FromBytes(text);
    QCOMPARE(p.KeyNames("Temas"), QStringList({QStringLiteral("Música")}));
    QCOMPARE(p.ReadString("temas", QStringLiteral("MÚSICA")), QStringLiteral("menu\\MÚSICA.INI"));
}

void TestProfile::nameListsAreLimited_data() {
    QTest::addColumn<QString>("initial"); // each name: this character and eight digits
    QTest::newRow("plain") << QStringLiteral("S");
    QTest::newRow("accented, one byte in the disc's code page") << QStringLiteral("\u00d1");
    QTest::newRow("outside the code page") << QStringLiteral("\u03a9");
    QTest::newRow("outside the basic plane") << QStringLiteral("\U0001F3B5");
}

void TestProfile::nameListsAreLimited() {
    // 2000 names of 9 characters take 10 bytes each in the list, whatever their characters:
    // 1638 fit in 16384 bytes (1638 * 10 + 1 = 16381), the 1639th would not.
    QFETCH(QString, initial);
    QString text;
    QString keys = "[K]\n";
    for (int i = 0; i < 2000; ++i) {
        const QString name = initial + QString::number(i).rightJustified(8, u'0');
        text += u'[' + name + "]\n";
        keys += name + "=1\n";
    }
    const auto p = TProfile::FromBytes((text + keys).toUtf8());
    const QStringList sections = p.SectionNames();
    QCOMPARE(sections.size(), 1638);
    QCOMPARE(sections.first(), initial + "00000000");
    QCOMPARE(p.KeyNames("K").size(), 1638);
    // Beyond the list a key can still be read by name, as the original could.
    QCOMPARE(p.ReadString("K", initial + "00001999"), QString("1"));
}

void TestProfile::sectionsAndKeysListedAtEveryOccurrence() {
    const auto p = TProfile::FromBytes("[B]\nz=1\na=2\nZ=3\n[A]\n[b]\nq=1\n");
    QCOMPARE(p.SectionNames(), QStringList({"B", "A", "b"}));
    QCOMPARE(p.KeyNames("b"), QStringList({"z", "a", "Z"}));
    // Values still come from the first occurrence; a repeated section's own keys add nothing.
    QCOMPARE(p.ReadString("B", "Z"), QString("1"));
    QVERIFY(!p.HasKey("B", "q"));
}

void TestProfile::listedNamesAreFound_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("value");
    // Whitespace other than blanks and tabs belongs to the name, both when listed and when asked.
    QTest::newRow("no-break space after a key (Windows-1252)") << QByteArray("[Temas]\nVideo\xA0=menu\\V.INI\n")
                                                             << "menu\\V.INI";
    QTest::newRow("no-break space around a section (UTF-8)") << QByteArray("[\xC2\xA0" "Fotos\xC2\xA0]\nExe=a.jpg\n")
                                                           << "a.jpg";
    QTest::newRow("vertical tabs as a key") << QByteArray("[S]\n\x0B\x0B=1\n") << "1";
    QTest::newRow("form feed before a key") << QByteArray("[S]\n\x0Ck=2\n") << "2";
    QTest::newRow("ideographic space after a section") << QByteArray("[S\xE3\x80\x80]\nk=3\n") << "3";
}

void TestProfile::listedNamesAreFound() {
    QFETCH(QByteArray, text);
    QFETCH(QString, value);
    const auto p = TProfile::FromBytes(text);
    QCOMPARE(p.SectionNames().size(), 1);
    const QString section = p.SectionNames().first();
    QCOMPARE(p.KeyNames(section).size(), 1);
    const QString key = p.KeyNames(section).first();
    QVERIFY(p.HasSection(section));
    QCOMPARE(p.ReadString(section, key, QStringLiteral("absent")), value);
    // Blanks and tabs around a name asked for are still dropped.
    QCOMPARE(p.ReadString(" \t" + section + " ", "\t" + key + " ", QStringLiteral("absent")), value);
}

void TestProfile::missingFileReadsEmpty() {
    QTemporaryDir dir;
    const auto p = TProfile::Load(dir.filePath("nothing.ini"));
    QVERIFY(p.IsEmpty());
    QCOMPARE(p.ReadBool("General", "Ordenar", true), true);
    // A folder named like the file reads as missing too.
    QVERIFY(TProfile::Load(dir.path()).IsEmpty());
}

void TestProfile::hostileInput() {
    // Binary junk and NUL bytes
    QByteArray junk;
    for (int i = 0; i < 100000; ++i)
        junk.append(char((i * 2654435761u) >> 24));
    TProfile::FromBytes(junk).SectionNames();
    const auto nul = TProfile::FromBytes(QByteArray("[S]\nk=a\0b\n", 10));
    QCOMPARE(nul.ReadString("S", "k").size(), 3);
    // One 10 MB line: read, value cut.
    const auto big = TProfile::FromBytes("[S]\nk=" + QByteArray(10 * 1024 * 1024, 'y'));
    QCOMPARE(big.ReadString("S", "k").size(), TProfile::kMaxValueChars);
    // 100,000 sections
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "[s" + QByteArray::number(i) + "]\nk=1\n";
    const auto m = TProfile::FromBytes(many);
    QCOMPARE(m.ReadString("s99999", "k"), QString("1"));
    QVERIFY(m.SectionNames().size() < 100000);
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
