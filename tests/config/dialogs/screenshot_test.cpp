// Screenshot mode (scripts/screenshots.sh): the message dialogs in English and in Simplified
// Chinese, with the build's skin.
#include <gtest/gtest.h>

#include <QTest>

#include "config/dialogs/showdialog.h"
#include "config/dialogs/showdialog2.h"
#include "config/window/MacroButtonBinding.h"
#include "core/language/vgLang.h"
#include "tests/config/support/modal.h"
#include "tests/config/support/screenshot.h"
#include "tests/support/test_env.h"

namespace {

// Saves the next dialog; with hoverOK the pointer rests on OK first (hot bitmap).
void shoot(const QString& name, bool hoverOK = false) {
    vyk::test::whenModal([name, hoverOK](QWidget* d) {
        if (hoverOK) {
            auto* ok = d->findChild<QWidget*>("BTNOK");
            QTest::mouseMove(ok, ok->rect().center());
            QTest::qWait(50);
        }
        vyk::test::saveScreenshot(d, name);
        QTest::keyClick(d, Qt::Key_Escape);
    });
}

}  // namespace

TEST(ScreenshotDialogs, MessageDialogs) {
    VYK_SCREENSHOT_ONLY();
    vyk::test::useBuildSkin("0409");
    shoot("dialog-showdialog-en");
    ShowDialog("APPLY", "The mouse is not connected. Connect it and press APPLY again.");
    shoot("dialog-showdialog2-en", true);
    ShowDialog2("RESET ALL PROFILES", "ARE YOU SURE YOU WANT TO RESET ALL PROFILES BACK TO FACTORY SETTINGS  ?",
                "All five profiles and their macros return to the factory settings.");
    shoot("dialog-showdialog-long-en");
    ShowDialog("LOAD FILE",
               "The file /home/user/Documents/VykProfile/a-very-long-profile-name-that-does-not-fit.pfd was "
               "written by another version of this program and cannot be loaded. Choose a file saved by this "
               "version, or save the current settings again.");
    // A report of the store, as the window shows it after start-up.
    shoot("dialog-store-report-en");
    ShowDialog("WARNING",
               "The stored profile 2 \"/home/user/.config/vyk/registry/HKEY_CURRENT_USER/software/software/"
               "Vykgmmouse/VykProfile2.pfd.bin\" is damaged (0 bytes instead of 142240); its copy "
               "\"/home/user/Documents/VykProfile/VykProfile2.pfd\" is used instead.");

    shoot("dialog-help-refused-en");
    ShowDialog("WARNING",
               "THE HELP FILE WAS NOT OPENED: ONLY A FILE IN THE PROGRAM'S FOLDER OR A WEB ADDRESS CAN BE "
               "OPENED.");

    TTextList zh;
    zh.SetValue("OK", QString::fromUtf8("确定"));
    zh.SetValue("CANCEL", QString::fromUtf8("取消"));
    vyk::toolkit::setTable(zh);
    vyk::test::useBuildSkin("0804");
    shoot("dialog-showdialog-zh");
    ShowDialog(QString::fromUtf8("应用"), QString::fromUtf8("未连接鼠标。请连接鼠标后再按“应用”。"));
    shoot("dialog-store-report-zh");
    ShowDialog(
        QString::fromUtf8("警告"),
        QString::fromUtf8("配置文件设置将配置文件 2 保存在“/home/user/Documents/Mice/elsewhere”，该位置在配置文件夹"
                          "“/home/user/Documents/VykProfile/”之外，因此改用配置文件夹。"));
    shoot("dialog-showdialog2-zh");
    ShowDialog2(QString::fromUtf8("重置所有配置"), QString::fromUtf8("确定要将所有配置恢复为出厂设置吗？"),
                QString::fromUtf8("五个配置及其宏都将恢复为出厂设置。"));
    shoot("dialog-help-refused-zh");
    ShowDialog(QString::fromUtf8("警告"), QString::fromUtf8("未打开帮助文件：只能打开程序文件夹中的文件或网址。"));
    vyk::toolkit::resetTable();

    // Without any skin file: the drawn panel, buttons and warning icon.
    FreeGlobalImageDataBase();
    CreateGlobalImageDataBase();
    GlobalImageDataBase->SetImageBasePath(QString::fromStdString(vyk::test::freshDir("no-skin").string()));
    shoot("dialog-showdialog-noskin-en");
    ShowDialog("APPLY", "The mouse is not connected. Connect it and press APPLY again.");
    FreeGlobalImageDataBase();
}

// The report of a macro database that could not be read, with a path of a usual length.
TEST(ScreenshotDialogs, MacroDatabaseReport) {
    VYK_SCREENSHOT_ONLY();
    const QString file = QStringLiteral("/home/user/Documents/VykProfile/Macro/MacroSet.MSDB");
    for (const char* language : {"0409", "0804"}) {
        vyk::test::useBuildSkin(QString::fromLatin1(language));
        if (QString::fromLatin1(language) == QLatin1String("0804")) {
            TTextList zh;
            zh.SetValue("OK", QString::fromUtf8("确定"));
            zh.SetValue("CANCEL", QString::fromUtf8("取消"));
            zh.SetValue("WARNING", QString::fromUtf8("警告"));
            zh.SetValue(vyk::config::kMacroDbKept,
                        QString::fromUtf8("宏数据库 %1 无法完整读取。它已另存为 %2；使用其中宏的按键保留原来的宏。"));
            vyk::toolkit::setTable(zh);
        }
        shoot(QStringLiteral("dialog-macro-db-%1").arg(QString::fromLatin1(language)));
        ShowDialog(vyk::toolkit::translate(QStringLiteral("WARNING")),
                   vyk::toolkit::translate(QString::fromUtf8(vyk::config::kMacroDbKept))
                       .arg(file, QStringLiteral("MacroSet.MSDB.bak")));
    }
    vyk::toolkit::resetTable();
}
