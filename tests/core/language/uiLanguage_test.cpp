// The language component: lookups, switching, the walk over registered windows, the locale
// name lists and the language file at start-up.
#include "tests/core/language/lang_test_util.h"

#include "core/language/uiLanguage.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace langtest;
using vyk::toolkit::translate;

namespace {

QString tr(const char* s) { return translate(QString::fromUtf8(s)); }

}  // namespace

class Lookup : public LanguageTest {};

TEST_F(Lookup, FirstLineInSortedOrderAMissingTextAnswersItselfAndEnResets) {
    writeUiLocal(fileBytes(
        {QStringLiteral("Cancel"), QStringLiteral("OK")},
        {{QStringLiteral("0804"),
          {QStringLiteral("OK=Y"), QStringLiteral("Cancel=X"), QStringLiteral("Empty="), QStringLiteral("Two=B"),
           QStringLiteral("Two=A"), QStringLiteral("X=1=one"), QStringLiteral("NoEquals")}}}));
    TuiLanguage lang;
    ASSERT_EQ(lang.Resources().size(), 1u);
    EXPECT_EQ(tr("OK"), QStringLiteral("OK"));  // no current table yet

    lang.SetLang(QStringLiteral("0804"));
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"OK", "Y"},
        {"Cancel", "X"},
        {"Apply", "Apply"},
        {"Empty", "Empty"},  // an empty translation leaves the text
        {"Two", "A"},        // two lines of one text: the first in sorted order
        {"X=1", "X=1"},      // a text holding "=" is never translated
        {"X", "1=one"},      // the line splits at its first "="
        {"NoEquals", "NoEquals"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(tr(c.text), QString::fromUtf8(c.expected)) << c.text;

    // A name that is not a language keeps the table.
    lang.SetLang(QStringLiteral("zz"));
    EXPECT_EQ(lang.Lang(), QStringLiteral("zz"));
    EXPECT_EQ(tr("OK"), QStringLiteral("Y"));

    lang.SetLang(QStringLiteral("en"));
    EXPECT_EQ(tr("OK"), QStringLiteral("OK"));
    EXPECT_FALSE(vyk::toolkit::hasTable());
}

TEST_F(Lookup, LanguageNamesMatchIgnoringCaseAndIndexesOutOfRangeGiveNothing) {
    writeUiLocal(fileBytes({QStringLiteral("OK")},
                           {{QStringLiteral("0409"), {}}, {QStringLiteral("0c04"), {QStringLiteral("OK=好的")}}}));
    TuiLanguage lang;
    EXPECT_EQ(lang.GetLanguageIndexByShortID(QStringLiteral("0C04")), 1);
    EXPECT_EQ(lang.GetLanguageIndexByShortID(QStringLiteral("0804")), -1);
    EXPECT_EQ(lang.GetLanguageShortIDByIndex(1), QStringLiteral("0c04"));
    EXPECT_EQ(lang.GetLanguageShortIDByIndex(-1), QString());
    EXPECT_EQ(lang.GetLanguageShortIDByIndex(2), QString());
    lang.SetLang(QStringLiteral("0C04"));
    EXPECT_EQ(tr("OK"), QStringLiteral("好的"));
}

TEST_F(Lookup, OnLanguageChangedGetsTheNativeNameOrNothing) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}}));
    TuiLanguage lang;
    std::vector<std::pair<QString, QString>> calls;
    lang.OnLanguageChanged = [&](QObject* c, const QString& id, const QString& name) {
        EXPECT_EQ(c, &lang);
        calls.emplace_back(id, name);
    };
    lang.SetLang(QStringLiteral("0804"));
    lang.SetLang(QStringLiteral("en"));
    lang.SetLang(QStringLiteral("zz"));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], std::make_pair(QStringLiteral("0804"), QStringLiteral("中文(简体)")));
    EXPECT_EQ(calls[1], std::make_pair(QStringLiteral("en"), QString()));
    EXPECT_EQ(calls[2], std::make_pair(QStringLiteral("zz"), QString()));
}

class StartUp : public LanguageTest {};

TEST_F(StartUp, MissingOrDamagedLanguageFileLeavesTheProgramInEnglish) {
    {
        TuiLanguage lang;  // no ui.local
        EXPECT_TRUE(lang.Resources().empty());
        lang.SetLang(QStringLiteral("0804"));
        EXPECT_EQ(tr("OK"), QStringLiteral("OK"));
    }
    // A file whose table length runs past its end.
    QByteArray damaged = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
    damaged.chop(3);
    writeUiLocal(damaged);
    TuiLanguage lang;
    EXPECT_TRUE(lang.Resources().empty());
    EXPECT_EQ(lang.Original().Count(), 0);
    lang.SetLang(QStringLiteral("0804"));
    EXPECT_EQ(tr("OK"), QStringLiteral("OK"));
}

TEST_F(StartUp, LanguageFileIsFoundWhateverTheCaseOfItsName) {
    vyk::test::writeBytes(exeDir() / "UI.Local", [] {
        const QByteArray b = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
        return std::vector<std::uint8_t>(b.begin(), b.end());
    }());
    TuiLanguage lang;
    std::filesystem::remove(exeDir() / "UI.Local");
    EXPECT_EQ(lang.Resources().size(), 1u);
}

TEST_F(StartUp, AFileReadAheadIsTakenByTheNextInstanceAsIfItHadReadItself) {
    const QByteArray good = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
    QByteArray damaged = good;
    damaged.chop(3);
    struct Case {
        const char* what;
        QByteArray bytes;
        std::size_t languages;
        QString ok;
    } cases[] = {{"a whole file", good, 1, QStringLiteral("好")}, {"a damaged file", damaged, 0, QStringLiteral("OK")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeUiLocal(c.bytes);
        TuiLanguage::ReadAheadLanguageFile();
        TuiLanguage lang;
        EXPECT_EQ(lang.Resources().size(), c.languages);
        lang.SetLang(QStringLiteral("0804"));
        EXPECT_EQ(tr("OK"), c.ok);
        lang.SetLang(QStringLiteral("en"));
        // What was read ahead is taken once: the next instance reads the file as it is now.
        writeUiLocal(good);
        TuiLanguage next;
        EXPECT_EQ(next.Resources().size(), 1u);
    }
}

TEST_F(StartUp, AFileReadAheadFromAnotherFolderIsNotTaken) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0804"), {QStringLiteral("OK=好")}}}));
    TuiLanguage::ReadAheadLanguageFile();
    const std::filesystem::path other = exeDir() / "other";
    std::filesystem::create_directories(other);
    vyk::test::writeBytes(other / "ui.local", [] {
        const QByteArray b = fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0404"), {QStringLiteral("OK=確定")}},
                                                                {QStringLiteral("0804"), {QStringLiteral("OK=好")}}});
        return std::vector<std::uint8_t>(b.begin(), b.end());
    }());
    {
        vyk::test::ScopedEnv exe("VYK_EXE_DIR", other.string());
        TuiLanguage lang;
        EXPECT_EQ(lang.Resources().size(), 2u);
        EXPECT_EQ(lang.Resources()[0].Name, QStringLiteral("0404"));
    }
    std::filesystem::remove_all(other);
}

// ---------------------------------------------------------------------------------------------

class Walk : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        writeUiLocal(
            fileBytes({QStringLiteral("Cancel"), QStringLiteral("Hint"), QStringLiteral("OK"), QStringLiteral("Title")},
                      {{QStringLiteral("0409"), {}},
                       {QStringLiteral("0804"),
                        {QStringLiteral("OK=确定"), QStringLiteral("Cancel=取消"), QStringLiteral("Hint=提示"),
                         QStringLiteral("Title=标题")}},
                       {QStringLiteral("0404"),
                        {QStringLiteral("OK=確定"), QStringLiteral("Cancel=取消!"), QStringLiteral("Hint=提示!"),
                         QStringLiteral("Title=標題")}}}));
        form = std::make_unique<QWidget>();
        form->setWindowTitle(QStringLiteral("Title"));
        auto* layout = new QVBoxLayout(form.get());
        label = new QLabel(QStringLiteral("OK"), form.get());
        button = new QPushButton(QStringLiteral("Cancel"), form.get());
        button->setToolTip(QStringLiteral("Hint"));
        auto* box = new QGroupBox(QStringLiteral("OK"), form.get());
        nested = new QLabel(QStringLiteral("Cancel"), box);
        selfTranslating = new QLabel(QStringLiteral("OK"), form.get());
        selfTranslating->setProperty("autoTranslate", true);
        menuItem = new QAction(QStringLiteral("OK"), form.get());
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(button), static_cast<QWidget*>(box),
                           static_cast<QWidget*>(selfTranslating)})
            layout->addWidget(w);
        lang = std::make_unique<TuiLanguage>(form.get());
    }
    void TearDown() override {
        lang.reset();
        form.reset();
        LanguageTest::TearDown();
    }

    std::unique_ptr<QWidget> form;
    QLabel* label = nullptr;
    QPushButton* button = nullptr;
    QLabel* nested = nullptr;
    QLabel* selfTranslating = nullptr;
    QAction* menuItem = nullptr;
    std::unique_ptr<TuiLanguage> lang;
};

TEST_F(Walk, SwitchingRetranslatesCaptionsAndHintsOfTheRegisteredWindow) {
    lang->SetLang(QStringLiteral("0804"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("标题"));
    EXPECT_EQ(label->text(), QStringLiteral("确定"));
    EXPECT_EQ(button->text(), QStringLiteral("取消"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("提示"));
    EXPECT_EQ(nested->text(), QStringLiteral("取消"));
    // Menu items and self-translating controls set their own texts.
    EXPECT_EQ(menuItem->text(), QStringLiteral("OK"));
    EXPECT_EQ(selfTranslating->text(), QStringLiteral("OK"));
}

TEST_F(Walk, EverySwitchTranslatesFromTheEnglishText) {
    lang->SetLang(QStringLiteral("0804"));
    lang->SetLang(QStringLiteral("0404"));
    EXPECT_EQ(label->text(), QStringLiteral("確定"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("提示!"));
    lang->SetLang(QStringLiteral("0409"));
    EXPECT_EQ(label->text(), QStringLiteral("OK"));
    lang->SetLang(QStringLiteral("0804"));
    lang->SetLang(QStringLiteral("en"));
    EXPECT_EQ(button->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Title"));
}

TEST_F(Walk, ATextThatTheProgramSetsIsTakenAsTheNewEnglishText) {
    lang->SetLang(QStringLiteral("0804"));
    label->setText(QStringLiteral("Cancel"));
    lang->SetLang(QStringLiteral("0404"));
    EXPECT_EQ(label->text(), QStringLiteral("取消!"));
    label->setText(QStringLiteral("Apply"));  // no translation
    lang->SetLang(QStringLiteral("0804"));
    EXPECT_EQ(label->text(), QStringLiteral("Apply"));
}

TEST_F(Walk, DestroyedWindowsAreNeverWalked) {
    auto second = std::make_unique<QWidget>();
    auto* secondLabel = new QLabel(QStringLiteral("OK"), second.get());
    RegisterLanguageForm(second.get());
    EXPECT_TRUE(LanguageFormList().contains(second.get()));
    second.reset();  // deleted while registered
    EXPECT_EQ(LanguageFormList().size(), 1);
    lang->SetLang(QStringLiteral("0804"));  // under ASan a dangling walk would fail here
    EXPECT_EQ(label->text(), QStringLiteral("确定"));
    (void)secondLabel;
}

TEST_F(Walk, CustomClassesGoToOnCustomTranslate) {
    lang->SetCustomClassList({QStringLiteral("qgroupbox")});
    QStringList seen;
    lang->OnCustomTranslate = [&](QObject* c, QStringList&, QSet<QObject*>&, const QString& base, bool translate) {
        seen << QString::fromLatin1(c->metaObject()->className());
        EXPECT_TRUE(translate);
        EXPECT_EQ(base, QStringLiteral("QWidget"));
    };
    lang->SetLang(QStringLiteral("0804"));
    EXPECT_EQ(seen, QStringList{QStringLiteral("QGroupBox")});
    EXPECT_EQ(nested->text(), QStringLiteral("Cancel"));  // inside the custom class: left alone
    EXPECT_EQ(label->text(), QStringLiteral("确定"));
}

TEST_F(Walk, CollectingWithoutTranslatingListsTheEnglishTexts) {
    lang->SetLang(QStringLiteral("0804"));
    QStringList texts;
    lang->TranslateComponent(form.get(), texts, false, QString());
    texts.removeDuplicates();
    texts.sort();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Cancel"), QStringLiteral("Hint"), QStringLiteral("OK"),
                                  QStringLiteral("Title")}));
    EXPECT_EQ(label->text(), QStringLiteral("确定"));  // nothing written
}

// ---------------------------------------------------------------------------------------------

class Locales : public LanguageTest {
protected:
    void TearDown() override {
        vyk::language::setUserLocaleForTesting(nullptr);
        LanguageTest::TearDown();
    }
};

TEST_F(Locales, ShippedLanguagesHaveDistinctNativeNames) {
    TuiLanguage lang;
    struct Case {
        const char* id;
        const char* name;
    };
    const Case cases[] = {
        {"0409", "English"},
        {"0804", "中文(简体)"},
        {"0404", "中文(繁體)"},
        {"0c04", "中文(香港)"},  // hex letters in either case
        {"0407", "Deutsch"},
        {"zz", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lang.GetLanguageLongNameByLangID(QString::fromUtf8(c.id)), QString::fromUtf8(c.name)) << c.id;
        EXPECT_EQ(lang.GetLanguageLongNameByShortID(QString::fromUtf8(c.id)), QString::fromUtf8(c.name)) << c.id;
        const TLocaleNameRecord* r = LanguageNameList()->Find(QString::fromUtf8(c.id));
        EXPECT_EQ(r ? r->NativeName : QString(), QString::fromUtf8(c.name)) << c.id;
    }
    EXPECT_EQ(LanguageNameList()->Find(QStringLiteral("0804"))->LangID, QStringLiteral("0804"));
}

TEST_F(Locales, ListsStayValidWhenAnotherInstanceIsDestroyed) {
    auto first = std::make_unique<TuiLanguage>();
    auto held = LanguageNameList();
    {
        TuiLanguage second;  // replaces the process-wide lists, then goes away
    }
    EXPECT_EQ(first->GetLanguageLongNameByLangID(QStringLiteral("0804")), QStringLiteral("中文(简体)"));
    EXPECT_EQ(held->Find(QStringLiteral("0404"))->NativeName, QStringLiteral("中文(繁體)"));
    ASSERT_TRUE(LanguageNameList());
    EXPECT_NE(LanguageNameList()->Find(QStringLiteral("0409")), nullptr);
}

TEST_F(Locales, AutoSelectAndDefaultLanguageFollowTheUserLocale) {
    writeUiLocal(fileBytes({QStringLiteral("OK")}, {{QStringLiteral("0409"), {}},
                                                    {QStringLiteral("0804"), {QStringLiteral("OK=确定")}},
                                                    {QStringLiteral("0404"), {QStringLiteral("OK=確定")}}}));
    struct Case {
        QLocale locale;
        const char* lang;
        const char* osDefault;
    };
    const Case cases[] = {
        {QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan), "0404", "0404"},
        {QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China), "0804", "0804"},
        {QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::HongKong), "zh", "0C04"},
        {QLocale(QLocale::German, QLocale::Germany), "de", "0407"},
        {QLocale::c(), "", "0409"},
    };
    for (const Case& c : cases) {
        vyk::language::setUserLocaleForTesting(&c.locale);
        TuiLanguage lang;
        lang.SetAutoSelect(true);
        EXPECT_TRUE(lang.AutoSelect());
        EXPECT_EQ(lang.Lang(), QString::fromLatin1(c.lang)) << c.locale.name().toStdString();
        EXPECT_EQ(lang.GetOSDefaultLang(), QString::fromLatin1(c.osDefault)) << c.locale.name().toStdString();
        vyk::toolkit::resetTable();
    }
}

TEST_F(Locales, ParentFormCountFollowsInstancesOwnedByWindows) {
    const int before = TuiLanguage::uiParentFormCount();
    QWidget form;
    {
        TuiLanguage owned(&form);
        TuiLanguage unowned;
        EXPECT_EQ(TuiLanguage::uiParentFormCount(), before + 1);
    }
    EXPECT_EQ(TuiLanguage::uiParentFormCount(), before);
}
