// Dialogs take their skin from the image folder of the language chosen before they are
// created; a file missing from an existing language folder leaves the drawn look and is not
// taken from 0409. The main-window reference lets go of a destroyed window.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <filesystem>

#include "config/dialogs/showdialog.h"
#include "config/dialogs/showdialog2.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MainWindowRef.h"
#include "config/toolkit/SkinImage.h"
#include "tests/support/test_env.h"

namespace fs = std::filesystem;

namespace {

void writePng(const fs::path& p, QColor c) {
    fs::create_directories(p.parent_path());
    QImage img(10, 10, QImage::Format_ARGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(QString::fromStdString(p.string()), "PNG"));
}

QColor centre(const QPixmap& pm) { return pm.toImage().pixelColor(pm.width() / 2, pm.height() / 2); }

struct SkinFolders : ::testing::Test {
    fs::path exe = vyk::test::freshDir("dialog-skin-exe");
    vyk::test::ScopedEnv env{"VYK_EXE_DIR", exe.string()};

    void SetUp() override {
        writePng(exe / "images/0409/background/dlg-back.png", Qt::red);
        writePng(exe / "images/0409/buttons/ok-1.png", Qt::red);
        writePng(exe / "images/0409/controls/icon-warning.png", Qt::red);
        writePng(exe / "images/0804/background/dlg-back.png", Qt::blue);
        writePng(exe / "images/0804/buttons/ok-2.png", Qt::blue);
        FreeGlobalImageDataBase();
        CreateGlobalImageDataBase();
    }
    void TearDown() override { FreeGlobalImageDataBase(); }
};

}  // namespace

TEST_F(SkinFolders, DialogsFollowTheLanguageFolderChosenBeforeThem) {
    TFrmDialog english;
    EXPECT_EQ(centre(english.ImageBack->Pixmap()), QColor(Qt::red));
    EXPECT_EQ(centre(english.BTNOK->NormalBitmap()), QColor(Qt::red));
    EXPECT_EQ(centre(english.Btnimage->Pixmap()), QColor(Qt::red));

    GlobalImageDataBase->SetImageBasePath(vyk::config::ImageFolderForLanguage("0804"));
    TFrmDialog2 chinese;
    EXPECT_EQ(centre(chinese.ImageBack->Pixmap()), QColor(Qt::blue));
    EXPECT_TRUE(chinese.BTNOK->NormalBitmap().isNull()) << "ok-1.png is not taken from 0409";
    EXPECT_EQ(centre(chinese.BTNOK->HotBitmap()), QColor(Qt::blue));
    // No warning icon in 0804: the drawn one (amber, 48 x 48) stands in.
    EXPECT_EQ(chinese.Btnimage->Pixmap().size(), QSize(48, 48));
    // The dialog made before the change keeps its bitmaps.
    EXPECT_EQ(centre(english.ImageBack->Pixmap()), QColor(Qt::red));

    GlobalImageDataBase->SetImageBasePath(vyk::config::ImageFolderForLanguage("0404"));
    TFrmDialog traditional;
    EXPECT_EQ(centre(traditional.ImageBack->Pixmap()), QColor(Qt::red)) << "no 0404 folder: 0409";
}

TEST(MainWindowRef, LetsGoOfADestroyedWindow) {
    auto* main = new QWidget();
    vyk::config::SetMainWindow(main);
    EXPECT_EQ(vyk::config::MainWindow(), main);
    delete main;
    EXPECT_EQ(vyk::config::MainWindow(), nullptr);
}
