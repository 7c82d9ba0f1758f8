#pragma once
// TPointerPanel: the pointer area of the GENERAL page: the polling rate radios (125, 250, 500,
// 1000 Hz), the pointer speed (1..20), scroll speed (1..10, continuous, truncated),
// acceleration (0..3) and double-click speed (200..900 ms, reversed: the left end is the
// slowest, 900 ms) track bars, the double-click test area and the hidden sensor-lift box.
//
// Every handler edits the data module's current profile. The bars and the polling radios save
// it back and mark the settings changed (a polling change also marks the rate changed, which
// slows APPLY's progress bar); the pointer values also go into the window's MouseParams, which
// APPLY hands to the desktop. The double-click time is applied to the desktop at once. The
// sensor-lift box sends its value to the mouse at once (command 5) and is not saved back.
//
// Refresh (the window's SetMouseParam and SetReport) puts the stored values into the controls;
// a control whose value changes runs its handler, which stores what the control shows but
// marks nothing as changed. A stored polling rate other than the four leaves the radios as
// they are; a stored value outside a bar's range is shown at the nearest end and stored so.
//
// The test area centres its picture on its first paint after the window was initialised; a
// double click on the picture (recognised with the current double-click time) turns it once
// round in 1.2 s with a bouncing ease.
//
// UI thread only.

#include <QWidget>

#include <array>

class CfgLink;
class QButtonGroup;
class QLabel;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QVariantAnimation;
class TDM;
class TSkinImage;
class TTrackBar;
struct TCfgState;

// Width of the pointer area (it sits at the right edge of the GENERAL page).
inline constexpr int POINTER_PANEL_WIDTH = 250;

class TPointerPanel : public QWidget {
    Q_OBJECT
public:
    TPointerPanel(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);

    QLabel* LabelPolling = nullptr;
    std::array<QRadioButton*, 4> RadioPolling{};  // Radio125, Radio250, Radio500, Radio1000
    TTrackBar* TrackPointSpeed = nullptr;
    TTrackBar* TrackScrollSpeed = nullptr;
    TTrackBar* TrackAccele = nullptr;
    TTrackBar* TrackMouseDBClick = nullptr;
    QScrollArea* ListBoxMouseTest = nullptr;
    TSkinImage* ImageTest = nullptr;
    QVariantAnimation* FloatAnimationTest = nullptr;
    // The hidden, read-only sensor lift box: made by the first call, which the window leaves
    // until its first frame is out (nothing shows it, and it costs the most of the panel).
    QSpinBox* SpinBox1();

    // SetMouseParam and SetReport.
    void RefreshMouseParam();
    void RefreshReport();
    void LoadSkin();

    // ---- handlers
    void Radio125Change(int tag, bool checked);
    void TrackScrollSpeedChange(TTrackBar* track);
    void SpinBox1Change(int value);
    void ListBoxMouseTestPaint();
    void ImageTestDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Changed();

    TDM& FDM;
    TCfgState& FState;
    CfgLink& FLink;
    QSpinBox* FSpinBox1 = nullptr;
    QButtonGroup* FPollingGroup = nullptr;
    bool FRefreshing = false;
};
