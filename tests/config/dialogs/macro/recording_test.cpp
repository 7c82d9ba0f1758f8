// Recording in the macro manager with exact key events from the stand-in hook library: the
// live rows, the conversion into actions (delays, default delay, no delays, long pauses, the
// press/release key, the 59-action cap), RECORD AFTER, the edit tools, the mouse actions, the
// lock of the editor, and a manager without the hook library.

#include "tests/config/dialogs/macro/macro_fixture.h"

#include "config/toolkit/MenuPopup.h"
#include "config/toolkit/uiMenuBox.h"
#include "config/toolkit/uiMenuEx.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"

#include <QScreen>

namespace vyk::test {
namespace {

using MacroRecording = MacroManagerTest;

QString keyName(int vk, int ext = 0) { return GetKeyDescription(vk, ext); }

TEST_F(MacroRecording, PressWaitReleaseGivesKeyDelayKeyWithLiveRowsAndTotals) {
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    f.BtnAutoDelay->SetPressed(true);
    clickButton(f.BtnMacroStart);
    ASSERT_TRUE(f.Recording());
    EXPECT_TRUE(keyboardEnabled());

    press(VK_A, 1000);
    EXPECT_EQ(actionRows(), QStringList{keyName(VK_A)});  // no delay row before the first key
    release(VK_A, 1300);
    EXPECT_EQ(actionRows(), (QStringList{keyName(VK_A), "300", keyName(VK_A)}));
    EXPECT_EQ(f.ActionRows->Rows()[0].kind, MacroActionModel::Kind::KeyDown);
    EXPECT_EQ(f.ActionRows->Rows()[2].kind, MacroActionModel::Kind::KeyUp);
    EXPECT_EQ(f.lableTotalActions->text(), "3");

    clickButton(f.BtnMacroStop);
    EXPECT_FALSE(f.Recording());
    EXPECT_FALSE(keyboardEnabled());
    EXPECT_EQ(storedActions(0), (std::vector<TMACROKEY>{act(4, 1, 0x41, 0), act(6, 0, 44, 1), act(4, 0, 0x41, 0)}));
    EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].nAutoAddDelay, 1);
    EXPECT_EQ(f.LabelAllDelayTime->text(), "300");
    EXPECT_EQ(f.lableTotalActions->text(), "3");
    EXPECT_EQ(actionRows(), (QStringList{" " + keyName(VK_A), "300", " " + keyName(VK_A)}));
}

// One recording per row: options, the events, the live rows and the stored actions.
TEST_F(MacroRecording, ConversionTable) {
    struct Case {
        const char* what;
        bool recordDelays;
        bool customDelay;
        int defaultDelay;
        std::vector<std::tuple<unsigned, bool, unsigned>> keys;  // vk, up, time
        QStringList live;
        std::vector<TMACROKEY> stored;
        int autoAddDelay;
    };
    const QString a = keyName(VK_A), c = keyName(VK_C);
    const std::vector<Case> cases = {
        {"custom delay 25",
         true,
         true,
         25,
         {{VK_A, false, 1000}, {VK_A, true, 1300}},
         {a, "25", a},
         {act(4, 1, 0x41, 0), act(6, 0, 25, 0), act(4, 0, 0x41, 0)},
         1},
        {"delays off",
         false,
         false,
         10,
         {{VK_A, false, 1000}, {VK_A, true, 1300}, {VK_C, false, 1400}, {VK_C, true, 1500}},
         {a, a, c, c},
         {act(4, 1, 0x41, 0), act(4, 0, 0x41, 0), act(4, 1, 0x43, 0), act(4, 0, 0x43, 0)},
         0},
        {"12000 ms pause",
         true,
         false,
         10,
         {{VK_A, false, 1000}, {VK_A, true, 13000}},
         {a, a},
         {act(4, 1, 0x41, 0), act(6, 0, 12000 & 0xFF, 12000 >> 8), act(4, 0, 0x41, 0)},
         1},
        {"auto-repeat",
         true,
         false,
         10,
         {{VK_A, false, 1000}, {VK_A, false, 1030}, {VK_A, false, 1060}, {VK_A, true, 1100}},
         {a, "100", a},
         {act(4, 1, 0x41, 0), act(6, 0, 100, 0), act(4, 0, 0x41, 0)},
         1},
    };
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        f.BtnAutoDelay->SetPressed(k.recordDelays);
        f.BtnCustomDelay->SetPressed(k.customDelay);
        f.NumBoxDelay->setValue(k.defaultDelay);
        clickButton(f.BtnMacroStart);
        for (const auto& [vk, up, t] : k.keys) key(vk, up, t);
        EXPECT_EQ(actionRows(), k.live);
        clickButton(f.BtnMacroStop);
        EXPECT_EQ(storedActions(0), k.stored);
        EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].nAutoAddDelay, k.autoAddDelay);
        EXPECT_EQ(f.lableTotalActions->text(), QString::number(k.stored.size()));
    }
}

TEST_F(MacroRecording, APressIsNeverTakenForARepeatOfAnExtendedRelease) {
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    f.BtnAutoDelay->SetPressed(false);
    // The items of keypad Enter (extended) down, main Enter down, keypad Enter up, main Enter
    // up. The main press and the keypad release would share the key 256 * state + 256 * ext +
    // vk: the release would be dropped and the keypad press then removed as left pressed.
    TMacroKeyList both;
    auto item = [](TMacroKeyList& l, int state, int ext, int vk) {
        auto o = std::make_unique<TMacroKeyObject>();
        o->FMacroKey.nKeyType = 1;
        o->FMacroKey.nKeyState = static_cast<std::uint16_t>(state);
        o->FMacroKey.nKeyValueExtended = static_cast<std::uint16_t>(ext);
        o->FMacroKey.nKeyValue = static_cast<std::uint16_t>(vk);
        l.Add(QString::number(l.Count()), std::move(o));
    };
    item(both, 1, 1, 13);
    item(both, 1, 0, 13);
    item(both, 0, 1, 13);
    item(both, 0, 0, 13);
    f.uiHook1StopRecordKeyboardMacroKey(both);
    EXPECT_EQ(storedActions(0),
              (std::vector<TMACROKEY>{act(4, 1, 13, 1), act(4, 1, 13, 0), act(4, 0, 13, 1), act(4, 0, 13, 0)}));

    // A repeated item is still dropped.
    TMacroKeyList list;
    auto add = [&](int state, int ext, int vk) { item(list, state, ext, vk); };
    add(1, 0, 0x41);
    add(1, 0, 0x41);
    add(0, 0, 0x41);
    f.uiHook1StopRecordKeyboardMacroKey(list);
    EXPECT_EQ(storedActions(0), (std::vector<TMACROKEY>{act(4, 1, 0x41, 0), act(4, 0, 0x41, 0)}));
}

TEST_F(MacroRecording, AtMostFiftyNineActionsAndTheKeyLeftPressedIsRemoved) {
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    f.BtnAutoDelay->SetPressed(false);
    clickButton(f.BtnMacroStart);
    unsigned t = 1000;
    for (int i = 0; i < 31; ++i) {
        press(VK_A + static_cast<unsigned>(i % 20), t += 50);
        release(VK_A + static_cast<unsigned>(i % 20), t += 50);
    }
    EXPECT_EQ(f.ActionRows->Count(), 59);
    EXPECT_FALSE(f.LayoutActionsFull->isHidden());
    clickButton(f.BtnMacroStop);
    // 59 actions kept: the 59th is a press without its release, which the repair removes.
    const auto stored = storedActions(0);
    ASSERT_EQ(stored.size(), 58u);
    EXPECT_EQ(stored.back().nKeyState, 0);
    EXPECT_EQ(f.lableTotalActions->text(), "58");
}

TEST_F(MacroRecording, RecordAfterInsertsBehindTheSelectedActionAndKeepsTheOptions) {
    addMacros({"Macro1", "Other"}, {act(4, 1, 0x41, 0), act(6, 0, 50, 0), act(4, 0, 0x41, 0)});
    macros()->SetMacroLoopValue(0, 0, 5);
    db->SaveBackCurrentMacroClassDataToCurrentMacroList();
    TFrmMacro& f = openForm();
    ASSERT_TRUE(f.BtnMacroLoop->IsPressed());
    f.BtnAutoDelay->SetPressed(false);  // only keys from this recording

    clickRow(f.ListBoxMacroKey, 1);
    clickButton(f.BSBTNInsertAction);
    ASSERT_TRUE(f.Recording());
    EXPECT_EQ(f.RecordMode(), TFrmMacro::TRecordMode::InsertAfter);
    // Only STOP works, the macro list included.
    EXPECT_FALSE(f.ListBoxMacroList->isEnabled());
    EXPECT_FALSE(f.BTNOK->isEnabled());
    EXPECT_FALSE(f.BSBTNInsertAction->isEnabled());
    EXPECT_TRUE(f.BtnMacroStop->isEnabled());
    clickRow(f.ListBoxMacroList, 1);
    EXPECT_EQ(macros()->MacroListIndex(), 0);

    press(VK_C, 2000);
    release(VK_C, 2100);
    // The preview shows the rows where they will be stored: behind row 1.
    EXPECT_EQ(actionRows().mid(2, 2), (QStringList{keyName(VK_C), keyName(VK_C)}));
    clickButton(f.BtnMacroStop);
    EXPECT_EQ(storedActions(0), (std::vector<TMACROKEY>{act(4, 1, 0x41, 0), act(6, 0, 50, 0), act(4, 1, 0x43, 0),
                                                        act(4, 0, 0x43, 0), act(4, 0, 0x41, 0)}));
    EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].nLoopCount, 5);
    EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].nAutoAddDelay, 0);
    EXPECT_EQ(storedActions(1).size(), 3u);  // the other macro untouched
    EXPECT_TRUE(f.ListBoxMacroList->isEnabled());
}

TEST_F(MacroRecording, RecordAfterWithNothingSelectedPutsTheRecordingFirstAsPreviewed) {
    addMacros({"Macro1"}, {act(4, 1, 0x41, 0), act(4, 0, 0x41, 0)});
    TFrmMacro& f = openForm();
    f.BtnAutoDelay->SetPressed(false);
    f.ListBoxMacroKey->selectionModel()->clear();
    clickButton(f.BSBTNInsertAction);
    press(VK_C, 2000);
    release(VK_C, 2100);
    EXPECT_EQ(actionRows().mid(0, 2), (QStringList{keyName(VK_C), keyName(VK_C)}));
    clickButton(f.BtnMacroStop);
    EXPECT_EQ(storedActions(0),
              (std::vector<TMACROKEY>{act(4, 1, 0x43, 0), act(4, 0, 0x43, 0), act(4, 1, 0x41, 0), act(4, 0, 0x41, 0)}));
}

TEST_F(MacroRecording, KeysTypedIntoTheWindowWhileRecordingActOnNothing) {
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    clickButton(f.BtnMacroStart);
    for (auto k : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_Down}) {
        QTest::keyClick(&f, k);
        QTest::keyClick(f.ListBoxMacroKey, k);
    }
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.Recording());
    clickButton(f.BTNCLOSE);  // locked
    EXPECT_TRUE(f.isVisible());
    clickButton(f.BtnMacroStop);
    EXPECT_FALSE(f.Recording());
    EXPECT_TRUE(f.BTNOK->isEnabled());
    EXPECT_FALSE(f.BtnMacroStop->isEnabled());
}

TEST_F(MacroRecording, OkWhileRecordingKeepsTheRecordingAndWritesTheFile) {
    addMacros({"Macro1"});
    QString name;
    whenModal([this](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        f->BtnAutoDelay->SetPressed(true);
        clickButton(f->BtnMacroStart);
        press(VK_A, 1000);
        release(VK_A, 1300);
        f->BTNOK->setEnabled(true);  // OK is locked while recording; its handler stops first
        clickButton(f->BTNOK);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 1);
    EXPECT_EQ(name, "Macro1");
    const TMACROKEYINFO m = fileMacro(0);
    ASSERT_EQ(m.MacroListCount, 3);
    EXPECT_EQ(m.MacroList[1], act(6, 0, 44, 1));
    EXPECT_EQ(m.nAutoAddDelay, 1);
}

TEST_F(MacroRecording, StartWithoutAMacroAndToolsOnAnEmptySetDoNothing) {
    TFrmMacro& f = openForm();
    clickButton(f.BtnMacroStart);
    EXPECT_FALSE(f.Recording());
    EXPECT_FALSE(f.BtnMacroStart->IsPressed());
    EXPECT_FALSE(keyboardEnabled());
    for (TImageStateButton* b : {f.BSBTNInsertAction, f.bsbtnDeleteAction, f.bsbtnMoveUpAction, f.bsbtnMoveDownAction,
                                 f.bsbtnCopyAction, f.bsbtnCutAction, f.BSBTNPasteaction, f.bsbtnMouseEvent})
        clickButton(b);
    f.InsertMouseAction(1, true);
    EXPECT_FALSE(f.Recording());
    EXPECT_FALSE(f.uiMenuExMouseEvent->IsMenuOpen());
    EXPECT_EQ(macros()->MacroListCount(), 0);
    EXPECT_EQ(f.ActionRows->Count(), 0);
}

TEST_F(MacroRecording, EditToolsWorkOnTheSelectedAction) {
    addMacros({"Macro1"}, {act(4, 1, 0x41, 0), act(6, 0, 20, 0), act(4, 0, 0x41, 0), act(6, 0, 30, 0)});
    TFrmMacro& f = openForm();
    clickRow(f.ListBoxMacroKey, 3);
    clickButton(f.bsbtnMoveUpAction);  // the 30 ms delay before the release
    EXPECT_EQ(storedActions(0)[2], act(6, 0, 30, 0));
    clickRow(f.ListBoxMacroKey, 1);
    clickButton(f.bsbtnCutAction);
    EXPECT_EQ(storedActions(0).size(), 3u);
    clickRow(f.ListBoxMacroKey, 0);
    clickButton(f.BSBTNPasteaction);  // in front of the current action
    EXPECT_EQ(storedActions(0)[0], act(6, 0, 20, 0));
    EXPECT_EQ(f.LabelAllDelayTime->text(), "50");
    clickRow(f.ListBoxMacroKey, 0);
    clickButton(f.bsbtnDeleteAction);
    EXPECT_EQ(storedActions(0).size(), 3u);
    EXPECT_EQ(f.lableTotalActions->text(), "3");
}

TEST_F(MacroRecording, MouseActionsTable) {
    struct Case {
        const char* what;
        int existing;  // actions already in the macro (press/release pairs of A, then one delay)
        quint32 item;
        bool recordDelays;
        int countAfter;
    };
    const Case cases[] = {
        {"left with delay, empty macro", 0, 1, true, 3},
        {"right without delay", 0, 2, false, 2},
        {"57 + 3 refused", 57, 1, true, 57},
        {"57 + 2 accepted", 57, 3, false, 59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reopenDb();
        addMacros({"M"});
        TMACROKEYINFO info{};
        macros()->GetCurrentMacroKeyItem(info);
        for (int i = 0; i < c.existing; ++i)
            info.MacroList[i] = i == c.existing - 1 ? act(6, 0, 5, 0) : act(4, (i + 1) % 2, 0x41, 0);
        info.MacroListCount = c.existing;
        macros()->SaveBackCurrentMacroKeyInfo(info);
        db->SaveBackCurrentMacroClassDataToCurrentMacroList();
        TFrmMacro& f = openForm();
        f.BtnAutoDelay->SetPressed(c.recordDelays);
        f.uiMenuExMouseEventItemsClick(c.item);
        EXPECT_EQ(static_cast<int>(storedActions(0).size()), c.countAfter);
    }
    // The empty-macro row in full: actions, rows and the total.
    reopenDb();
    addMacros({"M"});
    TFrmMacro& f = openForm();
    f.BtnAutoDelay->SetPressed(true);
    clickButton(f.bsbtnMouseEvent);
    EXPECT_TRUE(f.uiMenuExMouseEvent->IsMenuOpen());
    EXPECT_EQ(f.uiMenuExMouseEvent->Items()[0]->ItemID(), 1u);
    EXPECT_EQ(f.uiMenuExMouseEvent->Items()[2]->ItemID(), 3u);
    CloseAllMenus(&f.uiMenuExMouseEvent->Items());
    f.uiMenuExMouseEventItemsClick(1);
    EXPECT_EQ(storedActions(0), (std::vector<TMACROKEY>{act(1, 1, 1, 0), act(6, 0, 10, 0), act(1, 0, 1, 0)}));
    const QString left = " " + vyk::toolkit::translate(GetKeyDescription(1, 0).trimmed());
    EXPECT_EQ(actionRows(), (QStringList{left, "10", left}));
    EXPECT_EQ(f.ActionRows->Rows()[0].kind, MacroActionModel::Kind::MouseDown);
    EXPECT_EQ(f.ActionRows->Rows()[2].kind, MacroActionModel::Kind::MouseUp);
    EXPECT_EQ(f.LabelAllDelayTime->text(), "10");
}

TEST_F(MacroRecording, SaysSoWhereOnlyOurOwnWindowsCanBeWatched) {
    addMacros({"Macro1"});
    {
        ScopedEnv display("DISPLAY", ":0");
        TFrmMacro& f = openForm();
        EXPECT_TRUE(f.LabelOwnWindows->isHidden());
    }
    ScopedEnv display("DISPLAY", "");
    TFrmMacro& f = openForm();
    EXPECT_FALSE(f.LabelOwnWindows->isHidden());
    EXPECT_EQ(f.LabelOwnWindows->text(), "ONLY KEYS PRESSED WHILE THIS WINDOW HAS THE FOCUS CAN BE CAPTURED HERE.");
}

// Without the stand-in loaded by a fixture (a library in the process is found by its name).
class MacroRecordingWithoutLibrary : public ::testing::Test {};

TEST_F(MacroRecordingWithoutLibrary, StartAndStopLeaveTheMacroAsItWas) {
    std::vector<QString> boxes;
    vyk::platform::setMessageBoxHook(
        [&](const QString&, const QString& t, vyk::platform::MessageIcon) { boxes.push_back(t); });
    const auto empty = freshDir("macro-no-hook");
    ScopedEnv exe("VYK_EXE_DIR", empty.string() + "/");
    TuiMacroSetClass db;
    db.LoadMacrosetDB(QString::fromStdString((empty / "MacroSet.MSDB").string()));
    db.CreateNewMacroSet(QStringLiteral("DefaultMacroSet"));
    db.SwitchToMacroSet(QStringLiteral("DefaultMacroSet"));
    db.CreateNewMacro(QStringLiteral("Keep"));
    TMACROKEYINFO info{};
    db.CurrentMacroClass()->GetCurrentMacroKeyItem(info);
    info.MacroList[0] = act(4, 1, 0x41, 0);
    info.MacroList[1] = act(4, 0, 0x41, 0);
    info.MacroListCount = 2;
    db.CurrentMacroClass()->SaveBackCurrentMacroKeyInfo(info);
    db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    {
        TFrmMacro f;
        EXPECT_FALSE(f.uiHook1->DLLLoaded());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "uiHook.dll can not be found!");
        f.FMacroSetClass = &db;
        f.LoadMacroList();
        f.show();
        QTest::mouseClick(f.BtnMacroStart, Qt::LeftButton, Qt::NoModifier, f.BtnMacroStart->rect().center());
        QTest::mouseClick(f.BtnMacroStop, Qt::LeftButton, Qt::NoModifier, f.BtnMacroStop->rect().center());
        EXPECT_FALSE(f.Recording());
        EXPECT_EQ(f.ActionRows->Count(), 2);
    }
    EXPECT_EQ(db.MacroSetList()[0].MacroArrays[0].MacroListCount, 2);
    vyk::platform::setMessageBoxHook({});
}

// The mouse-action menu in its own look, read from the popup as the screen shows it: rows 20
// high without a check column, dark rows, a red row under the pointer, white text.
TEST_F(MacroRecording, TheMouseActionMenuShowsDarkRowsARedHoverAndWhiteTextWithoutACheckColumn) {
    addMacros({"M"});
    TFrmMacro& f = openForm();
    clickButton(f.bsbtnMouseEvent);
    TuiMenuItemsEx& level = f.uiMenuExMouseEvent->Items();
    TuiMenuPopup* popup = MenuPopupOf(&level);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    TuiMenuBox* box = popup->Box();
    ASSERT_EQ(box->Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(box->ItemByIndex(i)->height(), 20) << "row " << i;
    // The pointer on RIGHT BUTTON.
    TuiMenuBoxItem* hovered = box->ItemByIndex(1);
    const QPoint at = hovered->mapToGlobal(QPoint(hovered->width() - 30, hovered->height() / 2));
    QWindow* grabbing = QApplication::activePopupWidget()->windowHandle();
    QTest::mouseMove(grabbing, grabbing->mapFromGlobal(at));
    ASSERT_TRUE(waitUntil([box, hovered] { return box->MoveOverItem() == hovered; }));
    QCoreApplication::processEvents();
    const QImage shown = popup->screen()->grabWindow(popup->winId()).toImage();

    // The right part of each row holds no text: the row's own fill at its middle line.
    const auto fillOf = [&](int row) {
        TuiMenuBoxItem* r = box->ItemByIndex(row);
        return QColor(shown.pixel(r->mapTo(popup, QPoint(r->width() - 30, r->height() / 2))));
    };
    const QColor normal = fillOf(0), over = fillOf(1);
    EXPECT_TRUE(normal.red() <= 0x1B && normal.red() == normal.green() && normal.green() == normal.blue())
        << "normal row " << normal.name().toStdString();
    EXPECT_TRUE(over.red() >= 0x30 && over.green() <= 0x10 && over.blue() <= 0x10)
        << "hovered row " << over.name().toStdString();

    // White text that starts at the row's left edge (no check column before it).
    TuiMenuBoxItem* first = box->ItemByIndex(0);
    const QRect row = QRect(first->mapTo(popup, QPoint(0, 0)), first->size());
    int textLeft = -1;
    for (int x = row.left(); x <= row.right() && textLeft < 0; ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            if (qGray(shown.pixel(x, y)) >= 0xE0) {
                textLeft = x - row.left();
                break;
            }
    EXPECT_GE(textLeft, 0) << "no white text in the first row";
    EXPECT_LT(textLeft, 12) << "the text starts after a check column";
    CloseAllMenus(&level);
}

}  // namespace
}  // namespace vyk::test
