// The yardstick: a bare Qt window of the menu's size, painted once.
#include "lib/SkinGeometry.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class TBare : public QWidget {
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(40, 50, 120)); }
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TBare w;
    w.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    w.setGeometry(QRect(QPoint(296, 192), kSkinSize));
    w.show();
    return app.exec();
}
