// The configuration window built offscreen in the test process, with a private store,
// Documents folder and executable folder, and a recording link in place of the mouse, the
// monitor and the desktop. Driven with real clicks and keys.
#include "config/window/MainConfig.h"
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/TrackBar.h"
#include "config/toolkit/WrapLabel.h"
#include "config/window/DpiLevelRow.h"
#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/InfoPage.h"
#include "config/window/LightPage.h"
#include "config/window/StartupRead.h"
#include "core/defs/vyk_messages.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/registry/registry.h"
#include "tests/config/support/modal.h"
#include "tests/config/window/recording_link.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;
using cfgtest::RecordingLink;
using vyk::test::ScopedEnv;
using vyk::test::waitUntil;

namespace {

const char* const kQuestion = "THE SETTINGS WAS CHANGED, SAVE THE CURRENT SETTING ANYWAY?";

// A language file: English, a language the programs know no name for ("7F7F"), then
// Simplified Chinese, which translates the window's title, the close question and the DPI
// axis captions (the captions of the layout and the ones the window sets apart).
void writeLanguageFile(const fs::path& file) {
    TvgLang lang;
    const QStringList texts{"GAMING MOUSE CONFIG", "GENERAL", "WARNING", kQuestion, "X-AXIS", "Y-AXIS", "X", "Y"};
    for (const QString& t : texts) lang.Original().Add(t);
    lang.AddLang("0409");
    lang.AddLang("7F7F");
    lang.AddLang("0804");
    const QStringList zh{"游戏鼠标设置", "常规", "警告", "设置已更改，是否保存当前设置？", "X 轴", "Y 轴", "横", "纵"};
    for (int i = 0; i < texts.size(); ++i) lang.Resources()[2].Table.SetValue(texts[i], zh[i]);
    lang.SaveToFile(QString::fromStdString(file.string()));
}

class MainConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = vyk::test::freshDir("registry");
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", registry_.string());
        docs_ = vyk::test::freshDir("documents");
        docsEnv_ = std::make_unique<ScopedEnv>("VYK_DOCUMENTS_DIR", docs_.string());
        exe_ = vyk::test::freshDir("exe");
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", exe_.string());
        writeLanguageFile(exe_ / "ui.local");
        vyk::platform::setErrorReporter([this](const QString& text) { errors_.append(text); });
        QApplication::setQuitOnLastWindowClosed(false);
        FreeGlobalImageDataBase();
    }
    void TearDown() override {
        window_.reset();
        dm_.reset();
        vyk::platform::setErrorReporter({});
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    }

    // start Later: the window reads the store while it makes its controls, as the program does.
    TVYKCFGMAIN& open(TDM::TStart start = TDM::TStart::Now) {
        window_.reset();
        dm_.reset();
        dm_ = std::make_unique<TDM>(nullptr, start);
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), &link_);
        return *window_;
    }
    void closeAndEmptyTheStore() {
        window_.reset();
        dm_.reset();
        fs::remove_all(registry_);
        fs::remove_all(docs_);
        fs::create_directories(registry_);
        fs::create_directories(docs_);
    }
    // As the program opens it: the store read started before the window is made.
    TVYKCFGMAIN& openAhead() {
        window_.reset();
        dm_.reset();
        dm_ = std::make_unique<TDM>(nullptr, TDM::TStart::Later);
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), TStartupRead::Ahead(*dm_), &link_);
        return *window_;
    }
    TVYKCFGMAIN& openShown() {
        TVYKCFGMAIN& w = open();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }
    fs::path macroDb() const {
        for (const auto& e : fs::recursive_directory_iterator(docs_))
            if (e.path().filename() == "MacroSet.MSDB") return e.path();
        return {};
    }
    QByteArray storedValue(const QString& name) const {
        auto key =
            vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm_->ProfileRegFolder(), false);
        if (!key) return {};
        return key->readBinary(name).value_or(QByteArray());
    }
    // Every file of the store (settings and Documents) by its path, with its bytes.
    std::map<std::string, std::vector<std::uint8_t>> storeFiles() const {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const fs::path& root : {registry_, docs_})
            for (const auto& e : fs::recursive_directory_iterator(root))
                if (e.is_regular_file()) files[e.path().string()] = vyk::test::readBytes(e.path());
        return files;
    }
    RecordingLink link_;
    fs::path registry_, docs_, exe_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TVYKCFGMAIN> window_;
    QStringList errors_;
    std::unique_ptr<ScopedEnv> registryEnv_, docsEnv_, exeEnv_;
};

TEST_F(MainConfigTest, FirstStartCreatesTheDefaultMacroSetAndARestartLeavesItAsItIs) {
    open();
    const fs::path db = macroDb();
    ASSERT_FALSE(db.empty()) << "no MacroSet.MSDB in the Documents folder";
    EXPECT_EQ(fs::file_size(db), 584644u);
    EXPECT_EQ(window_->FMacroSetClass->CurrentMacroSetName(), "DefaultMacroSet");
    EXPECT_EQ(window_->FMacroSetClass->GetMacroListNamesByMacroSetName("DefaultMacroSet"),
              (QStringList{"Macro1", "Macro2"}));
    const auto first = vyk::test::readBytes(db);

    open();
    EXPECT_EQ(vyk::test::readBytes(db), first) << "a restart must not add or rewrite anything";
    EXPECT_EQ(window_->FMacroSetClass->GetMacroSetListNames(), QStringList{"DefaultMacroSet"});
}

TEST_F(MainConfigTest, AMissingDefaultSetIsAddedBesideTheUsersSets) {
    {
        dm_ = std::make_unique<TDM>();
        TuiMacroSetClass db;
        db.LoadMacrosetDB(dm_->GetPersonalDocumentMacroDatabasePath());
        db.CreateNewMacroSet("Mine");
        db.SwitchToMacroSet("Mine");
        db.CreateNewMacro("Jump");
        db.SaveMacroSetDB();
    }
    open();
    EXPECT_EQ(window_->FMacroSetClass->GetMacroSetListNames(), (QStringList{"Mine", "DefaultMacroSet"}));
    EXPECT_EQ(window_->FMacroSetClass->GetMacroListNamesByMacroSetName("Mine"), QStringList{"Jump"});
    EXPECT_EQ(window_->FMacroSetClass->CurrentMacroSetName(), "DefaultMacroSet");
}

// The program's own start: the store is read on a worker while the window makes its controls.
// What reaches the disk, and what the window then shows, is what a start on one thread gives.
TEST_F(MainConfigTest, AStoreReadWhileTheControlsAreMadeWritesAndShowsWhatAStartOnOneThreadDoes) {
    open(TDM::TStart::Later);
    EXPECT_TRUE(dm_->Created());
    const auto firstStart = storeFiles();
    ASSERT_FALSE(macroDb().empty());
    EXPECT_EQ(window_->FMacroSetClass->GetMacroListNamesByMacroSetName("DefaultMacroSet"),
              (QStringList{"Macro1", "Macro2"}));
    const int profile = dm_->FProfileIndex;
    EXPECT_TRUE(window_->BtnProfile[static_cast<std::size_t>(profile)]->IsPressed());

    closeAndEmptyTheStore();
    open(TDM::TStart::Now);
    EXPECT_EQ(storeFiles(), firstStart) << "a first start on one thread writes the same files";

    closeAndEmptyTheStore();
    openAhead();
    EXPECT_EQ(storeFiles(), firstStart) << "a first start read ahead of the window writes the same files";
    EXPECT_EQ(window_->FMacroSetClass->GetMacroListNamesByMacroSetName("DefaultMacroSet"),
              (QStringList{"Macro1", "Macro2"}))
        << "the window has the macro set read ahead";

    open(TDM::TStart::Later);
    EXPECT_EQ(storeFiles(), firstStart) << "a later start rewrites nothing";
    EXPECT_EQ(dm_->FProfileIndex, profile);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(MainConfigTest, AStoreReadAheadForAnotherDataModuleOrWithoutAMacroSetOfItsOwnIsRefused) {
    TDM other(nullptr, TDM::TStart::Later);
    dm_ = std::make_unique<TDM>(nullptr, TDM::TStart::Later);
    EXPECT_THROW(TVYKCFGMAIN(dm_.get(), TStartupRead::Ahead(other), &link_), std::invalid_argument);
    std::unique_ptr<TStartupRead> taken = TStartupRead::Ahead(*dm_);
    const std::unique_ptr<TuiMacroSetClass> macros = taken->TakeMacros();
    EXPECT_THROW(TVYKCFGMAIN(dm_.get(), std::move(taken), &link_), std::invalid_argument);
}

TEST_F(MainConfigTest, AMacroDatabaseThatCannotBeMadeIsReportedOnTheWindowsThread) {
    const fs::path folder = [] {
        TDM dm;
        return fs::path(dm.GetPersonalDocumentMacroDatabasePath().toStdString()).parent_path();
    }();
    fs::remove_all(folder);
    vyk::test::writeBytes(folder, {0x6e, 0x6f});  // a file where the folder belongs
    QList<bool> onWindowsThread;
    vyk::platform::setErrorReporter([&](const QString& text) {
        errors_.append(text);
        onWindowsThread.append(QThread::currentThread() == qApp->thread());
    });
    open(TDM::TStart::Later);
    ASSERT_FALSE(errors_.isEmpty());
    EXPECT_EQ(onWindowsThread, QList<bool>(errors_.size(), true));
    EXPECT_EQ(window_->FMacroSetClass->MacroSetCount(), 0) << "nothing made of a database that is not there";
    errors_.clear();  // expected
}

TEST_F(MainConfigTest, CreationSetsTheFrameAndTheStateUp) {
    TVYKCFGMAIN& w = open();
    EXPECT_EQ(w.size(), QSize(801, 638));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.CurrentTab(), 0);
    EXPECT_TRUE(w.BtnMainConfig->IsPressed());
    EXPECT_FALSE(w.State().SettingsChanged);
    EXPECT_FALSE(w.State().ReportRateChanged);
    EXPECT_TRUE(w.State().DblClickTestCentrePending);
    const auto& c = dm_->FCurrentProfileInfo.ConfigInfo;
    EXPECT_EQ(w.State().MouseParams.PointerSpeed, c.PointerSpeed);
    EXPECT_EQ(w.State().MouseParams.WheelLines, c.VWheelSpeed);
    EXPECT_EQ(w.State().MouseParams.Acceleration, c.PointerAcceleration);
    EXPECT_EQ(std::memcmp(&w.State().LEDCache, &c.LEDConfig, sizeof(TLEDCONFIG)), 0);
    // SetProfileBtn: only the current profile's button is pressed.
    for (int k = 0; k < 5; ++k) EXPECT_EQ(w.BtnProfile[k]->IsPressed(), k == dm_->FProfileIndex) << k;
    EXPECT_FALSE(w.ProgressBarTime->isVisible());
    EXPECT_FALSE(w.ProfileCommands->FProfilePath.isEmpty());
    EXPECT_TRUE(link_.handler) << "the window receives the monitor's messages";
}

// Only what the first frame shows is made with the window: the GENERAL page. The DPI, LIGHT and
// INFO pages are made once the first frame is out, each in its tab's place, marking nothing
// changed and sending nothing.
TEST_F(MainConfigTest, PagesTheFirstFrameDoesNotShowAreMadeRightAfterIt) {
    TVYKCFGMAIN& w = open();
    const auto made = [&w] { return std::vector<bool>{w.PageDpi.Made(), w.PageLight.Made(), w.PageInfo.Made()}; };
    EXPECT_EQ(made(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(w.TabControlMain->count(), 4);
    EXPECT_EQ(w.TabControlMain->currentWidget(), static_cast<QWidget*>(w.PageGeneral));
    const QStringList callsBefore = link_.calls;
    w.show();
    EXPECT_EQ(made(), (std::vector<bool>{false, false, false})) << "showing makes nothing";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(waitUntil([&] { return made() == std::vector<bool>{true, true, true}; }));

    const QWidget* pages[] = {w.PageGeneral, w.PageDpi.get(), w.PageLight.get(), w.PageInfo.get()};
    ASSERT_EQ(w.TabControlMain->count(), 4) << "the stand-ins are gone";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w.TabControlMain->widget(i), pages[i]) << i;
    EXPECT_EQ(w.CurrentTab(), 0);
    EXPECT_TRUE(w.PageGeneral->isVisible());
    EXPECT_FALSE(w.State().SettingsChanged);
    EXPECT_TRUE(link_.sent.empty());
    // Showing asks for the monitor; making the pages adds nothing.
    EXPECT_EQ(link_.calls.mid(callsBefore.size()), QStringList{"FindMonitorWindow"});
}

// A page needed before it is made (its tab clicked in the first moments) is made at once and
// shows the current profile: what is stored and what it holds unsaved (a DPI level chosen on
// the mouse). Making it saves nothing back and marks nothing changed.
TEST_F(MainConfigTest, APageNeededBeforeItIsMadeIsMadeAtOnceWithTheCurrentProfile) {
    TVYKCFGMAIN& w = open();
    TMOUSECONFIGINFO& c = dm_->FCurrentProfileInfo.ConfigInfo;
    c.CPIState[2].X = 3200;
    c.CPIState[2].Y = 3200;
    c.LEDConfig.BRIGHT_LEVEL = 1;
    c.LEDConfig.R = 0x12;
    c.LEDConfig.G = 0x34;
    c.LEDConfig.B = 0x56;
    dm_->SaveBackToCurrentProfileInfo();
    c.CurrentCPIIndex = 3;
    auto slotBefore = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*slotBefore, dm_->FProfileIndex));
    ASSERT_NE(slotBefore->ConfigInfo.CurrentCPIIndex, 3);

    w.show();
    ASSERT_FALSE(w.PageDpi.Made());
    QTest::mouseClick(w.BtnCPI, Qt::LeftButton);
    ASSERT_TRUE(w.PageDpi.Made());
    EXPECT_EQ(w.TabControlMain->currentWidget(), static_cast<QWidget*>(w.PageDpi.get()));
    EXPECT_EQ(w.CurrentTab(), 1);
    EXPECT_EQ(w.PageDpi->Rows[2]->TrackCPIX->Value(), 3200);
    EXPECT_EQ(w.PageDpi->Rows[2]->TxtCPIXNum->text(), "3200");
    EXPECT_TRUE(w.PageDpi->DPIL[3]->isChecked()) << "the level the profile holds unsaved";

    ASSERT_FALSE(w.PageLight.Made());
    QTest::mouseClick(w.BtnColor, Qt::LeftButton);
    ASSERT_TRUE(w.PageLight.Made());
    EXPECT_EQ(w.TabControlMain->currentWidget(), static_cast<QWidget*>(w.PageLight.get()));
    EXPECT_TRUE(w.PageLight->RadioLevel[1]->isChecked());
    EXPECT_EQ(w.PageLight->ComboColor(), QColor(0x12, 0x34, 0x56));

    auto slotAfter = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*slotAfter, dm_->FProfileIndex));
    EXPECT_EQ(std::memcmp(&slotAfter->ConfigInfo, &slotBefore->ConfigInfo, sizeof(TMOUSECONFIGINFO)), 0)
        << "making the pages saved the profile back";
    EXPECT_EQ(c.CurrentCPIIndex, 3);
    EXPECT_FALSE(w.State().SettingsChanged);
    EXPECT_TRUE(link_.sent.empty());
}

TEST_F(MainConfigTest, TabButtonsShowTheirPagesOnRelease) {
    TVYKCFGMAIN& w = openShown();
    TImageStateButton* tabs[] = {w.BtnMainConfig, w.BtnCPI, w.BtnColor, w.BtnUpdate};
    QWidget* pages[] = {reinterpret_cast<QWidget*>(w.PageGeneral), reinterpret_cast<QWidget*>(w.PageDpi.get()),
                        reinterpret_cast<QWidget*>(w.PageLight.get()), reinterpret_cast<QWidget*>(w.PageInfo.get())};
    for (int i : {3, 1, 2, 0, 2}) {
        SCOPED_TRACE(i);
        QTest::mouseClick(tabs[i], Qt::LeftButton);
        EXPECT_EQ(w.CurrentTab(), i);
        EXPECT_EQ(w.TabControlMain->currentWidget(), pages[i]);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(tabs[k]->IsPressed(), k == i);
    }
    // A right-button release over a tab button selects it too.
    QTest::mouseClick(tabs[3], Qt::RightButton);
    EXPECT_EQ(w.CurrentTab(), 3);
    // Out of range: nothing changes.
    w.SelectTab(7);
    EXPECT_EQ(w.CurrentTab(), 3);
}

// The INFO page's addresses come from config.ini; an empty entry, or a web address that is no
// http(s) address with a host, hides its line, so no placeholder is ever shown.
TEST_F(MainConfigTest, InfoPageShowsTheConfiguredAddressesAndHidesEmptyOnes) {
    const struct {
        const char* ini;      // section OtherConfig, or nullptr for no config.ini at all
        const char* website;  // shown text, or nullptr for hidden
        const char* email;
    } cases[] = {
        {nullptr, nullptr, nullptr},
        {"OfficialWebsite=http://\n", nullptr, nullptr},
        {"OfficialWebsite=\nSupportEmail=\n", nullptr, nullptr},
        {"OfficialWebsite= https://vyk.test/support \nSupportEmail= help@vyk.test \n", "https://vyk.test/support",
         "help@vyk.test"},
        {"OfficialWebsite=file:///etc/passwd\nSupportEmail=not an address\n", nullptr, nullptr},
        {"OfficialWebsite=javascript:alert(1)\nSupportEmail=@vyk.test\n", nullptr, nullptr},
        {"SupportEmail=a@b@c\n", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "(no config.ini)");
        fs::remove(exe_ / "config.ini");
        if (c.ini) vyk::test::writeText(exe_ / "config.ini", std::string("[OtherConfig]\n") + c.ini);
        link_.opened.clear();
        TVYKCFGMAIN& w = openShown();
        QTest::mouseClick(w.BtnUpdate, Qt::LeftButton);
        EXPECT_EQ(w.PageInfo->LabelVersion->text(), "VERSION: V1.0.CF");
        EXPECT_EQ(w.PageInfo->LabelRights->text(), "ALL RIGHTS RESERVED");
        EXPECT_EQ(w.PageInfo->lblwebsite->isVisible(), c.website != nullptr);
        EXPECT_EQ(w.PageInfo->Labelemail->isVisible(), c.email != nullptr);
        for (QLabel* label : w.PageInfo->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            EXPECT_FALSE(label->text().contains("example")) << label->text().toStdString();
        }
        if (c.email) {
            EXPECT_EQ(w.PageInfo->Labelemail->text(), c.email);
            QTest::mouseClick(w.PageInfo->Labelemail, Qt::LeftButton);
            EXPECT_TRUE(link_.opened.isEmpty()) << "the e-mail label is not clickable";
        }
        if (c.website) {
            EXPECT_EQ(w.PageInfo->lblwebsite->text(), c.website);
            QTest::mouseClick(w.PageInfo->lblwebsite, Qt::LeftButton);
            EXPECT_EQ(link_.opened, QStringList{c.website});
        }
    }
}

// The close question: (edited?, answer) -> (question shown, saved, closed).
TEST_F(MainConfigTest, CancelAndCloseAskOnlyAfterEditsAndSaveOnlyOnOk) {
    struct Case {
        const char* name;
        bool useCloseButton;
        bool edited;
        bool answerOk;
        bool expectSaved;
    } cases[] = {
        {"no edit, CANCEL", false, false, false, false},
        {"edit, CANCEL, answered OK", false, true, true, true},
        {"edit, CANCEL, answered CANCEL", false, true, false, false},
        {"edit, close button, answered OK", true, true, true, true},
        {"no edit, close button", true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVYKCFGMAIN& w = openShown();
        const std::uint16_t before = dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed;
        const std::uint16_t edited = before == 3 ? 4 : 3;
        if (c.edited) {
            dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = edited;
            w.State().SettingsChanged = true;
        }
        bool asked = false;
        if (c.edited) {
            vyk::test::whenModal([&](QWidget* dlgWidget) {
                asked = true;
                auto* dlg = qobject_cast<TFrmDialog*>(dlgWidget);
                ASSERT_NE(dlg, nullptr);
                EXPECT_EQ(dlg->LabelText->text(), kQuestion);
                QTest::mouseClick(c.answerOk ? dlg->BTNOK : dlg->BTNCANCEL, Qt::LeftButton);
            });
        }
        QTest::mouseClick(c.useCloseButton ? w.BtnClose : w.BtnCancel, Qt::LeftButton);
        EXPECT_EQ(asked, c.edited);
        EXPECT_FALSE(w.isVisible()) << "the window closes whatever the answer";

        TDM reread;
        EXPECT_EQ(reread.FCurrentProfileInfo.ConfigInfo.PointerSpeed, c.expectSaved ? edited : before);
    }
}

TEST_F(MainConfigTest, ASaveThatFailsKeepsTheWindowOpenWithTheEdits) {
    TVYKCFGMAIN& w = openShown();
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 7;
    w.State().SettingsChanged = true;
    // The store cannot be written: its folder would have to sit inside a plain file.
    const fs::path blocker = vyk::test::freshDir("blocked") / "file";
    vyk::test::writeText(blocker, "x");
    ScopedEnv broken("VYK_REGISTRY_ROOT", (blocker / "registry").string());
    vyk::test::whenModal(
        [](QWidget* dlg) { QTest::mouseClick(qobject_cast<TFrmDialog*>(dlg)->BTNOK, Qt::LeftButton); });
    QTest::mouseClick(w.BtnCancel, Qt::LeftButton);
    EXPECT_EQ(errors_.size(), 1) << "the failure is reported";
    errors_.clear();
    EXPECT_TRUE(w.isVisible()) << "the window stays open, so the edits are not lost";
    EXPECT_TRUE(w.State().SettingsChanged);
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 7);
}

TEST_F(MainConfigTest, CloseMessageEndsWithoutAskingOrSaving) {
    TVYKCFGMAIN& w = openShown();
    const std::uint16_t before = dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed;
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = before == 3 ? 4 : 3;
    w.State().SettingsChanged = true;
    // The application's loop ends with code 0; no dialog opens on the way.
    int rc = -1;
    QTimer::singleShot(0, [&] { link_.deliver(WM_CFG_CLOSE); });
    QTimer::singleShot(3000, [] { QCoreApplication::exit(99); });
    rc = QCoreApplication::exec();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    TDM reread;
    EXPECT_EQ(reread.FCurrentProfileInfo.ConfigInfo.PointerSpeed, before);
}

TEST_F(MainConfigTest, ShowMessageBringsAMinimisedOrHiddenWindowBack) {
    TVYKCFGMAIN& w = openShown();
    QTest::mouseClick(w.BTNMIN, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return w.isMinimized(); }, 2000));
    link_.deliver(VYK_IPC_SHOW_WINDOW);
    EXPECT_TRUE(waitUntil([&] { return !w.isMinimized() && w.isVisible(); }, 2000));
    // A hidden window (the monitor's Config item or a second start asks) comes back too.
    w.hide();
    link_.deliver(VYK_IPC_SHOW_WINDOW);
    EXPECT_TRUE(waitUntil([&] { return w.isVisible() && !w.isMinimized(); }, 2000));
    // The reserved message does nothing.
    EXPECT_EQ(link_.deliver(WM_CFG_RESERVED, 5, 6), 0);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(MainConfigTest, MessagesOutOfRangeAreReportedAndChangeNothing) {
    open();
    const int profile = dm_->FProfileIndex;
    link_.deliver(WM_CFG_SWITCH_PROFILE, 5);
    link_.deliver(WM_CFG_CPI_INDEX, -1);
    EXPECT_EQ(errors_.size(), 2);
    errors_.clear();
    EXPECT_EQ(dm_->FProfileIndex, profile);
}

TEST_F(MainConfigTest, LanguageChangeAppliesStoresAndSendsTheLanguageShown) {
    TVYKCFGMAIN& w = openShown();
    // "7F7F" has no native name, so the selector holds English and Chinese only; the Chinese
    // entry still stands for language 2 of the list.
    ASSERT_EQ(w.PopBoxLanguage->count(), 2);
    EXPECT_EQ(w.LanguageIndexMap(), (QList<int>{0, 2}));
    EXPECT_EQ(w.PopBoxLanguage->currentIndex(), 0);
    EXPECT_EQ(w.windowTitle(), "GAMING MOUSE CONFIG");

    w.PopBoxLanguage->setCurrentIndex(1);
    EXPECT_EQ(w.uiLanguage1->Lang(), "0804");
    EXPECT_EQ(dm_->FAllProfileSettingInfo.CurrentLanguage, 2);
    const QByteArray all = storedValue("allsettings.pfd");
    ASSERT_GT(all.size(), 30952);
    EXPECT_EQ(static_cast<std::uint8_t>(all[30952]), 2) << "CurrentLanguage is byte 30952 of the stored record";
    ASSERT_EQ(link_.sentOf(WM_CFG_LANGUAGE_CHANGED).size(), 1u);
    EXPECT_EQ(link_.sentOf(WM_CFG_LANGUAGE_CHANGED)[0].wParam, 2);
    EXPECT_FALSE(link_.sentOf(WM_CFG_LANGUAGE_CHANGED)[0].posted) << "sent, not posted";
    EXPECT_EQ(w.windowTitle(), "游戏鼠标设置");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "游戏鼠标设置");
    EXPECT_EQ(w.BtnMainConfig->text(), "常规");
    EXPECT_TRUE(w.State().SettingsChanged) << "the close question follows a language change";

    // A restart comes up in the stored language with the selector on it, and asks nothing.
    TVYKCFGMAIN& again = open();
    EXPECT_EQ(again.uiLanguage1->Lang(), "0804");
    EXPECT_EQ(again.PopBoxLanguage->currentIndex(), 1);
    EXPECT_EQ(again.windowTitle(), "游戏鼠标设置");
    EXPECT_FALSE(again.State().SettingsChanged);
    EXPECT_EQ(link_.sentOf(WM_CFG_LANGUAGE_CHANGED).size(), 1u) << "start-up sends nothing";
}

TEST_F(MainConfigTest, EveryDpiAxisCaptionIsTheTranslationOfXOrY) {
    TVYKCFGMAIN& w = openShown();
    const auto expectCaptions = [&w](const QString& x, const QString& y) {
        for (const TDpiLevelRow* row : w.PageDpi->Rows) {
            EXPECT_EQ(row->TextCPIX->text().toStdString(), x.toStdString()) << "level " << row->Level();
            EXPECT_EQ(row->TextCPIY->text().toStdString(), y.toStdString()) << "level " << row->Level();
        }
    };
    expectCaptions("X", "Y");
    w.PopBoxLanguage->setCurrentIndex(1);
    expectCaptions("横", "纵");
    w.PopBoxLanguage->setCurrentIndex(0);
    expectCaptions("X", "Y");
}

TEST_F(MainConfigTest, TypedKeysDoNotChangeTheLanguage) {
    TVYKCFGMAIN& w = openShown();
    w.PopBoxLanguage->setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Z, Qt::Key_Space}) {
        QTest::keyClick(w.PopBoxLanguage, key);
    }
    EXPECT_EQ(w.PopBoxLanguage->currentIndex(), 0);
    EXPECT_EQ(w.uiLanguage1->Lang(), "0409");
    EXPECT_TRUE(link_.sentOf(WM_CFG_LANGUAGE_CHANGED).empty());
}

TEST_F(MainConfigTest, StoredLanguageOutOfRangeFallsBackToEnglish) {
    {
        TDM dm;
        dm.FAllProfileSettingInfo.CurrentLanguage = 9;
        dm.SaveBackAllProfileSettingInfo();
    }
    TVYKCFGMAIN& w = open();
    EXPECT_EQ(w.uiLanguage1->Lang(), "0409");
    EXPECT_EQ(dm_->FAllProfileSettingInfo.CurrentLanguage, 0);
    EXPECT_EQ(w.PopBoxLanguage->currentIndex(), 0);
    EXPECT_EQ(w.windowTitle(), "GAMING MOUSE CONFIG");
}

TEST_F(MainConfigTest, HelpTakesTheLanguagesEntryElseEnglishFromTheProgramsFolder) {
    vyk::test::writeText(exe_ / "config.ini", "[HelpFiles]\n0409=help\\Manual.html\n0404=https://help.vyk.test/zh\n");
    vyk::test::writeText(exe_ / "help/manual.html", "<html>");
    TVYKCFGMAIN& w = openShown();
    const QString manual = QString::fromStdString(fs::canonical(exe_ / "help/manual.html").string());
    EXPECT_EQ(w.HelpTarget("0804"), manual) << "no 0804 entry: the 0409 file, found without regard to case";
    EXPECT_EQ(w.HelpTarget("0404"), "https://help.vyk.test/zh");
    QTest::mouseClick(w.BtnHelp, Qt::LeftButton);
    EXPECT_EQ(link_.opened, QStringList{manual});
}

// Whatever config.ini names, the desktop gets only a regular file inside the program's folder
// or an http(s) address; anything else is refused with a warning, as is a missing entry.
TEST_F(MainConfigTest, HelpRefusesWhatIsNotAFileInTheProgramsFolderOrAWebAddressAndSaysSo) {
    const fs::path outside = vyk::test::freshDir("outside") / "secret.html";
    vyk::test::writeText(outside, "<html>");
    fs::create_directories(exe_ / "help-folder");
    ASSERT_EQ(::mkfifo((exe_ / "help.fifo").c_str(), 0600), 0);
    fs::create_symlink(outside, exe_ / "link-out.html");
    fs::create_symlink("/etc", exe_ / "etc-link");
    const std::string up = "../" + outside.parent_path().filename().string() + "/secret.html";

    const char* const kRefused =
        "THE HELP FILE WAS NOT OPENED: ONLY A FILE IN THE PROGRAM'S FOLDER OR A WEB ADDRESS "
        "CAN BE OPENED.";
    const struct {
        std::string entry;  // empty: no [HelpFiles] entry at all
        const char* message;
    } cases[] = {
        {"", "NO HELP FILE IS SET UP."},
        {"/etc/hostname", kRefused},
        {"../../etc/passwd", kRefused},
        {"../../../../../../../../etc/hostname", kRefused},
        {up, kRefused},
        {outside.string(), kRefused},
        {"link-out.html", kRefused},
        {"etc-link/hostname", kRefused},
        {"help-folder", kRefused},
        {"help.fifo", kRefused},
        {"missing.html", kRefused},
        {"file:///etc/hostname", kRefused},
        {"javascript:alert(1)", kRefused},
        {"ftp://host/help", kRefused},
        {"http://", kRefused},
        {"xdg-open /etc/hostname", kRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        vyk::test::writeText(exe_ / "config.ini",
                             c.entry.empty() ? "[HelpFiles]\n" : "[HelpFiles]\n0409=" + c.entry + "\n");
        link_.opened.clear();
        TVYKCFGMAIN& w = openShown();
        EXPECT_TRUE(w.HelpTarget("0409").isEmpty()) << w.HelpTarget("0409").toStdString();
        QString shown;
        vyk::test::whenModal([&](QWidget* dlgWidget) {
            auto* dlg = qobject_cast<TFrmDialog*>(dlgWidget);
            ASSERT_NE(dlg, nullptr);
            shown = dlg->LabelText->text();
            QTest::mouseClick(dlg->BTNOK, Qt::LeftButton);
        });
        QTest::mouseClick(w.BtnHelp, Qt::LeftButton);
        EXPECT_EQ(shown, c.message);
        EXPECT_TRUE(link_.opened.isEmpty()) << link_.opened.join(", ").toStdString();
    }
}

// A target the desktop cannot open is reported too, not swallowed.
TEST_F(MainConfigTest, HelpThatTheDesktopCannotOpenIsReported) {
    vyk::test::writeText(exe_ / "config.ini", "[HelpFiles]\n0409=help.html\n");
    vyk::test::writeText(exe_ / "help.html", "<html>");
    link_.openResult = false;
    TVYKCFGMAIN& w = openShown();
    QString shown;
    vyk::test::whenModal([&](QWidget* dlg) {
        shown = qobject_cast<TFrmDialog*>(dlg)->LabelText->text();
        QTest::mouseClick(qobject_cast<TFrmDialog*>(dlg)->BTNOK, Qt::LeftButton);
    });
    QTest::mouseClick(w.BtnHelp, Qt::LeftButton);
    EXPECT_EQ(link_.opened.size(), 1);
    EXPECT_EQ(shown, "THE HELP FILE COULD NOT BE OPENED: NO PROGRAM ON THIS DESKTOP OPENS IT.");
}

TEST_F(MainConfigTest, ShowingStartsTheMonitorOnlyWhenItIsNotRunning) {
    link_.monitorRuns = true;
    openShown();
    EXPECT_TRUE(link_.started.isEmpty());

    link_.monitorRuns = false;
    openShown();
    ASSERT_EQ(link_.started.size(), 1);
    EXPECT_EQ(QDir::cleanPath(link_.started[0]), QDir::cleanPath(QString::fromStdString(exe_.string())));
}

TEST_F(MainConfigTest, DeviceArrivalEnablesApply) {
    TVYKCFGMAIN& w = open();
    w.BtnApply->setEnabled(false);
    ASSERT_TRUE(link_.arrival);
    link_.arrival();
    EXPECT_TRUE(w.BtnApply->isEnabled());
}

TEST_F(MainConfigTest, TheWindowIsKeptOnScreen) {
    TVYKCFGMAIN& w = openShown();
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    for (QPoint p : {QPoint(-3000, 40), QPoint(40, 5000), QPoint(avail.right() + 500, -900)}) {
        w.move(p);
        w.PlaceOnScreens();
        EXPECT_TRUE(avail.contains(QRect(w.pos(), w.size())) ||
                    (w.width() > avail.width() || w.height() > avail.height()))
            << p.x() << "," << p.y() << " -> " << w.pos().x() << "," << w.pos().y();
        EXPECT_GE(w.x(), avail.left());
        EXPECT_GE(w.y(), avail.top());
    }
}

TEST_F(MainConfigTest, DraggingTheBackgroundMovesTheWindow) {
    TVYKCFGMAIN& w = openShown();
    const QPoint start = w.pos();
    const QPoint grab(400, 40);  // the title area, no control there
    ASSERT_EQ(w.childAt(grab), nullptr);
    QTest::mousePress(&w, Qt::LeftButton, {}, grab);
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(30, 20)), w.mapToGlobal(QPointF(grab + QPoint(30, 20))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, grab + QPoint(30, 20));
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));
}

}  // namespace
