#pragma once
// The credits dialog, with its hovering mail link to the maker.
#include <QDialog>
#include <QTimer>

#include <memory>

namespace Ui {
class TAboutFrm;
}
class QLabel;
class QFrame;

// The maker's contact, also used by the menu's own mail button.
inline const QString kMakerMail = QStringLiteral("estudio@example.com");
inline const QString kMailSubject = QStringLiteral("CD Telvaro");

class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFrm(QWidget *parent = nullptr);
    ~TAboutFrm() override;

    bool MailHot() const { return FMailHot; }
    QLabel *LblMail() const;
    QFrame *Panel() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Centre();
    void FormCreate();
    void LblMailMouseMove();
    void PanelMouseMove();
    void LblMailClick();
    void PaintMail();

    std::unique_ptr<Ui::TAboutFrm> FUi;
    bool FMailHot = false;
    QTimer FFrameWait;
    int FFrameChecks = 0;
};
