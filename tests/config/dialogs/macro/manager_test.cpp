// The macro manager's window driven with real clicks and keys: opening and leaving, NEW and
// DELETE, the options stored per macro (read back from MacroSet.MSDB), the delay edit and the
// error icons.

#include "tests/config/dialogs/macro/macro_fixture.h"

#include "config/dialogs/showdialog.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/WrapLabel.h"
#include "core/defs/uiKeyCode.h"
#include "platform/diag/diag.h"

#include <filesystem>

#include <QLineEdit>
#include <QScrollBar>

namespace vyk::test {
namespace {

using MacroManager = MacroManagerTest;

// The delay box open over the action list, or null (a closed box may wait to be freed).
QLineEdit* delayBox(TFrmMacro& f) {
    for (QLineEdit* e : f.ListBoxMacroKey->findChildren<QLineEdit*>(QStringLiteral("TextEditDelay")))
        if (e->isVisible()) return e;
    return nullptr;
}

QString questionText(QWidget* q) {
    auto* d = dynamic_cast<TFrmDialog*>(q);
    return d != nullptr ? d->LabelTitle->text() + "|" + d->LabelText->text() : QStringLiteral("<not a message dialog>");
}

TEST_F(MacroManager, OpensOnTheNamedMacroAndOkWritesTheFileAndReturnsTheCurrentName) {
    addMacros({"Macro1", "Macro2", "Macro3"});
    {
        TuiMacroSetClass fresh;
        fresh.LoadMacrosetDB(dbPath);
        EXPECT_EQ(fresh.MacroSetCount(), 0);  // nothing written yet
    }

    QString name = QStringLiteral("Macro2");
    whenModal([](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->size(), QSize(757, 582));
        EXPECT_EQ(f->ListBoxMacroList->currentIndex().row(), 1);
        EXPECT_EQ(f->MacroList->rowCount(), 3);
        clickButton(f->BTNOK);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 1);
    EXPECT_EQ(name, "Macro2");
    EXPECT_EQ(TuiMacroClass::MacroName(fileMacro(2)), "Macro3");

    // A name that is not in the set leaves the model's current macro; close gives 2, no name.
    name = QStringLiteral("Nope");
    macros()->SetMacroListIndex(2);
    whenModal([](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        EXPECT_EQ(f->ListBoxMacroList->currentIndex().row(), 2);
        clickButton(f->BTNCLOSE);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 2);
    EXPECT_EQ(name, "Nope");
}

TEST_F(MacroManager, OkStaysOpenWhenTheFileCannotBeWritten) {
    addMacros({"Macro1"});
    std::vector<QString> errors;
    vyk::platform::setErrorReporter([&errors](const QString& text) { errors.push_back(text); });
    QString name;
    whenModal([this](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        std::filesystem::remove_all(std::filesystem::path(dbPath.toStdString()).parent_path());
        clickButton(f->BTNOK);
        EXPECT_TRUE(f->isVisible());  // not reported as saved
        clickButton(f->BTNCLOSE);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 2);
    vyk::platform::setErrorReporter({});
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(MacroManager, OkWithAnEmptySetReturnsNoName) {
    QString name = QStringLiteral("Macro1");
    whenModal([](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        EXPECT_FALSE(f->ListBoxMacroList->isEnabled());
        EXPECT_FALSE(f->BSBTNDELETEMACRO->isEnabled());
        clickButton(f->BTNOK);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 1);
    EXPECT_EQ(name, "");
}

TEST_F(MacroManager, CancelAsksAndLeavesTheEditsInMemoryOnly) {
    addMacros({"Macro1"});
    db->SaveMacroSetDB();
    QString name;
    whenModal([this](QWidget* w) {
        auto* f = dynamic_cast<TFrmMacro*>(w);
        clickButton(f->BtnMacroLoop);  // an edit: loops on, count 1
        // The question answered with CANCEL keeps the manager open ...
        answerNext("BTNCANCEL");
        clickButton(f->BTNCANCEL);
        EXPECT_TRUE(f->isVisible());
        // ... and with OK closes it.
        answerNext("BTNOK");
        clickButton(f->BTNCANCEL);
    });
    EXPECT_EQ(ShowMacroManager(*db, name), 2);
    EXPECT_EQ(macros()->MacroKeyInfoList()[0].nLoopCount, 1);
    EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].nLoopCount, 1);
    EXPECT_EQ(fileMacro(0).nLoopCount, 0);  // not written
}

TEST_F(MacroManager, CancelQuestionHasTheTextOfTheManager) {
    addMacros({"Macro1"});
    TFrmMacro& f = openForm();
    QString seen;
    whenModal([&seen](QWidget* q) {
        seen = questionText(q);
        click(q, "BTNCANCEL");
    });
    clickButton(f.BTNCANCEL);
    EXPECT_TRUE(seen.contains("DO YOU WANT TO LEAVE MACRO MANAGER WITHOUT SAVING?")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("WARNING")) << seen.toStdString();
}

TEST_F(MacroManager, NewCreatesSelectsAnExistingNameAndRefusesTheThirtyFirst) {
    addMacros({"Macro1", "Macro2"});
    TFrmMacro& f = openForm();

    whenModal([](QWidget* dlg) {
        auto* box = dlg->findChild<QLineEdit*>(QStringLiteral("TextboxMacroName"));
        QTest::keyClicks(box, QStringLiteral("Jump"));
        click(dlg, "BTNOK");
    });
    clickButton(f.BSBTNNEWMACRO);
    ASSERT_EQ(macros()->MacroListCount(), 3);
    EXPECT_EQ(macros()->MacroListIndex(), 2);
    EXPECT_EQ(f.ListBoxMacroList->currentIndex().row(), 2);
    EXPECT_EQ(db->MacroSetList()[0].MacroArrayCount, 3);  // saved back into the set

    // An existing name selects that macro; nothing is created.
    whenModal([](QWidget* dlg) {
        QTest::keyClicks(dlg->findChild<QLineEdit*>(QStringLiteral("TextboxMacroName")), QStringLiteral("Macro1"));
        click(dlg, "BTNOK");
    });
    clickButton(f.BSBTNNEWMACRO);
    EXPECT_EQ(macros()->MacroListCount(), 3);
    EXPECT_EQ(f.ListBoxMacroList->currentIndex().row(), 0);
    EXPECT_EQ(macros()->MacroListIndex(), 0);

    // CANCEL creates nothing.
    answerNext("BTNCANCEL");
    clickButton(f.BSBTNNEWMACRO);
    EXPECT_EQ(macros()->MacroListCount(), 3);

    // Thirty macros: the warning, no dialog for a name.
    for (int i = 4; i <= 30; ++i) ASSERT_TRUE(db->CreateNewMacro(QStringLiteral("M%1").arg(i)));
    f.LoadMacroList();
    QString seen;
    whenModal([&seen](QWidget* q) {
        seen = questionText(q);
        click(q, "BTNOK");
    });
    clickButton(f.BSBTNNEWMACRO);
    EXPECT_TRUE(seen.contains("TOO MANY MACROS TO BE CREATE!")) << seen.toStdString();
    EXPECT_EQ(macros()->MacroListCount(), 30);
}

TEST_F(MacroManager, DeleteAsksAndDeletesTheSelectedRowEvenWithDuplicateNames) {
    addMacros({"Dup", "Other", "Second"});
    // Two macros of one name, as a loaded file may hold them; the second has an action.
    macros()->ReNameMacro(QStringLiteral("Dup"), 2);
    macros()->SetMacroListIndex(2);
    macros()->CurrentMacroAction()->InsertActionAfter(act(6, 0, 5, 0), 0);
    db->SaveBackCurrentMacroClassDataToCurrentMacroList();
    TFrmMacro& f = openForm();

    clickRow(f.ListBoxMacroList, 2);
    answerNext("BTNCANCEL");
    clickButton(f.BSBTNDELETEMACRO);
    EXPECT_EQ(macros()->MacroListCount(), 3);

    clickRow(f.ListBoxMacroList, 2);
    answerNext("BTNOK");
    clickButton(f.BSBTNDELETEMACRO);
    ASSERT_EQ(macros()->MacroListCount(), 2);
    EXPECT_EQ(TuiMacroClass::MacroName(macros()->MacroKeyInfoList()[0]), "Dup");
    EXPECT_EQ(macros()->MacroKeyInfoList()[0].MacroListCount, 0);  // the first Dup, untouched
    EXPECT_EQ(db->MacroSetList()[0].MacroArrayCount, 2);

    // Deleting the rest leaves both lists empty and the list disabled; DELETE then does nothing.
    for (int i = 0; i < 2; ++i) {
        clickRow(f.ListBoxMacroList, 0);
        answerNext("BTNOK");
        clickButton(f.BSBTNDELETEMACRO);
    }
    EXPECT_EQ(macros()->MacroListCount(), 0);
    EXPECT_EQ(f.MacroList->rowCount(), 0);
    EXPECT_EQ(f.ActionRows->Count(), 0);
    EXPECT_FALSE(f.ListBoxMacroList->isEnabled());
    f.BSBTNDELETEMACRO->setEnabled(true);  // even if it could be clicked: no question, nothing
    const QWidget* before = QApplication::activeModalWidget();
    clickButton(f.BSBTNDELETEMACRO);
    EXPECT_EQ(QApplication::activeModalWidget(), before);
}

TEST_F(MacroManager, LoopOptionsAreStoredPerMacroAndNeverCopiedOntoTheNextShown) {
    addMacros({"Seven", "Repeat", "Plain"});
    TFrmMacro& f = openForm();

    // Seven: LOOPS on, box 7.
    clickRow(f.ListBoxMacroList, 0);
    clickButton(f.BtnMacroLoop);
    EXPECT_TRUE(f.BoxMacroLoop->isEnabled());
    EXPECT_EQ(f.BoxMacroLoop->value(), 1);
    f.BoxMacroLoop->selectAll();
    QTest::keyClicks(f.BoxMacroLoop, QStringLiteral("7"));
    EXPECT_EQ(macros()->MacroKeyInfoList()[0].nLoopCount, 7);

    // Repeat: LOOPS on, then REPEAT on switches LOOPS off.
    clickRow(f.ListBoxMacroList, 1);
    EXPECT_FALSE(f.BtnMacroLoop->IsPressed());
    clickButton(f.BtnMacroLoop);
    clickButton(f.BTNLOOPRUN);
    EXPECT_FALSE(f.BtnMacroLoop->IsPressed());
    EXPECT_FALSE(f.BoxMacroLoop->isEnabled());

    // Switching back and forth shows each macro's own options and stores nothing else.
    for (int round = 0; round < 2; ++round) {
        clickRow(f.ListBoxMacroList, 0);
        EXPECT_TRUE(f.BtnMacroLoop->IsPressed());
        EXPECT_EQ(f.BoxMacroLoop->value(), 7);
        EXPECT_FALSE(f.BTNLOOPRUN->IsPressed());
        clickRow(f.ListBoxMacroList, 1);
        EXPECT_TRUE(f.BTNLOOPRUN->IsPressed());
        EXPECT_FALSE(f.BtnMacroLoop->IsPressed());
        clickRow(f.ListBoxMacroList, 2);
        EXPECT_FALSE(f.BTNLOOPRUN->IsPressed());
        EXPECT_FALSE(f.BtnMacroLoop->IsPressed());
    }

    // RECORD DELAYS on Plain (a new macro has it off) is stored; INSERT DEFAULT DELAY switches
    // RECORD DELAYS on without storing it; RECORD DELAYS off also switches the default delay off.
    EXPECT_FALSE(f.BtnAutoDelay->IsPressed());
    clickButton(f.BtnAutoDelay);
    EXPECT_EQ(macros()->MacroKeyInfoList()[2].nAutoAddDelay, 1);
    clickButton(f.BtnAutoDelay);
    EXPECT_EQ(macros()->MacroKeyInfoList()[2].nAutoAddDelay, 0);
    clickButton(f.BtnCustomDelay);
    EXPECT_TRUE(f.BtnAutoDelay->IsPressed());
    EXPECT_TRUE(f.NumBoxDelay->isEnabled());
    EXPECT_EQ(macros()->MacroKeyInfoList()[2].nAutoAddDelay, 0);
    clickButton(f.BtnAutoDelay);
    EXPECT_FALSE(f.BtnCustomDelay->IsPressed());
    EXPECT_FALSE(f.NumBoxDelay->isEnabled());
    EXPECT_EQ(macros()->MacroKeyInfoList()[2].nAutoAddDelay, 0);

    clickButton(f.BTNOK);
    const TMACROKEYINFO seven = fileMacro(0), repeat = fileMacro(1), plain = fileMacro(2);
    EXPECT_EQ(seven.nLoopCount, 7);
    EXPECT_EQ(seven.nLoopRunWhenPressed, 0);
    EXPECT_EQ(repeat.nLoopCount, 0);
    EXPECT_EQ(repeat.nLoopRunWhenPressed, 1);
    EXPECT_EQ(plain.nLoopCount, 0);
    EXPECT_EQ(plain.nLoopRunWhenPressed, 0);
    EXPECT_EQ(plain.nAutoAddDelay, 0);
}

TEST_F(MacroManager, DelayEditCommitsOnEnterOrFocusLossWithinRangeAndUpdatesTheTotal) {
    addMacros({"Keys"}, {act(4, 1, 0x41, 0), act(6, 0, 44, 1), act(4, 0, 0x41, 0), act(6, 0, 10, 0)});
    TFrmMacro& f = openForm();
    ASSERT_EQ(actionRows(),
              (QStringList{" " + GetKeyDescription(0x41, 0), "300", " " + GetKeyDescription(0x41, 0), "10"}));
    EXPECT_EQ(f.LabelAllDelayTime->text(), "310");
    EXPECT_EQ(f.lableTotalActions->text(), "4");

    struct Case {
        const char* typed;
        bool enter;
        int stored;
    };
    const Case cases[] = {{"70000", true, 65535}, {"0", false, 1}, {"1234", true, 1234}};
    for (const Case& c : cases) {
        doubleClickRow(f.ListBoxMacroKey, 1);
        QLineEdit* box = delayBox(f);
        ASSERT_NE(box, nullptr) << c.typed;
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(c.typed));
        // Nothing is stored while typing.
        EXPECT_NE(macros()->CurrentMacroAction()->GetDelayValue(1), c.stored) << c.typed;
        if (c.enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            clickRow(f.ListBoxMacroKey, 0);  // the focus goes to the list
        EXPECT_TRUE(waitUntil([&] { return delayBox(f) == nullptr; })) << c.typed;
        EXPECT_TRUE(waitUntil([&] { return macros()->CurrentMacroAction()->GetDelayValue(1) == c.stored; })) << c.typed;
        EXPECT_EQ(actionRows().at(1), QString::number(c.stored));
        EXPECT_EQ(f.LabelAllDelayTime->text(), QString::number(c.stored + 10)) << c.typed;
        const auto stored = storedActions(0);
        EXPECT_EQ(stored.at(1).VALUE2 * 256 + stored.at(1).VALUE1, c.stored);
    }

    // Esc leaves the delay as it was; key rows have no delay box.
    doubleClickRow(f.ListBoxMacroKey, 1);
    QLineEdit* box = delayBox(f);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, QStringLiteral("9"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return delayBox(f) == nullptr; }));
    EXPECT_EQ(macros()->CurrentMacroAction()->GetDelayValue(1), 1234);
    EXPECT_TRUE(f.isVisible());
    doubleClickRow(f.ListBoxMacroKey, 0);
    EXPECT_EQ(delayBox(f), nullptr);
}

TEST_F(MacroManager, ActionsWithoutATemplateKeepRowsAndActionsInStep) {
    // A wheel action (type 3) from another source before a delay: editing the delay's row must
    // change the delay, not the action shown above it.
    addMacros({"Mixed"}, {act(3, 0, 120, 0), act(6, 0, 50, 0), act(4, 1, 0x41, 0), act(4, 0, 0x41, 0)});
    TFrmMacro& f = openForm();
    ASSERT_EQ(f.ActionRows->Count(), 4);
    EXPECT_EQ(f.ActionRows->Rows()[0].kind, MacroActionModel::Kind::Other);
    EXPECT_EQ(f.ActionRows->Rows()[1].text, "50");
    doubleClickRow(f.ListBoxMacroKey, 1);
    QLineEdit* box = delayBox(f);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("75"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return delayBox(f) == nullptr; }));
    EXPECT_EQ(storedActions(0)[0], act(3, 0, 120, 0));
    EXPECT_EQ(storedActions(0)[1], act(6, 0, 75, 0));
    EXPECT_EQ(f.LabelAllDelayTime->text(), "75");
}

TEST_F(MacroManager, ScrollPicturesMoveTheMacroListByOneRow) {
    for (int i = 1; i <= 30; ++i) ASSERT_TRUE(db->CreateNewMacro(QStringLiteral("Macro%1").arg(i)));
    macros()->SetMacroListIndex(0);
    TFrmMacro& f = openForm();
    QScrollBar* bar = f.ListBoxMacroList->verticalScrollBar();
    ASSERT_EQ(bar->value(), 0);
    const int row = f.ListBoxMacroList->sizeHintForRow(0);
    QTest::mouseClick(f.IMGMACROLISTSCROLLDOWN, Qt::LeftButton, Qt::NoModifier,
                      f.IMGMACROLISTSCROLLDOWN->rect().center());
    QTest::mouseClick(f.IMGMACROLISTSCROLLDOWN, Qt::LeftButton, Qt::NoModifier,
                      f.IMGMACROLISTSCROLLDOWN->rect().center());
    EXPECT_EQ(bar->value(), 2 * row);
    QTest::mouseClick(f.IMGMACROLISTSCROLLUP, Qt::LeftButton, Qt::NoModifier, f.IMGMACROLISTSCROLLUP->rect().center());
    EXPECT_EQ(bar->value(), row);
}

TEST_F(MacroManager, ErrorIconShowsForAStoredErrorUntilTheMacroIsEdited) {
    addMacros({"Broken", "Fine"}, {act(4, 1, 0x41, 0), act(4, 0, 0x41, 0)});
    macros()->MacroKeyInfoList()[0].HaveErrors = 1;  // as the file recorded it
    macros()->SetMacroListIndex(0);
    db->SaveBackCurrentMacroClassDataToCurrentMacroList();
    TFrmMacro& f = openForm();
    EXPECT_TRUE(f.MacroList->HasErrors(0));
    EXPECT_FALSE(f.MacroList->HasErrors(1));

    clickRow(f.ListBoxMacroList, 0);
    clickRow(f.ListBoxMacroKey, 0);
    clickButton(f.bsbtnCopyAction);  // any tool is an edit: check and repair
    EXPECT_FALSE(f.MacroList->HasErrors(0));
    EXPECT_EQ(db->MacroSetList()[0].MacroArrays[0].HaveErrors, 0);
}

}  // namespace
}  // namespace vyk::test
