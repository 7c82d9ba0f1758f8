#pragma once
// TLightPage: the LIGHT tab: brightness (OFF, LOW, MEDIUM, HIGH), breathing speed (FULL
// BRIGHTNESS, LOW, MEDIUM, HIGH, stored as 0, 6, 3, 1), the 33 colour swatches, the custom
// colour box (ComboColorSelect: a colour box with a drop-down colour panel, no alpha) and the
// preview: the mouse picture, its light zones tinted with the colour and the colour shining
// through its logo.
//
// Every handler edits the data module's current profile. The brightness and breathing radios
// save it back and mark the settings changed; they send nothing to the mouse (the next colour
// preview carries them). A swatch or the colour box previews the colour on the mouse at once
// (PreviewLEDColor: command 4 with the colour, brightness and breathing, through the link);
// the colour is then saved back and the settings marked changed, so APPLY, a profile switch
// and the close question all keep it. A swatch sends one preview; its alpha plays no part.
//
// Refresh (the window's SetLED) checks the radios for the stored values (other values leave a
// group as it is; a radio that changes runs its handler, which stores but marks nothing as
// changed) and shows the stored colour with alpha 255 on the preview and the colour box
// without running the box's handler. A refresh sends nothing to the mouse. RefreshMadeLate is
// the first refresh of a page made after the window's own refresh (the window makes its pages
// when first needed): the same, but nothing is saved back, so what the current profile holds
// unsaved by then stays unsaved.
//
// UI thread only.

#include "config/window/CfgPage.h"

#include <QColor>
#include <QImage>

#include <array>
#include <cstdint>

class QButtonGroup;
class QColorDialog;
class QFrame;
class QLabel;
class QRadioButton;
class QToolButton;
class TSkinImage;

// The 33 swatches: name number and fill colour (ARGB), in five rows top to bottom, 30 units
// apart, each row left to right.
struct TLightSwatch {
    int Number;  // RectangleNN
    std::uint32_t Color;
    int Row;
    int Column;
};
extern const std::array<TLightSwatch, 33> LIGHT_SWATCHES;

class TLightPage : public TCfgPage {
    Q_OBJECT
public:
    TLightPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);

    std::array<QRadioButton*, 4> RadioLevel{};  // RadioLevelOff, Low, Mid, High (tags 0..3)
    std::array<QRadioButton*, 4> RadioSP{};     // RadioSPClose, Low, Mid, High (tags 0..3)
    std::array<QToolButton*, 33> Swatches{};    // in LIGHT_SWATCHES order
    QToolButton* ComboColorSelect = nullptr;
    QFrame* ColorPopup = nullptr;  // the drop-down panel
    // Inside it, no alpha. Made when the panel first opens: building a colour dialog costs a
    // noticeable part of the window's start-up, and most sessions never open it.
    QColorDialog* ColorPanel = nullptr;
    QWidget* RectMouseColorLayoutBackColor = nullptr;
    TSkinImage* ImageMouseColor = nullptr;

    // The colour the preview shows and the colour box holds.
    QColor PreviewColor() const { return FPreviewColor; }
    QColor ComboColor() const { return FComboColor; }

    // SetLED.
    void Refresh();
    void RefreshMadeLate();
    void LoadSkin();
    void PreviewLEDColor(std::uint32_t argb);

    // ---- handlers
    void RadioLevelCloseChange(int tag, bool checked);
    void RadioSPCloseChange(int tag, bool checked);
    void Rectangle10Click(int swatch);
    void ComboColorSelectChange();

private:
    void SetPreviewShapes(const QColor& c);
    // Sets the colour box; its handler runs only when asked to and the colour changed.
    void SetComboColor(const QColor& c, bool runHandler);
    void OpenColorPopup();
    void MakeColorPanel();
    void Changed();

    QButtonGroup* FLevelGroup = nullptr;
    QButtonGroup* FSpeedGroup = nullptr;
    QColor FPreviewColor{255, 255, 255};
    QColor FComboColor{255, 255, 255};
    QImage FMouseBase;  // the untinted picture
    bool FRefreshing = false;
    bool FHoldSaveBack = false;  // RefreshMadeLate runs
    bool FComboDetached = false;
};
