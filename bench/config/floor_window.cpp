// The floor for VykCfg's start-up figures: the smallest Qt Widgets program that shows a
// frameless window of VykCfg's size. On its first paint it appends one line to the file named
// by VYK_DEBUG_LOG, as VykCfg does, so both are timed the same way.
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

namespace {

class FloorWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0x13, 0x15, 0x18));
        if (painted_) return;
        painted_ = true;
        if (const char* log = std::getenv("VYK_DEBUG_LOG")) {
            QFile f(QString::fromLocal8Bit(log));
            if (f.open(QIODevice::Append)) f.write("first frame painted\n");
        }
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FloorWindow w;
    w.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    w.setFixedSize(801, 638);
    w.show();
    return app.exec();
}
