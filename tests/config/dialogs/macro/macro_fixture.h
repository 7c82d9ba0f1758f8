#pragma once
// Fixture of the macro manager tests: a macro database in a file of its own, the stand-in hook
// library feeding the manager's hook client exact key events (tests/core/hook), and helpers
// that drive the window with real clicks and keys. Dialogs the manager opens (questions, the
// new-macro dialog) are answered from inside their modal loop (tests/config/support/modal.h).

#include "tests/config/dialogs/keys/keys_fixture.h"

#include "config/dialogs/MacroListModel.h"
#include "config/dialogs/macrofrm.h"
#include "core/macro/uiMacroClassUnit.h"

#include <QLabel>
#include <QListView>
#include <QSpinBox>
#include <QWindow>

#include <memory>

namespace vyk::test {

class MacroManagerTest : public KeyDialogTest {
protected:
    void SetUp() override {
        KeyDialogTest::SetUp();
        dbPath = QString::fromStdString((freshDir("macro-db") / "MacroSet.MSDB").string());
        reopenDb();
    }
    void TearDown() override {
        form.reset();
        db.reset();
        KeyDialogTest::TearDown();
    }

    // The database opened anew from dbPath, on the set DefaultMacroSet (made when missing); the
    // form is closed first.
    void reopenDb() {
        form.reset();
        db = std::make_unique<TuiMacroSetClass>();
        db->LoadMacrosetDB(dbPath);
        db->CreateNewMacroSet(QStringLiteral("DefaultMacroSet"));
        db->SwitchToMacroSet(QStringLiteral("DefaultMacroSet"));
    }
    TuiMacroClass* macros() { return db->CurrentMacroClass(); }

    // Adds macros named names, each with the actions given (all the same).
    void addMacros(std::initializer_list<const char*> names, std::initializer_list<TMACROKEY> actions = {}) {
        for (const char* n : names) {
            ASSERT_TRUE(db->CreateNewMacro(QString::fromUtf8(n)));
            TMACROKEYINFO info{};
            macros()->GetCurrentMacroKeyItem(info);
            int i = 0;
            for (const TMACROKEY& a : actions) info.MacroList[i++] = a;
            info.MacroListCount = i;
            macros()->SaveBackCurrentMacroKeyInfo(info);
        }
        macros()->SetMacroListIndex(0);
        db->SaveBackCurrentMacroClassDataToCurrentMacroList();
    }

    // The manager as a plain window on the database (not modal), shown and ready for events.
    TFrmMacro& openForm() {
        form = std::make_unique<TFrmMacro>();
        form->FMacroSetClass = db.get();
        form->LoadMacroList();
        form->show();
        EXPECT_TRUE(waitUntil([this] { return form->windowHandle() != nullptr && form->windowHandle()->isExposed(); }));
        return *form;
    }

    static void clickButton(TImageStateButton* b) {
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    }
    static void clickRow(QListView* view, int row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    static void doubleClickRow(QListView* view, int row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    // Answers the next modal dialog by clicking its button `name`.
    void answerNext(const char* name) {
        whenModal([name](QWidget* dlg) { click(dlg, name); });
    }

    // Row texts of the action list.
    QStringList actionRows() const {
        QStringList out;
        for (const auto& r : form->ActionRows->Rows()) out << r.text;
        return out;
    }
    // The stored actions of macro i in the database's set list (the copy OK writes).
    std::vector<TMACROKEY> storedActions(int i) const {
        const auto& set = db->MacroSetList().at(0);
        const TMACROKEYINFO& m = set.MacroArrays[i];
        return {m.MacroList, m.MacroList + TuiActionsClass::StoredActionCount(m)};
    }
    // The database file as a fresh object reads it.
    TMACROKEYINFO fileMacro(int i) const {
        TuiMacroSetClass fresh;
        fresh.LoadMacrosetDB(dbPath);
        EXPECT_GE(fresh.MacroSetCount(), 1);
        return fresh.MacroSetList().at(0).MacroArrays[i];
    }

    QString dbPath;
    std::unique_ptr<TuiMacroSetClass> db;
    std::unique_ptr<TFrmMacro> form;
};

inline TMACROKEY act(int type, int state, int v1, int v2) {
    TMACROKEY a{};
    a.nKeyType = static_cast<std::uint16_t>(type);
    a.nKeyState = static_cast<std::uint16_t>(state);
    a.VALUE1 = static_cast<std::uint8_t>(v1);
    a.VALUE2 = static_cast<std::uint8_t>(v2);
    return a;
}

}  // namespace vyk::test

// Global, where the comparisons of the test macros find them.
inline bool operator==(const TMACROKEY& a, const TMACROKEY& b) {
    return a.nKeyType == b.nKeyType && a.nKeyState == b.nKeyState && a.VALUE1 == b.VALUE1 && a.VALUE2 == b.VALUE2;
}

inline std::ostream& operator<<(std::ostream& os, const TMACROKEY& a) {
    return os << "(" << a.nKeyType << "," << a.nKeyState << "," << int(a.VALUE1) << "," << int(a.VALUE2) << ")";
}
