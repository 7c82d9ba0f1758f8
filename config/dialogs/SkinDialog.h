#pragma once
// TSkinDialog: the base of every dialog of VykCfg. A frameless, application-modal window of a
// fixed client size with the skin's dialog background ("dlg-back.png" from "background",
// stretched; a drawn panel when the file is missing), centred on the main window (or the
// screen when there is none) when first shown, and movable by dragging its background.
//
// Results: exec() gives 1 for OK (accept(), done(1)) and 2 for everything else: CANCEL,
// reject(), Esc and closing the window all give 2.
// Keyboard: Esc gives 2; Enter and Return click the focused skinned button, and do nothing
// when no button has focus (a hidden or disabled button is never clicked by a key). There is
// no default button.
//
// UI thread only; every slot runs under the error guard.

#include <QDialog>
#include <QPoint>
#include <QString>

class TImageStateButton;
class TSkinImage;

class TSkinDialog : public QDialog {
    Q_OBJECT
public:
    // Results of exec().
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    TSkinDialog(int clientWidth, int clientHeight, QWidget* parent = nullptr);
    ~TSkinDialog() override;

    // A skinned button ("ok-1/2/3.png" from "buttons") at x, y of size w x h.
    TImageStateButton* AddSkinButton(const QString& text, int x, int y, int w, int h);

    TSkinImage* ImageBack = nullptr;

    void accept() override;  // done(1)
    void reject() override;  // done(2)

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool centred_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};
