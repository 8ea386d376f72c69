// The hot-zone control as the keyboard and assistive tools use it: regions as push buttons in
// map order, their names, states, rectangles and press action; Tab over the enabled regions;
// the focused region lit.
#include "hotzone/HotImg.h"
#include "hotzone/HotZoneAccessible.h"
#include "support/ShippedMap.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QImage Filled(QSize size, QColor color) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

const QColor kNormal(20, 30, 60), kLit(250, 200, 40);

// The shipped map on a hot image, inside a window that also holds an entry before it, so that
// the focus has somewhere to come from and go back to.
struct TFixture {
    QStringList Log; // first: it outlives the window, whose closing still reports the focus
    QWidget Window;
    QLineEdit *Before = new QLineEdit(&Window);
    THotImg *Hot = new THotImg(&Window);

    TFixture() {
        Before->setGeometry(0, 420, 100, 20);
        Hot->setGeometry(0, 0, 457, 417);
        Hot->SetImg(Filled({457, 417}, kNormal));
        Hot->SetImgH(Filled({457, 417}, kLit));
        Hot->SetShowRegions(false);
        Hot->SetRegions(ShippedMap());
        Window.resize(460, 450);
        for (auto signal : {&TCustomHotZone::OnHit, &TCustomHotZone::OnHitUp, &TCustomHotZone::OnFocus})
            QObject::connect(Hot, signal, Hot, [this, signal](QObject *, const QString &id) {
                Log << QString(signal == &TCustomHotZone::OnHit ? "Hit" : signal == &TCustomHotZone::OnHitUp ? "HitUp" : "Focus") +
                           u':' + id;
            });
        Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window));
        Window.activateWindow();
        Before->setFocus();
    }
    QAccessibleInterface *Iface() const { return QAccessible::queryAccessibleInterface(Hot); }
    QAccessibleInterface *Child(const QString &id) const {
        return Iface()->child(Hot->RgnList().IndexOf(Hot->RgnList().FindById(id)));
    }
    bool Lit(const QString &id) const {
        const QRect box = Hot->GetRegionRect(id);
        return Hot->grab().toImage().pixelColor(box.center()) == kLit;
    }
    QString Focused() const { return Hot->hasFocus() && Hot->FocusRgn() ? Hot->FocusRgn()->Id : QString(); }
    void Tab(bool back = false) { QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab); }
};

} // namespace

class TestAccessible : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void regionsArePushButtonsInMapOrder() {
        TFixture f;
        QAccessibleInterface *iface = f.Iface();
        QVERIFY(iface);
        QCOMPARE(iface->childCount(), 11);
        const QStringList ids{"VIDEO", "MUSICA", "VARIOS", "SALIR",    "MINIMIZAR", "IMAGEN",
                              "MOVER", "LUP",    "LDOWN",  "CREDITOS", "EJECUTAR"};
        for (int i = 0; i < ids.size(); ++i) {
            QAccessibleInterface *child = iface->child(i);
            QVERIFY(child && child->isValid());
            QCOMPARE(child->role(), QAccessible::PushButton);
            // Without a presenter a region is named by its id.
            QCOMPARE(child->text(QAccessible::Name), ids[i]);
            const QRect box = f.Hot->GetRegionRect(ids[i]);
            QCOMPARE(child->rect(), QRect(f.Hot->mapToGlobal(box.topLeft()), box.size()));
            QCOMPARE(child->parent(), iface);
            QCOMPARE(iface->indexOfChild(child), i);
            QCOMPARE(iface->child(i), child); // one interface per region, kept
            QVERIFY(child->actionInterface());
            QCOMPARE(child->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        }
        // The circle MOVER is found by a point of its box's centre.
        const QPoint centre = f.Hot->mapToGlobal(QPoint(277, 341));
        QCOMPARE(iface->childAt(centre.x(), centre.y()), f.Child("MOVER"));
    }

    void presentationAndStates() {
        TFixture f;
        f.Hot->SetPresenter([](const QString &id) {
            return id == u"VIDEO" ? THSRgnPresentation{"Películas", true} : THSRgnPresentation{id.toLower(), false};
        });
        QCOMPARE(f.Child("VIDEO")->text(QAccessible::Name), QString("Películas"));
        QCOMPARE(f.Child("SALIR")->text(QAccessible::Name), QString("salir"));
        QVERIFY(f.Child("VIDEO")->state().checkable);
        QVERIFY(!f.Child("VIDEO")->state().checked);
        f.Hot->IncludeRegionFlags("VIDEO", hsLatched);
        QVERIFY(f.Child("VIDEO")->state().checked);
        // A latch that only lights a region (the blinking arrows) is no choice.
        f.Hot->IncludeRegionFlags("LUP", hsLatched);
        QVERIFY(!f.Child("LUP")->state().checkable);
        QVERIFY(!f.Child("LUP")->state().checked);
        QVERIFY(f.Child("SALIR")->state().focusable);
        QVERIFY(!f.Child("SALIR")->state().disabled);
        f.Hot->AssignRegionFlags("SALIR", 0);
        QVERIFY(f.Child("SALIR")->state().disabled);
        QVERIFY(!f.Child("SALIR")->state().focusable);
    }

    void pressActionRaisesWhatAClickRaises_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("log");
        QTest::newRow("enabled") << "CREDITOS" << int(hsEnabled | hsHoverLight) << "Hit:CREDITOS HitUp:CREDITOS";
        QTest::newRow("repeating") << "LUP" << int(hsEnabled | hsAutoRepeat) << "Hit:LUP HitUp:LUP";
        QTest::newRow("disabled") << "SALIR" << 0 << "HitUp:SALIR";
    }
    void pressActionRaisesWhatAClickRaises() {
        QFETCH(QString, id);
        QFETCH(int, flags);
        QFETCH(QString, log);
        TFixture f;
        f.Hot->AssignRegionFlags(id, THSFlags(flags));
        f.Child(id)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // Not at once: a tool's call must not wait for what the press opens.
        QVERIFY(f.Log.isEmpty());
        QTRY_COMPARE(f.Log.join(' '), log);
        QCOMPARE(f.Hot->Pressing(), false);
        QCOMPARE(f.Hot->DownRgn(), nullptr);
    }

    void pressOfARebuiltListIsDropped() {
        TFixture f;
        f.Child("VIDEO")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        f.Hot->SetRegions(ShippedMap());
        QCoreApplication::processEvents();
        QVERIFY(f.Log.isEmpty());
        QVERIFY(f.Child("VIDEO")->isValid());
    }

    void tabWalksTheEnabledRegions() {
        TFixture f;
        f.Hot->AssignRegionFlags("MUSICA", 0);
        QStringList walk;
        for (int i = 0; i < 11; ++i) {
            f.Tab();
            walk << (f.Focused().isEmpty() ? QString("-") : f.Focused());
        }
        QCOMPARE(walk.join(' '), QString("VIDEO VARIOS SALIR MINIMIZAR IMAGEN MOVER LUP LDOWN CREDITOS EJECUTAR -"));
        QVERIFY(f.Before->hasFocus());
        f.Tab(true);
        QCOMPARE(f.Focused(), QString("EJECUTAR"));
        f.Tab(true);
        QCOMPARE(f.Focused(), QString("CREDITOS"));
        QVERIFY(f.Iface()->focusChild());
        QCOMPARE(f.Iface()->focusChild(), f.Child("CREDITOS"));
        QVERIFY(f.Child("CREDITOS")->state().focused);
        QVERIFY(!f.Child("EJECUTAR")->state().focused);
    }

    void focusedRegionIsLitAndPressedByKeys() {
        TFixture f;
        QVERIFY(!f.Lit("VIDEO"));
        f.Tab();
        QVERIFY(f.Lit("VIDEO"));
        f.Tab();
        QVERIFY(!f.Lit("VIDEO"));
        QVERIFY(f.Lit("MUSICA"));
        f.Log.clear();
        QTest::keyClick(f.Hot, Qt::Key_Space);
        QTest::keyClick(f.Hot, Qt::Key_Return);
        QTest::keyClick(f.Hot, Qt::Key_A);
        QCOMPARE(f.Log.join(' '), QString("Hit:MUSICA HitUp:MUSICA Hit:MUSICA HitUp:MUSICA"));
        // A latched region keeps its light when the focus leaves it; others go dark with the focus.
        f.Hot->IncludeRegionFlags("MUSICA", hsLatched);
        f.Before->setFocus();
        QVERIFY(f.Lit("MUSICA"));
        f.Hot->ExcludeRegionFlags("MUSICA", hsLatched);
        QVERIFY(!f.Lit("MUSICA"));
        // Coming back to the window brings the focus back to the same region, lit.
        f.Hot->setFocus(Qt::ActiveWindowFocusReason);
        QVERIFY(f.Lit("MUSICA"));
        QTRY_COMPARE(f.Log.last(), QString("Focus:MUSICA"));
    }

    void aClickNeitherFocusesNorLights() {
        TFixture f;
        const QPoint p(380, 40);
        QTest::mouseMove(f.Hot, p);
        QTest::mouseClick(f.Hot, Qt::LeftButton, {}, p);
        QVERIFY(f.Before->hasFocus());
        // The window activated with the control's focus lights nothing until the keyboard is used.
        f.Hot->setFocus(Qt::ActiveWindowFocusReason);
        QCOMPARE(f.Hot->FocusRgn(), nullptr);
        QTest::mouseMove(f.Hot, QPoint(5, 400));
        QVERIFY(!f.Lit("VIDEO"));
        QVERIFY(!f.Lit("MUSICA"));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    InstallHotZoneAccessibility();
    TestAccessible t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_accessible.moc"
