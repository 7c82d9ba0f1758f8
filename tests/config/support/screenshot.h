#pragma once
// Screenshot mode of the VykCfg tests. scripts/screenshots.sh runs every config test program
// with --gtest_filter='Screenshot*' under Xvfb and VYK_SCREENSHOT_DIR set; a test suite named
// Screenshot... builds its windows with the skin of the build (<build>/bin/images) and saves
// them as PNG files there. Without VYK_SCREENSHOT_DIR those tests skip.
//
// UI thread only.

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
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

}  // namespace vyk::test

#define VYK_SCREENSHOT_ONLY()                                                              \
    do {                                                                                   \
        if (vyk::test::screenshotDir().isEmpty()) GTEST_SKIP() << "screenshot mode only"; \
    } while (0)
