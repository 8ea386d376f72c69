// The region list: reading map text into shapes, and finding shapes by id and by point.
#include "hotzone/HotRgnList.h"
#include "hotzone/MapText.h"
#include "support/ShippedMap.h"

#include <QtTest>

namespace {

QStringList Describe(const THSRgnList &list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        const QRect b = list.Items(i)->Box;
        out << QStringLiteral("%1 %2,%3,%4,%5")
                   .arg(list.Items(i)->Id)
                   .arg(b.left())
                   .arg(b.top())
                   .arg(b.left() + b.width())
                   .arg(b.top() + b.height());
    }
    return out;
}

QString Poly45() {
    // Forty points around the square 0..10, then five far away that must not count.
    QString line = QStringLiteral("poly A");
    const QPoint corners[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (int i = 0; i < 40; ++i)
        line += QStringLiteral(" %1,%2").arg(corners[i / 10].x()).arg(corners[i / 10].y());
    for (int i = 0; i < 5; ++i)
        line += QStringLiteral(" 500,500");
    return line;
}

} // namespace

class TestMap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shippedMap() {
        QStringList lines = ShippedMap();
        lines.insert(2, QString());
        lines.insert(5, QString());
        lines.append(QString());
        THSRgnList list;
        list.LoadMap(lines);
        QCOMPARE(lines, ShippedMap()); // the empty lines are gone from the caller's list
        QVERIFY(list.NcsaCircles);
        const QStringList expected = {
            "VIDEO 364,31,431,49",      "MUSICA 364,50,431,67",    "VARIOS 363,86,430,104",
            "SALIR 87,4,119,27",        "MINIMIZAR 120,4,152,27",  "IMAGEN 363,68,430,86",
            "MOVER 244,308,310,374",    "LUP 335,153,359,175",     "LDOWN 329,175,351,195",
            "CREDITOS 250,5,269,26",    "EJECUTAR 350,107,390,147",
        };
        QCOMPARE(Describe(list), expected);
        for (int i = 0; i < list.Count(); ++i) {
            QCOMPARE(list.Items(i)->Flags, THSFlags(hsEnabled | hsHoverLight));
            QCOMPARE(list.Items(i)->Cursor, qint16(0));
        }
    }

    void shapes_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("regions");
        const QString ncsa = QStringLiteral("#$FORMAT:ncsa");
        QTest::newRow("circle, corner mode") << QStringList{"circle A 100,100 120,120"} << QStringList{"A 100,100,120,120"};
        QTest::newRow("circle through p2") << QStringList{ncsa, "circle A 100,100 100,120"} << QStringList{"A 80,80,120,120"};
        QTest::newRow("circle through p2 above") << QStringList{ncsa, "circle A 100,100 100,80"} << QStringList{"A 80,80,120,120"};
        QTest::newRow("circle of zero height") << QStringList{ncsa, "circle A 100,100 120,100"} << QStringList{};
        QTest::newRow("ellipse around centre") << QStringList{ncsa, "circle A 100,100 110,120"} << QStringList{"A 90,80,110,120"};
        QTest::newRow("circle before header") << QStringList{"circle A 100,100 120,120", ncsa, "circle B 100,100 120,120"}
                                              << QStringList{"A 100,100,120,120", "B 80,80,120,120"};
        QTest::newRow("# ncsa is a plain comment") << QStringList{"# ncsa", "circle A 100,100 120,120"} << QStringList{"A 100,100,120,120"};
        QTest::newRow("blank before #") << QStringList{" #$FORMAT:ncsa", "circle A 100,100 120,120"} << QStringList{"A 100,100,120,120"};
        QTest::newRow("zero width") << QStringList{"rect A 10,10 10,20"} << QStringList{};
        QTest::newRow("corners reversed") << QStringList{"rect A 30,40 10,20"} << QStringList{"A 10,20,30,40"};
        QTest::newRow("too few points") << QStringList{"rect A 10,10", "poly A 1,1 5,5", "roundrect A 0,0 10,10"} << QStringList{};
        QTest::newRow("no id") << QStringList{"rect", "rect 10,10 20,20"} << QStringList{};
        QTest::newRow("unknown shape, next line read") << QStringList{"TRIANGLE A 1,1 5,5 9,1", "rect B 1,1 5,5"} << QStringList{"B 1,1,5,5"};
        QTest::newRow("tabs are token characters") << QStringList{"\trect A 1,1 5,5", "rect\tA 1,1 5,5"} << QStringList{};
        QTest::newRow("runs of blanks") << QStringList{"   rect   B    1,1     5,5   "} << QStringList{"B 1,1,5,5"};
        QTest::newRow("ASCII letters upper-cased only") << QStringList{"Rect vIdeo 1,1 5,5", QString::fromUtf8("rect ñandú 1,1 5,5")}
                                                        << QStringList{"VIDEO 1,1,5,5", QString::fromUtf8("ñANDú 1,1,5,5")};
        QTest::newRow("words after the points") << QStringList{"rect A 10,10 20,20 trailing words", "rect B 10,10 20,20 x,y"}
                                                << QStringList{"A 10,10,20,20", "B 10,10,20,20"};
        QTest::newRow("blank after comma") << QStringList{"rect A 364, 31 431,49"} << QStringList{};
        QTest::newRow("bad Y reads 0") << QStringList{"rect A 12, 20,20", "rect B 12,abc 20,20", "rect C 12,34,56 20,20"}
                                       << QStringList{"A 12,0,20,20", "B 12,0,20,20", "C 12,0,20,20"};
        QTest::newRow("hexadecimal") << QStringList{"rect A $10,x10 0x20,0X20", "rect B $a,xA 0x14,0x14"}
                                     << QStringList{"A 16,16,32,32", "B 10,10,20,20"};
        QTest::newRow("signs") << QStringList{"rect A -5,+5 5,10"} << QStringList{"A -5,5,5,10"};
        QTest::newRow("outside 32 bits reads 0") << QStringList{"rect A 2147483648,5 10,10", "rect B $FFFFFFFF,5 10,10"}
                                                 << QStringList{"A 0,5,10,10", "B 0,5,10,10"};
        QTest::newRow("coordinates limited to 16 bits") << QStringList{"rect A -2147483648,0 10,10", "rect B 99999,1 0,0"}
                                                        << QStringList{"A -32768,0,10,10", "B 0,0,32767,1"};
        QTest::newRow("polygon") << QStringList{"poly A 0,0 10,0 10,10 0,10"} << QStringList{"A 0,0,10,10"};
        QTest::newRow("polygon of 45 points uses 40") << QStringList{Poly45()} << QStringList{"A 0,0,10,10"};
        QTest::newRow("degenerate polygon") << QStringList{"poly A 5,5 5,5 5,5"} << QStringList{};
        QTest::newRow("round rectangle") << QStringList{"roundrect A 0,0 20,10 6,4", "roundrect B 0,0 20,10 500,-500"}
                                         << QStringList{"A 0,0,20,10", "B 0,0,20,10"};
        QTest::newRow("huge ellipse") << QStringList{ncsa, "circle A 0,0 32767,32767"} << QStringList{"A -32767,-32767,32767,32767"};
    }
    void shapes() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, regions);
        THSRgnList list;
        list.LoadMap(lines);
        QCOMPARE(Describe(list), regions);
    }

    void circleModeLastsOneLoad() {
        THSRgnList list;
        QStringList first{"#$FORMAT:ncsa", "circle A 100,100 120,120"};
        list.LoadMap(first);
        QStringList second{"circle A 100,100 120,120"};
        list.LoadMap(second);
        QCOMPARE(Describe(list), QStringList{"A 100,100,120,120"});
    }

    void hitTests_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("id");
        const QStringList map = ShippedMap();
        QTest::newRow("VIDEO top left") << map << QPoint(364, 31) << "VIDEO";
        QTest::newRow("VIDEO bottom right") << map << QPoint(430, 48) << "VIDEO";
        QTest::newRow("VIDEO right edge excluded") << map << QPoint(431, 40) << "";
        QTest::newRow("VIDEO bottom edge excluded") << map << QPoint(364, 49) << "";
        QTest::newRow("IMAGEN last row") << map << QPoint(363, 85) << "IMAGEN";
        QTest::newRow("IMAGEN and VARIOS touch") << map << QPoint(363, 86) << "VARIOS";
        QTest::newRow("MOVER centre") << map << QPoint(277, 341) << "MOVER";
        QTest::newRow("MOVER leftmost") << map << QPoint(244, 341) << "MOVER";
        QTest::newRow("MOVER rightmost") << map << QPoint(309, 341) << "MOVER";
        QTest::newRow("MOVER right edge excluded") << map << QPoint(310, 341) << "";
        QTest::newRow("MOVER top") << map << QPoint(277, 308) << "MOVER";
        QTest::newRow("MOVER bottom edge excluded") << map << QPoint(277, 374) << "";
        QTest::newRow("MOVER box corner") << map << QPoint(244, 308) << "";
        QTest::newRow("MOVER near corner") << map << QPoint(246, 310) << "";
        QTest::newRow("bare skin") << map << QPoint(10, 200) << "";
        const QStringList overlap{"rect A 0,0 10,10", "rect B 5,5 15,15"};
        QTest::newRow("overlap, earlier wins") << overlap << QPoint(7, 7) << "A";
        QTest::newRow("overlap, later alone") << overlap << QPoint(12, 12) << "B";
        const QStringList dup{"rect A 0,0 10,10", "rect a 20,20 30,30"};
        QTest::newRow("duplicate id, second region") << dup << QPoint(25, 25) << "A";
        // A pentagram: its centre is wound twice and is inside under the nonzero rule.
        const QStringList star{"poly S 50,0 79,90 2,35 98,35 21,90"};
        QTest::newRow("star centre") << star << QPoint(50, 50) << "S";
        QTest::newRow("star arm") << star << QPoint(50, 10) << "S";
        QTest::newRow("star between arms") << star << QPoint(20, 10) << "";
        const QStringList rr{"roundrect R 0,0 20,20 10,10"};
        QTest::newRow("round corner out") << rr << QPoint(0, 0) << "";
        QTest::newRow("round far corner out") << rr << QPoint(19, 19) << "";
        QTest::newRow("round edge middle") << rr << QPoint(10, 0) << "R";
        QTest::newRow("round left middle") << rr << QPoint(0, 10) << "R";
        QTest::newRow("far outside the range") << QStringList{"rect A 0,0 10,10"} << QPoint(INT_MIN, INT_MAX) << "";
    }
    void hitTests() {
        QFETCH(QStringList, lines);
        QFETCH(QPoint, point);
        QFETCH(QString, id);
        THSRgnList list;
        list.LoadMap(lines);
        const THSRgn *r = list.RegionAt(point.x(), point.y());
        QCOMPARE(r ? r->Id : QString(), id);
    }

    void duplicateIdsFindTheFirst() {
        THSRgnList list;
        QStringList lines{"rect A 0,0 10,10", "rect a 20,20 30,30"};
        list.LoadMap(lines);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.FindById("a"), list.Items(0));
        QCOMPARE(list.GetBounds("A"), Box(0, 0, 10, 10));
    }

    void lookupsAndFlags() {
        THSRgnList list;
        QStringList lines = ShippedMap();
        list.LoadMap(lines);
        QCOMPARE(list.FindById("video"), list.Items(0));
        QCOMPARE(list.FindById("NADA"), nullptr);
        QCOMPARE(list.GetBounds("NADA"), QRect(0, 0, 0, 0));
        QCOMPARE(THSRgnList::GetFlags(nullptr), THSFlags(0));
        THSRgnList::SetFlags(nullptr, 3); // no record, nothing happens
        THSRgnList::SetFlags(list.Items(1), hsLatched);
        QCOMPARE(THSRgnList::GetFlags(list.Items(1)), hsLatched);
        list.SetCursorAll(crHandPoint);
        for (int i = 0; i < list.Count(); ++i)
            QCOMPARE(list.Items(i)->Cursor, crHandPoint);
        QCOMPARE(list.Items(0)->Flags, THSFlags(hsEnabled | hsHoverLight | hsOwnCursor));
        QCOMPARE(list.Items(1)->Flags, THSFlags(hsLatched | hsOwnCursor));
        list.LoadMap(lines); // a rebuild forgets flags and cursors
        QCOMPARE(list.Items(1)->Flags, THSFlags(hsEnabled | hsHoverLight));
        QCOMPARE(list.Items(1)->Cursor, qint16(0));
    }

    void blankLinesStay() {
        THSRgnList list;
        QStringList lines{"rect A 0,0 1,1", "", "   ", "", "rect B 1,1 2,2"};
        list.LoadMap(lines);
        QCOMPARE(lines, (QStringList{"rect A 0,0 1,1", "   ", "rect B 1,1 2,2"}));
        QCOMPARE(list.Count(), 2);
    }

    void integerReader_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("largest") << "2147483647" << true << INT_MAX;
        QTest::newRow("smallest") << "-2147483648" << true << INT_MIN;
        QTest::newRow("one past") << "2147483648" << false << 0;
        QTest::newRow("hex largest") << "$7FFFFFFF" << true << INT_MAX;
        QTest::newRow("hex one past") << "$80000000" << false << 0;
        QTest::newRow("hex negative") << "-$80000000" << true << INT_MIN;
        QTest::newRow("x prefix") << "x1F" << true << 31;
        QTest::newRow("0x prefix") << "0X1f" << true << 31;
        QTest::newRow("blanks before") << "  12" << true << 12;
        QTest::newRow("blank after") << "12 " << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "+" << false << 0;
        QTest::newRow("prefix only") << "0x" << false << 0;
        QTest::newRow("hex digit in decimal") << "1A" << false << 0;
        QTest::newRow("many digits") << QString(200, u'9') << false << 0;
    }
    void integerReader() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int v = 0;
        QCOMPARE(ReadInteger(text, v), ok);
        if (ok)
            QCOMPARE(v, value);
    }
};

QTEST_GUILESS_MAIN(TestMap)
#include "test_map.moc"
