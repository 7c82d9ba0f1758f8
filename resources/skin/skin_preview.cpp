// A mock-up of the main window and a message dialog put together from the skin's pictures at
// the places README.md gives, with sample captions: for judging the art as a whole. Not used
// by the programs; `vyk-skin-gen --sheet` puts it at the top of the contact sheet.
#include "resources/skin/skin_preview.h"

#include "resources/skin/skin_art.h"
#include "resources/skin/skin_paint.h"

#include <QFont>

namespace vyk::skin {
namespace {

// Draws a button picture stretched to r with a centred caption, as the button widget does.
void button(QPainter& p, const QImage& img, const QRectF& r, const QString& caption, int px = 13, bool bold = true) {
    p.drawImage(r, img);
    if (caption.isEmpty()) return;
    QFont f = p.font();
    f.setPixelSize(px);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, caption);
}

void text(QPainter& p, const QRectF& r, const QString& s, int px, bool bold, const QColor& c,
          Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter) {
    QFont f = p.font();
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(false);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, a | Qt::TextWordWrap, s);
}

QImage mainWindow() {
    QImage img = drawMainBack();
    QPainter p(&img);
    prepare(p);
    text(p, QRectF(68, 12, 300, 36), "VYKCFG", 22, true, pal::Light);
    // Header controls: language box (plain widget), help, minimise, close.
    p.setPen(QPen(pal::Rim, 1));
    p.setBrush(pal::Surface);
    p.drawRoundedRect(QRectF(560.5, 22.5, 120, 26), 3, 3);
    text(p, QRectF(570, 22, 100, 26), "English", 12, false, pal::Light);
    button(p, drawOkButton(1), QRectF(690, 22, 26, 26), "?", 13);  // no picture of its own
    button(p, drawMinButton(1), QRectF(722, 22, 26, 26), QString());
    button(p, drawCloseButton(3), QRectF(754, 22, 26, 26), QString());
    // Tabs: GENERAL selected, DPI hovered.
    const char* tabs[] = {"GENERAL", "DPI", "LIGHT", "INFO"};
    for (int i = 0; i < 4; ++i)
        button(p, drawTabButton(i == 0 ? 3 : i == 1 ? 2 : 1), QRectF(186 + i * 136, 74, 128, 36), tabs[i], 14);
    // Profiles: the second one current, the fourth hovered.
    for (int i = 0; i < 5; ++i)
        button(p,
               drawProfileButton(i == 1   ? 3
                                 : i == 3 ? 2
                                          : 1),
               QRectF(20, 128 + i * 52, 140, 40), QStringLiteral("PROFILE%1").arg(i + 1), 14);
    // Page: the mouse with its assignment buttons and a few sliders.
    p.drawImage(QPointF(196, 150), drawMouseFront());
    const char* assign[] = {"LEFT CLICK", "RIGHT CLICK", "MIDDLE CLICK", "SCROLL UP", "SCROLL DOWN", "DPI UP"};
    for (int i = 0; i < 6; ++i)
        button(p, drawAssignButton(i == 2 ? 3 : i == 4 ? 2 : 1), QRectF(430, 150 + i * 38, 150, 23), assign[i], 11);
    button(p, drawProfileButton(3), QRectF(226, 486, 96, 30), "FRONT", 12);
    button(p, drawProfileButton(1), QRectF(330, 486, 96, 30), "SIDE", 12);
    const char* sliders[] = {"POINTER SPEED", "SCROLL SPEED", "ACCELERATION"};
    for (int i = 0; i < 3; ++i) {
        text(p, QRectF(606, 150 + i * 56, 170, 18), sliders[i], 11, true, pal::Steel);
        p.drawImage(QRectF(606, 172 + i * 56, 160, 16), drawIndicatorBar(160));
        // A thumb like the slider widget's own.
        const double tx = 606 + 30 + i * 40;
        p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
        p.setBrush(vgrad(QRectF(tx - 5, 170 + i * 56, 10, 20), pal::Light, pal::Steel));
        p.drawRoundedRect(QRectF(tx - 5, 170 + i * 56, 10, 20), 2, 2);
    }
    p.drawImage(QPointF(610, 330), drawCheckbox(true));
    text(p, QRectF(636, 329, 140, 20), "125HZ", 12, true, pal::Light);
    p.drawImage(QPointF(610, 356), drawCheckbox(false));
    text(p, QRectF(636, 355, 140, 20), "1000HZ", 12, true, pal::Light);
    p.drawImage(QRectF(700, 400, 50, 50), drawDblClickTest());
    // Commands.
    const char* cmds[] = {"RESTORE", "RESET ALL", "LOAD FILE", "SAVE AS"};
    for (int i = 0; i < 4; ++i)
        button(p, drawOkButton(i == 1 ? 2 : 1), QRectF(20 + i * 116, 574, 110, 36), cmds[i], 13);
    button(p, drawOkButton(1), QRectF(498, 574, 90, 36), "OK", 13);
    button(p, drawOkButton(3), QRectF(594, 574, 90, 36), "CANCEL", 13);
    button(p, drawOkButton(1), QRectF(690, 574, 90, 36), "APPLY", 13);
    return img;
}

QImage messageDialog(const QSize& size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    QPainter p(&img);
    prepare(p);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), drawDialogBack());
    if (size == QSize(478, 292)) {
        text(p, QRectF(24, 18, 430, 40), "WARNING", 16, true, pal::Light, Qt::AlignCenter);
        const QImage icon = drawWarningIcon();
        p.drawImage(QPointF(17 + (96 - icon.width()) / 2, 83 + (96 - icon.height()) / 2), icon);
        text(p, QRectF(123, 83, 284, 96), "DO YOU WANT TO LEAVE MACRO MANAGER WITHOUT SAVING?", 14, false, pal::Light);
        button(p, drawOkButton(2), QRectF(124, 244, 110, 34), "OK", 14);
        button(p, drawOkButton(1), QRectF(244, 244, 110, 34), "CANCEL", 14);
    } else {
        // The macro manager's frame: lists, tools, record controls.
        text(p, QRectF(24, 14, 400, 30), "MACRO MANAGER", 16, true, pal::Light);
        button(p, drawMinButton(1), QRectF(690, 14, 26, 26), QString());
        button(p, drawCloseButton(1), QRectF(722, 14, 26, 26), QString());
        p.setPen(QPen(pal::Rim, 1));
        p.setBrush(withAlpha(Qt::black, 90));
        p.drawRect(QRectF(24.5, 60.5, 200, 420));
        p.drawRect(QRectF(240.5, 60.5, 300, 420));
        for (int i = 0; i < 6; ++i) {
            const QRectF row(242, 62 + i * 24, 297, 23);
            if (i == 2) p.fillRect(row, withAlpha(pal::Red, 110));
            const QImage flag = i % 3 == 2 ? drawKeyFlag(2) : drawKeyFlag(i % 3);
            p.drawImage(QPointF(248, row.top() + 2), flag);
            text(p, row.adjusted(30, 0, 0, 0), i % 3 == 2 ? "50 ms" : "A", 12, false, pal::Light);
        }
        p.drawImage(QPointF(514, 62), drawScrollButton(true));
        p.drawImage(QPointF(514, 462), drawScrollButton(false));
        button(p, drawMacroButton(1), QRectF(24, 494, 96, 30), "NEW", 12);
        button(p, drawMacroButton(3), QRectF(128, 494, 96, 30), "DELETE", 12);
        const char* tools[] = {"INSERT", "MODIFY", "DELETE", "UP", "DOWN"};
        for (int i = 0; i < 5; ++i)
            button(p, drawToolButton(i == 1 ? 2 : i == 3 ? 3 : 1), QRectF(560, 110 + i * 34, 150, 26), tools[i], 12);
        p.drawImage(QPointF(566, 62), drawRecordStart(1));
        p.drawImage(QPointF(616, 62), drawRecordStop(2));
        p.drawImage(QPointF(560, 300), drawCheckbox(true));
        text(p, QRectF(586, 299, 150, 20), "AUTO DELAY", 12, true, pal::Light);
        button(p, drawOkButton(1), QRectF(500, 530, 110, 34), "OK", 14);
        button(p, drawOkButton(1), QRectF(620, 530, 110, 34), "CANCEL", 14);
    }
    return img;
}

}  // namespace

QImage drawPreview() {
    const QImage main = mainWindow();
    const QImage dlg = messageDialog(QSize(478, 292));
    const QImage macro = messageDialog(QSize(757, 582));
    QImage out(main.width() + macro.width() + 60, std::max(main.height() + dlg.height(), macro.height()) + 60,
               QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(0x50, 0x54, 0x5a));
    QPainter p(&out);
    p.drawImage(20, 20, main);
    p.drawImage(20, main.height() + 40, dlg);
    p.drawImage(main.width() + 40, 20, macro);
    return out;
}

}  // namespace vyk::skin
