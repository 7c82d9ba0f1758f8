// Button assignment on the GENERAL page, driven with real clicks on the real window: an
// assignment button opens UIMENUEX1 at the pointer, an item is chosen in its popups, and APPLY
// against the simulated mouse shows what reached the mouse's 77-byte button table.
#include "config/dialogs/MacroListModel.h"
#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/macrofrm.h"
#include "config/dialogs/showdialog.h"
#include "config/toolkit/WrapLabel.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "platform/dialogs/message_box.h"
#include "tests/config/support/menu_driver.h"
#include "tests/config/support/modal.h"
#include "tests/config/window/apply/apply_fixture.h"

#include <QListView>
#include <QMessageBox>
#include <array>

namespace {

using applytest::ApplyTest;

// Byte offset in the mouse's button table of the entry of button record r.
int tableOffset(int record) {
    for (int k = 0; k < static_cast<int>(DeviceButtonOrder.size()); ++k) {
        if (DeviceButtonOrder[static_cast<std::size_t>(k)] == record + 1) return 1 + 4 * k;
    }
    return -1;
}

class ButtonAssign : public ApplyTest {
protected:
    TVYKCFGMAIN& w() { return *window_; }
    TBUTTONFUNCINFO& rec(int i) { return dm_->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[i]; }
    TButtonAssignPanel& panel() { return *window_->ButtonAssignment->ButtonAssign; }
    TImageStateButton* button(int i) { return panel().BtnSet[static_cast<std::size_t>(i)]; }

    void assign(int button, int top, int sub = -1) { vyk::test::menu::assign(w(), button, top, sub); }
    // Answers the next modal dialog with its OK (true) or CANCEL button.
    void answerNextDialog(bool ok) {
        vyk::test::whenModal([ok](QWidget* d) {
            if (auto* dlg = qobject_cast<TFrmDialog*>(d)) {
                QTest::mouseClick(ok ? dlg->BTNOK : dlg->BTNCANCEL, Qt::LeftButton);
            } else if (auto* key = dynamic_cast<TFrmSingleKey*>(d)) {
                QTest::mouseClick(ok ? key->BTNOK : key->BTNCANCEL, Qt::LeftButton);
            } else {
                auto* box = qobject_cast<QMessageBox*>(d);
                ADD_FAILURE() << "unexpected dialog " << d->metaObject()->className() << ": "
                              << (box ? box->text().toStdString() : std::string());
                d->close();
            }
        });
    }
    // Button b's record and caption bind macro `index` (named `name`) of the current set.
    void expectMacroBound(int b, int index, const QString& name) {
        SCOPED_TRACE(name.toStdString());
        const TBUTTONFUNCINFO& r = rec(b);
        EXPECT_EQ(r.MenuID, 1102 + index);
        EXPECT_EQ(r.FunctionIndex, 30);
        EXPECT_EQ(r.FunctionType, 4);
        EXPECT_EQ(r.FunctionCode, 17);
        EXPECT_EQ(r.MacroKeyInfo.nMacroIndex, index);
        EXPECT_EQ(QString::fromUtf16(r.MacroName), name);
        EXPECT_EQ(QString::fromUtf16(r.MacroSetName), w().FMacroSetClass->CurrentMacroSetName());
        EXPECT_EQ(button(b)->text(), w().ButtonAssignment->UIMENUEX1->Items()[10]->SubItems()[index + 1]->Caption());
    }
    void addMacros(const QStringList& names) {
        for (const QString& n : names) ASSERT_TRUE(w().FMacroSetClass->CreateNewMacro(n)) << n.toStdString();
        w().ButtonAssignment->RebuildMacroMenu();
    }
    static void clickMacroRow(TFrmMacro& f, int row) {
        const QRect r = f.ListBoxMacroList->visualRect(f.ListBoxMacroList->model()->index(row, 0));
        QTest::mouseClick(f.ListBoxMacroList->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    // The confirmation questions of the manager's CANCEL and DELETE, answered with OK.
    static void confirmNext() {
        vyk::test::whenModal([](QWidget* q) {
            auto* dlg = qobject_cast<TFrmDialog*>(q);
            ASSERT_NE(dlg, nullptr) << q->metaObject()->className();
            QTest::mouseClick(dlg->BTNOK, Qt::LeftButton);
        });
    }
    QStringList macroNames() const {
        QStringList out;
        TuiMacroClass* m = window_->FMacroSetClass->CurrentMacroClass();
        for (int k = 0; k < m->MacroListCount(); ++k) {
            TMACROKEYINFO info{};
            m->GetMacroKeyItem(k, info);
            out << TuiMacroClass::MacroName(info);
        }
        return out;
    }
};

// Every kind of row of the assignment table, chosen through the menu, stored, then written by
// APPLY: the record's fields and the button's 4-byte entry in the mouse.
TEST_F(ButtonAssign, EveryRowIsStoredAndReachesTheMouseTable) {
    open();
    THID_CODE_INFO volumeUp{};
    GetMediaHIDCodeInfo(4, volumeUp);
    struct Case {
        const char* what;
        int button, top, sub;
        int type, index, code, menuID;
        std::vector<std::uint8_t> entry;
    };
    const std::vector<Case> cases = {
        {"CLICK on button 1", 1, 0, -1, 1, 0, 1, 1, {0x01, 0x00, 0x00, 0x00}},
        {"CLICK on button 3", 3, 0, -1, 1, 0, 1, 1, {0x01, 0x01, 0x00, 0x00}},
        {"RIGHT CLICK", 2, 1, -1, 1, 1, 2, 2, {0x02, 0, 0, 0}},
        {"BASIC CUT on button 4", 4, 7, 0, 3, 7, 15, 801, {0x0F, 0x01, 0x1B, 0x00}},
        {"MUTE(MICROPHONE) on button 5", 5, 9, 7, 11, 28, 19, 1008, {0x13, 0x20, 0x00, 0x00}},
        {"DISABLE", 6, 16, -1, 10, 17, 0, 17, {0, 0, 0, 0}},
        {"ADVANCED LOCK PC", 7, 8, 5, 3, 20, 15, 906, {0x0F, 0x08, 0x0F, 0x00}},
        {"MEDIA VOLUME UP",
         8,
         9,
         4,
         10,
         25,
         14,
         1005,
         {0x0E, 0x00, static_cast<std::uint8_t>(volumeUp.nKeyValue1 & 0xFF),
          static_cast<std::uint8_t>(volumeUp.nKeyValue1 >> 8)}},
        {"FORWARD", 9, 3, -1, 1, 3, 5, 4, {0x05, 0, 0, 0}},
        {"BACKWARD", 10, 4, -1, 1, 4, 4, 5, {0x04, 0, 0, 0}},
        {"MIDDLE BUTTON", 11, 2, -1, 1, 2, 3, 3, {0x03, 0, 0, 0}},
        {"DPI SWITCH", 12, 12, -1, 1, 32, 8, 13, {0x08, 0, 0, 0}},
        {"DPI +", 13, 13, -1, 1, 33, 10, 14, {0x0A, 0, 0, 0}},
        {"DPI -", 14, 14, -1, 1, 34, 9, 15, {0x09, 0, 0, 0}},
        {"PROFILE SWITCH", 17, 15, -1, 1, 35, 13, 16, {0x0D, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        assign(c.button, c.top, c.sub);
        const TBUTTONFUNCINFO& r = rec(c.button);
        EXPECT_EQ(r.FunctionType, c.type);
        EXPECT_EQ(r.FunctionIndex, c.index);
        EXPECT_EQ(r.FunctionCode, c.code);
        EXPECT_EQ(r.MenuID, c.menuID);
    }
    EXPECT_TRUE(w().SettingsChanged());
    // The stored slot holds what the window shows.
    auto stored = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*stored, 0));
    EXPECT_EQ(stored->ConfigInfo.ButtonFuncInfo[4].MenuID, 801);
    EXPECT_EQ(stored->ConfigInfo.ButtonFuncInfo[5].ButtonMask[0], 0x20);

    clickApply();
    const auto table = memory(0x90, 77);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int at = tableOffset(c.button);
        EXPECT_EQ(std::vector<std::uint8_t>(table.begin() + at, table.begin() + at + 4), c.entry);
    }
    EXPECT_EQ(tableOffset(4), 33);
    expectStoreLoadsUnchanged();
}

TEST_F(ButtonAssign, CaptionsFollowTheAssignment) {
    open();
    EXPECT_EQ(button(0)->text(), QStringLiteral("CLICK"));
    EXPECT_EQ(button(3)->text(), QStringLiteral("FIRE KEY..."));
    EXPECT_EQ(button(6)->text(), QStringLiteral("1")) << "a single key shows its key";
    assign(4, 7, 0);
    EXPECT_EQ(button(4)->text(), QStringLiteral("CUT"));
    w().ButtonAssignment->UpdateButtonHint(4);
    EXPECT_EQ(panel().Hint(4), QStringLiteral("Ctrl+X"));
    EXPECT_EQ(button(4)->toolTip(), QStringLiteral("Ctrl+X"));

    struct Case {
        const char* what;
        std::function<void(TBUTTONFUNCINFO&)> set;
        QString caption;
    };
    const std::vector<Case> cases = {
        {"long combination cut to 9 + ...",
         [](TBUTTONFUNCINFO& r) {
             r = TBUTTONFUNCINFO{};
             r.MenuID = 7, r.FunctionCode = 15, r.FunctionType = 3, r.FunctionIndex = 6;
             r.ComboKey.nModifier = 2 | 4, r.ComboKey.nKeyValue1 = 0x7B;  // Ctrl+Shift+F12
         },
         QStringLiteral("Ctrl+Shif...")},
        {"second key only",
         [](TBUTTONFUNCINFO& r) {
             r = TBUTTONFUNCINFO{};
             r.MenuID = 7, r.FunctionCode = 15, r.ComboKey.nModifier = 2, r.ComboKey.nKeyValue2 = 0x41;
         },
         QStringLiteral("+A")},
        {"macro from its function row",
         [](TBUTTONFUNCINFO& r) {
             r = TBUTTONFUNCINFO{};
             r.FunctionIndex = 30, r.FunctionType = 4, r.FunctionCode = 17, r.MacroKeyInfo.nMacroIndex = 2;
         },
         QStringLiteral("MACRO #3")},
        {"a row no item carries", [](TBUTTONFUNCINFO& r) { r = TBUTTONFUNCINFO{}, r.FunctionIndex = 38; }, QString()},
        {"an index past the table", [](TBUTTONFUNCINFO& r) { r = TBUTTONFUNCINFO{}, r.FunctionIndex = 90; }, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.set(rec(9));
        w().ButtonAssignment->RefreshButtonCaptions();
        EXPECT_EQ(button(9)->text(), c.caption);
    }
    // The hint keeps the whole combination; buttons 15..17 keep their hints to themselves.
    rec(15) = TBUTTONFUNCINFO{};
    rec(15).MenuID = 7, rec(15).FunctionCode = 15, rec(15).ComboKey.nModifier = 6, rec(15).ComboKey.nKeyValue1 = 0x7B;
    w().ButtonAssignment->UpdateButtonHint(15);
    EXPECT_EQ(panel().Hint(15), QStringLiteral("Ctrl+Shift+F12"));
    EXPECT_TRUE(button(15)->toolTip().isEmpty());
    // The pointer entering a button brings its hint up to date.
    rec(9) = rec(15);
    QTest::mouseMove(button(2));
    panel().ShowMouseView(1);
    panel().sideButtonsScrollbox->ensureWidgetVisible(button(9), 0, 0);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button(9)->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(button(9), &enter);
    EXPECT_EQ(button(9)->toolTip(), QStringLiteral("Ctrl+Shift+F12"));
}

// Only button 0 has CLICK: it cannot be given anything (CLICK included) and nothing changes;
// once another button has CLICK, button 0 is free.
TEST_F(ButtonAssign, TheLastClickIsKept) {
    open();
    ASSERT_EQ(w().ButtonAssignment->CountLeftClickButtons(), 1);
    const auto before = std::make_unique<TBUTTONFUNCINFO>(rec(0));
    for (int top : {16, 0}) {
        bool asked = false;
        vyk::test::whenModal([&asked](QWidget* d) {
            auto* dlg = qobject_cast<TFrmDialog*>(d);
            ASSERT_NE(dlg, nullptr);
            asked = true;
            QTest::mouseClick(dlg->BTNOK, Qt::LeftButton);
        });
        assign(0, top);
        EXPECT_TRUE(asked);
        EXPECT_EQ(std::memcmp(before.get(), &rec(0), sizeof(TBUTTONFUNCINFO)), 0);
    }
    assign(2, 0);  // CLICK on button 2: two CLICK buttons now
    assign(0, 16);
    EXPECT_EQ(rec(0).MenuID, 17);
    EXPECT_EQ(rec(2).ClickParam, 1);

    // A profile without any CLICK button stays editable (a zeroed record is no CLICK).
    rec(2) = TBUTTONFUNCINFO{};
    ASSERT_EQ(w().ButtonAssignment->CountLeftClickButtons(), 0);
    assign(2, 1);
    EXPECT_EQ(rec(2).FunctionCode, 2);
}

TEST_F(ButtonAssign, CancelledKeyDialogChangesNothingButCountsAsAChange) {
    // No hook library beside the test: the dialog says so in a box, then opens all the same.
    QStringList boxes;
    vyk::platform::setMessageBoxHook(
        [&boxes](const QString&, const QString& t, vyk::platform::MessageIcon) { boxes << t; });
    open();
    const auto before = std::make_unique<TBUTTONFUNCINFO>(rec(7));
    answerNextDialog(false);
    assign(7, 5);  // SINGLE KEY
    EXPECT_EQ(std::memcmp(before.get(), &rec(7), sizeof(TBUTTONFUNCINFO)), 0);
    EXPECT_TRUE(w().SettingsChanged());
    // Closing now asks whether to save.
    bool asked = false;
    vyk::test::whenModal([&asked](QWidget* d) {
        auto* dlg = qobject_cast<TFrmDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        asked = true;
        QTest::mouseClick(dlg->BTNCANCEL, Qt::LeftButton);
    });
    QTest::mouseClick(w().BtnClose, Qt::LeftButton);
    EXPECT_TRUE(asked);
    vyk::platform::setMessageBoxHook({});
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(ButtonAssign, MacroMenuBindsByPositionAndName) {
    open();
    const QStringList existing = macroNames();
    addMacros({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    TuiMenuItemsEx& sub = w().ButtonAssignment->UIMENUEX1->Items()[10]->SubItems();
    ASSERT_EQ(sub.Count(), existing.size() + 4);
    EXPECT_EQ(sub[0]->ItemID(), 1101u);
    for (int k = 0; k < sub.Count() - 1; ++k) EXPECT_EQ(sub[k + 1]->ItemID(), static_cast<quint32>(1102 + k));

    const int gamma = static_cast<int>(existing.size()) + 2;
    assign(7, 10, gamma + 1);
    expectMacroBound(7, gamma, QStringLiteral("Gamma"));
    w().ButtonAssignment->UpdateButtonHint(7);
    EXPECT_EQ(panel().Hint(7), QStringLiteral("MACRO #%1 <Gamma >").arg(gamma + 1));
}

// A name longer than a record stores (31) still finds its macro.
TEST_F(ButtonAssign, LongMacroNameKeepsItsButton) {
    open();
    const QString longName = QStringLiteral("A macro with a name of forty-one letters").left(35);
    addMacros({longName});
    const int k = static_cast<int>(macroNames().indexOf(longName));
    assign(8, 10, k + 1);
    EXPECT_EQ(rec(8).FunctionType, 4);
    EXPECT_EQ(rec(8).MacroKeyInfo.nMacroIndex, k);
    w().ButtonAssignment->RebindMacroButtons();
    EXPECT_EQ(rec(8).FunctionType, 4) << "the rebind finds the macro by what the record stores";
}

// MACRO MANAGER, the first row of MACRO, opens the manager on the button's macro. OK binds the
// macro current in the manager when it closes; CANCEL changes nothing; OK once the user has
// deleted every macro disables the button (and every other button whose macro went).
TEST_F(ButtonAssign, MacroManagerItemBindsTheMacroCurrentAtOk) {
    // No hook library beside the test: the manager's hook client says so in a box.
    QStringList boxes;
    vyk::platform::setMessageBoxHook(
        [&boxes](const QString&, const QString& t, vyk::platform::MessageIcon) { boxes << t; });
    open();
    addMacros({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    const QStringList names = macroNames();
    const int alpha = static_cast<int>(names.indexOf(QStringLiteral("Alpha")));
    const int beta = static_cast<int>(names.indexOf(QStringLiteral("Beta")));
    assign(6, 10, alpha + 1);
    assign(7, 10, beta + 1);
    TuiMenuItemsEx& sub = w().ButtonAssignment->UIMENUEX1->Items()[10]->SubItems();
    ASSERT_EQ(sub[0]->ItemID(), 1101u);

    // OK with Alpha chosen in the manager rebinds button 7 from Beta to Alpha.
    int shownRow = -1;
    vyk::test::whenModal([&](QWidget* d) {
        auto* f = dynamic_cast<TFrmMacro*>(d);
        ASSERT_NE(f, nullptr) << d->metaObject()->className();
        shownRow = f->ListBoxMacroList->currentIndex().row();
        clickMacroRow(*f, alpha);
        QTest::mouseClick(f->BTNOK, Qt::LeftButton);
    });
    assign(7, 10, 0);
    EXPECT_EQ(shownRow, beta) << "the manager opens on the button's macro";
    expectMacroBound(7, alpha, QStringLiteral("Alpha"));
    EXPECT_TRUE(w().SettingsChanged());

    // CANCEL, confirmed, leaves the record as it was, whatever was chosen in the manager.
    const auto before = std::make_unique<TBUTTONFUNCINFO>(rec(7));
    vyk::test::whenModal([&](QWidget* d) {
        auto* f = dynamic_cast<TFrmMacro*>(d);
        ASSERT_NE(f, nullptr) << d->metaObject()->className();
        clickMacroRow(*f, beta);
        confirmNext();
        QTest::mouseClick(f->BTNCANCEL, Qt::LeftButton);
    });
    assign(7, 10, 0);
    EXPECT_EQ(std::memcmp(before.get(), &rec(7), sizeof(TBUTTONFUNCINFO)), 0);

    // Every macro deleted in the manager, then OK: no macro is current, so button 7 is
    // disabled, and button 6, whose macro went too, follows.
    vyk::test::whenModal([&](QWidget* d) {
        auto* f = dynamic_cast<TFrmMacro*>(d);
        ASSERT_NE(f, nullptr) << d->metaObject()->className();
        for (int n = f->MacroList->rowCount(); n > 0; --n) {
            clickMacroRow(*f, 0);
            confirmNext();
            QTest::mouseClick(f->BSBTNDELETEMACRO, Qt::LeftButton);
            ASSERT_EQ(f->MacroList->rowCount(), n - 1);
        }
        QTest::mouseClick(f->BTNOK, Qt::LeftButton);
    });
    assign(7, 10, 0);
    for (int b : {6, 7}) {
        SCOPED_TRACE(b);
        EXPECT_EQ(rec(b).MenuID, 17);
        EXPECT_EQ(rec(b).FunctionType, 10);
        EXPECT_EQ(rec(b).FunctionCode, 0);
        EXPECT_EQ(button(b)->text(), QStringLiteral("DISABLE"));
    }
    EXPECT_EQ(sub.Count(), 1) << "the MACRO sub-menu keeps only MACRO MANAGER";
    auto stored = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*stored, 0));
    EXPECT_EQ(stored->ConfigInfo.ButtonFuncInfo[7].MenuID, 17) << "saved back into the profile's slot";
    vyk::platform::setMessageBoxHook({});
    EXPECT_EQ(boxes.size(), 3) << "one box per opening of the manager";
}

// However the manager is left, its edits stay in the database, and the buttons' fields show
// what APPLY writes: a deleted macro's button DISABLE, the macro after it with its new place.
TEST_F(ButtonAssign, FieldsFollowTheManagersEditsWhateverWayItIsLeft) {
    QStringList boxes;
    vyk::platform::setMessageBoxHook(
        [&boxes](const QString&, const QString& t, vyk::platform::MessageIcon) { boxes << t; });
    for (const bool closeButton : {true, false}) {
        SCOPED_TRACE(closeButton ? "close button" : "CANCEL, confirmed");
        open();  // the database of the first round is saved by its APPLY: new names each round
        const QString alphaName = closeButton ? QStringLiteral("Alpha") : QStringLiteral("Alpha2");
        const QString betaName = closeButton ? QStringLiteral("Beta") : QStringLiteral("Beta2");
        addMacros({alphaName, betaName});
        const int alpha = static_cast<int>(macroNames().indexOf(alphaName));
        const int beta = static_cast<int>(macroNames().indexOf(betaName));
        assign(6, 10, alpha + 1);
        assign(7, 10, beta + 1);
        const auto before8 = std::make_unique<TBUTTONFUNCINFO>(rec(8));
        vyk::test::whenModal([&](QWidget* d) {
            auto* f = dynamic_cast<TFrmMacro*>(d);
            ASSERT_NE(f, nullptr) << d->metaObject()->className();
            clickMacroRow(*f, alpha);
            confirmNext();
            QTest::mouseClick(f->BSBTNDELETEMACRO, Qt::LeftButton);
            if (closeButton) {
                QTest::mouseClick(f->BTNCLOSE, Qt::LeftButton);
            } else {
                confirmNext();
                QTest::mouseClick(f->BTNCANCEL, Qt::LeftButton);
            }
        });
        assign(8, 10, 0);  // MACRO MANAGER from a button without a macro
        if (HasFatalFailure()) return;
        EXPECT_EQ(button(6)->text(), QStringLiteral("DISABLE"));
        EXPECT_EQ(rec(6).FunctionType, 10);
        EXPECT_EQ(rec(6).MenuID, 17);
        expectMacroBound(7, beta - 1, betaName);
        EXPECT_EQ(std::memcmp(before8.get(), &rec(8), sizeof(TBUTTONFUNCINFO)), 0) << "the manager's own button";

        // APPLY writes what the fields show: nothing of the three records changes.
        auto shown = std::make_unique<std::array<TBUTTONFUNCINFO, 3>>();
        std::copy_n(&rec(6), 3, shown->begin());
        const QStringList captions = {button(6)->text(), button(7)->text(), button(8)->text()};
        clickApply();
        EXPECT_EQ(std::memcmp(shown->data(), &rec(6), sizeof(*shown)), 0);
        EXPECT_EQ(captions, (QStringList{button(6)->text(), button(7)->text(), button(8)->text()}));
    }
    vyk::platform::setMessageBoxHook({});
}

// The names a macro button stores are record texts: at most 30 units and a NUL, the units
// after it left as they were; a name longer than that keeps its button through a rebind, as
// does one stored whole in all 31 units by an earlier version.
TEST_F(ButtonAssign, MacroNamesAreStoredAsRecordTexts) {
    open();
    const QString longName = QStringLiteral("A macro whose name has forty-two letters").leftJustified(42, u'x');
    addMacros({QStringLiteral("Ab"), longName});
    const int ab = static_cast<int>(macroNames().indexOf(QStringLiteral("Ab")));
    const int lng = static_cast<int>(macroNames().indexOf(longName));
    struct Case {
        int button, macro;
        QString name;
    };
    const Case cases[] = {{8, ab, QStringLiteral("Ab")}, {9, lng, longName.left(30)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        std::fill(std::begin(rec(c.button).MacroName), std::end(rec(c.button).MacroName), char16_t{0xAAAA});
        std::fill(std::begin(rec(c.button).MacroSetName), std::end(rec(c.button).MacroSetName), char16_t{0xAAAA});
        assign(c.button, 10, c.macro + 1);
        const TBUTTONFUNCINFO& r = rec(c.button);
        const auto n = static_cast<std::size_t>(c.name.size());
        EXPECT_EQ(QString::fromUtf16(r.MacroName, static_cast<qsizetype>(n)), c.name);
        EXPECT_EQ(r.MacroName[n], 0);
        for (std::size_t i = n + 1; i < 31; ++i) EXPECT_EQ(r.MacroName[i], 0xAAAA) << i;
        const QString set = w().FMacroSetClass->CurrentMacroSetName();
        EXPECT_EQ(r.MacroSetName[set.size()], 0);
        EXPECT_EQ(r.MacroSetName[30], 0xAAAA);
    }
    // Stored whole, without its NUL, by an earlier version: still the same macro.
    rec(10) = rec(9);
    std::copy_n(reinterpret_cast<const char16_t*>(longName.utf16()), 31, rec(10).MacroName);
    w().ButtonAssignment->RebindMacroButtons();
    for (int b : {9, 10}) {
        EXPECT_EQ(rec(b).FunctionType, 4) << b;
        EXPECT_EQ(rec(b).MacroKeyInfo.nMacroIndex, lng) << b;
    }
}

// A macro database one byte short cannot be read: the user is told in the program's own
// dialog, the file is kept aside, and APPLY leaves every macro button as it was, in the record
// and in the mouse; also a button bound to "Macro1", a name the new database has again.
TEST_F(ButtonAssign, ADamagedMacroDatabaseIsReportedAndKeepsTheMacroButtons) {
    open();
    addMacros({QStringLiteral("Mine")});
    const int mine = static_cast<int>(macroNames().indexOf(QStringLiteral("Mine")));
    TuiMacroClass& macros = *w().FMacroSetClass->CurrentMacroClass();
    for (int k : {0, mine}) {
        macros.SetMacroListIndex(k);
        TMACROKEY press{}, release{};
        press.nKeyType = release.nKeyType = 4;
        press.nKeyState = 1;
        press.VALUE1 = release.VALUE1 = static_cast<std::uint8_t>(0x41 + k);
        macros.CurrentMacroAction()->InsertActionAfter(press, 0);
        macros.CurrentMacroAction()->InsertActionAfter(release, 1);
    }
    w().FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
    assign(6, 10, 1);         // Macro1
    assign(7, 10, mine + 1);  // Mine
    auto other = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*other, 2));
    other->ConfigInfo.ButtonFuncInfo[9] = rec(7);
    ASSERT_TRUE(dm_->SaveBackToProfileInfo(*other, 2));
    dm_->SetProfileChanged(2, true);
    clickApply();
    const auto mouse = memory(0, 0x10000);
    auto stored = std::make_unique<std::array<TMouseProfileInfo, 5>>();
    for (int p = 0; p < 5; ++p) ASSERT_TRUE(dm_->ReadProfileInfo((*stored)[static_cast<std::size_t>(p)], p));

    // One byte short, then a new start.
    const QString path = dm_->GetPersonalDocumentMacroDatabasePath();
    auto bytes = vyk::test::readBytes(path.toStdString());
    bytes.pop_back();
    vyk::test::writeBytes(path.toStdString(), bytes);
    QString title, text;
    vyk::test::whenModal([&](QWidget* d) {
        auto* dlg = qobject_cast<TFrmDialog*>(d);
        ASSERT_NE(dlg, nullptr) << d->metaObject()->className();
        title = dlg->LabelTitle->text();
        text = dlg->LabelText->text();
        QTest::mouseClick(dlg->BTNOK, Qt::LeftButton);
    });
    open();
    vyk::test::waitUntil([&] { return !text.isEmpty(); });
    EXPECT_EQ(title, vyk::toolkit::translate(QStringLiteral("WARNING")));
    EXPECT_EQ(text, vyk::toolkit::translate(QString::fromUtf8(vyk::config::kMacroDbKept))
                        .arg(path, QStringLiteral("MacroSet.MSDB.bak")));
    EXPECT_EQ(vyk::test::readBytes(path.toStdString() + ".bak"), bytes) << "the damaged file is kept";
    EXPECT_EQ(macroNames(), (QStringList{QStringLiteral("Macro1"), QStringLiteral("Macro2")}))
        << "the new database has its default set";

    for (int p : {0, 2}) dm_->SetProfileChanged(p, true);
    clearLogs();
    clickApply();
    EXPECT_EQ(memory(0, 0x10000), mouse) << "the mouse holds what it held";
    for (int p = 0; p < 5; ++p) {
        auto now = std::make_unique<TMouseProfileInfo>();
        ASSERT_TRUE(dm_->ReadProfileInfo(*now, p));
        const TMouseProfileInfo& before = (*stored)[static_cast<std::size_t>(p)];
        EXPECT_EQ(std::memcmp(&now->ConfigInfo.ButtonFuncInfo, &before.ConfigInfo.ButtonFuncInfo,
                              sizeof now->ConfigInfo.ButtonFuncInfo),
                  0)
            << "profile " << p << " keeps its button records";
    }
    // Their fields show the macro by its number, as the record holds it.
    EXPECT_EQ(button(6)->text(), QStringLiteral("MACRO #1"));
    EXPECT_EQ(button(7)->text(), QStringLiteral("MACRO #%1").arg(mine + 1));

    // Given a macro of the new database, a button is bound to it as usual.
    assign(6, 10, 2);  // Macro2
    expectMacroBound(6, 1, QStringLiteral("Macro2"));
    EXPECT_FALSE(w().MacroBinding().IsUnseen(0, 6, rec(6)));
}

TEST_F(ButtonAssign, MacroLimitRefusesTheSixthMacro) {
    open();
    addMacros({"M1", "M2", "M3", "M4", "M5", "M6"});
    const QStringList names = macroNames();
    for (int i = 0; i < 5; ++i)
        assign(6 + i, 10, static_cast<int>(names.indexOf(QStringLiteral("M%1").arg(i + 1))) + 1);
    EXPECT_EQ(w().ButtonAssignment->CountAssignedMacros(), 5);
    const auto before = std::make_unique<TBUTTONFUNCINFO>(rec(11));
    bool refused = false;
    vyk::test::whenModal([&refused](QWidget* d) {
        auto* dlg = qobject_cast<TFrmDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        refused = true;
        QTest::mouseClick(dlg->BTNOK, Qt::LeftButton);
    });
    assign(11, 10, static_cast<int>(names.indexOf(QStringLiteral("M6"))) + 1);
    EXPECT_TRUE(refused);
    EXPECT_EQ(std::memcmp(before.get(), &rec(11), sizeof(TBUTTONFUNCINFO)), 0);
    // A macro already in use may go on another button.
    assign(11, 10, static_cast<int>(names.indexOf(QStringLiteral("M1"))) + 1);
    EXPECT_EQ(rec(11).FunctionType, 4);
}

// Deleting a macro disables both buttons bound to it; the macro after it moves up one place,
// and its buttons follow it, in the current profile and in another one at APPLY.
TEST_F(ButtonAssign, RebindAfterADeleteInEveryProfile) {
    open();
    addMacros({QStringLiteral("Gone"), QStringLiteral("Kept")});
    const QStringList names = macroNames();
    const int gone = static_cast<int>(names.indexOf(QStringLiteral("Gone")));
    const int kept = static_cast<int>(names.indexOf(QStringLiteral("Kept")));
    assign(6, 10, gone + 1);
    assign(7, 10, gone + 1);
    assign(8, 10, kept + 1);
    // Profile 2 uses "Kept" too (a copy of button 8).
    auto other = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*other, 2));
    other->ConfigInfo.ButtonFuncInfo[9] = rec(8);
    ASSERT_TRUE(dm_->SaveBackToProfileInfo(*other, 2));

    w().FMacroSetClass->DeleteMacro(gone);
    w().ButtonAssignment->RebindMacroButtons();
    for (int b : {6, 7}) {
        EXPECT_EQ(rec(b).FunctionType, 10) << b;
        EXPECT_EQ(rec(b).MenuID, 17) << b;
        EXPECT_EQ(rec(b).FunctionCode, 0) << b;
    }
    EXPECT_EQ(rec(8).MacroKeyInfo.nMacroIndex, kept - 1);

    clickApply();
    ASSERT_TRUE(dm_->ReadProfileInfo(*other, 2));
    EXPECT_EQ(other->ConfigInfo.ButtonFuncInfo[9].MacroKeyInfo.nMacroIndex, kept - 1)
        << "the other profile follows the macro, not its old place";
    EXPECT_FALSE(dm_->IsProfileChanged(2)) << "and it was written";
    EXPECT_EQ(memory(0x200 + 0x90 + tableOffset(9) + 1, 1)[0], kept - 1);
}

TEST_F(ButtonAssign, FrontAndSideViews) {
    open();
    EXPECT_TRUE(panel().FrontViewShown());
    EXPECT_TRUE(button(0)->isVisible());
    EXPECT_FALSE(button(6)->isVisible());
    QTest::mouseClick(panel().BTNSIDEVIEW, Qt::LeftButton);
    EXPECT_FALSE(panel().FrontViewShown());
    EXPECT_FALSE(button(0)->isVisible());
    EXPECT_TRUE(button(6)->isVisible());
    EXPECT_TRUE(panel().BTNSIDEVIEW->IsPressed());
    EXPECT_FALSE(panel().BTNFrontView->IsPressed());
    // The arrows scroll the list one row (28) at a time, within its 340-unit content.
    EXPECT_EQ(panel().SideScrollOffset(), 0);
    QTest::mouseClick(panel().BTNSIDEBUTTONDOWN, Qt::LeftButton);
    EXPECT_EQ(panel().SideScrollOffset(), 28);
    for (int i = 0; i < 10; ++i) QTest::mouseClick(panel().BTNSIDEBUTTONDOWN, Qt::LeftButton);
    EXPECT_EQ(panel().SideScrollOffset(), 340 - 230);
    QTest::mouseClick(panel().BTNSIDEBUTTONUP, Qt::LeftButton);
    EXPECT_EQ(panel().SideScrollOffset(), 340 - 230 - 28);
    // Geometry: front buttons every 38, side buttons every 28, all 150 × 23.
    EXPECT_EQ(button(1)->y() - button(0)->y(), 38);
    EXPECT_EQ(button(7)->y() - button(6)->y(), 28);
    EXPECT_EQ(button(17)->size(), QSize(150, 23));
    EXPECT_EQ(panel().sideButtonsScrollbox->size(), QSize(200, 230));
    QTest::mouseClick(panel().BTNFrontView, Qt::LeftButton);
    EXPECT_TRUE(panel().FrontViewShown());
    EXPECT_TRUE(panel().BTNFrontView->IsPressed());
}

}  // namespace
