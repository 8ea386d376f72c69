#pragma once
// The go-to entry over the counter ("3/57"): a click on the counter, or Ctrl+G, turns it into
// an entry for a picture number; Enter goes there, Esc gives the counter back.
#include <QObject>

class QKeyEvent;
class QLabel;
class QLineEdit;

class TGoToEntry : public QObject {
    Q_OBJECT
public:
    // Counter is the label that shows "index/count", Edit the entry placed over it.
    TGoToEntry(QLabel *counter, QLineEdit *edit, QObject *parent);

    // Opens the entry on picture Index (from 0) of Count; nothing with no pictures.
    void Open(int index, int count);
    bool IsOpen() const;

Q_SIGNALS:
    void CounterClicked();
    void Chosen(int index); // from 0, always within the list
    void Closed();          // the entry is gone: the keyboard goes back to the picture

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool KeyPress(QKeyEvent *event);
    void Close();

    QLabel *FCounter;
    QLineEdit *FEdit;
    int FIndex = 0, FCount = 0;
};
