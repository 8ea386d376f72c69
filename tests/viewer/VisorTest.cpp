// The viewer window offscreen on a 1024 x 768 screen: the picture list, the keys, the go-to
// entry, placement and dragging, failures, animation timing, saving and the slide show.
#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Clock.h"
#include "viewer/GVisor.h"
#include "viewer/PictureList.h"
#include "viewer/GifAnimator.h"
#include "viewer/PictureBox.h"
#include "picture/Resample.h"
#include "viewer/SpeedButton.h"
#include "viewer/VisorLayout.h"

#include "support/PictureFixtures.h"
#include "platform/Files.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <functional>
#include <QTest>

using testpictures::TGifWriter;

namespace {

QTemporaryDir *gDir = nullptr;

QString Dir(const QString &rel) { return gDir->path() + u'/' + rel; }

void WriteJpeg(const QString &path, int w, int h, int seed = 0) {
    QVERIFY(testpictures::WriteBusyJpeg(path, w, h, 12345u + quint32(seed)));
}

// Runs Answer on the next modal dialog, as a person would answer it.
template <typename Dialog, typename F> void AnswerNextModal(F answer) {
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
        answer(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
    });
}

} // namespace

class TestVisor : public QObject {
    Q_OBJECT
    std::unique_ptr<TVisorFrm> V;

    void Open(const QString &path) {
        V->show();
        V->OpenPath(path);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(V.get(), Qt::Key(key), mods); }

private Q_SLOTS:
    void initTestCase() {
        for (int i = 0; i < 57; ++i)
            WriteJpeg(Dir(QString("many/p%1.jpg").arg(i, 2, 10, QChar('0'))), 48, 48, i);
        WriteJpeg(Dir("fotos/b.jpg"), 64, 48);
        WriteJpeg(Dir("fotos/sub/a.jpg"), 64, 48, 1);
        WriteJpeg(Dir("fotos/A.JPG"), 64, 48, 2);
        testfiles::WriteFile(Dir("fotos/tiny.jpg"), QByteArray(100, 'x'));
        testfiles::WriteFile(Dir("small/a.jpg"), testfiles::ReadFile(Dir("fotos/b.jpg")).left(2047));
    }
    void init() { V = std::make_unique<TVisorFrm>(TViewerSettings{{}, "Modo automático", true}); }
    void cleanup() { V.reset(); }

    void layoutFillsTheScreen() {
        Open(Dir("many/"));
        QCOMPARE(V->geometry(), QRect(0, 0, 1024, 768));
        QCOMPARE(V->BtnPrev()->geometry(), QRect(12, 737, 40, 20));
        QCOMPARE(V->BtnNext()->geometry(), QRect(58, 737, 40, 20));
        QCOMPARE(V->BtnSalir()->geometry(), QRect(992, 737, 20, 20));
        QCOMPARE(V->BtnOpc()->geometry(), QRect(966, 737, 20, 20));
        const int cw = QFontMetrics(V->font()).horizontalAdvance("000/000");
        QCOMPARE(V->LblInfo1()->geometry(), QRect(114, 739, cw, 16));
        QCOMPARE(V->LblInfo2()->geometry(), QRect(114 + cw + 14, 739, 966 - 114 - cw - 30, 16));
        QCOMPARE(V->Box()->geometry(), QRect(13, 13, 998, 719));
        QCOMPARE(V->GIFAnimator()->geometry(), V->Box()->geometry());
        QCOMPARE(V->Box()->size(), QSize(998, 719));
        // A picture smaller than the box at actual size, centred.
        QCOMPARE(V->Dest(), QRect((998 - 48) / 2, (719 - 48) / 2, 48, 48));
    }

    void openPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QString>("info");
        QTest::addColumn<int>("index");
        const QStringList fotos{"fotos/A.JPG", "fotos/b.jpg", "fotos/sub/a.jpg"};
        // An existing file: the list is its folder's, shown from that file on.
        QTest::newRow("file") << "fotos/b.jpg" << "fotos/" << fotos << "" << 1;
        QTest::newRow("file in another case") << "FOTOS/SUB/A.JPG" << "FOTOS/SUB/" << QStringList{"FOTOS/SUB/a.jpg"} << "" << 0;
        QTest::newRow("mask") << "fotos/*.jpg" << "fotos/" << fotos << "" << 0;
        QTest::newRow("mask other case") << "FOTOS/*.JPG" << "FOTOS/" << QStringList{"FOTOS/A.JPG", "FOTOS/b.jpg", "FOTOS/sub/a.jpg"} << "" << 0;
        // A folder without its separator: its parent is searched with the default mask.
        QTest::newRow("folder") << "fotos" << "" << fotos << "" << 0;
        QTest::newRow("all too small") << "small/" << "small/" << QStringList() << "No hay arhivos en %1" << 0;
    }
    void openPath() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QStringList, pictures);
        QFETCH(QString, info);
        QFETCH(int, index);
        Open(Dir(path));
        QCOMPARE(V->Folder(), Dir(folder));
        QStringList expected;
        for (const QString &p : pictures)
            expected << Dir(p);
        if (folder.isEmpty()) {  // the parent's whole tree, the three among them
            QCOMPARE(V->Mask(), QString(kDefaultPictureMask));
            for (const QString &p : expected)
                QVERIFY(V->Pictures().contains(p));
        } else {
            QCOMPARE(V->Pictures(), expected);
        }
        if (!info.isEmpty()) {
            QCOMPARE(V->LblInfo2()->text(), info.arg(Dir(folder)));
            QVERIFY(V->LblInfo1()->text().isEmpty());
            QVERIFY(!V->BtnPrev()->isEnabled() && !V->BtnNext()->isEnabled());
        } else {
            QCOMPARE(V->Index(), index);
            QCOMPARE(V->LblInfo1()->text(), QString("%1/%2").arg(index + 1).arg(V->Pictures().size()));
        }
    }

    void noFolderPartDoesNothing() {
        Open("b.jpg");
        QVERIFY(V->Pictures().isEmpty());
        QVERIFY(V->LblInfo1()->text().isEmpty() && V->LblInfo2()->text().isEmpty());
    }

    void keys_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        QTest::newRow("page down") << 3 << int(Qt::Key_PageDown) << 0 << 13;
        QTest::newRow("page down clamps") << 50 << int(Qt::Key_PageDown) << 0 << 56;
        QTest::newRow("page up clamps") << 3 << int(Qt::Key_PageUp) << 0 << 0;
        QTest::newRow("end") << 3 << int(Qt::Key_End) << 0 << 56;
        QTest::newRow("home") << 3 << int(Qt::Key_Home) << 0 << 0;
        QTest::newRow("right") << 3 << int(Qt::Key_Right) << 0 << 4;
        QTest::newRow("space") << 3 << int(Qt::Key_Space) << 0 << 4;
        QTest::newRow("up") << 3 << int(Qt::Key_Up) << 0 << 2;
        QTest::newRow("no wrap at the end") << 56 << int(Qt::Key_Right) << 0 << 56;
        QTest::newRow("no wrap at the start") << 0 << int(Qt::Key_Left) << 0 << 0;
        QTest::newRow("shift ctrl f11") << 3 << int(Qt::Key_F11) << int(Qt::ShiftModifier | Qt::ControlModifier) << 3;
    }
    void keys() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        Open(Dir("many/"));
        QCOMPARE(V->Pictures().size(), 57);
        V->GoToIndex(from);
        Key(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(V->Index(), to);
        QCOMPARE(V->LblInfo1()->text(), QString("%1/57").arg(to + 1));
        QCOMPARE(V->BtnPrev()->isEnabled(), to > 0);
        QCOMPARE(V->BtnNext()->isEnabled(), to < 56);
    }

    void escape() {
        V = std::make_unique<TVisorFrm>(TViewerSettings{{}, {}, false});
        Open(Dir("many/"));
        Key(Qt::Key_Escape);
        QVERIFY(V->isVisible());
        init();
        Open(Dir("many/"));
        Key(Qt::Key_Escape);
        QVERIFY(!V->isVisible());
        QVERIFY(V->Picture().IsEmpty());
    }

    void goToEntry() {
        Open(Dir("many/"));
        QTest::mouseClick(V->LblInfo1(), Qt::LeftButton);
        QVERIFY(V->Edit1()->isVisible());
        QCOMPARE(V->Edit1()->maxLength(), 2);
        QCOMPARE(V->Edit1()->width(), QFontMetrics(V->font()).horizontalAdvance('H') * 2 + 4);
        QCOMPARE(V->LblInfo1()->text(), QString("57"));
        V->Edit1()->clear();
        QTest::keyClicks(V->Edit1(), "6a0");  // the letter is refused
        QCOMPARE(V->Edit1()->text(), QString("60"));
        QTest::keyClick(V->Edit1(), Qt::Key_Return);
        QVERIFY(V->Edit1()->isVisible());
        Key(Qt::Key_End);  // the window's keys wait while the entry is open
        QCOMPARE(V->Index(), 0);
        V->Edit1()->clear();
        QTest::keyClicks(V->Edit1(), "7");
        QTest::keyClick(V->Edit1(), Qt::Key_Return);
        QVERIFY(!V->Edit1()->isVisible());
        QCOMPARE(V->Index(), 6);
        QCOMPARE(V->LblInfo1()->text(), QString("7/57"));
        QTest::mouseClick(V->LblInfo1(), Qt::LeftButton);
        QTest::keyClick(V->Edit1(), Qt::Key_Escape);
        QVERIFY(!V->Edit1()->isVisible());
        QCOMPARE(V->LblInfo1()->text(), QString("7/57"));
        QVERIFY(V->isVisible());
    }

    void pictureInfo_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QSize>("decoded");
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("fitted");
        QTest::newRow("4000x3000") << 4000 << 3000 << QSize(2000, 1500) << "4000x3000  (50%)" << "4000x3000  (23%)";
        QTest::newRow("1920x1080") << 1920 << 1080 << QSize(1920, 1080) << "1920x1080  " << "1920x1080  (51%)";
        QTest::newRow("4001x3001") << 4001 << 3001 << QSize(2001, 1501) << "4002x3002  (50%)" << "4002x3002  (23%)";
    }
    void pictureInfo() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QSize, decoded);
        QFETCH(QString, actual);
        QFETCH(QString, fitted);
        const QString path = Dir(QString("big%1/p.jpg").arg(w));
        if (!QFile::exists(path)) {
            QImage img(w, h, QImage::Format_RGB32);
            img.fill(QColor(30, 90, 160));
            QVERIFY(testpictures::WritePicture(path, img, "JPEG", 50));
        }
        Open(path);
        QCOMPARE(QSize(V->Picture().Width(), V->Picture().Height()), decoded);
        QVERIFY2(V->LblInfo2()->text().contains(actual), qPrintable(V->LblInfo2()->text()));
        Key(Qt::Key_Return);
        QVERIFY(V->FitMode());
        QVERIFY2(V->LblInfo2()->text().contains(fitted), qPrintable(V->LblInfo2()->text()));
        QVERIFY(V->LblInfo2()->text().endsWith(QLocale().toString(QFileInfo(path).size()) + " bytes") ||
                V->LblInfo2()->text().contains(" bytes"));
    }

    void arithmetic() {
        // Fitting 800 x 600 into 1000 x 700, and the drag limits of 1200 x 900 in the same box.
        const QRect fit = FittedRect(800, 600, 1000, 700);
        QCOMPARE(fit, QRect(QPoint(33, 0), QPoint(965, 699)));
        QCOMPARE(FitZoom(fit, 800), 116);
        const QRect big = ActualRect(1200, 900, 1000, 700);
        QCOMPARE(big, QRect(-100, -100, 1200, 900));
        QCOMPARE(DragRect(big, 500, 0, 1200, 900, 1000, 700).left(), 0);
        QCOMPARE(DragRect(big, -500, 0, 1200, 900, 1000, 700).left(), -200);
        QCOMPARE(DragRect(big, 0, 500, 1200, 900, 1000, 700).top(), 0);
        // As wide as the box but taller: only up and down.
        QCOMPARE(DragRect(QRect(0, -100, 1000, 900), 50, 30, 1000, 900, 1000, 700), QRect(0, -70, 1000, 900));
        QCOMPARE(PictureInfoText("C:/Fotos/A.jpg", 800, 600, 100, false, 1234567),
                 QLocale().toString(1234567) == "1234567" ? QString("c:/fotos/a.jpg  800x600  1,234,567 bytes")
                                                          : QString("c:/fotos/a.jpg  800x600  %1 bytes")
                                                                .arg(QLocale().toString(1234567)));
    }

    void dragging() {
        WriteJpeg(Dir("large/l.jpg"), 1200, 900);
        Open(Dir("large/"));
        QVERIFY(V->Box()->Larger());
        const QRect start = V->Dest();
        QCOMPARE(start, QRect(-101, -90, 1200, 900));
        QTest::mousePress(V->Box(), Qt::LeftButton, {}, QPoint(500, 300));
        QVERIFY(V->Box()->Dragging());
        QTest::mouseMove(V->Box(), QPoint(900, 310));
        QCOMPARE(V->Dest().topLeft(), QPoint(0, -80));
        QTest::mouseMove(V->Box(), QPoint(100, 1000));
        QCOMPARE(V->Dest().topLeft(), QPoint(998 - 1200, 0));
        QTest::mouseRelease(V->Box(), Qt::LeftButton, {}, QPoint(100, 1000));
        QVERIFY(!V->Box()->Dragging());
        QVERIFY(!V->FitMode());
    }

    void clicksOnASmallPicture() {
        Open(Dir("fotos/"));
        const QPoint centre = V->Dest().center();
        QTest::mouseClick(V->Box(), Qt::LeftButton, Qt::ControlModifier, centre);
        QTest::mouseClick(V->Box(), Qt::RightButton, {}, centre);
        V->PopupMenu()->hide();
        QVERIFY(!V->FitMode() && !V->Box()->Dragging());
        // The second press of a double click is not a click of its own.
        QTest::mouseClick(V->Box(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(V->Box(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(V->Box(), Qt::LeftButton, {}, centre);
        QVERIFY(V->FitMode());
    }

    void markingBad() {
        WriteJpeg(Dir("bad/a.jpg"), 40, 30);
        WriteJpeg(Dir("bad/b.jpg"), 40, 30, 3);
        Open(Dir("bad/"));
        AnswerNextModal<QMessageBox>([](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QString("Confirmar"));
            QCOMPARE(box->text(), QString("¿ BORRAR \"%1\"?").arg(Dir("bad/a.jpg")));
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box->button(QMessageBox::Yes)->click();
        });
        Key(Qt::Key_F11, Qt::ControlModifier);
        QVERIFY(QFile::exists(Dir("bad/a.BAD")) && !QFile::exists(Dir("bad/a.jpg")));
        QCOMPARE(V->Index(), 1);
        Key(Qt::Key_Home);
        QCOMPARE(V->LblInfo2()->text(), QString("Error leyendo el archivo %1").arg(Dir("bad/a.jpg")));
        QCOMPARE(V->LblInfo1()->text(), QString("2/2"));  // the counter keeps its text
        QVERIFY(V->Picture().IsEmpty());
    }

    void brokenPictures() {
        WriteJpeg(Dir("broken/a.jpg"), 300, 200);
        const QByteArray good = testfiles::ReadFile(Dir("broken/a.jpg"));
        testfiles::WriteFile(Dir("broken/b.jpg"), QByteArray(4096, '\x5a'));
        testfiles::WriteFile(Dir("broken/c.gif"), "GIF89a" + QByteArray(4096, '\xff'));
        testfiles::WriteFile(Dir("broken/d.jpg"), good.left(good.size() / 2));
        Open(Dir("broken/*.jpg;*.gif"));
        for (int i = 1; i < 3; ++i) {
            Key(Qt::Key_Right);
            QCOMPARE(V->LblInfo2()->text(), QString("Error leyendo el archivo %1").arg(V->Pictures()[i]));
        }
        // A truncated JPEG shows the rows it has.
        Key(Qt::Key_Right);
        QCOMPARE(V->LblInfo1()->text(), QString("4/4"));
        QVERIFY(!V->Picture().IsEmpty());
        Key(Qt::Key_Home);
        QCOMPARE(V->LblInfo1()->text(), QString("1/4"));
        QVERIFY(V->LblInfo2()->text().contains("300x200"));
    }

    void keyDuringADecodeWins() {
        WriteJpeg(Dir("nested/a.jpg"), 600, 400);
        WriteJpeg(Dir("nested/b.jpg"), 300, 200, 5);
        // Every look at the clock is a second later: the decoder reports after each band.
        // The key arrives once the first picture has started decoding.
        quint32 now = 0;
        int presses = 0;
        QString label;
        platform::SetTickSourceForTesting([&] {
            if (now == 0)
                QTimer::singleShot(0, V.get(), [&] {
                    ++presses;
                    label = V->LblInfo2()->text();
                    V->GoNext();
                });
            return now += 1000;
        });
        Open(Dir("nested/"));
        QVERIFY2(label.startsWith("Leyendo ") && label.contains("%"), qPrintable(label));
        platform::SetTickSourceForTesting(nullptr);
        QCOMPARE(presses, 1);
        QCOMPARE(V->Index(), 1);
        QCOMPARE(V->LblInfo1()->text(), QString("2/2"));
        QVERIFY2(V->LblInfo2()->text().contains("300x200"), qPrintable(V->LblInfo2()->text()));
        QVERIFY(V->Picture().IsDecoded());
        QCOMPARE(V->Dest().size(), QSize(300, 200));
    }

    void preparedNeighboursChangeNothing() {
        // Pictures of every kind in a row: a JPEG, a broken one, one decoded at half size, a
        // GIF, another JPEG.
        WriteJpeg(Dir("walk/p0.jpg"), 300, 200);
        testfiles::WriteFile(Dir("walk/p1.jpg"), QByteArray(4096, 'x'));
        WriteJpeg(Dir("walk/p2.jpg"), 2000, 1200, 2);
        TGifWriter gif(60, 40, {0x102030, 0xffcc00});
        gif.Image(0, 0, 60, 40, std::vector<unsigned char>(2400, 1));
        testfiles::WriteFile(Dir("walk/p3.gif"), gif.Finish() + QByteArray(2048, '\0'));
        WriteJpeg(Dir("walk/p4.jpg"), 500, 400, 4);
        TVisorFrm plain;
        plain.show();
        plain.OpenPath(Dir("walk/"));
        Open(Dir("walk/"));
        auto same = [&](const char *step) {
            QVERIFY2(V->LblInfo1()->text() == plain.LblInfo1()->text(), step);
            QVERIFY2(V->LblInfo2()->text() == plain.LblInfo2()->text(), step);
            QVERIFY2(V->Dest() == plain.Dest(), step);
            QVERIFY2(V->Box()->grab().toImage() == plain.Box()->grab().toImage(), step);
        };
        // Forwards and back again: each step finds its picture prepared by the step before.
        const int walk[] = {1, 2, 3, 4, 3, 2, 1, 0};
        int travel = 1;
        for (int i : walk) {
            // Prepared unless the person just turned round.
            QCOMPARE(V->Prefetch().Holds(), (i > V->Index() ? 1 : -1) == travel);
            travel = i > V->Index() ? 1 : -1;
            travel > 0 ? V->GoNext() : V->GoPrevious();
            plain.GoToIndex(i);  // no neighbour is prepared on a jump
            QCOMPARE(V->Index(), i);
            same(qPrintable(QString("step to %1").arg(i)));
        }
        // A prepared neighbour renamed away meanwhile reads as it would without preparation.
        V->GoNext();
        QVERIFY(V->Prefetch().Holds());
        QVERIFY(QFile::rename(Dir("walk/p2.jpg"), Dir("walk/p2.BAD")));
        V->GoNext();
        plain.GoToIndex(2);
        same("renamed");
        QVERIFY(V->LblInfo2()->text().startsWith("Error leyendo el archivo"));
        // Any other move forgets the neighbour.
        V->GoToIndex(4);
        QVERIFY(!V->Prefetch().Holds());
    }

    void preparedAheadLooksAsOpenedDirectly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("fitted");
        TGifWriter oneBit(60, 40, {0xff0000, 0x0000ff});
        oneBit.Image(0, 0, 60, 40, std::vector<unsigned char>(2400, 1));
        TGifWriter keyed(60, 40, {0x00ff00, 0xff00ff, 0x3060c0, 0xffffff});
        keyed.Control(0, 0, 1);
        std::vector<unsigned char> pixels(2400, 2);
        std::fill(pixels.begin(), pixels.begin() + 1200, 1);
        keyed.Image(0, 0, 60, 40, pixels);
        WriteJpeg(Dir("ahead/half.jpg"), 2000, 1200, 7);
        const struct {
            const char *Name;
            QByteArray Bytes;
        } files[] = {{"p2.gif", oneBit.Finish() + QByteArray(2048, '\0')},
                     {"p2.gif", keyed.Finish() + QByteArray(2048, '\0')},
                     {"p2.jpg", testfiles::ReadFile(Dir("ahead/half.jpg"))},
                     {"p2.jpg", QByteArray(4096, 'x')}};
        const char *kinds[] = {"1-bit GIF", "transparent GIF", "half-size JPEG", "broken"};
        for (int i = 0; i < 4; ++i)
            for (bool fitted : {false, true})
                QTest::addRow("%s, %s", kinds[i], fitted ? "fitted" : "actual size")
                    << files[i].Name << files[i].Bytes << fitted;
    }
    void preparedAheadLooksAsOpenedDirectly() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, fitted);
        QTemporaryDir folder;
        WriteJpeg(folder.filePath("p0.jpg"), 40, 30);
        WriteJpeg(folder.filePath("p1.jpg"), 40, 30, 1);
        QVERIFY(testfiles::WriteFile(folder.filePath(name), bytes));
        TVisorFrm direct;
        direct.show();
        direct.OpenPath(folder.path() + '/');
        Open(folder.path() + '/');
        if (fitted) {
            direct.ToggleFit();
            V->ToggleFit();
        }
        V->GoNext();  // prepares the third picture for the box as it is now
        QVERIFY(V->Prefetch().Holds());
        V->GoNext();
        direct.GoToIndex(2);
        QCOMPARE(V->Index(), 2);
        QCOMPARE(V->LblInfo2()->text(), direct.LblInfo2()->text());
        QCOMPARE(V->Dest(), direct.Dest());
        QCOMPARE(V->Box()->grab().toImage(), direct.Box()->grab().toImage());
    }

    void animationTiming() {
        // Large enough (uncompressed) to pass the 2048-byte minimum.
        TGifWriter gif(40, 40, {0x000000, 0xff0000, 0x00ff00, 0x0000ff});
        for (int delay : {0, 200, 2000}) {
            gif.Control(1, delay);
            gif.Image(0, 0, 40, 40, std::vector<unsigned char>(1600, (unsigned char)(1 + delay % 3)));
        }
        QDir().mkpath(Dir("anim"));
        testfiles::WriteFile(Dir("anim/a.gif"), gif.Finish());
        Open(Dir("anim/"));
        TGifAnimator *a = V->GIFAnimator();
        QVERIFY2(a->isVisible(), qPrintable(V->LblInfo2()->text()));
        QVERIFY(!V->PopupMenu()->isVisible());
        const int expected[] = {50, 2000, 10000, 50};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(a->CurrentFrame(), k % 3);
            QVERIFY(a->FrameTimer().isActive());
            QCOMPARE(a->FrameTimer().interval(), expected[k]);
            a->NextFrame();
        }
        // Fitting is for still pictures only.
        V->PopupMenu()->popup(QPoint(10, 10));
        QVERIFY(!V->PopupMenu()->findChild<QAction *>("miAjustar")->isEnabled());
        V->PopupMenu()->hide();
        V->close();
        QVERIFY(!a->FrameTimer().isActive() && a->IsEmpty());
    }

    void busyWhileSaving() {
        Open(Dir("many/"));
        V->SetSlideInterval(2);
        const QString target = Dir("saved/copia.jpg");
        QDir().mkpath(Dir("saved"));
        AnswerNextModal<QFileDialog>([this, target](QFileDialog *d) {
            QVERIFY(V->Busy());
            QCOMPARE(d->defaultSuffix(), QString("jpg"));
            QCOMPARE(d->nameFilters().first(), QString("All (*.jpg *.jpeg)"));
            V->GoNext();
            V->TimerTimer();
            V->close();
            QCOMPARE(V->Index(), 0);
            QVERIFY(V->isVisible());
            d->selectFile(target);
            static_cast<QDialog *>(d)->accept();
        });
        V->PopupMenu()->findChild<QAction *>("miGuardar")->trigger();
        QVERIFY(!V->Busy());
        QCOMPARE(testfiles::ReadFile(target), testfiles::ReadFile(V->Pictures()[0]));
        V->GoNext();
        QCOMPARE(V->Index(), 1);
    }

    void slideShow() {
        V = std::make_unique<TVisorFrm>(TViewerSettings{{}, "Diapositivas", true});
        Open(Dir("many/"));
        QMenu *menu = V->PopupMenu();
        auto item = [menu](const char *name) { return menu->findChild<QAction *>(name); };
        menu->popup(QPoint(0, 0));
        QVERIFY(!item("miAutoOff")->isEnabled());  // "Parar" is grey while the show is off
        QCOMPARE(item("miAuto")->text(), QString("Diapositivas"));
        menu->hide();
        item("miAuto2S")->trigger();
        item("miAuto1M")->trigger();
        QVERIFY(!item("miAuto2S")->isChecked() && item("miAuto1M")->isChecked());
        QCOMPARE(V->Timer().interval(), 60000);
        item("miAuto5S")->trigger();
        QVERIFY(V->Timer().isActive());
        QCOMPARE(V->Timer().interval(), 5000);
        // A click that fits or unfits the picture does not postpone the next one.
        QTest::qWait(600);
        QTest::mouseClick(V->Box(), Qt::LeftButton, {}, V->Box()->rect().center());
        QVERIFY(V->Timer().isActive() && V->Timer().remainingTime() < 4800);
        // A tick steps on; at the end the show neither wraps nor stops.
        V->TimerTimer();
        QCOMPARE(V->Index(), 1);
        QVERIFY(V->Timer().remainingTime() > 4000);
        V->GoToIndex(56);
        V->TimerTimer();
        QCOMPARE(V->Index(), 56);
        QVERIFY(V->Timer().isActive());
        // Hidden, the show waits; shown again, it resumes with the same interval.
        V->close();
        QVERIFY(!V->isVisible());
        QVERIFY(!V->Timer().isActive());
        Open(Dir("many/"));
        QVERIFY(V->Timer().isActive());
        QCOMPARE(V->Timer().interval(), 5000);
        menu->popup(QPoint(0, 0));
        QVERIFY(item("miAutoOff")->isEnabled() && item("miAuto")->isChecked());
        menu->hide();
        item("miAutoOff")->trigger();
        QVERIFY(!V->Timer().isActive());
        QVERIFY(!item("miAuto5S")->isChecked() && !item("miAuto")->isChecked());
    }

    // What a disc or a person's disk may hold under a picture folder, and what may happen to it
    // while the viewer shows it: each case ends with a picture or "Error leyendo el archivo" (an
    // empty list for an unreadable folder), never a crash or a hang.
    void hostileFolders() {
        const QString d = Dir("hostil/");
        const QByteArray odd = QFile::encodeName(d) + "d\xff\xfe.jpg"; // not UTF-8
        // Qt cannot name the file that is not UTF-8, so the folder goes as a shell removes it.
        const auto remove = [&] { return QProcess::execute("rm", {"-rf", d}) == 0 && !QFileInfo::exists(d); };
        auto reset = [&] {
            QVERIFY(remove());
            WriteJpeg(d + "a.jpg", 40, 30);
            WriteJpeg(d + "b.jpg", 50, 30, 1);
            WriteJpeg(d + "c.jpg", 60, 30, 2);
            QVERIFY(QFile::link(d, d + "bucle")); // a folder that holds itself
            QFile out;
            QVERIFY(out.open(::open(odd.constData(), O_CREAT | O_WRONLY, 0644), QIODevice::WriteOnly, QFile::AutoCloseHandle));
            out.write(testfiles::ReadFile(d + "a.jpg"));
        };
        const auto shows = [this](const char *size) { return V->LblInfo2()->text().contains(QLatin1String(size)); };
        const auto fails = [this] { return V->LblInfo2()->text().startsWith("Error leyendo el archivo"); };
        const struct {
            const char *What;
            std::function<void()> Meanwhile; // done while the first picture is on show
            std::function<bool()> Then;      // after one step on
        } cases[] = {
            {"a link loop and a name that is not UTF-8", [] {},
             [&] { V->GoToIndex(3); return V->Pictures().size() == 4 && shows("40x30") && !fails(); }},
            {"an unreadable picture",
             [&] { platform::SetFailureInjector([&](platform::TFileOp op, const QString &path) {
                       return op == platform::TFileOp::Read && path.endsWith("c.jpg"); }); },
             [&] { V->GoToIndex(2); return fails(); }},
            {"the shown picture truncated", [&] { QVERIFY(QFile::resize(d + "a.jpg", 300)); },
             [&] { V->GoPrevious(); return V->Index() == 0 && !V->LblInfo2()->text().isEmpty(); }},
            {"the prepared neighbour replaced", [&] { QVERIFY(V->Prefetch().Holds()); WriteJpeg(d + "b.jpg", 70, 30, 3); },
             [&] { return shows("70x30"); }},
            {"the folder removed", [&] { QVERIFY(remove()); },
             [&] { const bool gone = fails(); V->GoToIndex(0); return gone && fails(); }},
        };
        for (const auto &c : cases) {
            reset();
            Open(d);
            QVERIFY2(V->Pictures().size() == 4 && shows("40x30"), c.What);
            c.Meanwhile();
            V->GoNext();
            const bool ok = c.Then();
            platform::SetFailureInjector({});
            QVERIFY2(ok, qPrintable(QString("%1: %2").arg(c.What, V->LblInfo2()->text())));
        }
        // A folder no one may read lists nothing.
        reset();
        platform::SetFailureInjector([&](platform::TFileOp op, const QString &) { return op == platform::TFileOp::List; });
        Open(d);
        platform::SetFailureInjector({});
        QVERIFY(V->Pictures().isEmpty());
        QVERIFY(V->LblInfo2()->text().startsWith("No hay arhivos en"));
    }

    void emptyListOpensNoMenuFromTheBox() {
        Open(Dir("small/"));
        QTest::mouseClick(V->Box(), Qt::RightButton, {}, QPoint(50, 50));
        QVERIFY(!V->PopupMenu()->isVisible());
        V->BtnOpc()->click();
        QVERIFY(V->PopupMenu()->isVisible());
        V->PopupMenu()->hide();
    }
};

int main(int argc, char **argv) {
    QTemporaryDir dir;
    gDir = &dir;
    return testsupport::RunOn1024x768<TestVisor>(argc, argv, dir.path());
}

#include "VisorTest.moc"
