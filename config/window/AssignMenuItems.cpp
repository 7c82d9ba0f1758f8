#include "config/window/AssignMenuItems.h"

#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/AssignFunctions.h"

#include <QStringList>

namespace {

// Adds an item named as the window layout names it: "ITEM1", "ITEM2" ... within its level.
TuiMenuItemEx* addNamed(TuiMenuItemsEx& level, const char* caption) {
    TuiMenuItemEx* item = level.Add(QString::fromUtf8(caption));
    item->SetName(QStringLiteral("ITEM%1").arg(level.Count()));
    return item;
}

}  // namespace

QString AssignMenuFamily() { return QStringLiteral("FUTURA STD MEDIUM"); }

QString AssignMenuFamilyOf(const QString& language) {
    if (language == QLatin1String("0409")) return QStringLiteral("Verdana");
    if (language == QLatin1String("0804") || language == QLatin1String("0404")) return QStringLiteral("黑体");
    return AssignMenuFamily();
}

QFont AssignMenuFont() {
    // The designed family first; the title font's free fallbacks after it. No ClearType: grey
    // antialiasing only.
    QFont font = vyk::config::TitleFont(13, true);
    QStringList families = font.families();
    families.prepend(AssignMenuFamily());
    font.setFamilies(families);
    font.setPixelSize(13);
    font.setBold(true);
    font.setItalic(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoSubpixelAntialias));
    return font;
}

void BuildAssignMenu(TuiMenuEx& menu) {
    menu.Items().Clear();
    // In table order, each sub-item after its parent: the places give the table's IDs.
    TuiMenuItemEx* parent = nullptr;
    for (const TAssignFunction& f : AssignFunctionTable) {
        if (MadeWithMacroList(f)) continue;
        if (f.MenuID < 100) {
            parent = addNamed(menu.Items(), f.Caption);
        } else {
            addNamed(parent->SubItems(), f.Caption);
        }
    }

    menu.SetUseCustomMenuParams(true);
    menu.SetFunctionItemIndex(0);
    TMenuParams& p = menu.Parameters();
    p.BGFill = QBrush(QColor::fromRgba(0xFA000000));
    p.MenuTextPadding = QMarginsF(15, 0, 0, 0);
    p.ItemNormalFill = QBrush(Qt::NoBrush);
    p.ItemOverFill = MenuLinearGradient({{0, 0x1ED70404}, {0.4873, 0xFFAF0E00}, {0.5091, 0xFFAF0E00}, {1, 0x1EAF0000}});
    p.ItemDownFill = MenuLinearGradient({{0, 0x31AA0000}, {0.4982, 0xFFF71703}, {0.5055, 0xFFF71703}, {1, 0x46AA0000}},
                                        QPointF(0.5, 0), QPointF(0.5, 1));
    p.ItemCheckFill = QBrush(QColor::fromRgba(0xFF0093AA));
    p.ItemExtenderFill = QBrush(QColor::fromRgba(0xFFFFFFFF));
    p.ItemFontFill = QBrush(QColor::fromRgba(0xFFFFFFFF));
    p.ItemFont = AssignMenuFont();
    p.ItemHeight = 25;
    p.ItemWidth = 150;
    p.ItemShowCheck = false;
    p.ItemAutoSize = false;
    p.MenuShowCheckbox = true;
    p.MenuShowSelectedState = true;
    p.MenuShowSelectedCheckMark = true;
}
