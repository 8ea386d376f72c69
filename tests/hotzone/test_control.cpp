// The hot-zone control and the hot image, driven by pointer events as a window delivers them.
#include "hotzone/HotImg.h"
#include "hotzone/HotScale.h"
#include "support/ShippedMap.h"
#include "support/TestPictures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage Pattern(QSize size, bool highlighted) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, highlighted ? qRgb(0, x % 256, 200) : qRgb(x % 256, y % 256, 40));
    return img;
}

const QSize kSkin(200, 100);
const QRgb kRed = qRgb(255, 0, 0);

// Four boxes side by side; C and D serve the cases that change flags.
const QStringList kMap{"rect A 10,10 30,30", "rect B 40,10 60,30", "rect C 70,10 90,30", "rect D 100,10 120,30"};

struct TFixture {
    THotImg Hot;
    QStringList Log;
    QPoint Pos;
    Qt::MouseButtons Buttons;

    TFixture() {
        Hot.SetImg(Pattern(kSkin, false));
        Hot.SetImgH(Pattern(kSkin, true));
        Hot.SetShowRegions(false);
        Hot.SetRegions(kMap);
        Record("Hit", &TCustomHotZone::OnHit);
        Record("HitUp", &TCustomHotZone::OnHitUp);
        Record("DblHit", &TCustomHotZone::OnDblHit);
        Record("Over", &TCustomHotZone::OnOver);
        Record("Enter", &TCustomHotZone::OnEnter);
        Record("Leave", &TCustomHotZone::OnLeave);
        Hot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Hot));
    }
    template <typename Signal> void Record(const QString &name, Signal signal) {
        QObject::connect(&Hot, signal, &Hot, [this, name](QObject *sender, const QString &id) {
            QCOMPARE(sender, &Hot);
            Log << name + u':' + id;
        });
    }

    bool Send(QEvent::Type type, QPoint pos, Qt::MouseButton button) {
        Pos = pos;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            Buttons |= button;
        else if (type == QEvent::MouseButtonRelease)
            Buttons &= ~button;
        QMouseEvent e(type, pos, Hot.mapToGlobal(pos), button, Buttons, Qt::NoModifier);
        QApplication::sendEvent(&Hot, &e);
        return e.isAccepted();
    }
    void Move(QPoint p) { Send(QEvent::MouseMove, p, Qt::NoButton); }
    void Leave() {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(&Hot, &e);
    }

    // A small script: "m x,y" move, "p x,y" left press, "r" left release, "R x,y" / "U" right
    // press / release, "d x,y" double click (the event Qt sends instead of the second press),
    // "l" pointer left the control, "f ID n" assign flags.
    void Run(const QString &script) {
        const QStringList words = script.split(u' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString &w = words[i];
            auto point = [&] {
                const QStringList xy = w.mid(1).split(u',');
                return QPoint(xy[0].toInt(), xy[1].toInt());
            };
            switch (w[0].unicode()) {
            case 'm': Move(point()); break;
            case 'p': Send(QEvent::MouseButtonPress, point(), Qt::LeftButton); break;
            case 'r': Send(QEvent::MouseButtonRelease, Pos, Qt::LeftButton); break;
            case 'R': Send(QEvent::MouseButtonPress, point(), Qt::RightButton); break;
            case 'U': Send(QEvent::MouseButtonRelease, Pos, Qt::RightButton); break;
            case 'd': Send(QEvent::MouseButtonDblClick, point(), Qt::LeftButton); break;
            case 'l': Leave(); break;
            case 'f':
                Hot.AssignRegionFlags(words[i + 1], THSFlags(words[i + 2].toInt()));
                i += 2;
                break;
            }
        }
    }

    QRgb Pixel(QPoint p) { return Hot.grab().toImage().pixel(p); }
    bool Lit(QPoint p) { return Pixel(p) == Hot.ImgH().pixel(p); }
    bool Plain(QPoint p) { return Pixel(p) == Hot.Img().pixel(p); }
};

void WriteBmp(const QString &path, QSize size) { QVERIFY(testpictures::WritePicture(path, Pattern(size, false), "BMP")); }

} // namespace

class TestControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sequences_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        QTest::newRow("ordinary click") << "m0,0 m15,15 m16,16 p16,16 r m17,17 m35,35"
                                        << "Enter:A Over:A Over:A Hit:A HitUp:A Over:A Leave:A";
        QTest::newRow("region to region") << "m15,15 m45,15" << "Enter:A Over:A Leave:A Enter:B Over:B";
        QTest::newRow("release outside") << "m15,15 p15,15 m35,35 r m36,36" << "Enter:A Over:A Hit:A HitUp:A";
        QTest::newRow("press, drag, release on another") << "m15,15 p15,15 m45,15 r m46,15 m35,35"
                                                         << "Enter:A Over:A Hit:A HitUp:A Over:B Leave:B";
        QTest::newRow("flags 0") << "f C 0 m75,15 p75,15 r m76,15 m35,35" << "HitUp:C";
        QTest::newRow("disabled neighbour") << "f B 0 m15,15 m45,15 m15,15" << "Enter:A Over:A Leave:A Enter:A Over:A";
        QTest::newRow("right button") << "m15,15 R15,15 U m16,16" << "Enter:A Over:A Over:A";
        QTest::newRow("double click") << "m15,15 p15,15 r d15,15 r"
                                      << "Enter:A Over:A Hit:A HitUp:A DblHit:A Hit:A HitUp:A";
        QTest::newRow("double click on nothing") << "m35,35 p35,35 r d35,35 r" << "";
        QTest::newRow("double click on disabled") << "f C 0 m75,15 p75,15 r d75,15 r" << "HitUp:C DblHit:C HitUp:C";
        QTest::newRow("pointer leaves") << "m15,15 l m15,15" << "Enter:A Over:A Leave:A Enter:A Over:A";
        QTest::newRow("leaving while pressed") << "m15,15 p15,15 l r" << "Enter:A Over:A Hit:A HitUp:A";
        // A modal window opened by the hit took the release: the control stays pressing until
        // the next press and release on it.
        QTest::newRow("release taken by a modal window") << "m15,15 p15,15 m45,15 m35,35 m15,15 p45,15 r m15,15"
                                                         << "Enter:A Over:A Hit:A Hit:B HitUp:B Leave:B Enter:A Over:A";
    }
    void sequences() {
        QFETCH(QString, script);
        QFETCH(QString, log);
        TFixture f;
        f.Run(script);
        QCOMPARE(f.Log.join(u' '), log);
    }

    void unusedEventsFallThrough() {
        TFixture f;
        QVERIFY(!f.Send(QEvent::MouseButtonPress, QPoint(35, 35), Qt::LeftButton));
        QVERIFY(!f.Send(QEvent::MouseButtonRelease, QPoint(35, 35), Qt::LeftButton));
        QVERIFY(!f.Send(QEvent::MouseButtonPress, QPoint(15, 15), Qt::RightButton));
        QVERIFY(!f.Send(QEvent::MouseButtonRelease, QPoint(15, 15), Qt::RightButton));
        QVERIFY(f.Send(QEvent::MouseButtonPress, QPoint(15, 15), Qt::LeftButton));
        QVERIFY(f.Send(QEvent::MouseButtonRelease, QPoint(15, 15), Qt::LeftButton));
    }

    void eventFilterSeesEventsFirst() {
        // How a window drags itself by a region: it takes that region's events before the
        // control sees them.
        TFixture f;
        struct TFilter : QObject {
            QRect Drag;
            bool eventFilter(QObject *, QEvent *e) override {
                if (e->type() != QEvent::MouseMove && e->type() != QEvent::MouseButtonPress)
                    return false;
                return Drag.contains(static_cast<QMouseEvent *>(e)->position().toPoint());
            }
        } filter;
        filter.Drag = f.Hot.GetRegionRect("b");
        f.Hot.installEventFilter(&filter);
        f.Run("m45,15 p45,15 r m15,15 p15,15 r");
        QCOMPARE(f.Log.join(u' '), "Enter:A Over:A Hit:A HitUp:A"); // B never knew it was pressed
    }

    void highlightFromImgH() {
        TFixture f;
        const QPoint inA(20, 20), cornerA(10, 10), inB(50, 20);
        QVERIFY(f.Plain(inA));
        f.Move(QPoint(15, 15));
        QVERIFY(f.Lit(inA));
        QVERIFY(f.Lit(cornerA)); // the whole box is copied
        QVERIFY(f.Plain(inB));
        f.Hot.InvalidateAll(); // a full repaint keeps the hovered region lit
        QVERIFY(f.Lit(inA));
        f.Move(QPoint(35, 35));
        QVERIFY(f.Plain(inA));
        f.Hot.IncludeRegionFlags("B", hsLatched);
        QVERIFY(f.Lit(inB));
        f.Hot.InvalidateAll();
        QVERIFY(f.Lit(inB));
        f.Hot.ExcludeRegionFlags("B", hsLatched);
        QVERIFY(f.Plain(inB));
    }

    void regionWithoutHoverLight() {
        TFixture f;
        const QPoint inA(20, 20);
        f.Hot.AssignRegionFlags("A", hsEnabled);
        f.Run("m15,15");
        QVERIFY(f.Plain(inA));
        f.Run("p15,15");
        QVERIFY(f.Plain(inA));
        f.Run("m35,35");
        QVERIFY(f.Plain(inA));
        f.Run("m15,15"); // back into the held region
        QVERIFY(f.Lit(inA));
        f.Run("r");
        QVERIFY(f.Plain(inA));
    }

    void outlines() {
        TFixture f;
        f.Hot.SetShowRegions(true);
        const QPoint edge(10, 20), inside(20, 20);
        QCOMPARE(f.Pixel(edge), kRed);
        QVERIFY(f.Plain(inside));
        f.Move(QPoint(15, 15));
        QVERIFY(f.Lit(edge)); // no outline inside a lit box
        f.Move(QPoint(35, 35));
        QCOMPARE(f.Pixel(edge), kRed); // redrawn normal, outline back
        QVERIFY(f.Plain(QPoint(9, 20)));
    }

    void clickDelayFlashAndReentrancy() {
        TFixture f;
        f.Hot.SetClickDelay(120);
        f.Move(QPoint(15, 15));
        f.Hot.ExcludeRegionFlags("A", hsHoverLight);
        bool litDuringWait = false;
        QTimer::singleShot(40, &f.Hot, [&] { litDuringWait = f.Lit(QPoint(20, 20)); });
        // A release arriving during the wait is handled inside it, before the hit.
        QTimer::singleShot(80, &f.Hot, [&] { f.Send(QEvent::MouseButtonRelease, QPoint(15, 15), Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        f.Log.clear();
        f.Send(QEvent::MouseButtonPress, QPoint(15, 15), Qt::LeftButton);
        QVERIFY(clock.elapsed() >= 110); // the tick counter and this clock round differently
        QVERIFY(litDuringWait);
        QVERIFY(f.Plain(QPoint(20, 20)));
        QCOMPARE(f.Log.join(u' '), "HitUp:A Hit:A");
    }

    void regionsReplacedDuringClickDelay() {
        TFixture f;
        f.Hot.SetClickDelay(60);
        f.Move(QPoint(15, 15));
        QTimer::singleShot(10, &f.Hot, [&] { f.Hot.SetRegions({"rect Z 0,0 5,5"}); });
        f.Log.clear();
        f.Send(QEvent::MouseButtonPress, QPoint(15, 15), Qt::LeftButton);
        QCOMPARE(f.Log.join(u' '), "Hit:A"); // the hit still belongs to the press
        f.Run("r m2,2");
        QCOMPARE(f.Log.join(u' '), "Hit:A Enter:Z Over:Z");
    }

    void autoRepeat() {
        TFixture f;
        f.Hot.SetRepDelay(40);
        f.Hot.IncludeRegionFlags("D", hsAutoRepeat);
        f.Run("m105,15 p105,15");
        QTest::qWait(400);
        const auto hits = [&] { return f.Log.count("Hit:D"); };
        const int held = hits();
        QVERIFY2(held >= 4 && held <= 12, qPrintable(QString::number(held)));
        f.Run("m35,35"); // out of the held region: the repeat pauses
        const int paused = hits();
        QTest::qWait(250);
        QCOMPARE(hits(), paused);
        f.Run("m105,15"); // back: it resumes
        QTest::qWait(250);
        QVERIFY(hits() > paused);
        f.Run("r");
        const int released = hits();
        QTest::qWait(200);
        QCOMPARE(hits(), released);
        // A double click on a repeating region hits twice.
        f.Log.clear();
        f.Run("p105,15 r d105,15 r");
        QCOMPARE(f.Log.join(u' '), "Hit:D HitUp:D DblHit:D Hit:D HitUp:D");
    }

    void cursors() {
        TFixture f;
        const auto shape = [&] { return f.Hot.cursor().shape(); };
        f.Hot.SetRegionsCursor(crHandPoint);
        QCOMPARE(shape(), Qt::ArrowCursor); // unchanged until a region is entered
        f.Move(QPoint(15, 15));
        QCOMPARE(shape(), Qt::PointingHandCursor);
        f.Move(QPoint(35, 35));
        QCOMPARE(shape(), Qt::ArrowCursor);
        f.Move(QPoint(15, 15));
        f.Hot.AssignRegionFlags("A", 0); // loses hsOwnCursor while under the pointer
        QCOMPARE(shape(), Qt::ArrowCursor);
        f.Run("m35,35 m15,15");
        QCOMPARE(shape(), Qt::ArrowCursor);
        f.Move(QPoint(45, 15));
        QCOMPARE(shape(), Qt::PointingHandCursor);
        f.Hot.SetControlCursor(crCross);
        f.Hot.SetRegions(kMap); // a rebuild puts back the saved control cursor
        QCOMPARE(f.Hot.GetRegionFlags("B"), THSFlags(hsEnabled | hsHoverLight));
    }

    void regionsReplacedAtRunTime() {
        TFixture f;
        QCursor::setPos(f.Hot.mapToGlobal(QPoint(45, 15)));
        f.Run("m15,15 p15,15"); // a press in progress is dropped with the old records
        f.Log.clear();
        f.Hot.SetRegions({"rect X 40,10 60,30", "", "rect Y 10,10 30,30"});
        QCOMPARE(f.Hot.Regions(), (QStringList{"rect X 40,10 60,30", "rect Y 10,10 30,30"}));
        QCOMPARE(f.Log.join(u' '), "Enter:X Over:X");
        QVERIFY(!f.Hot.Pressing());
        f.Run("r m15,15");
        QCOMPARE(f.Log.join(u' '), "Enter:X Over:X Leave:X Enter:Y Over:Y");
        // A handler may rebuild the regions from inside an event.
        QObject::connect(&f.Hot, &TCustomHotZone::OnLeave, &f.Hot, [&] { f.Hot.SetRegions(kMap); });
        f.Run("m45,15 m46,15");
        QVERIFY(f.Log.endsWith("Over:B"));
    }

    void namesResolve_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("resolved"); // "@" stands for the program folder
        QTest::newRow("relative path exists") << "gres\\menul.bmp" << "gres\\menul.bmp";
        QTest::newRow("other letter case") << "GRES\\MENUL.BMP" << "GRES\\MENUL.BMP";
        QTest::newRow("file name in current folder") << "elsewhere\\cur.bmp" << "cur.bmp";
        QTest::newRow("only in BMP") << "x:\\art\\onlybmp.bmp" << "@/BMP/onlybmp.bmp";
        QTest::newRow("GRES before RES") << "both.bmp" << "@/GRES/both.bmp";
        QTest::newRow("program folder last") << "top.BMP" << "@/top.BMP";
        QTest::newRow("missing") << "gres\\nada.bmp" << "";
        QTest::newRow("a folder is no file") << "gres" << "";
        QTest::newRow("empty") << "" << "";
    }
    void namesResolve() {
        QFETCH(QString, name);
        QFETCH(QString, resolved);
        QTemporaryDir tmp;
        const QString cur = tmp.path() + "/cur", prog = tmp.path() + "/prog";
        WriteBmp(cur + "/gres/menul.bmp", {4, 4});
        WriteBmp(cur + "/cur.bmp", {4, 4});
        WriteBmp(prog + "/bmp/onlybmp.bmp", {4, 4});
        WriteBmp(prog + "/GRES/both.bmp", {4, 4});
        WriteBmp(prog + "/RES/both.bmp", {4, 4});
        WriteBmp(prog + "/top.bmp", {4, 4});
        const QString old = QDir::currentPath();
        QDir::setCurrent(cur);
        THotImg hot;
        QCOMPARE(hot.SearchPath().split(u';').size(), 5);
        QVERIFY(hot.SearchPath().startsWith(QCoreApplication::applicationDirPath() + "/GRES/"));
        hot.SetSearchPath(QStringList{prog + "/GRES/", prog + "/RES/", prog + "/PRES/", prog + "/BMP/", prog + "/"}.join(u';'));
        QVERIFY(hot.SetImgName(name));
        QDir::setCurrent(old);
        resolved.replace(u'@', prog);
        QCOMPARE(hot.ImgName(), resolved);
        QCOMPARE(hot.Img().isNull(), resolved.isEmpty());
        QCOMPARE(hot.size(), QSize(640, 480)); // names never resize
    }

    void pictureAssignments() {
        QTemporaryDir tmp;
        const QString good = tmp.filePath("skin.bmp"), bad = tmp.filePath("bad.bmp"), png = tmp.filePath("png.bmp"),
                      cut = tmp.filePath("cut.bmp");
        WriteBmp(good, {457, 417});
        QVERIFY(testfiles::WriteFile(bad, "BM this is no bitmap at all"));
        QVERIFY(Pattern({8, 8}, true).save(png, "PNG"));
        // A header promising far more than follows.
        QVERIFY(testfiles::WriteFile(cut, testfiles::ReadFile(good).left(60)));
        THotImg hot;
        QVERIFY(hot.SetImgName(good));
        QCOMPARE(hot.size(), QSize(640, 480));
        QCOMPARE(hot.Img().size(), QSize(457, 417));
        hot.SetImgName(cut); // whatever a truncated file gives, it gives it quietly
        QVERIFY(hot.SetImgName(good));
        for (const QString &broken : {bad, png}) {
            QVERIFY2(!hot.SetImgName(broken), qPrintable(broken));
            QCOMPARE(hot.ImgName(), good); // name and picture stay as they were
            QCOMPARE(hot.Img().size(), QSize(457, 417));
            QVERIFY(!hot.LastError().isEmpty());
        }
        QVERIFY(hot.SetImgHName(good));
        QVERIFY(hot.SetImgHName(tmp.filePath("missing.bmp"))); // a missing file empties only ImgH
        QVERIFY(hot.ImgH().isNull() && hot.ImgHName().isEmpty());
        QVERIFY(!hot.Img().isNull());
        QVERIFY(hot.SetImgName(QString()));
        QVERIFY(hot.Img().isNull());
        QCOMPARE(hot.size(), QSize(640, 480));
        hot.SetImg(Pattern({457, 417}, false)); // a picture assigned directly sizes the control
        QCOMPARE(hot.size(), QSize(457, 417));
        hot.SetImg(QImage());
        QCOMPARE(hot.size(), QSize(457, 417));
    }

    void wholePictureClippedToControl() {
        TFixture f;
        f.Hot.SetImg(Pattern({300, 300}, false));
        f.Hot.resize(150, 60);
        QCOMPARE(f.Pixel(QPoint(149, 59)), f.Hot.Img().pixel(149, 59));
        QCOMPARE(f.Pixel(QPoint(0, 0)), f.Hot.Img().pixel(0, 0));
    }

    // At a fractional ratio a pointer is over the pixel that Qt paints under it, column and row.
    void pointerOverThePaintedPixel() {
        for (const qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
            QImage device((QSizeF(kSkin) * ratio).toSize(), QImage::Format_RGB32);
            device.setDevicePixelRatio(ratio);
            QPainter(&device).drawImage(0, 0, Pattern(kSkin, false));
            for (int d = 0; d < device.width(); ++d)
                QCOMPARE(PaintedPixel(d / ratio, ratio), qRed(device.pixel(d, 0)));
            for (int d = 0; d < device.height(); ++d)
                QCOMPARE(PaintedPixel(d / ratio, ratio), qGreen(device.pixel(d, d)));
        }
    }

    void shippedMapOnTheSkin() {
        TFixture f;
        f.Hot.SetImg(Pattern({457, 417}, false));
        f.Hot.SetImgH(Pattern({457, 417}, true));
        f.Hot.SetRegions(ShippedMap());
        QCOMPARE(f.Hot.GetRegionRect("mover"), Box(244, 308, 310, 374));
        QCOMPARE(f.Hot.GetRegionRect("MOVER2"), QRect(0, 0, 0, 0));
        f.Run("m246,310 m277,341");
        QCOMPARE(f.Log.join(u' '), "Enter:MOVER Over:MOVER");
        QVERIFY(f.Lit(QPoint(246, 310))); // the box corner is lit with the circle
    }
};

QTEST_MAIN(TestControl)
#include "test_control.moc"
