#pragma once
// TImageStateButton: the skinned three-state bitmap button of VykCfg. It shows its normal
// bitmap, the hot bitmap while the pointer is over it, and the pressed bitmap while the left
// button holds it down (or, in "stays pressed" mode, while it is pressed in). The caption is
// drawn centred over the bitmap with the button's own font and text colour.
//
// - A left click emits QAbstractButton::clicked (and toggles the pressed state in stays-pressed
//   mode, emitting toggled). SetPressed changes the state from code and emits nothing.
// - MouseUp(button) is emitted for every mouse release over the button, whatever the button
//   (right and middle presses are taken by the button so their releases reach it too).
// - MouseEnter is emitted when the pointer enters.
// - Without bitmaps (a skin file missing) it paints a plain skinned face, so a button is never
//   invisible. Bitmaps are stretched to the button's size.
// - Keyboard: Space clicks a focused button (QAbstractButton); Enter is left to the window.
//
// UI thread only.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QString>

class TImageStateButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TImageStateButton(QWidget* parent = nullptr);
    TImageStateButton(const QString& caption, QWidget* parent);

    void SetBitmaps(const QPixmap& normal, const QPixmap& hot, const QPixmap& pressed);
    // Loads the three files through GlobalImageDataBase->AssignIMAGE(..., subFolder). A file
    // that is missing leaves that state's bitmap as it was.
    void LoadSkin(const QString& subFolder, const QString& normal, const QString& hot, const QString& pressed);
    const QPixmap& NormalBitmap() const { return normal_; }
    const QPixmap& HotBitmap() const { return hot_; }
    const QPixmap& PressedBitmap() const { return pressed_; }

    // Stays-pressed mode: a click presses the button in and the next click releases it.
    void SetStaysPressed(bool on);
    bool StaysPressed() const { return isCheckable(); }
    // Pressed in (stays-pressed mode) or held down by the mouse (normal mode).
    bool IsPressed() const;
    // Presses the button in or releases it without emitting any signal. In normal mode it
    // shows the pressed bitmap until released by code or by a click.
    void SetPressed(bool on);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    void SetTextColor(const QColor& c);
    QColor TextColor() const { return textColor_; }

    // Which face is painted now: 0 normal, 1 hot, 2 pressed (for tests and screenshots).
    int VisualState() const;

    QSize sizeHint() const override;

signals:
    void MouseUp(Qt::MouseButton button);
    void MouseEnter();

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void paintFallback(QPainter& p, int state);

    QPixmap normal_;
    QPixmap hot_;
    QPixmap pressed_;
    QColor textColor_;
    int tag_ = 0;
    bool hovered_ = false;
    bool heldByCode_ = false;  // normal mode: pressed by SetPressed
};
