// vyk-skin-gen: draws VykCfg's own skin into an image folder at build time.
//
//   vyk-skin-gen --out <dir>      writes <dir>/{background,buttons,controls}/<name>.png
//   vyk-skin-gen --sheet <file>   writes a contact sheet: a mock-up of the windows made of the
//                                 pictures, then every picture on a dark and a light backdrop,
//                                 and the program icons at every size (for looking at the art)
//   vyk-skin-gen --icons <dir> <tray.ico>
//                                 writes the program icons as <dir>/hicolor/<n>x<n>/apps/<name>.png
//                                 and the monitor's tray icon file
//
// Contract: a build tool, run once per build on the build machine; single thread. The PNGs are
// the same bytes on every run (no fonts, no clocks, seeded noise only). Exit code 0 on success,
// 1 when a folder or file cannot be written (the file is named on stderr), 2 on bad arguments.
#include "resources/skin/skin_art.h"
#include "resources/skin/skin_icons.h"
#include "resources/skin/skin_paint.h"
#include "resources/skin/skin_preview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>

namespace vyk::skin {

std::vector<SkinFile> allSkinFiles() {
    std::vector<SkinFile> files;
    auto add = [&](const char* folder, const QString& name, std::function<QImage()> draw) {
        files.push_back({QString::fromLatin1(folder), name, std::move(draw)});
    };
    add("background", "cfgMainback.png", drawMainBack);
    add("background", "mouse-layout-front.png", drawMouseFront);
    add("background", "mouse-layout-Side.png", drawMouseSide);
    add("background", "mouse-layout-Color.png", drawMouseColor);
    add("background", "DB-CLICK-TEST-AREA.png", drawDblClickTest);
    add("background", "dlg-back.png", drawDialogBack);

    auto three = [&](const char* base, QImage (*draw)(int)) {
        for (int s = 1; s <= 3; ++s)
            add("buttons", QStringLiteral("%1-%2.png").arg(QLatin1String(base)).arg(s), [draw, s] { return draw(s); });
    };
    three("tabbutton", drawTabButton);
    three("ProfileButton", drawProfileButton);
    three("ButtonAssign", drawAssignButton);
    three("ok", drawOkButton);
    three("min", drawMinButton);
    three("Close", drawCloseButton);
    three("Button", drawMacroButton);
    three("ButtonTool", drawToolButton);
    for (int s = 1; s <= 2; ++s) {
        add("buttons", QStringLiteral("iconstart-%1.png").arg(s), [s] { return drawRecordStart(s); });
        add("buttons", QStringLiteral("iconstop-%1.png").arg(s), [s] { return drawRecordStop(s); });
    }

    add("controls", "Indicator-bar-back.png", [] { return drawIndicatorBar(260); });
    add("controls", "Indicator-bar-back-sm.png", [] { return drawIndicatorBar(160); });
    add("controls", "dpi-indicator-x.png", [] { return drawDpiIndicator(false); });
    add("controls", "dpi-indicator-y.png", [] { return drawDpiIndicator(true); });
    add("controls", "checkbox-1.png", [] { return drawCheckbox(false); });
    add("controls", "checkbox-2.png", [] { return drawCheckbox(true); });
    add("controls", "scroll-bar-top-button.png", [] { return drawScrollButton(true); });
    add("controls", "scroll-bar-bottom-button.png", [] { return drawScrollButton(false); });
    add("controls", "macro-action-item-flag-down.png", [] { return drawKeyFlag(0); });
    add("controls", "macro-action-item-flag-up.png", [] { return drawKeyFlag(1); });
    add("controls", "macro-action-item-flag-delay.png", [] { return drawKeyFlag(2); });
    add("controls", "macro-action-item-mouse-flag-down.png", [] { return drawMouseFlag(true); });
    add("controls", "macro-action-item-mouse-flag-up.png", [] { return drawMouseFlag(false); });
    add("controls", "icon-warning.png", drawWarningIcon);
    add("controls", "icon-error.png", drawErrorIcon);
    return files;
}

namespace {

// PNG without gamma or text chunks; written through a temporary file so an interrupted build
// never leaves a half-written picture under the final name.
bool writePng(const QImage& img, const QString& path) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QImageWriter w(&f, "png");
    w.setCompression(9);
    if (!w.write(img.convertToFormat(QImage::Format_ARGB32))) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

int writeAll(const QString& outDir) {
    for (const SkinFile& f : allSkinFiles()) {
        const QString dir = outDir + '/' + f.folder;
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "vyk-skin-gen: cannot create %s\n", qPrintable(dir));
            return 1;
        }
        const QString path = dir + '/' + f.name;
        if (!writePng(f.draw(), path)) {
            std::fprintf(stderr, "vyk-skin-gen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

int writeIcons(const QString& outDir, const QString& trayFile) {
    for (ProgramIcon which : {ProgramIcon::Config, ProgramIcon::Monitor}) {
        for (int size : hicolorIconSizes()) {
            const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(outDir).arg(size);
            const QString path = dir + '/' + programIconName(which) + QStringLiteral(".png");
            if (!QDir().mkpath(dir) || !writePng(drawProgramIcon(which, size), path)) {
                std::fprintf(stderr, "vyk-skin-gen: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    QList<QImage> tray;
    for (int size : trayIconSizes()) tray.append(drawProgramIcon(ProgramIcon::Monitor, size));
    QSaveFile f(trayFile);
    if (!QDir().mkpath(QFileInfo(trayFile).absolutePath()) || !f.open(QIODevice::WriteOnly) ||
        f.write(icoFile(tray)) < 0 || !f.commit()) {
        std::fprintf(stderr, "vyk-skin-gen: cannot write %s\n", qPrintable(trayFile));
        return 1;
    }
    return 0;
}

// One panel of the sheet: every picture with its name, on one backdrop colour.
QImage sheetPanel(const std::vector<std::pair<QString, QImage>>& pics, const QColor& backdrop, const QColor& ink,
                  int width) {
    const int pad = 14, label = 16;
    // Flow layout: first measure the height.
    auto layout = [&](QPainter* p) {
        int x = pad, y = pad, rowH = 0;
        for (const auto& [name, img] : pics) {
            const int w = std::max(img.width(), 90), h = img.height() + label;
            if (x + w + pad > width) {
                x = pad;
                y += rowH + pad;
                rowH = 0;
            }
            if (p) {
                p->drawImage(x, y, img);
                p->setPen(QPen(withAlpha(ink, 70), 1, Qt::DotLine));
                p->setBrush(Qt::NoBrush);
                p->drawRect(QRectF(x - 0.5, y - 0.5, img.width() + 1, img.height() + 1));
                p->setPen(ink);
                p->drawText(QRect(x, y + img.height() + 2, std::max(w, 140), label), Qt::AlignLeft, name);
            }
            x += w + pad;
            rowH = std::max(rowH, h);
        }
        return y + rowH + pad;
    };
    const int height = layout(nullptr);
    QImage sheet(width, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(backdrop);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    layout(&p);
    return sheet;
}

int writeSheet(const QString& path) {
    std::vector<std::pair<QString, QImage>> pics;
    for (const SkinFile& f : allSkinFiles()) pics.emplace_back(f.name, f.draw());
    for (ProgramIcon which : {ProgramIcon::Config, ProgramIcon::Monitor})
        for (int size : hicolorIconSizes())
            pics.emplace_back(QStringLiteral("%1 %2").arg(programIconName(which)).arg(size),
                              drawProgramIcon(which, size));
    const int width = 1700;  // wide enough for the mock-up (801 + 757 + margins)
    const QImage dark = sheetPanel(pics, QColor(0x0a, 0x0a, 0x0c), QColor(0xb0, 0xb4, 0xba), width);
    const QImage light = sheetPanel(pics, QColor(0xf0, 0xf0, 0xf0), QColor(0x30, 0x30, 0x30), width);
    const QImage preview = drawPreview();
    QImage sheet(width, preview.height() + dark.height() + light.height(), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x50, 0x54, 0x5a));
    QPainter p(&sheet);
    p.drawImage(0, 0, preview);
    p.drawImage(0, preview.height(), dark);
    p.drawImage(0, preview.height() + dark.height(), light);
    p.end();
    if (!writePng(sheet, path)) {
        std::fprintf(stderr, "vyk-skin-gen: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace vyk::skin

int main(int argc, char** argv) {
    const bool icons = argc == 4 && qstrcmp(argv[1], "--icons") == 0;
    if (!icons && (argc != 3 || (qstrcmp(argv[1], "--out") != 0 && qstrcmp(argv[1], "--sheet") != 0))) {
        std::fprintf(stderr,
                     "usage: vyk-skin-gen --out <image folder> | --sheet <file.png> | --icons <folder> <tray.ico>\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (icons) return vyk::skin::writeIcons(target, QString::fromLocal8Bit(argv[3]));
    if (qstrcmp(argv[1], "--out") == 0) return vyk::skin::writeAll(target);
    // The sheet writes captions, which needs fonts and so an application object.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return vyk::skin::writeSheet(target);
}
