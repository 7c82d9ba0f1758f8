#pragma once
// TButtonAssignPanel: the button-assignment area of the GENERAL page.
//
// Two views of the mouse, switched by FRONT and SIDE: the front view with assignment buttons
// 0..5 beside it (23 high, one every 38), and the side view with buttons 6..17 in a scroll box
// (200 × 230, content 340 high, one every 28) scrolled by the arrow buttons above and below it.
// Each of the 18 assignment buttons (BtnSet[i], Tag i) shows the caption the window gives it
// and, for buttons 0..14, a hint; buttons 15..17 keep their hints to themselves. Each row of
// the side list begins with the number that the side picture shows on its thumb button.
//
// The panel does not know what a button does: it reports clicks and pointer entries by tag;
// the button assignment owns it and answers them (config/window/ButtonAssignment.h).
//
// UI thread only. A button index outside 0..17 is ignored by every setter.

#include <QString>
#include <QWidget>

#include <array>

class QLabel;
class QScrollArea;
class TImageStateButton;
class TSkinImage;

inline constexpr int ASSIGN_BUTTON_COUNT = 18;

class TButtonAssignPanel : public QWidget {
    Q_OBJECT
public:
    explicit TButtonAssignPanel(QWidget* parent = nullptr);

    // The controls (named as in the window layout; tests reach them here).
    std::array<TImageStateButton*, ASSIGN_BUTTON_COUNT> BtnSet{};
    TImageStateButton* BTNFrontView = nullptr;
    TImageStateButton* BTNSIDEVIEW = nullptr;
    TSkinImage* ImageMouseLayoutFront = nullptr;
    TSkinImage* ImageMouseLayoutSide = nullptr;
    QWidget* LayoutButtonSetFront = nullptr;
    QWidget* LayoutButtonSetSide = nullptr;
    QScrollArea* sideButtonsScrollbox = nullptr;
    TImageStateButton* BTNSIDEBUTTONUP = nullptr;
    TImageStateButton* BTNSIDEBUTTONDOWN = nullptr;
    // The key numbers "1".."12" at the start of the side list's rows (buttons 6..17), the
    // numbers the side picture shows on the thumb buttons.
    std::array<QLabel*, ASSIGN_BUTTON_COUNT - 6> SideKeyNumber{};

    // 0 shows the front view, anything else the side view.
    void ShowMouseView(int view);
    bool FrontViewShown() const;
    // Scrolls the side list by one row towards its start (up) or its end (down).
    void doSideButtonsup();
    void doSideButtonsdown();
    int SideScrollOffset() const;

    void SetCaption(int index, const QString& text);
    // The hint is kept for every button; only buttons 0..14 show it.
    void SetHint(int index, const QString& text);
    QString Hint(int index) const;

    void LoadSkin();

signals:
    void AssignButtonClicked(int index);
    void AssignButtonEntered(int index);

private:
    std::array<QString, ASSIGN_BUTTON_COUNT> FHints;
};
