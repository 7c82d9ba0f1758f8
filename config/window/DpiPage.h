#pragma once
// TDpiPage: the DPI tab: the five DPI levels (one TDpiLevelRow each) and the current-level
// radios DPIL1..DPIL5.
//
// Every handler edits the data module's current profile. The level buttons, the LINK XY boxes
// and the track bars save the profile back and mark the settings changed; nothing of theirs
// reaches the mouse before APPLY. A current-level radio sets the current level (no save-back,
// no changed mark) and asks the window to write the profile's DPI block to the mouse
// (WriteCurrentLevel); a radio chosen while that write is still running is not written in
// the middle of it: the write is repeated once with the latest level when it ends.
//
// Refresh (the window's SetCPI) puts the stored values into the controls; a control whose
// value changes runs its handler, which then stores what the control shows (a DPI value
// rounded to 50 and kept within 50..16400) but marks nothing as changed: a refresh is not an
// edit. The level texts always show the stored values.
//
// RefreshMadeLate is the first refresh of a page made after the window's own refresh (the
// window makes its pages when first needed): the same, but nothing is saved back, so what the
// current profile holds unsaved by then (a current level chosen on the mouse, say) stays
// unsaved. The window's refresh had saved the profile back when the page was not there yet.
//
// Stored values the page does not trust: the number of levels (CPILevel) is taken as at most
// 5; a current level outside 0..4 (or beyond CPILevel) checks no radio and lights no button.
//
// UI thread only.

#include "config/window/CfgPage.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class TDpiLevelRow;
class TImageStateButton;
class TTrackBar;
struct TMouseProfileInfo;

// One level's controls in the order of the window's CPI control table.
struct TCPIControlRow {
    TImageStateButton* Btn = nullptr;
    QCheckBox* Check = nullptr;
    TTrackBar* TrackX = nullptr;
    TTrackBar* TrackY = nullptr;
    QLabel* TxtX = nullptr;
    QLabel* TxtY = nullptr;
};

// True when a level in 0..CPILevel-1 (at most 5) other than level is switched on.
bool IsOtherCPILevelEnabled(const TMouseProfileInfo& profile, int level);

class TDpiPage : public TCfgPage {
    Q_OBJECT
public:
    TDpiPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);

    std::array<TDpiLevelRow*, 5> Rows{};
    std::array<QRadioButton*, 5> DPIL{};
    std::array<TCPIControlRow, 5> CPIControlTable{};

    // Fills CPIControlTable and connects the handlers; once, before the first refresh.
    void InitCPIControlTable();
    void SetCPILevelEnabled(int level, bool on);
    void RefreshCPIIndicators();
    void ShowCPILevel(int level);
    // SetCPI: every level's controls, then the indicators.
    void Refresh();
    void RefreshMadeLate();
    void LoadSkin();
    // The axis captions under the bars of all five levels.
    void SetAxisCaptions(const QString& x, const QString& y);

    // ---- handlers
    void BtnCPI1MouseUp(int level, Qt::MouseButton button);
    void CheckCPI1Change(int level);
    void TrackCPI1XChange(TTrackBar* track);
    void doSetDPIIndexchanged(int level, bool checked);

    // A DPI block write is running (between WriteCurrentLevel and its return).
    bool Writing() const { return FWriting; }

signals:
    // The current level changed by a radio: write the current profile's DPI block now.
    void WriteCurrentLevel();

private:
    int LevelCount() const;
    void Changed();

    QButtonGroup* FRadioGroup = nullptr;
    bool FIndicatorsDetached = false;
    bool FRefreshing = false;
    bool FHoldSaveBack = false;  // RefreshMadeLate runs
    bool FWriting = false;
    bool FWritePending = false;
};
