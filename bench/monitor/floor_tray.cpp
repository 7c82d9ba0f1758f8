// The floor for VykMon's idle figures: the smallest Qt Widgets tray program, one tray icon with
// one menu (VykMon's three items) and no window, as VykMon itself has none on screen. It runs
// until it is ended.
#include <QAction>
#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(QColor(0x26, 0x2B, 0x33));
    QMenu menu;
    menu.addAction(QStringLiteral("Config"));
    menu.addAction(QStringLiteral("About"))->setVisible(false);
    menu.addAction(QStringLiteral("Exit"));
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setToolTip(QStringLiteral("GAMING MOUSE DRIVER"));
    tray.setContextMenu(&menu);
    tray.show();
    return app.exec();
}
