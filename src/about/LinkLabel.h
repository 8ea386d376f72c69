#pragma once
// A label that works as a link. A click is its owner's to handle (the owner also decides how the
// link looks); the keyboard (Space or Enter, once Tab has given it the focus, which a click
// never does) and an assistive tool's press raise Activated. Assistive tools see a link named by
// the label's text.
#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void Activated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
