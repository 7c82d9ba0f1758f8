#pragma once
// Fonts and colours shared by every window of VykCfg, and the optional style file.
//
// Fonts: the windows ask for the families the skin was designed with ("Futura Std Medium" for
// titles, "Myriad Pro" for texts, "黑体" for Chinese). Those are not free, so each font names a
// list of families that Qt tries in order, glyph by glyph: the designed family first, then a
// free one that scripts/setup.sh installs (URW Gothic, a geometric sans, for titles; Open Sans,
// a humanist sans, for texts; WenQuanYi Micro Hei for Chinese), then DejaVu Sans. The designed
// names are also registered as font substitutions, so a plain QFont("Myriad Pro") anywhere in
// the program gets the same fallback. Sizes are in pixels.
//
// Style file: <exe folder>/images/ui.vgstyle has no Qt counterpart. When it exists and reads as
// text, it is loaded as a Qt style sheet onto the application; when it is missing, empty, too
// large (over 1 MiB) or binary (contains NUL bytes), it is ignored and the skin alone styles
// the windows. Nothing is reported either way.
//
// UI thread only.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

namespace vyk::config {

// Registers the substitutions for the designed family names. Idempotent; the font functions
// below call it themselves.
void InstallFontSubstitutions();

// Title font ("Futura Std Medium" and its fallbacks).
QFont TitleFont(int px, bool boldItalic = false);
// Text font ("Myriad Pro" and its fallbacks).
QFont TextFont(int px, bool bold = false);
// Chinese font ("黑体" and its fallbacks).
QFont CjkFallbackFont(int px, bool bold = false);

// The family lists the fonts above use, first choice first.
QStringList TitleFamilies();
QStringList TextFamilies();
QStringList CjkFallbackFamilies();

// The palette of the skin (matches the skin art).
namespace skincolor {
inline const QColor Window{0x13, 0x15, 0x18};   // darkest window background
inline const QColor Surface{0x24, 0x27, 0x2c};  // panels and plain buttons
inline const QColor Raised{0x30, 0x34, 0x3a};   // hovered plain buttons
inline const QColor Rim{0x44, 0x49, 0x51};      // outlines
inline const QColor Text{0xe6, 0xe8, 0xeb};     // texts and captions
inline const QColor DimText{0x8c, 0x93, 0x9d};  // secondary texts, disabled captions
inline const QColor Accent{0xd7, 0x1e, 0x0a};   // pressed, focus, selection
inline const QColor AccentHot{0xf2, 0x3a, 0x1e};
inline const QColor Warning{0xe8, 0x8a, 0x10};  // warning icon
}  // namespace skincolor

// Loads <exe folder>/images/ui.vgstyle as the application's style sheet (see above). Returns
// true when a style sheet was applied.
bool ApplyStyleFile();

}  // namespace vyk::config
