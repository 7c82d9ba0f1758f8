// The program icons of VykCfg and VykMon in the skin's look (graphite tile, red accent): the menu
// entries' icons at the hicolor sizes and the monitor's tray icon (images/0409/icons/logo.ico).
//
// Contract: like the skin's pictures, drawn without fonts, clocks or randomness, so every run
// writes the same bytes; each size is drawn for itself (line widths kept at a pixel or more),
// not scaled from a large picture. Single thread.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace vyk::skin {

enum class ProgramIcon { Config, Monitor };

// The icon names the menu entries use (Icon=vykcfg, Icon=vykmon).
QString programIconName(ProgramIcon which);

// The square sizes installed under share/icons/hicolor/<n>x<n>/apps, and those the tray icon
// file holds.
const QList<int>& hicolorIconSizes();
const QList<int>& trayIconSizes();

// The icon of one program at size x size pixels.
QImage drawProgramIcon(ProgramIcon which, int size);

// An ICO file holding the images (each at most 256 px square) as PNG-compressed entries.
QByteArray icoFile(const QList<QImage>& images);

}  // namespace vyk::skin
