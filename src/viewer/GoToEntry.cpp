#include "viewer/GoToEntry.h"

#include "viewer/VisorLayout.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

TGoToEntry::TGoToEntry(QLabel *counter, QLineEdit *edit, QObject *parent)
    : QObject(parent), FCounter(counter), FEdit(edit) {
    FCounter->installEventFilter(this);
    FEdit->installEventFilter(this);
    FEdit->hide();
}

bool TGoToEntry::IsOpen() const { return FEdit->isVisible(); }

void TGoToEntry::Open(int index, int count) {
    if (count <= 0)
        return;
    FIndex = index;
    FCount = count;
    const int digits = int(QString::number(count).size());
    FEdit->setMaxLength(digits);
    FEdit->setText(QString::number(index + 1));
    FEdit->setFixedWidth(QFontMetrics(FEdit->parentWidget()->font()).horizontalAdvance(QLatin1Char('H')) * digits + 4);
    FEdit->setAccessibleDescription(QStringLiteral("de 1 a %1").arg(count));
    FCounter->setText(QString::number(count));
    FCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FCounter->unsetCursor();
    FEdit->show();
    FEdit->raise();
    FEdit->setFocus();
    FEdit->selectAll();
}

void TGoToEntry::Close() {
    FEdit->hide();
    FCounter->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Q_EMIT Closed();
}

bool TGoToEntry::KeyPress(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        bool ok = false;
        const int n = FEdit->text().toInt(&ok);
        if (ok && n >= 1 && n <= FCount) {
            Close();
            Q_EMIT Chosen(n - 1);
        }
        return true;
    }
    if (key == Qt::Key_Escape) {
        Close();
        FCounter->setText(CounterText(FIndex, FCount));
        FCounter->setCursor(Qt::PointingHandCursor);
        return true;
    }
    // Digits and control characters (backspace, the arrows) are the entry's; other text is not.
    const QString text = event->text();
    if (!text.isEmpty() && text[0].unicode() >= 32 && !(text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9')))
        return true;
    return false;
}

bool TGoToEntry::eventFilter(QObject *watched, QEvent *event) {
    if (watched == FEdit && event->type() == QEvent::KeyPress)
        return KeyPress(static_cast<QKeyEvent *>(event));
    if (watched == FCounter && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && FCounter->rect().contains(mouse->position().toPoint()))
            Q_EMIT CounterClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
