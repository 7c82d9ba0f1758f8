#pragma once
// TDpiLevelRow: the controls of one DPI level on the DPI page, laid out as one column: the
// level button ("DPI1".."DPI5", stays pressed; pressed = level off), the X and Y value texts,
// the vertical X and Y track bars (50..16400 in steps of 50, reporting while dragging) with
// their axis captions, the LINK XY box and the level's current-level radio.
//
// The row only builds and shows its controls; TDpiPage connects their handlers and reaches
// them through its CPIControlTable. Tags: the button, the box and the radio carry the level
// (0..4); the X bar carries 0 and the Y bar 1, both with the binding name "CPI<level+1>".
//
// Level looks (SetLevelStyle): "MYDPIBTNCURRENTA" (on and current), "MYDPIBTNA" (on),
// "MYDPIBTN" (off); an unknown name counts as "MYDPIBTNA".
//
// UI thread only.

#include <QPixmap>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QRadioButton;
class TImageStateButton;
class TTrackBar;

// Width and height of one row's column on the page.
inline constexpr int DPI_ROW_WIDTH = 116;
inline constexpr int DPI_ROW_HEIGHT = 392;

// The limits and step of the DPI track bars.
inline constexpr int DPI_MIN = 50;
inline constexpr int DPI_MAX = 16400;
inline constexpr int DPI_STEP = 50;

class TDpiLevelRow : public QWidget {
    Q_OBJECT
public:
    TDpiLevelRow(int level, QWidget* parent = nullptr);

    int Level() const { return FLevel; }

    TImageStateButton* BtnCPI = nullptr;  // level button
    QCheckBox* CheckCPI = nullptr;        // LINK XY
    TTrackBar* TrackCPIX = nullptr;
    TTrackBar* TrackCPIY = nullptr;
    QLabel* TxtCPIXNum = nullptr;
    QLabel* TxtCPIYNum = nullptr;
    QLabel* TextCPIX = nullptr;  // axis captions
    QLabel* TextCPIY = nullptr;
    QRadioButton* DPIL = nullptr;  // current-level radio

    void SetLevelStyle(const QString& style);
    QString LevelStyle() const { return FStyle; }

    // Loads the bar grooves, the button faces and the check box marks from the skin.
    void LoadSkin();

private:
    void ApplyButtonFaces();

    int FLevel;
    QPixmap FFaceNormal, FFaceHot, FFacePressed;  // the skin's button faces (may be null)
    QString FStyle = QStringLiteral("MYDPIBTNA");
};
