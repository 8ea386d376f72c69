// The viewer's background music with real tracks played into a fake sink that keeps time: the
// track list, the random choice with a fixed seed, completion, "Música" and "Nuevo tema".
#include "lib/DiscPaths.h"
#include "viewer/DSPlay.h"
#include "viewer/GVisor.h"
#include "viewer/ViewerMusic.h"

#include "support/MusicFixtures.h"
#include "support/TestPictures.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace mf = musicfixtures;

namespace {
constexpr int kPatienceMs = 15000;
}

class TestVisorMusic : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::unique_ptr<TVisorFrm> V;

    // A music folder of its own for each case; the viewer shown so that it builds its list.
    QDir Folder(const QString &name) {
        QDir d(FDir.filePath(name));
        d.mkpath(".");
        return d;
    }
    void Show(const QDir &music, bool mp3 = true) { Show(music.path(), mp3); }
    void Show(const QString &music, bool mp3 = true) {
        V = std::make_unique<TVisorFrm>(TViewerSettings{music});
        V->Music().SetFixedSeed(7);
        V->Music().Player()->SetMp3SupportedForTesting(mp3 && V->Music().Player()->Mp3Supported());
        V->show();
    }
    QAction *Item(const char *name) { return V->PopupMenu()->findChild<QAction *>(name); }
    // The menu as a person opens it, which sets its items' state and captions.
    void OpenMenu() {
        V->PopupMenu()->popup(QPoint(0, 0));
        V->PopupMenu()->hide();
    }
    // Records each finished track, then lets the viewer go on as it would.
    QStringList RecordCompletions() {
        auto finished = std::make_shared<QStringList>();
        // Heard before the viewer, which opens the next track as it hears it.
        TDSPlayer *player = V->Music().Player();
        QObject::disconnect(player, &TDSPlayer::OnComplete, &V->Music(), nullptr);
        QObject::connect(player, &TDSPlayer::OnComplete,
                         [finished](TDSPlayer *p) { *finished << QFileInfo(p->FileName()).fileName(); });
        QObject::connect(player, &TDSPlayer::OnComplete, &V->Music(), &TViewerMusic::TrackEnded);
        (void)QTest::qWaitFor([&] { return finished->size() >= 4; }, kPatienceMs);
        return *finished;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(TMediaPlayerAvailable()); }
    void cleanup() { V.reset(); }

    void trackList() {
        const QDir d = Folder("list");
        QVERIFY(!mf::Tone(d, "a.mp3", 0.3).isEmpty());
        QVERIFY(!mf::Midi(d, "b.mid", 40).isEmpty());
        QVERIFY(!mf::Tone(d, "c.wav", 1.0).isEmpty());  // about 88 kB: a sound, not music
        Show(d);
        QCOMPARE(V->Music().Tracks(), QStringList({d.filePath("a.mp3"), d.filePath("b.mid")}));
        OpenMenu();
        QVERIFY(Item("miMusica")->isEnabled());
        Show(d, false);
        QCOMPARE(V->Music().Tracks(), QStringList({d.filePath("b.mid")}));
        Show(QString());
        QVERIFY(V->Music().Tracks().isEmpty());
        QVERIFY(!Item("miMusica")->isEnabled());
    }

    void oneTrackRepeats() {
        const QDir d = Folder("one");
        mf::Midi(d, "solo.mid", 40);
        Show(d);
        Item("miMusica")->trigger();
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
        QCOMPARE(RecordCompletions(), QStringList({"solo.mid", "solo.mid", "solo.mid", "solo.mid"}));
    }

    void twoTracksAlternate() {
        const QDir d = Folder("two");
        mf::Midi(d, "a.mid", 40);
        mf::Midi(d, "b.mid", 40);
        Show(d);
        Item("miMusica")->trigger();
        const QStringList heard = RecordCompletions();
        for (int i = 1; i < heard.size(); ++i)
            QVERIFY2(heard[i] != heard[i - 1], qPrintable(heard.join(' ')));
    }

    void newTrackAlwaysChangesAndUncheckingStops() {
        const QDir d = Folder("three");
        for (const char *name : {"a.mid", "b.mid", "c.mid"})
            mf::Midi(d, name, 400);
        Show(d);
        Item("miMusica")->trigger();
        OpenMenu();
        QVERIFY(Item("miTema")->isEnabled());
        QCOMPARE(Item("miMusica")->text(), QString("Música (%1)").arg(QFileInfo(V->Music().Player()->FileName()).fileName()));
        for (int i = 0; i < 12; ++i) {
            const QString before = V->Music().Player()->FileName();
            Item("miTema")->trigger();
            QVERIFY(V->Music().Player()->FileName() != before);
            QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
        }
        Item("miMusica")->trigger();
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stClosed);
        QVERIFY(V->Music().Player()->FileName().isEmpty());
        OpenMenu();
        QVERIFY(!Item("miTema")->isEnabled());
        // The check survives closing the viewer; showing it again with a picture path plays.
        Item("miMusica")->trigger();
        V->close();
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stClosed);
        V->show();
        V->OpenPath(d.filePath("nada/"));
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
    }

    void corruptTrackThenNewTrack() {
        const QDir d = Folder("corrupt");
        QVERIFY(testfiles::WriteFile(d.filePath("roto.mid"), QByteArray(8192, 'j')));
        mf::Midi(d, "bueno.mid", 400);
        Show(d);
        Item("miMusica")->trigger();
        for (int i = 0; i < 20 && V->Music().Player()->State() != TDSPlayer::stPlaying; ++i) {
            // A track that cannot play leaves silence, with the choice kept.
            QCOMPARE(V->Music().Player()->State(), TDSPlayer::stClosed);
            QVERIFY(Item("miMusica")->isChecked());
            OpenMenu();
            Item("miTema")->trigger();
        }
        QCOMPARE(QFileInfo(V->Music().Player()->FileName()).fileName(), QString("bueno.mid"));
    }

    void oneFileListedTwice() {
        // ".m" occurs in both the "mp3" and the "mid;mp2" lists: one file, two entries. Drawing
        // a track other than the one playing must still end.
        const QDir d = Folder("twice");
        QFile::copy(mf::Tone(Folder("src"), "t.mp3", 0.3), d.filePath("tono.m"));
        Show(d);
        QCOMPARE(V->Music().Tracks().size(), 2);
        Item("miMusica")->trigger();
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
        V->Music().PlayRandomTrack();
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
    }

    void savingPausesTheMusic() {
        const QDir d = Folder("save");
        mf::Midi(d, "a.mid", 400);
        QVERIFY(testpictures::WriteBusyJpeg(d.filePath("fotos/f.jpg"), 64, 64, 1));
        Show(d);
        Item("miMusica")->trigger();
        V->OpenPath(d.filePath("fotos/"));
        int during = -1;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            during = V->Music().Player()->State();
            QApplication::activeModalWidget()->close();
        });
        Item("miGuardar")->trigger();
        QCOMPARE(during, int(TDSPlayer::stClosed));
        QCOMPARE(V->Music().Player()->State(), TDSPlayer::stPlaying);
    }

private:
    static bool TMediaPlayerAvailable() { return TDSPlayer().Available(); }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestVisorMusic t;
    return QTest::qExec(&t, argc, argv);
}

#include "VisorMusicTest.moc"
