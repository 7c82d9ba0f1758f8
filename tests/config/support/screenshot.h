#pragma once
// Screenshot mode of the VykCfg tests. scripts/screenshots.sh runs every config test program
// with --gtest_filter='Screenshot*' under Xvfb and VYK_SCREENSHOT_DIR set; a test suite named
// Screenshot... builds its windows with the skin of the build (<build>/bin/images) and saves
// them as PNG files there. Without VYK_SCREENSHOT_DIR those tests skip.
//
// UI thread only.

#include <gtest/gtest.h>

#include <QDir>
#include <QList>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdlib>

#include "config/toolkit/ImageDataBaseUnit.h"

namespace vyk::test {

// The folder screenshots go to, or empty when not in screenshot mode.
inline QString screenshotDir() {
    const char* dir = std::getenv("VYK_SCREENSHOT_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) : QString();
}

// Points the executable folder at the build's bin folder (skin, ui.local) and starts the
// image cache there, for the language folder given.
inline void useBuildSkin(const QString& language = QStringLiteral("0409")) {
#ifdef VYK_TEST_BIN_DIR
    ::setenv("VYK_EXE_DIR", VYK_TEST_BIN_DIR, 1);
#endif
    FreeGlobalImageDataBase();
    CreateGlobalImageDataBase();
    GlobalImageDataBase->SetImageBasePath(vyk::config::ImageFolderForLanguage(language));
}

// Saves the widget's window as <dir>/<name>.png.
inline void saveScreenshot(QWidget* w, const QString& name) {
    const QString dir = screenshotDir();
    if (dir.isEmpty() || w == nullptr) return;
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    EXPECT_TRUE(w->window()->grab().save(path, "PNG")) << path.toStdString();
}

// Saves the widget's window with popups over it (top-level windows of their own, such as the
// levels of a menu) as <dir>/<name>.png: each grab at its place on the screen, in the order
// given (a sub-menu after the menu it came from), on a canvas that holds them all. Hidden
// popups are left out.
inline void saveScreenshotWithPopups(QWidget* w, const QList<QWidget*>& popups, const QString& name) {
    const QString dir = screenshotDir();
    if (dir.isEmpty() || w == nullptr) return;
    QWidget* win = w->window();
    struct Layer {
        QPoint at;
        QPixmap pixmap;
    };
    QList<Layer> layers{{win->mapToGlobal(QPoint(0, 0)), win->grab()}};
    for (QWidget* p : popups) {
        if (p != nullptr && p->isVisible()) layers.append({p->mapToGlobal(QPoint(0, 0)), p->grab()});
    }
    QRect all;
    for (const Layer& l : layers) all |= QRect(l.at, l.pixmap.deviceIndependentSize().toSize());
    QPixmap canvas(all.size() * win->devicePixelRatioF());
    canvas.setDevicePixelRatio(win->devicePixelRatioF());
    canvas.fill(QColor(0x30, 0x30, 0x30));  // where no window is
    {
        QPainter painter(&canvas);
        for (const Layer& l : layers) painter.drawPixmap(l.at - all.topLeft(), l.pixmap);
    }
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    EXPECT_TRUE(canvas.save(path, "PNG")) << path.toStdString();
}

}  // namespace vyk::test

#define VYK_SCREENSHOT_ONLY()                                                             \
    do {                                                                                  \
        if (vyk::test::screenshotDir().isEmpty()) GTEST_SKIP() << "screenshot mode only"; \
    } while (0)
