// The skin image cache: EMPTY, the bare-name cache across sub-folders, lookups without regard
// to case, the choice of the language folder, files that cannot be used, base path changes, and
// pictures read ahead that must not outlive a change of their file.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <chrono>
#include <filesystem>
#include <string>

#include "config/toolkit/ImageDataBaseUnit.h"
#include "tests/support/test_env.h"

namespace fs = std::filesystem;
using vyk::test::freshDir;
using vyk::test::ScopedEnv;

namespace {

void writePng(const fs::path& p, QColor c, int w = 8, int h = 6) {
    fs::create_directories(p.parent_path());
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(QString::fromStdString(p.string()), "PNG")) << p;
}

QColor centre(const QPixmap& pm) { return pm.toImage().pixelColor(pm.width() / 2, pm.height() / 2); }

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

QPixmap marker() {
    QPixmap pm(3, 3);
    pm.fill(Qt::green);
    return pm;
}

}  // namespace

TEST(ImageDataBase, EmptyClearsTargetAndLowerCaseEmptyIsAFileName) {
    const fs::path base = freshDir("idb-empty");
    writePng(base / "buttons" / "empty", Qt::red);
    TImageDataBase db;
    db.SetImageBasePath(q(base));

    QPixmap target = marker();
    db.AssignIMAGE(target, "EMPTY", "buttons");
    EXPECT_TRUE(target.isNull());
    EXPECT_EQ(db.Count(), 0);

    target = marker();
    db.AssignIMAGE(target, "empty", "buttons");
    EXPECT_EQ(centre(target), QColor(Qt::red));
    EXPECT_EQ(db.Count(), 1);
}

TEST(ImageDataBase, CacheIsKeyedByBareNameAcrossSubFolders) {
    const fs::path base = freshDir("idb-bare");
    writePng(base / "background" / "a.png", Qt::red);
    writePng(base / "buttons" / "a.png", Qt::blue);
    TImageDataBase db;
    db.SetImageBasePath(q(base));

    QPixmap first, second;
    db.AssignIMAGE(first, "a.png", "background");
    db.AssignIMAGE(second, "a.png", "buttons");
    EXPECT_EQ(centre(first), QColor(Qt::red));
    EXPECT_EQ(centre(second), QColor(Qt::red)) << "served from the cache, not loaded from buttons/";
    ASSERT_EQ(db.Count(), 1);
    ASSERT_NE(db.FindImage("a.png"), nullptr);
    EXPECT_EQ(db.FindImage("a.png")->ImagePath, q(base / "background" / "a.png"));
    EXPECT_EQ(db.FindImage("A.png"), nullptr) << "FindImage compares exactly";
}

TEST(ImageDataBase, FindsFilesAndFoldersWithoutRegardToCase) {
    const fs::path base = freshDir("idb-case");
    writePng(base / "buttons" / "ok-1.png", Qt::red);
    writePng(base / "buttons" / "close-1.png", Qt::blue);
    writePng(base / "background" / "mouse-layout-side.png", Qt::yellow);
    TImageDataBase db;
    db.SetImageBasePath(q(base));

    struct Case {
        const char* sub;
        const char* name;
        QColor colour;
    };
    const Case cases[] = {{"Buttons", "ok-1.png", Qt::red},
                          {"BUTTONS", "Close-1.png", Qt::blue},
                          {"background", "mouse-layout-Side.png", Qt::yellow}};
    for (const Case& c : cases) {
        QPixmap target;
        db.AssignIMAGE(target, c.name, c.sub);
        EXPECT_EQ(centre(target), c.colour) << c.sub << "/" << c.name;
    }
    // "ok-1.png" asked again through the other spelling of the folder comes from the cache.
    QPixmap again;
    db.AssignIMAGE(again, "ok-1.png", "buttons");
    EXPECT_EQ(db.Count(), 3);
}

TEST(ImageDataBase, MissingOrUnusableFilesLeaveTheTargetAndAreRetried) {
    const fs::path base = freshDir("idb-bad");
    const fs::path zero = base / "controls" / "zero.png";
    writePng(base / "controls" / "placeholder.png", Qt::black);
    vyk::test::writeBytes(zero, {});
    const fs::path truncated = base / "controls" / "cut.png";
    writePng(truncated, Qt::red, 64, 64);
    auto bytes = vyk::test::readBytes(truncated);
    bytes.resize(bytes.size() / 2);
    vyk::test::writeBytes(truncated, bytes);

    TImageDataBase db;
    db.SetImageBasePath(q(base));
    for (const char* name : {"missing.png", "zero.png", "cut.png"}) {
        QPixmap target = marker();
        db.AssignIMAGE(target, name, "controls");
        EXPECT_EQ(centre(target), QColor(Qt::green)) << name;
        EXPECT_EQ(db.FindImage(name), nullptr) << name;
    }
    // A folder named like the picture is no picture either.
    fs::create_directories(base / "controls" / "dir.png");
    QPixmap target = marker();
    db.AssignIMAGE(target, "dir.png", "controls");
    EXPECT_EQ(centre(target), QColor(Qt::green));

    // Once the file is good, the next request loads it.
    writePng(zero, Qt::cyan);
    db.AssignIMAGE(target, "zero.png", "controls");
    EXPECT_EQ(centre(target), QColor(Qt::cyan));
    EXPECT_NE(db.FindImage("zero.png"), nullptr);
}

TEST(ImageDataBase, BasePathChangeEmptiesTheCacheAndEndsWithSlash) {
    const fs::path one = freshDir("idb-one");
    const fs::path two = freshDir("idb-two");
    writePng(one / "buttons" / "ok-1.png", Qt::red);
    writePng(two / "buttons" / "ok-1.png", Qt::blue);
    TImageDataBase db;
    EXPECT_TRUE(db.ImageDBPath().endsWith('/'));

    db.SetImageBasePath(q(one));
    EXPECT_EQ(db.ImageDBPath(), q(one) + "/");
    QPixmap shown;
    db.AssignIMAGE(shown, "ok-1.png", "buttons");
    ASSERT_EQ(db.Count(), 1);

    QString withBackslashes = q(two);
    withBackslashes.replace('/', '\\');
    db.SetImageBasePath(withBackslashes);
    EXPECT_EQ(db.ImageDBPath(), q(two) + "/");
    EXPECT_EQ(db.Count(), 0);
    QPixmap fresh;
    db.AssignIMAGE(fresh, "ok-1.png", "buttons");
    EXPECT_EQ(centre(fresh), QColor(Qt::blue));
    EXPECT_EQ(centre(shown), QColor(Qt::red)) << "bitmaps handed out earlier stay as they were";
}

TEST(ImageDataBase, ExplicitFolderReplacesBaseAndSubFolder) {
    const fs::path base = freshDir("idb-base");
    const fs::path other = freshDir("idb-other");
    writePng(base / "buttons" / "x.png", Qt::red);
    writePng(other / "x.png", Qt::blue);
    TImageDataBase db;
    db.SetImageBasePath(q(base));
    QPixmap target;
    db.AssignIMAGE(target, "x.png", "buttons", q(other) + "/");
    EXPECT_EQ(centre(target), QColor(Qt::blue));
}

TEST(ImageDataBase, LanguageFolderIsChosenPerFolderWithoutFileFallback) {
    const fs::path exe = freshDir("idb-exe");
    ScopedEnv env("VYK_EXE_DIR", exe.string());
    writePng(exe / "images" / "0409" / "buttons" / "ok-1.png", Qt::red);
    writePng(exe / "images" / "0409" / "buttons" / "ok-2.png", Qt::red);
    writePng(exe / "images" / "0804" / "Buttons" / "ok-2.png", Qt::blue);
    const QString root = q(exe) + "/";

    // A language without a folder gets 0409.
    EXPECT_EQ(vyk::config::ImageFolderForLanguage("0804"), root + "images/0804/");
    EXPECT_EQ(vyk::config::ImageFolderForLanguage("0404"), root + "images/0409/");
    for (const char* bad : {"", "..", "../0409", "0804/..", "a\\b"}) {
        EXPECT_EQ(vyk::config::ImageFolderForLanguage(bad), root + "images/0409/") << bad;
    }

    TImageDataBase db;
    db.SetImageBasePath(vyk::config::ImageFolderForLanguage("0804"));
    QPixmap ok1 = marker(), ok2;
    db.AssignIMAGE(ok1, "ok-1.png", "buttons");
    db.AssignIMAGE(ok2, "ok-2.png", "buttons");
    EXPECT_EQ(centre(ok1), QColor(Qt::green)) << "0409's file is not used when the language folder exists";
    EXPECT_EQ(centre(ok2), QColor(Qt::blue));

    db.SetImageBasePath(vyk::config::ImageFolderForLanguage("0404"));
    db.AssignIMAGE(ok1, "ok-1.png", "Buttons");
    EXPECT_EQ(centre(ok1), QColor(Qt::red));
}

TEST(ImageDataBase, PicturesReadAheadAreUsedOnlyWhileTheirFileIsUnchanged) {
    const fs::path base = freshDir("idb-ahead");
    writePng(base / "background" / "first.png", Qt::red);
    writePng(base / "buttons" / "resized.png", Qt::red);
    writePng(base / "buttons" / "touched.png", Qt::red);
    writePng(base / "controls" / "gone.png", Qt::red);
    TImageDataBase db;
    db.SetImageBasePath(q(base));
    db.ReadAheadImageFolder();

    // The first request waits until the folder is listed, so every file below changes after the
    // read-ahead noted what it looked like (whether or not it was decoded by then).
    QPixmap first;
    db.AssignIMAGE(first, "first.png", "background");
    EXPECT_EQ(centre(first), QColor(Qt::red));

    writePng(base / "buttons" / "resized.png", Qt::blue, 9, 6);
    const fs::path touched = base / "buttons" / "touched.png";
    const auto stamp = fs::last_write_time(touched);
    writePng(touched, Qt::blue);
    fs::last_write_time(touched, stamp + std::chrono::seconds(10));
    fs::remove(base / "controls" / "gone.png");

    QPixmap resized, changed, gone = marker();
    db.AssignIMAGE(resized, "resized.png", "buttons");
    db.AssignIMAGE(changed, "touched.png", "buttons");
    db.AssignIMAGE(gone, "gone.png", "controls");
    EXPECT_EQ(centre(resized), QColor(Qt::blue));
    EXPECT_EQ(resized.width(), 9);
    EXPECT_EQ(centre(changed), QColor(Qt::blue));
    EXPECT_EQ(centre(gone), QColor(Qt::green)) << "a file removed since is missing, whatever was read ahead";
    EXPECT_EQ(db.FindImage("gone.png"), nullptr);
}

TEST(ImageDataBase, AReadAheadStillRunningEndsWithTheDatabaseOrAnotherFolder) {
    const fs::path base = freshDir("idb-ahead-end");
    for (int i = 0; i < 40; ++i) writePng(base / "buttons" / ("b" + std::to_string(i) + ".png"), Qt::red, 64, 64);
    for (int round = 0; round < 5; ++round) {
        TImageDataBase db;
        db.SetImageBasePath(q(base));
        db.ReadAheadImageFolder();
        if (round % 2 == 1) {
            // Another folder: what was read ahead is given up, the pictures come from the files.
            db.SetImageBasePath(q(base / "buttons"));
            QPixmap p;
            db.AssignIMAGE(p, "b7.png", "");
            EXPECT_EQ(centre(p), QColor(Qt::red));
        }
    }  // each read-ahead ends with its database, wherever it is
}

TEST(ImageDataBase, GlobalInstanceStartsOn0409AndIsCreatedOnce) {
    const fs::path exe = freshDir("idb-global");
    ScopedEnv env("VYK_EXE_DIR", exe.string());
    // "Images/0409" is asked for; the folder on disk is "images".
    writePng(exe / "images" / "0409" / "background" / "dlg-back.png", Qt::red);
    FreeGlobalImageDataBase();
    CreateGlobalImageDataBase();
    ASSERT_NE(GlobalImageDataBase, nullptr);
    TImageDataBase* first = GlobalImageDataBase;
    EXPECT_EQ(first->ImageDBPath(), q(exe) + "/images/0409/");
    CreateGlobalImageDataBase();
    EXPECT_EQ(GlobalImageDataBase, first);
    QPixmap target;
    vyk::config::AssignSkinImage(target, "background", "dlg-back.png");
    EXPECT_EQ(centre(target), QColor(Qt::red));
    FreeGlobalImageDataBase();
    EXPECT_EQ(GlobalImageDataBase, nullptr);
}
