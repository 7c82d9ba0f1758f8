// The macro manager with the real hook library and real X events: a private Xvfb, keys typed
// with xdotool while the manager records, STOP and OK clicked for real, and the macro read back
// from MacroSet.MSDB.

#include "tests/core/hook/real_hook_x11_fixture.h"

#include "config/dialogs/macrofrm.h"
#include "config/toolkit/ImageStateButton.h"
#include "core/macro/uiMacroClassUnit.h"
#include "platform/dialogs/message_box.h"
#include "tests/config/support/modal.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QDialog>
#include <QPointer>
#include <QTest>

namespace vyk::test {
namespace {

class MacroManagerX11 : public RealHookX11Test {
protected:
    static void click(TImageStateButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    }
};

TEST_F(MacroManagerX11, RecordsTypedKeysIntoTheDatabaseFile) {
    const QString path = QString::fromStdString((freshDir("macro-x11") / "MacroSet.MSDB").string());
    TuiMacroSetClass db;
    db.LoadMacrosetDB(path);
    db.CreateNewMacroSet(QStringLiteral("DefaultMacroSet"));
    db.SwitchToMacroSet(QStringLiteral("DefaultMacroSet"));
    db.CreateNewMacro(QStringLiteral("Typed"));

    int liveRows = 0;
    whenModal([&, this](QWidget* w) {
        QPointer<QWidget> guard(w);
        auto* f = dynamic_cast<TFrmMacro*>(w);
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(f->uiHook1->DLLLoaded());
        f->BtnAutoDelay->SetPressed(true);
        click(f->BtnMacroStart);
        EXPECT_TRUE(f->Recording());
        EXPECT_TRUE(xdotool({"keydown", "a", "sleep", "0.3", "keyup", "a", "key", "Home"}));
        EXPECT_TRUE(waitUntil([&] { return f->ActionRows->Count() >= 5; })) << f->ActionRows->Count();
        liveRows = f->ActionRows->Count();
        click(f->BtnMacroStop);
        click(f->BTNOK);
        if (guard && guard->isVisible()) static_cast<QDialog*>(guard.data())->done(2);
    });
    QString name;
    ASSERT_EQ(ShowMacroManager(db, name), 1);
    EXPECT_EQ(name, "Typed");
    EXPECT_GE(liveRows, 5);

    TuiMacroSetClass fresh;
    fresh.LoadMacrosetDB(path);
    ASSERT_EQ(fresh.MacroSetCount(), 1);
    const TMACROKEYINFO m = fresh.MacroSetList()[0].MacroArrays[0];
    ASSERT_GE(m.MacroListCount, 5);
    // A down, about 300 ms, A up, then Home (extended) down and up with delays between.
    EXPECT_EQ(m.MacroList[0].nKeyType, 4);
    EXPECT_EQ(m.MacroList[0].nKeyState, 1);
    EXPECT_EQ(m.MacroList[0].VALUE1, 0x41);
    EXPECT_EQ(m.MacroList[1].nKeyType, 6);
    const int delay = m.MacroList[1].VALUE2 * 256 + m.MacroList[1].VALUE1;
    EXPECT_GE(delay, 250);
    EXPECT_LE(delay, 2000);
    EXPECT_EQ(m.MacroList[2].nKeyType, 4);
    EXPECT_EQ(m.MacroList[2].nKeyState, 0);
    EXPECT_EQ(m.MacroList[2].VALUE1, 0x41);
    bool sawHome = false;
    for (int i = 3; i < m.MacroListCount; ++i)
        if (m.MacroList[i].nKeyType == 4 && m.MacroList[i].VALUE1 == 0x24 && m.MacroList[i].VALUE2 == 1) sawHome = true;
    EXPECT_TRUE(sawHome);
    EXPECT_EQ(m.nAutoAddDelay, 1);
    EXPECT_EQ(m.HaveErrors, 0);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace vyk::test
