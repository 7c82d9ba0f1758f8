// Message boxes never nest: a box opened while another is open (from its event loop: a timer,
// a message, a device event) is not shown and goes to the diagnostic log.
#include "platform/dialogs/message_box.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

using namespace vyk::platform;

namespace {

int visibleBoxes() {
    const auto widgets = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(widgets.begin(), widgets.end(), [](QWidget* w) {
        return qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible();
    }));
}

QString readLog(const std::filesystem::path& p) {
    QFile f(QString::fromStdString(p.string()));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

TEST(MessageBoxTest, ABoxNeverOpensInsideAnother) {
    const auto log = vyk::test::freshDir("box-log") / "debug.log";
    vyk::test::ScopedEnv env("VYK_DEBUG_LOG", log.string());
    setMessageBoxHook({});
    int most = 0;
    int secondCalls = 0;
    // Errors arriving while the first box waits for its click, as device input and messages do.
    QTimer burst;
    burst.setInterval(1);
    QObject::connect(&burst, &QTimer::timeout, [&] {
        if (secondCalls < 20) {
            messageBox(QStringLiteral("Title"), QStringLiteral("later %1").arg(secondCalls));
            ++secondCalls;
        }
    });
    // The user: looks at what is open, then clicks the top box once the burst is over.
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        most = std::max(most, visibleBoxes());
        if (secondCalls >= 20) {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        }
    });
    burst.start();
    user.start();
    EXPECT_FALSE(messageBoxOpen());
    messageBox(QStringLiteral("Title"), QStringLiteral("first"));
    EXPECT_FALSE(messageBoxOpen());
    EXPECT_EQ(most, 1);
    EXPECT_EQ(secondCalls, 20);
    const QString text = readLog(log);
    EXPECT_TRUE(text.contains("later 0")) << text.toStdString();
    EXPECT_TRUE(text.contains("later 19")) << text.toStdString();
}

TEST(MessageBoxTest, TheHookIsNeverEnteredTwiceAndBoxesWorkAgainAfterwards) {
    QStringList seen;
    setMessageBoxHook([&](const QString&, const QString& text, MessageIcon) {
        seen << text;
        EXPECT_TRUE(messageBoxOpen());
        // An error reported from inside the open box.
        messageBox(QStringLiteral("Title"), QStringLiteral("nested"));
    });
    messageBox(QStringLiteral("Title"), QStringLiteral("one"));
    showMessage(QStringLiteral("two"));
    setMessageBoxHook({});
    EXPECT_EQ(seen, (QStringList{"one", "two"}));
}
