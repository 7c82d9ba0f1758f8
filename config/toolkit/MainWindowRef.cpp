#include "config/toolkit/MainWindowRef.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "platform/diag/diag.h"

namespace vyk::config {

namespace {
QPointer<QWidget>& mainWindowRef() {
    static QPointer<QWidget> ref;
    return ref;
}

// Brings the program back as one: watches the dialog and the main window while both are down,
// and when one of them comes back restores the other and puts the dialog on top. A child of
// the dialog, so it goes with it.
class ProgramRestorer : public QObject {
public:
    explicit ProgramRestorer(QWidget* dialog) : QObject(dialog), FDialog(dialog) {
        setObjectName(QStringLiteral("ProgramRestorer"));
    }

    void Minimise(QWidget* main) {
        if (FMain != main) {
            if (FMain) FMain->removeEventFilter(this);
            FMain = main;
            if (FMain) FMain->installEventFilter(this);
            FDialog->installEventFilter(this);
        }
        FDown = true;
        if (FMain) FMain->showMinimized();
        FDialog->showMinimized();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (FDown && event->type() == QEvent::WindowStateChange && (watched == FDialog || watched == FMain) &&
            !static_cast<QWidget*>(watched)->isMinimized()) {
            FDown = false;
            vyk::platform::guarded([this] { BringBack(); });
        }
        return false;
    }

private:
    void BringBack() {
        if (FMain && FMain->isMinimized()) FMain->showNormal();
        if (FDialog->isMinimized()) FDialog->showNormal();
        FDialog->raise();
        FDialog->activateWindow();
    }

    QWidget* FDialog;
    QPointer<QWidget> FMain;
    bool FDown = false;
};
}  // namespace

QWidget* MainWindow() { return mainWindowRef().data(); }

void SetMainWindow(QWidget* window) { mainWindowRef() = window; }

void CentreOnMainWindow(QWidget* w) {
    if (w == nullptr) return;
    QWidget* main = MainWindow();
    QScreen* screen = nullptr;
    QRect area;
    if (main != nullptr && main != w && main->isVisible()) {
        area = main->frameGeometry();
        screen = main->screen();
    }
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!area.isValid()) area = screenArea;
    QRect r(QPoint(0, 0), w->frameGeometry().size());
    r.moveCenter(area.center());
    // Keep the whole window on the screen where possible.
    if (r.right() > screenArea.right()) r.moveRight(screenArea.right());
    if (r.bottom() > screenArea.bottom()) r.moveBottom(screenArea.bottom());
    if (r.left() < screenArea.left()) r.moveLeft(screenArea.left());
    if (r.top() < screenArea.top()) r.moveTop(screenArea.top());
    w->move(r.topLeft());
}

void MinimiseProgram(QWidget* dialog) {
    if (dialog == nullptr) return;
    auto* restorer = dialog->findChild<ProgramRestorer*>(QStringLiteral("ProgramRestorer"), Qt::FindDirectChildrenOnly);
    if (restorer == nullptr) restorer = new ProgramRestorer(dialog);
    QWidget* main = MainWindow();
    restorer->Minimise(main != dialog ? main : nullptr);
}

}  // namespace vyk::config
