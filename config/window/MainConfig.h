#pragma once
// TVYKCFGMAIN: the configuration program's main window, in which the user edits the mouse.
//
// A frameless 801×638 window, moved by dragging its background, holding four tab pages
// (GENERAL, DPI, LIGHT, INFO) chosen by four tab buttons, the five profile buttons, the command
// buttons (OK, CANCEL, APPLY, RESTORE, RESET ALL, LOAD FILE, SAVE AS), the APPLY progress bar,
// the minimise, close and help buttons and the language selector.
//
// The implementation is split by area:
//   MainConfig.cpp           frame, creation, showing, closing, messages
//   MainConfigPages.cpp      the DPI, LIGHT and INFO pages, made when first needed
//   MainConfigLanguage.cpp   the language selector and the language
//   MainConfigHelp.cpp       help and website
//   MainConfigSkin.cpp       the frame's skin images
//   MainConfigApply.cpp      the APPLY and OK buttons, the progress bar, the close after OK
//                            and the store's reports
//   MainConfigSettings.cpp   the refresh commands and the immediate DPI write of the pages
//
// The capabilities are units of their own that the window makes and wires to its controls:
// button assignment (TButtonAssignment, config/window/ButtonAssignment.h, on the GENERAL
// page), APPLY's sequence (TApplySequence, config/window/ApplySequence.h) and the profile
// commands (TProfileCommands, config/window/ProfileCommands.h), besides the pages. The window
// owns the macro database and the macro buttons' binding that button assignment and APPLY
// work on, and the queue that holds inputs back while the mouse is written or a dialog asks.
//
// Only what the first frame shows is made before it: the frame and the GENERAL page. The DPI,
// LIGHT and INFO pages (TLazyPage, config/window/LazyPage.h) are made when something first needs
// them (their tab, a refresh after start-up, a message, a test reading them) or else one by one
// in the idle moments after the first frame; a page made late is set up as if it had been made
// with the window: its handlers, the axis captions, the language's texts when the language was
// changed before, the refresh from the data module's current profile, its skin.
//
// The window reaches the mouse, the monitor and the desktop only through its CfgLink. It
// receives the monitor's messages on the window class "TVYKCFGMAIN" for as long as it lives.
//
// UI thread only. Every entry point (control handler, timer, message, device event) runs under
// the default error handler (vyk::platform::guarded): an error is reported and the window goes
// on. A stored language index outside the language list falls back to 0409; a message value
// outside its range is refused with an error report and changes nothing.

#include "config/link/CfgLink.h"
#include "config/window/ApplySequence.h"
#include "config/window/ButtonAssignment.h"
#include "config/window/CfgState.h"
#include "config/window/LazyPage.h"
#include "config/window/MacroButtonBinding.h"
#include "config/window/ProfileCommands.h"
#include "core/macro/uiMacroSet.h"

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QComboBox;
class QKeyEvent;
class QProgressBar;
class QStackedWidget;
class QTimer;
class TDM;
class TImageStateButton;
class TStartupRead;
class TuiCommandSetting;
class TuiLanguage;
class TGeneralPage;
class TDpiPage;
class TLightPage;
class TInfoPage;
namespace vyk::config {
class ApplyInputQueue;
}

// Client size of the window.
inline constexpr int CFG_WINDOW_WIDTH = 801;
inline constexpr int CFG_WINDOW_HEIGHT = 638;

class TVYKCFGMAIN : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs InitializeForm (FormCreate). The data module must exist and
    // outlive the window; one made with TDM::TStart::Later runs its start-up on a worker while
    // the window makes its controls, before the macro database is read there too
    // (config/window/StartupRead.h). Without a link the window makes and owns a CfgSystemLink.
    explicit TVYKCFGMAIN(TDM* dataModule, CfgLink* link = nullptr, QWidget* parent = nullptr);
    // The same with that read started ahead of the window (TStartupRead::Ahead); the window
    // takes the macro set it reads into. A read for another data module, or one whose macro
    // set was taken, is refused (std::invalid_argument).
    TVYKCFGMAIN(TDM* dataModule, std::unique_ptr<TStartupRead> startupRead, CfgLink* link = nullptr,
                QWidget* parent = nullptr);
    ~TVYKCFGMAIN() override;  // FormDestroy (FinalizeForm)

    // ---- non-visual components
    TuiLanguage* uiLanguage1 = nullptr;
    TuiCommandSetting* uiCommandSetting1 = nullptr;
    QTimer* TimerProcess = nullptr;  // APPLY progress, 100 ms, stopped
    QTimer* Timer2 = nullptr;        // closes the window after OK, 500 ms, stopped

    // ---- frame
    QStackedWidget* TabControlMain = nullptr;
    TImageStateButton* BtnMainConfig = nullptr;  // "GENERAL", tag 0
    TImageStateButton* BtnCPI = nullptr;         // "DPI", tag 1
    TImageStateButton* BtnColor = nullptr;       // "LIGHT", tag 2
    TImageStateButton* BtnUpdate = nullptr;      // "INFO", tag 3
    TGeneralPage* PageGeneral = nullptr;         // made with the window
    // Made when first read (MainConfigPages.cpp).
    TLazyPage<TDpiPage> PageDpi{[this] { MakeDpiPage(); }};
    TLazyPage<TLightPage> PageLight{[this] { MakeLightPage(); }};
    TLazyPage<TInfoPage> PageInfo{[this] { MakeInfoPage(); }};
    std::array<TImageStateButton*, 5> BtnProfile{};  // "PROFILE1".."PROFILE5", tags 0..4
    TImageStateButton* BtnOK = nullptr;
    TImageStateButton* BtnCancel = nullptr;
    TImageStateButton* BtnApply = nullptr;
    TImageStateButton* BtnRestor = nullptr;      // "RESTORE"
    TImageStateButton* BtnRestoreall = nullptr;  // "RESET ALL"
    TImageStateButton* BtnLoad = nullptr;        // "LOAD FILE"
    TImageStateButton* BtnSave = nullptr;        // "SAVE AS"
    QProgressBar* ProgressBarTime = nullptr;     // 0..100, hidden when idle
    TImageStateButton* BTNMIN = nullptr;
    TImageStateButton* BtnClose = nullptr;
    TImageStateButton* BtnHelp = nullptr;
    QComboBox* PopBoxLanguage = nullptr;

    // ---- fields
    // The macro database (made with the window, read while its controls are made).
    std::unique_ptr<TuiMacroSetClass> FMacroSetClass = std::make_unique<TuiMacroSetClass>();

    // The shared state of the window's areas and pages.
    TCfgState& State() { return FState; }
    const TCfgState& State() const { return FState; }
    bool SettingsChanged() const { return FState.SettingsChanged; }
    TDM& DataModule() const { return *FDM; }
    CfgLink& Link() const { return *FLink; }

    // ---- creation and showing (MainConfig.cpp)
    void InitializeForm();
    void FinalizeForm();
    void FormShow();
    void SelectTab(int i);
    int CurrentTab() const;
    bool AskSaveChanges();
    // Keeps the window on a screen; with several screens its left edge goes to the first one.
    void PlaceOnScreens();

    // ---- handlers (MainConfig.cpp)
    void BtnMainConfigMouseUp(int tag);
    void BTNMINClick();
    void BtnCancelClick();
    void BtnCloseClick();
    void uiHIDEvent1DeviceArrival();
    // The monitor is exiting: the program ends now, without asking and without saving.
    void WMCloseConfig();
    // A second start of the program: the window shows itself and comes to the front.
    void WMShowWindow();

    // ---- language (MainConfigLanguage.cpp)
    void ApplyLanguage();
    void FillLanguageList();
    // Position in uiLanguage1's language list of each selector entry, in selector order.
    const QList<int>& LanguageIndexMap() const { return FLanguageIndexMap; }
    void PopBoxLanguageChange();
    // Swallows typed keys: true when the key was taken away from the selector.
    bool PopBoxLanguageKeyDown(QKeyEvent* event);

    // ---- help and website (MainConfigHelp.cpp)
    // Opens the help target of the shown language; when there is none, or it cannot be
    // opened, a warning says so (the click never goes unanswered).
    void BtnHelpClick();
    void lblwebsiteClick();
    // The [HelpFiles] value of a language, else of 0409; empty when neither is set.
    QString HelpEntry(const QString& languageName) const;
    // What the help button may open for a language: the entry when it is an http(s) address,
    // else the regular file it names inside the program's folder (canonical path; links and
    // ".." may not leave the folder). Empty when nothing may be opened.
    QString HelpTarget(const QString& languageName) const;

    // ---- skin (MainConfigSkin.cpp)
    void LoadSkinImages();

    // ---- refresh commands, registered in this order (Set* bodies in their areas' files)
    void uiCommandSetting1Commands0Execute() { ButtonAssignment->SetButtonCaptions(); }  // SetButton
    void uiCommandSetting1Commands1Execute();  // SetCPI         (MainConfigSettings.cpp)
    void uiCommandSetting1Commands2Execute();  // SetMouseParam  (MainConfigSettings.cpp)
    void uiCommandSetting1Commands3Execute();  // SetProfileBtn  (MainConfig.cpp)
    void uiCommandSetting1Commands4Execute();  // SetReport      (MainConfigSettings.cpp)
    void uiCommandSetting1Commands5Execute();  // SetLED         (MainConfigSettings.cpp)
    // SetData of uiCommandSetting1: runs the six commands in order.
    void RefreshAll();

    // ---- APPLY (MainConfigApply.cpp; the sequence itself is ApplySequence's)
    std::unique_ptr<TApplySequence> ApplySequence;
    void BtnApplyClick();
    void BtnOKClick();
    bool ApplySettings() { return ApplySequence->ApplySettings(); }
    void TimerProcessTimer();
    void Timer2Timer();
    // Inputs held back while APPLY writes to the mouse (config/window/ApplyInputQueue.h).
    vyk::config::ApplyInputQueue& ApplyQueue();
    // Shows what the data module found wrong with the stored data or config.ini (damaged or
    // refused values and what was used instead), each in a warning dialog of its own, and logs
    // it, after the problems the window found in the macro database while it was made. Runs
    // after start-up, after LOAD FILE and after APPLY's saves.
    void ShowStoreReports();

    // ---- the profile buttons, LOAD FILE, SAVE AS, RESTORE, RESET ALL and the monitor's
    // profile and DPI-level messages (config/window/ProfileCommands.h)
    std::unique_ptr<TProfileCommands> ProfileCommands;

    // ---- button assignment (config/window/ButtonAssignment.h), on the GENERAL page
    TButtonAssignment* ButtonAssignment = nullptr;
    const vyk::config::TMacroButtonBinding& MacroBinding() const { return FMacroBinding; }

    // ---- DPI (MainConfigSettings.cpp)
    void InitCPIControlTable();
    // The profile's DPI levels as profile p's DPI block, then device command 1 and the monitor
    // told.
    void WriteCPIConfigToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex);

    // The message handler of the window class (also used by tests).
    std::int64_t HandleMessage(std::uint32_t msg, std::int64_t WParam, std::int64_t LParam);

signals:
    // Emitted after a language change was applied, stored and sent.
    void LanguageChanged(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void RegisterRefreshCommands();
    TImageStateButton* MakeButton(const QString& objectName, const QString& caption, int x, int y, int w, int h);
    void SetBaseTexts();

    // ---- the pages made late (MainConfigPages.cpp)
    void MakeDpiPage();
    void MakeLightPage();
    void MakeInfoPage();
    // Puts a page made late in its tab's place (instead of the empty stand-in).
    void PlacePage(int tab, QWidget* page);
    // Gives a page made late the language's texts when the language was switched before.
    void TranslatePage(QWidget* page);
    // Makes the first page not made yet and, while one is left, asks to be called again when
    // the window is next idle. Started by the first frame.
    void MakeNextPageWhenIdle();

    TDM* FDM;
    std::unique_ptr<CfgLink> FOwnLink;
    CfgLink* FLink;
    TCfgState FState;
    QList<int> FLanguageIndexMap;
    bool FChangingLanguageSelector = false;
    QPixmap FBackground;     // the frame's background (skin), painted stretched
    bool FDragging = false;  // moving the window by hand where the desktop cannot
    QPoint FDragOffset;
    bool FFirstPaintDone = false;
    // InitializeForm runs: the refresh leaves the pages not made yet alone.
    bool FInitializing = false;
    // The language component has walked the window since its pages were made.
    bool FLanguageWalked = false;
    vyk::config::ApplyInputQueue* FApplyQueue = nullptr;  // made on first use, a child
    // How the macro buttons are bound (the button assignment binds them, APPLY reads it).
    vyk::config::TMacroButtonBinding FMacroBinding;
    // Problems found in the macro database while the window was made (ShowStoreReports).
    QStringList FStartupProblems;
    // The store read while the controls are made; gone once InitializeForm has waited for it.
    std::unique_ptr<TStartupRead> FStartupRead;
};
