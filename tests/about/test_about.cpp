#include "about/AboutFrm.h"

#include "support/RecordingDesktop.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

static TRecordingDesktop *gDesk = nullptr;

namespace {
void MoveOver(QWidget *w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
bool LooksLit(const QLabel *l) {
    return l->palette().color(QPalette::WindowText) == QColor(0, 0, 255) && l->font().underline();
}
bool LooksPlain(const QLabel *l) {
    return l->palette().color(QPalette::WindowText) == QColor(0, 0, 0) && !l->font().underline() && !l->font().bold();
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void design();
    void hoverAndPanel();
    void hotCarriesAcrossShowings();
    void clickSendsMailAndStaysOpen();
    void mailLinkForScreenReaders();
    void mailLinkFromTheKeyboard();
};

void TestAbout::design() {
    TAboutFrm f;
    QCOMPARE(f.windowTitle(), QString("Acerca de Telvaro"));
    QCOMPARE(f.size(), QSize(329, 240));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QVERIFY(!(f.windowFlags() & Qt::WindowMinMaxButtonsHint));
    QVERIFY(!f.MailHot());
    QVERIFY(LooksPlain(f.LblMail()));
    QCOMPARE(f.findChild<QLabel *>("LblVersion")->text(), QString("1.62"));
    QVERIFY(f.LblMail()->text().startsWith("e-mail: "));
    QCOMPARE(f.LblMail()->cursor().shape(), Qt::PointingHandCursor);
}

void TestAbout::hoverAndPanel() {
    TAboutFrm f;
    f.show();
    MoveOver(f.LblMail(), {5, 5});
    QVERIFY(f.MailHot());
    QVERIFY(LooksLit(f.LblMail()));
    MoveOver(f.Panel(), {2, 2});
    QVERIFY(!f.MailHot());
    QVERIFY(LooksPlain(f.LblMail()));
    MoveOver(f.LblMail(), {6, 6});
    QVERIFY(LooksLit(f.LblMail()));
}

void TestAbout::hotCarriesAcrossShowings() {
    TAboutFrm f;
    f.show();
    MoveOver(f.LblMail(), {5, 5});
    f.accept(); // closed while lit: the pointer left straight out of the panel
    QVERIFY(f.isHidden());
    f.show();
    QVERIFY(f.MailHot());
    QVERIFY(LooksLit(f.LblMail()));
}

void TestAbout::clickSendsMailAndStaysOpen() {
    gDesk->ClearRecord();
    TAboutFrm f;
    f.show();
    QTest::mouseClick(f.LblMail(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(f.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(gDesk->Recorded().contains("end"), 10000);
    QCOMPARE(gDesk->Recorded().mid(1), QStringList({"arg:mail", "arg:mailto:" + kMakerMail + "?subject=CD Telvaro", "end"}));
    QVERIFY(f.isVisible());
}

void TestAbout::mailLinkForScreenReaders() {
    gDesk->ClearRecord();
    TAboutFrm f;
    f.show();
    QAccessibleInterface *link = QAccessible::queryAccessibleInterface(f.LblMail());
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), "e-mail: " + kMakerMail);
    QVERIFY(link->state().linked);
    QVERIFY(link->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY_WITH_TIMEOUT(gDesk->Recorded().contains("end"), 10000);
    QCOMPARE(gDesk->Recorded().mid(1), QStringList({"arg:mail", "arg:mailto:" + kMakerMail + "?subject=CD Telvaro", "end"}));
    QVERIFY(f.isVisible());
    QVERIFY(!f.MailHot());
}

void TestAbout::mailLinkFromTheKeyboard() {
    gDesk->ClearRecord();
    TAboutFrm f;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    // "Aceptar" has the keyboard at first, and the link looks as it always did.
    QVERIFY(f.focusWidget() && f.focusWidget()->objectName() == "OKButton");
    QVERIFY(LooksPlain(f.LblMail()));
    QTest::keyClick(f.focusWidget(), Qt::Key_Tab);
    QVERIFY(f.LblMail()->hasFocus());
    QVERIFY(LooksLit(f.LblMail()));
    QTest::keyClick(f.LblMail(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(gDesk->Recorded().contains("end"), 10000);
    QVERIFY(f.isVisible()); // Enter on the link is the link's, not the default button's
    QTest::keyClick(f.LblMail(), Qt::Key_Tab);
    QVERIFY(LooksPlain(f.LblMail()));
    // Closed with the link focused, the box opens on "Aceptar" again.
    QTest::keyClick(f.focusWidget(), Qt::Key_Tab);
    f.accept();
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QVERIFY(!f.LblMail()->hasFocus());
    QVERIFY(LooksPlain(f.LblMail()));
}

int main(int argc, char **argv) {
    TRecordingDesktop desk;
    gDesk = &desk;
    QApplication app(argc, argv);
    TestAbout t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_about.moc"
