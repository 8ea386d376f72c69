#pragma once
// The picture viewer's window. It is created hidden at start-up, third of the program's
// windows; what it shows and does arrives with the viewer itself, and until then nothing
// opens it.
#include <QWidget>

class TVisorFrm : public QWidget {
    Q_OBJECT
public:
    explicit TVisorFrm(QWidget *parent = nullptr);
};
