// The viewer for the keyboard and screen readers, offscreen: what the picture area and the
// buttons are called, what is said at each picture, the go-to entry, and Tab over the buttons.
#include "lib/DiscPaths.h"
#include "viewer/GVisor.h"
#include "viewer/PictureBox.h"
#include "viewer/SpeedButton.h"
#include "viewer/ViewerAccessible.h"
#include "viewer/VisorLayout.h"

#include "support/PictureFixtures.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {

QTemporaryDir *gDir = nullptr;

QString Dir(const QString &rel) { return gDir->path() + u'/' + rel; }

QAccessibleInterface *Iface(QWidget *w) { return QAccessible::queryAccessibleInterface(w); }

} // namespace

class TestVisorAccess : public QObject {
    Q_OBJECT
    std::unique_ptr<TVisorFrm> V;

    void Open(const QString &path) {
        V->show();
        V->activateWindow();
        V->OpenPath(path);
    }
    QString Name() const { return Iface(V->Box())->text(QAccessible::Name); }
    QString Place() const { return Iface(V->Box())->text(QAccessible::Description); }

private Q_SLOTS:
    void initTestCase() {
        for (const char *name : {"uno.jpg", "dos.jpg", "tres.jpg"})
            QVERIFY(testpictures::WriteBusyJpeg(Dir(QString("fotos/") + name), 48, 48, 777u + quint32(qHash(QByteArray(name)))));
        // Passes the size filter, but is no picture.
        testfiles::WriteFile(Dir("fotos/zz-rota.jpg"), QByteArray(4096, 'x'));
        QDir().mkpath(Dir("vacia"));
    }
    void init() { V = std::make_unique<TVisorFrm>(TViewerSettings{{}, "Modo automático", true}); }
    void cleanup() { V.reset(); }

    void placeText_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 0 << 57 << true << "1 de 57";
        QTest::newRow("last") << 56 << 57 << true << "57 de 57";
        QTest::newRow("unreadable") << 3 << 57 << false << "4 de 57, no se pudo leer";
    }
    void placeText() {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(bool, readable);
        QFETCH(QString, text);
        QCOMPARE(PlaceText(index, count, readable), text);
    }

    void partsAreNamed() {
        Open(Dir("fotos/"));
        const struct {
            QWidget *Widget;
            QAccessible::Role Role;
            const char *Name;
        } parts[] = {{V->BtnPrev(), QAccessible::PushButton, "Anterior"},
                     {V->BtnNext(), QAccessible::PushButton, "Siguiente"},
                     {V->BtnOpc(), QAccessible::PushButton, "Opciones"},
                     {V->BtnSalir(), QAccessible::PushButton, "Cerrar"},
                     {V->Edit1(), QAccessible::EditableText, "Ir a la imagen"},
                     {V->Box(), QAccessible::Graphic, "dos.jpg"},
                     {V.get(), QAccessible::Window, "Visor"}};
        for (const auto &p : parts) {
            QCOMPARE(Iface(p.Widget)->role(), p.Role);
            QCOMPARE(Iface(p.Widget)->text(QAccessible::Name), QString::fromUtf8(p.Name));
        }
    }

    void everyPictureSaysWhereItIs() {
        Open(Dir("fotos/"));
        // Sorted: dos, tres, uno, zz-rota.
        QCOMPARE(Name(), QString("dos.jpg"));
        QCOMPARE(Place(), QString("1 de 4"));
        QTest::keyClick(V.get(), Qt::Key_Right);
        QCOMPARE(Name(), QString("tres.jpg"));
        QCOMPARE(Place(), QString("2 de 4"));
        QTest::keyClick(V.get(), Qt::Key_End);
        QCOMPARE(Name(), QString("zz-rota.jpg"));
        QCOMPARE(Place(), QString("4 de 4, no se pudo leer"));
        V->OpenPath(Dir("vacia/"));
        QCOMPARE(Name(), "No hay arhivos en " + Dir("vacia/"));
        QCOMPARE(Place(), QString());
    }

    void goToFromTheKeyboard() {
        Open(Dir("fotos/"));
        QTest::keyClick(V.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(V->Edit1()->isVisible());
        QVERIFY(V->Edit1()->hasFocus());
        QCOMPARE(Iface(V->Edit1())->text(QAccessible::Description), QString("de 1 a 4"));
        QTest::keyClicks(V->Edit1(), "3");
        QTest::keyClick(V->Edit1(), Qt::Key_Return);
        QVERIFY(!V->Edit1()->isVisible());
        QCOMPARE(Name(), QString("uno.jpg"));
        // The keyboard is back on the picture, whose keys still page.
        QVERIFY(V->Box()->hasFocus());
        QTest::keyClick(V->Box(), Qt::Key_Left);
        QCOMPARE(Name(), QString("tres.jpg"));
    }

    void tabOverTheButtons() {
        Open(Dir("fotos/"));
        if (!QApplication::activeWindow())
            QSKIP("the window cannot be made active here");
        QVERIFY(V->Box()->hasFocus());
        // "Anterior" is disabled on the first picture and is passed over.
        QStringList walk;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walk << Iface(QApplication::focusWidget())->text(QAccessible::Name);
        }
        QCOMPARE(walk.join(" | "), QString("Siguiente | Opciones | Cerrar | dos.jpg"));
        QTest::keyClick(V->Box(), Qt::Key_Tab);
        QVERIFY(V->BtnNext()->hasFocus());
        QTest::keyClick(V->BtnNext(), Qt::Key_Return);
        QCOMPARE(V->Index(), 1);
        QTest::keyClick(V->BtnNext(), Qt::Key_Space);
        QCOMPARE(V->Index(), 2);
        // The arrows page the pictures rather than move between the buttons.
        QTest::keyClick(V->BtnNext(), Qt::Key_Left);
        QCOMPARE(V->Index(), 1);
        QVERIFY(V->BtnNext()->hasFocus());
        QTest::keyClick(V->BtnNext(), Qt::Key_Tab);
        QTest::keyClick(V->BtnOpc(), Qt::Key_Space);
        QTRY_VERIFY(V->PopupMenu()->isVisible());
        V->PopupMenu()->hide();
    }

    void aClickLeavesTheKeyboardAlone() {
        Open(Dir("fotos/"));
        QTest::mouseClick(V->BtnNext(), Qt::LeftButton);
        QCOMPARE(V->Index(), 1);
        QVERIFY(!V->BtnNext()->hasFocus());
        QTest::mouseClick(V->Box(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!V->BtnNext()->hasFocus());
    }
};

int main(int argc, char **argv) {
    QTemporaryDir dir;
    gDir = &dir;
    InstallViewerAccessibility();
    return testsupport::RunOn1024x768<TestVisorAccess>(argc, argv, dir.path());
}

#include "VisorAccessTest.moc"
