// The translation table editor: tabs per language, paging, source texts, the text list and
// saving back to ui.local.
#include "tests/core/language/lang_test_util.h"

#include "core/language/Languagetranslate.h"
#include "core/language/uiLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <functional>
#include <memory>

using namespace langtest;

namespace {

QString cell(QTableWidget* g, int r, int c) { return g->item(r, c) ? g->item(r, c)->text() : QString(); }

// Runs fn as soon as a modal window has opened, inside its loop.
void whenModal(std::function<void(QWidget*)> fn) {
    QTimer::singleShot(0, [fn] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        fn(modal);
    });
}

std::pair<QString, QStringList> langRecord(const QString& name, const QStringList& lines) { return {name, lines}; }

class Editor : public LanguageTest {
protected:
    // Loads ui.local from the executable folder, as the standalone editor does.
    std::unique_ptr<TuiLanguageDesignForm> openStandalone() {
        auto form = std::make_unique<TuiLanguageDesignForm>();
        form->show();  // FormShow loads ui.local
        return form;
    }
    std::unique_ptr<TvgLang> savedFile() {
        auto l = std::make_unique<TvgLang>();
        l->LoadFromBytes(readUiLocal());
        return l;
    }
    void selectLocale(TuiLanguageDesignForm& f, const QString& langId) {
        for (size_t i = 0; i < f.EditorLocales().size(); ++i)
            if (f.EditorLocales()[i].langId == langId) f.LangCombo->setCurrentIndex(static_cast<int>(i));
    }
};

}  // namespace

TEST_F(Editor, TabsShowSourceTextsAndTranslationsAndSaveWritesThemBack) {
    writeUiLocal(
        fileBytes({QStringLiteral("Cancel"), QStringLiteral("OK")},
                  {langRecord(QStringLiteral("0804"), {QStringLiteral("OK=确定")}),
                   langRecord(QStringLiteral("0404"), {QStringLiteral("OK=確定"), QStringLiteral("Cancel=取消")})}));
    auto f = openStandalone();
    ASSERT_EQ(f->TabControl1->count(), 2);
    EXPECT_EQ(f->TabControl1->tabText(0), QStringLiteral("Chinese (Simplified, China)"));
    QTableWidget* g = f->gridAt(0);
    EXPECT_EQ(g->rowCount(), 2 + 100);
    EXPECT_EQ(g->toolTip(), QStringLiteral("0804"));
    const int ok = cell(g, 0, 0) == QLatin1String("OK") ? 0 : 1;
    EXPECT_EQ(cell(g, ok, 1), QStringLiteral("确定"));
    EXPECT_EQ(cell(g, 1 - ok, 1), QStringLiteral("Cancel"));  // untranslated: the text itself
    EXPECT_FALSE(g->item(0, 0)->flags() & Qt::ItemIsEditable);

    // An emptied cell writes no line; a translation equal to its text is written as is.
    g->item(ok, 1)->setText(QString());
    f->BtnSaveClick();
    EXPECT_TRUE(f->isVisible());  // standalone: stays open
    auto saved = savedFile();
    ASSERT_EQ(saved->Resources().size(), 2u);
    EXPECT_EQ(saved->Resources()[0].Table.Lines(), QStringList{QStringLiteral("Cancel=Cancel")});
    EXPECT_EQ(saved->Resources()[1].Name, QStringLiteral("0404"));
    EXPECT_EQ(saved->Original().Count(), 2);
}

TEST_F(Editor, AddingALanguageThatHasATabOnlySelectsIt) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {langRecord(QStringLiteral("0804"), {QStringLiteral("OK=确定")}),
                                                    langRecord(QStringLiteral("0404"), {})}));
    auto f = openStandalone();
    f->TabControl1->setCurrentIndex(1);
    selectLocale(*f, QStringLiteral("0804"));
    f->BtnAddLanguageClick();
    EXPECT_EQ(f->TabControl1->count(), 2);
    EXPECT_EQ(f->TabControl1->currentIndex(), 0);

    selectLocale(*f, QStringLiteral("0407"));
    f->BtnAddLanguageClick();
    ASSERT_EQ(f->TabControl1->count(), 3);
    EXPECT_EQ(cell(f->gridAt(2), 0, 1), QString());  // a new language starts empty
    f->gridAt(2)->item(0, 1)->setText(QStringLiteral("Gut"));
    f->BtnSaveClick();
    auto saved = savedFile();
    ASSERT_EQ(saved->Resources().size(), 3u);
    EXPECT_EQ(saved->Resources()[2].Name, QStringLiteral("0407"));
    EXPECT_EQ(saved->Resources()[2].Table.Lines(), QStringList{QStringLiteral("OK=Gut")});
}

TEST_F(Editor, PagesOfEightTabsAndSavingKeepsHiddenTabs) {
    std::vector<std::pair<QString, QStringList>> langs;
    const auto& locales = vyk::language::supportedLocales();
    for (int i = 0; i < 12; ++i)
        langs.push_back(langRecord(locales[static_cast<size_t>(i)].langId, {QStringLiteral("OK=t%1").arg(i)}));
    writeUiLocal(fileBytes({QStringLiteral("OK")}, langs));
    auto f = openStandalone();
    ASSERT_EQ(f->TabControl1->count(), 12);
    auto visibleTabs = [&] {
        QList<int> v;
        for (int i = 0; i < f->TabControl1->count(); ++i)
            if (f->TabControl1->isTabVisible(i)) v << i + 1;
        return v;
    };
    auto range = [](int a, int b) {
        QList<int> v;
        for (int i = a; i <= b; ++i) v << i;
        return v;
    };
    EXPECT_EQ(visibleTabs(), range(1, 12));
    f->BtnPrevPageMouseUp();  // at the start: nothing moves
    EXPECT_EQ(visibleTabs(), range(1, 8));
    f->BtnNextPageMouseUp();
    EXPECT_EQ(visibleTabs(), range(2, 9));
    for (int i = 0; i < 3; ++i) f->BtnNextPageMouseUp();
    EXPECT_EQ(visibleTabs(), range(5, 12));
    f->BtnNextPageMouseUp();
    EXPECT_EQ(visibleTabs(), range(5, 12));

    f->BtnSaveClick();
    auto saved = savedFile();
    ASSERT_EQ(saved->Resources().size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(saved->Resources()[static_cast<size_t>(i)].Name, langs[static_cast<size_t>(i)].first);
        EXPECT_EQ(saved->Resources()[static_cast<size_t>(i)].Table.Lines(), langs[static_cast<size_t>(i)].second);
    }
}

TEST_F(Editor, DeletingALanguageRemovesItsRecordAndKeepsTheOrderOfTheOthers) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {langRecord(QStringLiteral("0409"), {}),
                                                    langRecord(QStringLiteral("0804"), {QStringLiteral("OK=确定")}),
                                                    langRecord(QStringLiteral("0404"), {QStringLiteral("OK=確定")})}));
    auto f = openStandalone();
    f->TabControl1->setCurrentIndex(1);
    f->BtnDeletClick();
    EXPECT_EQ(f->TabControl1->count(), 2);
    EXPECT_EQ(f->TabCounter(), 2);
    EXPECT_EQ(f->TabControl1->currentIndex(), 0);
    f->BtnSaveClick();
    auto saved = savedFile();
    ASSERT_EQ(saved->Resources().size(), 2u);
    EXPECT_EQ(saved->Resources()[0].Name, QStringLiteral("0409"));
    EXPECT_EQ(saved->Resources()[1].Name, QStringLiteral("0404"));
}

TEST_F(Editor, LanguagesOfNoKnownLocaleKeepATabAndSurviveSaving) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {langRecord(QStringLiteral("en"), {QStringLiteral("OK=Okay")}),
                                                    langRecord(QStringLiteral("0804"), {QStringLiteral("OK=确定")})}));
    auto f = openStandalone();
    ASSERT_EQ(f->TabControl1->count(), 2);
    f->BtnSaveClick();
    auto saved = savedFile();
    ASSERT_EQ(saved->Resources().size(), 2u);
    EXPECT_EQ(saved->Resources()[0].Table.Lines(), QStringList{QStringLiteral("OK=Okay")});
}

TEST_F(Editor, AddingAndDeletingSourceTextsKeepsWhatWasTyped) {
    writeUiLocal(fileBytes({QStringLiteral("B"), QStringLiteral("D")},
                           {langRecord(QStringLiteral("0804"), {QStringLiteral("B=b1")}),
                            langRecord(QStringLiteral("0404"), {QStringLiteral("D=d2")})}));
    auto f = openStandalone();
    QTableWidget* g0 = f->gridAt(0);
    QTableWidget* g1 = f->gridAt(1);
    g0->item(1, 1)->setText(QStringLiteral("typed"));  // D in 0804, not yet saved

    f->TBConstText->setText(QStringLiteral("C"));
    f->BTNADDConstTextClick();
    f->TBConstText->setText(QStringLiteral("C"));  // already there: nothing
    f->BTNADDConstTextClick();
    ASSERT_EQ(f->FLang->Original().Count(), 3);
    EXPECT_EQ(cell(g0, 0, 0), QStringLiteral("B"));
    EXPECT_EQ(cell(g0, 1, 0), QStringLiteral("C"));
    EXPECT_EQ(cell(g0, 1, 1), QStringLiteral("C"));
    EXPECT_EQ(cell(g0, 2, 1), QStringLiteral("typed"));
    EXPECT_EQ(cell(g1, 2, 1), QStringLiteral("d2"));

    f->TabControl1->setCurrentIndex(0);
    g0->setCurrentCell(0, 0);  // B
    f->BTNDELCONSTTEXTClick();
    EXPECT_EQ(f->FLang->Original().Lines(), (QStringList{QStringLiteral("C"), QStringLiteral("D")}));
    for (QTableWidget* g : {g0, g1}) {
        EXPECT_EQ(cell(g, 0, 0), QStringLiteral("C"));
        EXPECT_EQ(cell(g, 1, 0), QStringLiteral("D"));
        EXPECT_EQ(cell(g, 2, 0), QString());
    }
    EXPECT_EQ(cell(g0, 1, 1), QStringLiteral("typed"));

    f->BtnSaveClick();
    auto saved = savedFile();
    EXPECT_EQ(saved->Original().Lines(), (QStringList{QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_EQ(saved->Resources()[0].Table.Lines(), (QStringList{QStringLiteral("C=C"), QStringLiteral("D=typed")}));
}

TEST_F(Editor, TextListEditsOneTableAndKeepsUntranslatedSourceTexts) {
    writeUiLocal(
        fileBytes({QStringLiteral("Apply"), QStringLiteral("Cancel"), QStringLiteral("OK")},
                  {langRecord(QStringLiteral("0804"), {QStringLiteral("OK=确定"), QStringLiteral("Cancel=取消")})}));
    auto f = openStandalone();
    // A new language: every row is untranslated, so the list shows nothing of it.
    selectLocale(*f, QStringLiteral("0404"));
    f->BtnAddLanguageClick();
    whenModal([&](QWidget*) {
        EXPECT_EQ(f->MemoTextList->toPlainText(), QString());
        f->MemoTextList->setPlainText(QStringLiteral("OK=確定\nNew=新"));
        f->BtnSaveTextListClick();
    });
    f->SpeedButton2Click();
    EXPECT_EQ(f->FLang->Original().Lines(), (QStringList{QStringLiteral("Apply"), QStringLiteral("Cancel"),
                                                         QStringLiteral("New"), QStringLiteral("OK")}));
    QTableWidget* g = f->gridAt(1);
    EXPECT_EQ(cell(g, 3, 1), QStringLiteral("確定"));

    // The 0804 list; taking a line out removes that translation only.
    f->TabControl1->setCurrentIndex(0);
    whenModal([&](QWidget*) {
        const QStringList lines = f->MemoTextList->toPlainText().split(QLatin1Char('\n'));
        EXPECT_TRUE(lines.contains(QStringLiteral("OK=确定")));
        EXPECT_TRUE(lines.contains(QStringLiteral("Cancel=取消")));
        QStringList kept;
        for (const QString& l : lines)
            if (!l.startsWith(QLatin1String("Cancel="))) kept << l;
        f->MemoTextList->setPlainText(kept.join(QLatin1Char('\n')));
        f->BtnSaveTextListClick();
    });
    f->SpeedButton2Click();
    EXPECT_EQ(f->FLang->Original().Count(), 4);
    EXPECT_EQ(cell(f->gridAt(0), 1, 1), QStringLiteral("Cancel"));

    f->BtnSaveClick();
    auto saved = savedFile();
    EXPECT_EQ(saved->Original().Count(), 4);
    ASSERT_EQ(saved->Resources().size(), 2u);
    EXPECT_EQ(saved->Resources()[1].Table.ValueOf(QStringLiteral("OK")), QStringLiteral("確定"));
    EXPECT_EQ(saved->Resources()[1].Table.ValueOf(QStringLiteral("New")), QStringLiteral("新"));
}

TEST_F(Editor, StandaloneWithoutLanguageFileStartsEmpty) {
    auto f = openStandalone();
    EXPECT_EQ(f->TabControl1->count(), 0);
    EXPECT_EQ(f->FLang->Original().Count(), 0);
    EXPECT_GT(f->LangCombo->count(), 3);
    // Nothing selected: the buttons do nothing.
    f->BtnDeletClick();
    f->BTNDELCONSTTEXTClick();
    f->SpeedButton2Click();
    f->LangCombo->setCurrentIndex(-1);
    f->BtnAddLanguageClick();
    EXPECT_EQ(f->TabControl1->count(), 0);
}

TEST_F(Editor, DesignStateCollectsTheWindowTextsAndOpensTheEditor) {
    QWidget form;
    new QLabel(QStringLiteral("Window text"), &form);
    TuiLanguage lang(&form, TuiLanguage::State::Designing);
    EXPECT_TRUE(lang.Resources().empty());  // a designing component reads no file
    lang.AddLang(QStringLiteral("0804"));
    bool opened = false;
    whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<TuiLanguageDesignForm*>(modal);
        ASSERT_NE(editor, nullptr);
        opened = true;
        EXPECT_TRUE(lang.Active());
        EXPECT_EQ(editor->TabControl1->count(), 1);
        editor->BtnSaveClick();  // opened for a component: saving closes it
    });
    lang.SetActive(true);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(lang.Active());
    EXPECT_TRUE(lang.Original().Contains(QStringLiteral("Window text")));
    for (const QString& t : TuiLanguage::DesignConstTexts())
        EXPECT_TRUE(lang.Original().Contains(t)) << t.toStdString();
    TvgLang saved;
    saved.LoadFromBytes(readUiLocal());
    EXPECT_TRUE(saved.Original().Contains(QStringLiteral("Window text")));

    // At run time the property is only stored.
    TuiLanguage running(nullptr);
    running.SetActive(true);
    EXPECT_TRUE(running.Active());
}
