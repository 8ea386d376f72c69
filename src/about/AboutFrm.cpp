#include "about/AboutFrm.h"

#include "about/LinkLabel.h"
#include "lib/GExec.h"

#include "ui_AboutFrm.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

static void InitAboutResources() { Q_INIT_RESOURCE(about); }

TAboutFrm::TAboutFrm(QWidget *parent) : QDialog(parent), FUi(std::make_unique<Ui::TAboutFrm>()) {
    InitAboutResources();
    FUi->setupUi(this);
    FormCreate();
}

TAboutFrm::~TAboutFrm() = default;

QLabel *TAboutFrm::LblMail() const { return FUi->LblMail; }
QFrame *TAboutFrm::Panel() const { return FUi->Panel; }

void TAboutFrm::FormCreate() {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(329, 240);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    QPixmap logo(QStringLiteral(":/telvaro/logo.jpg"));
    if (!logo.isNull()) {
        FUi->ProgramIcon->setPixmap(logo);
        FUi->ProgramIcon->resize(logo.size());
    }
    FUi->Panel->installEventFilter(this);
    FUi->LblMail->installEventFilter(this);
    connect(FUi->LblMail, &TLinkLabel::Activated, this, &TAboutFrm::LblMailClick);
    // "Aceptar" first, then the link.
    setTabOrder(FUi->OKButton, FUi->LblMail);
    FMailHot = false;
    PaintMail();
    FFrameWait.setInterval(20);
    connect(&FFrameWait, &QTimer::timeout, this, [this] {
        if (!windowHandle()->frameMargins().isNull()) {
            FFrameWait.stop();
            Centre();
        } else if (++FFrameChecks >= 50) {
            FFrameWait.stop();
        }
    });
}

void TAboutFrm::Centre() {
    const QScreen *s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize framed = size().grownBy(frame);
    // The client area's place, so that the frame, whatever its sides, is what is centred.
    const QPoint client = s->geometry().center() - QPoint(framed.width() / 2, framed.height() / 2) +
                          QPoint(frame.left(), frame.top());
    setGeometry(QRect(client, size()));
}

void TAboutFrm::showEvent(QShowEvent *event) {
    Centre();
    // At the first showing the window manager has not framed the box yet, so it was centred
    // without a frame: it is centred again as soon as the frame is known (asked for a second at
    // most; a window without a frame never gets one).
    FFrameChecks = 0;
    if (windowHandle() && windowHandle()->frameMargins().isNull())
        FFrameWait.start();
    // Every showing starts on "Aceptar", even when the keyboard left the link focused last time.
    FUi->OKButton->setFocus();
    QDialog::showEvent(event);
}

bool TAboutFrm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == FUi->LblMail && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        PaintMail();
        return false;
    }
    if (event->type() == QEvent::MouseMove) {
        if (watched == FUi->LblMail) {
            // Consumed here: the label would pass it on to the panel, which unlights the link.
            LblMailMouseMove();
            return true;
        }
        if (watched == FUi->Panel)
            PanelMouseMove();
    } else if (watched == FUi->LblMail && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
               FUi->LblMail->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        LblMailClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutFrm::LblMailMouseMove() {
    if (FMailHot)
        return;
    FMailHot = true;
    PaintMail();
}

void TAboutFrm::PanelMouseMove() {
    if (!FMailHot)
        return;
    FMailHot = false;
    PaintMail();
}

void TAboutFrm::PaintMail() {
    // The keyboard's focus on the link shows it lit, as the pointer over it does.
    const bool lit = FMailHot || FUi->LblMail->hasFocus();
    QFont f = FUi->LblMail->font();
    f.setUnderline(lit);
    f.setBold(false);
    FUi->LblMail->setFont(f);
    QPalette p = FUi->LblMail->palette();
    p.setColor(QPalette::WindowText, lit ? QColor(0, 0, 255) : QColor(0, 0, 0));
    FUi->LblMail->setPalette(p);
}

void TAboutFrm::LblMailClick() { SendMail(kMakerMail, kMailSubject); }
