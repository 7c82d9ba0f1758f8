// TVYKCFGMAIN: the frame, creation, showing, closing and messages.
#include "config/window/MainConfig.h"

#include "config/dialogs/showdialog.h"
#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MainWindowRef.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/uiCommandSetting.h"
#include "config/window/ApplyInputQueue.h"
#include "config/window/AssignMenuItems.h"
#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/InfoPage.h"
#include "config/window/LightPage.h"
#include "config/window/StartupRead.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/record_text.h"
#include "core/defs/vyk_messages.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/paths/paths.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>

#include <stdexcept>
#include <utility>

using vyk::platform::debugLog;
using vyk::platform::guarded;
using vyk::toolkit::translate;

namespace {

// Where the frame's controls sit (client coordinates).
constexpr int kTabY = 74, kTabW = 128, kTabH = 36, kTabX0 = 186;
constexpr int kPageX = 176, kPageY = 118, kPageW = 606, kPageH = 412;
constexpr int kProfileX = 20, kProfileY0 = 128, kProfileW = 140, kProfileH = 40, kProfileStep = 52;
constexpr int kCommandY = 574, kCommandH = 36;

// A slot body under the default error handler.
template <typename F>
auto guard(F f) {
    return [f] { guarded(f); };
}

// The language selector: a combo box in the skin's colours with a drawn chevron (the style
// sheet gives it no arrow picture).
class LanguageBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent* e) override {
        QComboBox::paintEvent(e);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(vyk::config::skincolor::Text, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF c(width() - 11.0, height() / 2.0);
        p.drawPolyline(QPolygonF({c + QPointF(-4, -2), c + QPointF(0, 2), c + QPointF(4, -2)}));
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation

TVYKCFGMAIN::TVYKCFGMAIN(TDM* dataModule, CfgLink* link, QWidget* parent)
    : TVYKCFGMAIN(dataModule, nullptr, link, parent) {}

TVYKCFGMAIN::TVYKCFGMAIN(TDM* dataModule, std::unique_ptr<TStartupRead> startupRead, CfgLink* link, QWidget* parent)
    : QWidget(parent), FDM(dataModule) {
    // The store is read meanwhile; nothing below reads it before InitializeForm has waited.
    if (startupRead) {
        if (&startupRead->DataModule() != FDM)
            throw std::invalid_argument("the store read ahead is not the window's data module's");
        std::unique_ptr<TuiMacroSetClass> macros = startupRead->TakeMacros();
        if (!macros) throw std::invalid_argument("the store read ahead reads into no macro set of its own");
        FMacroSetClass = std::move(macros);
        FStartupRead = std::move(startupRead);
    } else {
        FStartupRead = std::make_unique<TStartupRead>(*FDM, *FMacroSetClass);
    }
    if (link == nullptr) {
        FOwnLink = std::make_unique<CfgSystemLink>();
        FLink = FOwnLink.get();
    } else {
        FLink = link;
    }
    setObjectName(QStringLiteral("VYKCFGMAIN"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(CFG_WINDOW_WIDTH, CFG_WINDOW_HEIGHT);
    setWindowTitle(CONFIG_APP_TITLE);
    vyk::config::SetMainWindow(this);
    CreateGlobalImageDataBase();

    // Non-visual components, in layout order. The language component registers this window
    // for translation (it must be a window by now).
    uiLanguage1 = new TuiLanguage(this);
    uiCommandSetting1 = new TuiCommandSetting(this);
    TimerProcess = new QTimer(this);
    TimerProcess->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setInterval(500);

    CreateControls();
    ConnectControls();
    RegisterRefreshCommands();

    FLink->SetDeviceArrivalHandler([this] { guarded([this] { uiHIDEvent1DeviceArrival(); }); });
    if (!FLink->ListenForMessages(
            [this](std::uint32_t msg, std::int64_t w, std::int64_t l) { return HandleMessage(msg, w, l); })) {
        debugLog(QStringLiteral("config: cannot receive messages as %1").arg(CONFIG_MAIN_CLASS_NAME));
    }

    guarded([this] { InitializeForm(); });

    // Opens centred on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(width() / 2, height() / 2));
    }
}

TVYKCFGMAIN::~TVYKCFGMAIN() {
    guarded([this] { FinalizeForm(); });
    TimerProcess->stop();
    Timer2->stop();
    // Nothing may reach a half-destroyed window.
    FLink->SetDeviceArrivalHandler(nullptr);
    FLink->ListenForMessages(nullptr);
}

void TVYKCFGMAIN::FinalizeForm() {}

TImageStateButton* TVYKCFGMAIN::MakeButton(const QString& objectName, const QString& caption, int x, int y, int w,
                                           int h) {
    auto* b = new TImageStateButton(this);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setGeometry(x, y, w, h);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void TVYKCFGMAIN::CreateControls() {
    // Tabs and their pages: the GENERAL page now, empty stand-ins for the pages made late.
    TabControlMain = new QStackedWidget(this);
    TabControlMain->setObjectName(QStringLiteral("TabControlMain"));
    TabControlMain->setGeometry(kPageX, kPageY, kPageW, kPageH);
    PageGeneral = new TGeneralPage(*FDM, FState, *FLink, TabControlMain);
    TabControlMain->addWidget(PageGeneral);
    for (int i = 1; i < 4; ++i) TabControlMain->addWidget(new QWidget(TabControlMain));
    ButtonAssignment = new TButtonAssignment(
        *FDM, FState, *FMacroSetClass, FMacroBinding,
        [this]() -> vyk::config::ApplyInputQueue& { return ApplyQueue(); },
        PageGeneral->AssignArea ? PageGeneral->AssignArea : static_cast<QWidget*>(PageGeneral), this);
    auto queue = [this]() -> vyk::config::ApplyInputQueue& { return ApplyQueue(); };
    auto showStoreReports = [this] { ShowStoreReports(); };
    ApplySequence = std::make_unique<TApplySequence>(
        *FDM, FState, *FLink, *FMacroSetClass, FMacroBinding, *ButtonAssignment, queue,
        [this](bool slow) {
            TimerProcess->stop();
            TimerProcess->setInterval(slow ? 200 : 100);
            TimerProcess->start();
            ProgressBarTime->show();
        },
        showStoreReports);
    ProfileCommands = std::make_unique<TProfileCommands>(
        *FDM, FState, *FLink, *ButtonAssignment, queue,
        TProfileCommands::TWindowRefresh{[this] { RefreshAll(); }, [this] { PageDpi->RefreshCPIIndicators(); },
                                         showStoreReports});

    const struct {
        TImageStateButton** button;
        const char* name;
        const char* caption;
    } tabs[] = {{&BtnMainConfig, "BtnMainConfig", "GENERAL"},
                {&BtnCPI, "BtnCPI", "DPI"},
                {&BtnColor, "BtnColor", "LIGHT"},
                {&BtnUpdate, "BtnUpdate", "INFO"}};
    for (int i = 0; i < 4; ++i) {
        auto* b = MakeButton(QString::fromLatin1(tabs[i].name), QString::fromLatin1(tabs[i].caption),
                             kTabX0 + i * (kTabW + 8), kTabY, kTabW, kTabH);
        b->SetTag(i);
        b->SetStaysPressed(true);
        *tabs[i].button = b;
    }

    for (int i = 0; i < 5; ++i) {
        auto* b = MakeButton(QStringLiteral("BtnProfile%1").arg(i + 1), QStringLiteral("PROFILE%1").arg(i + 1),
                             kProfileX, kProfileY0 + i * kProfileStep, kProfileW, kProfileH);
        b->SetTag(i);
        b->SetStaysPressed(true);
        BtnProfile[static_cast<std::size_t>(i)] = b;
    }

    // Commands along the bottom: the profile commands on the left, OK/CANCEL/APPLY on the right.
    BtnRestor = MakeButton(QStringLiteral("BtnRestor"), QStringLiteral("RESTORE"), 20, kCommandY, 110, kCommandH);
    BtnRestoreall =
        MakeButton(QStringLiteral("BtnRestoreall"), QStringLiteral("RESET ALL"), 136, kCommandY, 110, kCommandH);
    BtnLoad = MakeButton(QStringLiteral("BtnLoad"), QStringLiteral("LOAD FILE"), 252, kCommandY, 110, kCommandH);
    BtnSave = MakeButton(QStringLiteral("BtnSave"), QStringLiteral("SAVE AS"), 368, kCommandY, 110, kCommandH);
    BtnOK = MakeButton(QStringLiteral("BtnOK"), QStringLiteral("OK"), 498, kCommandY, 90, kCommandH);
    BtnCancel = MakeButton(QStringLiteral("BtnCancel"), QStringLiteral("CANCEL"), 594, kCommandY, 90, kCommandH);
    BtnApply = MakeButton(QStringLiteral("BtnApply"), QStringLiteral("APPLY"), 690, kCommandY, 90, kCommandH);

    ProgressBarTime = new QProgressBar(this);
    ProgressBarTime->setObjectName(QStringLiteral("ProgressBarTime"));
    ProgressBarTime->setRange(0, 100);
    ProgressBarTime->setValue(0);
    ProgressBarTime->setTextVisible(false);
    ProgressBarTime->setGeometry(kPageX, kPageY + kPageH + 16, kPageW, 8);
    ProgressBarTime->setStyleSheet(
        QStringLiteral("QProgressBar { background: %1; border: 1px solid %2; border-radius: 3px; }"
                       "QProgressBar::chunk { background: %3; border-radius: 3px; }")
            .arg(vyk::config::skincolor::Surface.name(), vyk::config::skincolor::Rim.name(),
                 vyk::config::skincolor::Accent.name()));
    ProgressBarTime->hide();

    // Top right: language, help, minimise, close.
    PopBoxLanguage = new LanguageBox(this);
    PopBoxLanguage->setObjectName(QStringLiteral("PopBoxLanguage"));
    PopBoxLanguage->setGeometry(560, 22, 120, 26);
    PopBoxLanguage->setEditable(false);
    PopBoxLanguage->setFocusPolicy(Qt::ClickFocus);
    PopBoxLanguage->setView(new QListView(PopBoxLanguage));
    PopBoxLanguage->setFont(vyk::config::TextFont(13));
    PopBoxLanguage->setStyleSheet(
        QStringLiteral("QComboBox { color: %1; background: %2; border: 1px solid %3; border-radius: 3px;"
                       " padding: 1px 8px; }"
                       "QComboBox::drop-down { border: none; width: 18px; }"
                       "QComboBox::down-arrow { image: none; width: 0; height: 0; border: none; }"
                       "QComboBox QAbstractItemView { color: %1; background: %2; selection-background-color: %4;"
                       " border: 1px solid %3; outline: none; }")
            .arg(vyk::config::skincolor::Text.name(), vyk::config::skincolor::Surface.name(),
                 vyk::config::skincolor::Rim.name(), vyk::config::skincolor::Accent.name()));
    PopBoxLanguage->installEventFilter(this);

    BtnHelp = MakeButton(QStringLiteral("BtnHelp"), QString(), 690, 22, 26, 26);
    BTNMIN = MakeButton(QStringLiteral("BTNMIN"), QString(), 722, 22, 26, 26);
    BtnClose = MakeButton(QStringLiteral("BtnClose"), QString(), 754, 22, 26, 26);
    SetBaseTexts();
}

void TVYKCFGMAIN::SetBaseTexts() {
    // Glyphs of the window buttons until their skin bitmaps are loaded.
    BtnHelp->setText(QStringLiteral("?"));
    BTNMIN->setText(QStringLiteral("_"));
    BtnClose->setText(QStringLiteral("X"));
}

void TVYKCFGMAIN::ConnectControls() {
    for (TImageStateButton* tab : {BtnMainConfig, BtnCPI, BtnColor, BtnUpdate}) {
        connect(tab, &TImageStateButton::MouseUp, this,
                [this, tab](Qt::MouseButton) { guarded([this, tab] { BtnMainConfigMouseUp(tab->Tag()); }); });
    }
    TProfileCommands* profiles = ProfileCommands.get();
    for (TImageStateButton* b : BtnProfile) {
        connect(b, &QAbstractButton::clicked, this,
                [profiles, b] { guarded([profiles, b] { profiles->BtnProfile1Click(b->Tag()); }); });
    }
    connect(BtnOK, &QAbstractButton::clicked, this, guard([this] { BtnOKClick(); }));
    connect(BtnCancel, &QAbstractButton::clicked, this, guard([this] { BtnCancelClick(); }));
    connect(BtnApply, &QAbstractButton::clicked, this, guard([this] { BtnApplyClick(); }));
    connect(BtnRestor, &QAbstractButton::clicked, this, guard([profiles] { profiles->BtnRestorClick(); }));
    connect(BtnRestoreall, &QAbstractButton::clicked, this, guard([profiles] { profiles->BtnRestoreallClick(); }));
    connect(BtnLoad, &TImageStateButton::MouseUp, this,
            [profiles](Qt::MouseButton) { guarded([profiles] { profiles->BtnLoadMouseUp(); }); });
    connect(BtnSave, &TImageStateButton::MouseUp, this,
            [profiles](Qt::MouseButton) { guarded([profiles] { profiles->BtnSaveMouseUp(); }); });
    connect(BTNMIN, &QAbstractButton::clicked, this, guard([this] { BTNMINClick(); }));
    connect(BtnClose, &QAbstractButton::clicked, this, guard([this] { BtnCloseClick(); }));
    connect(BtnHelp, &QAbstractButton::clicked, this, guard([this] { BtnHelpClick(); }));
    connect(PopBoxLanguage, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!FChangingLanguageSelector) guarded([this] { PopBoxLanguageChange(); });
    });
    connect(TimerProcess, &QTimer::timeout, this, guard([this] { TimerProcessTimer(); }));
    connect(Timer2, &QTimer::timeout, this, guard([this] { Timer2Timer(); }));
}

void TVYKCFGMAIN::RegisterRefreshCommands() {
    // The order is the order of the refresh: button captions, DPI page, pointer tracks,
    // profile buttons, polling rate, lighting.
    // The refresh of the window's making leaves the pages not made yet alone (each is refreshed
    // when it is made); any later refresh makes them.
    const struct {
        const char* name;
        void (TVYKCFGMAIN::*handler)();
        int tab;  // the page made late that the command refreshes, else 0
    } commands[] = {
        {"SetButton", &TVYKCFGMAIN::uiCommandSetting1Commands0Execute, 0},
        {"SetCPI", &TVYKCFGMAIN::uiCommandSetting1Commands1Execute, 1},
        {"SetMouseParam", &TVYKCFGMAIN::uiCommandSetting1Commands2Execute, 0},
        {"SetProfileBtn", &TVYKCFGMAIN::uiCommandSetting1Commands3Execute, 0},
        {"SetReport", &TVYKCFGMAIN::uiCommandSetting1Commands4Execute, 0},
        {"SetLED", &TVYKCFGMAIN::uiCommandSetting1Commands5Execute, 2},
    };
    for (const auto& c : commands) {
        auto handler = c.handler;
        const int tab = c.tab;
        uiCommandSetting1->Commands()->Add(
            QString::fromLatin1(c.name), [this, handler, tab](TuiGetSet, void*, std::uint32_t) {
                if (FInitializing && ((tab == 1 && !PageDpi.Made()) || (tab == 2 && !PageLight.Made()))) return;
                (this->*handler)();
            });
    }
}

void TVYKCFGMAIN::RefreshAll() {
    uiCommandSetting1->SetData(&FDM->FAllProfileSettingInfo, static_cast<int>(sizeof(TALLGAMESINFO)));
}

void TVYKCFGMAIN::InitializeForm() {
    QScopedValueRollback<bool> initializing(FInitializing, true);
    // The store as read meanwhile, and the macro database's findings (what could not be read
    // is shown once the window is up); the double-click test area centres itself on its first
    // paint.
    ButtonAssignment->FinishMacroDatabase(FStartupRead->Wait(), FStartupProblems);
    FStartupRead.reset();
    FState.DblClickTestCentrePending = true;

    // The DPI page's controls (filled when the page is made, if it is not made yet), and the
    // GENERAL page in front.
    if (PageDpi.Made()) InitCPIControlTable();
    SelectTab(0);

    // The pointer settings and the lighting being edited come from the current profile.
    FState.FillFromProfile(FDM->FCurrentProfileInfo);

    // The language selector, and the stored language applied and chosen in it.
    FillLanguageList();
    ApplyLanguage();
    FChangingLanguageSelector = true;
    PopBoxLanguage->setCurrentIndex(FLanguageIndexMap.indexOf(FDM->FAllProfileSettingInfo.CurrentLanguage));
    FChangingLanguageSelector = false;

    // The file dialogs of LOAD FILE and SAVE AS open in the current profile's stored folder.
    const int p = FDM->FProfileIndex;
    if (p >= 0 && p <= 4) {
        const TProfileSetting& slot = FDM->FProfileSettingGroup.ProfileSettingList[p];
        ProfileCommands->FProfilePath = vyk::defs::recordText(slot.FilePath);
    }

    // The macro menu and every control show the current profile, which nothing has edited
    // yet; then the mouse picture and the frame's skin.
    ButtonAssignment->RebuildMacroMenu();
    RefreshAll();
    FState.SettingsChanged = false;
    FState.ReportRateChanged = false;
    ButtonAssignment->ShowMouseView(true);
    LoadSkinImages();
}

// ---------------------------------------------------------------------------------------------
// Showing, moving, tabs

void TVYKCFGMAIN::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) guarded([this] { FormShow(); });
}

void TVYKCFGMAIN::FormShow() {
    FState.ReportRateChanged = false;
    // The monitor's window is never shown, so there is nothing to bring forward when it runs.
    if (!FLink->FindMonitorWindow()) FLink->StartMonitor(vyk::platform::executableDir());
    PlaceOnScreens();
    // What start-up found in the stored files is shown over the window, once it is up.
    QTimer::singleShot(0, this, guard([this] { ShowStoreReports(); }));
}

void TVYKCFGMAIN::PlaceOnScreens() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return;
    QPoint pos = this->pos();
    if (screens.size() > 1) pos.setX(screens.first()->geometry().left());
    // Keep the whole window on the screen that holds most of it (the first one when none does).
    QScreen* target = screens.first();
    const QRect frame(pos, size());
    int best = 0;
    for (QScreen* s : screens) {
        const QRect overlap = s->availableGeometry().intersected(frame);
        const int area = overlap.isValid() ? overlap.width() * overlap.height() : 0;
        if (area > best) {
            best = area;
            target = s;
        }
    }
    const QRect avail = target->availableGeometry();
    pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - width())));
    pos.setY(std::clamp(pos.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - height())));
    move(pos);
}

void TVYKCFGMAIN::mousePressEvent(QMouseEvent* event) {
    // The background is the window's title bar: dragging it moves the window.
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    FDragging = true;
    FDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TVYKCFGMAIN::mouseMoveEvent(QMouseEvent* event) {
    if (FDragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - FDragOffset);
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TVYKCFGMAIN::mouseReleaseEvent(QMouseEvent* event) {
    FDragging = false;
    QWidget::mouseReleaseEvent(event);
}

void TVYKCFGMAIN::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!FBackground.isNull()) {
        p.drawPixmap(rect(), FBackground);
    } else {
        // No skin: a plain frame in the skin's colours.
        p.fillRect(rect(), vyk::config::skincolor::Window);
        p.setPen(vyk::config::skincolor::Rim);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.fillRect(QRect(kPageX, kPageY, kPageW, kPageH), vyk::config::skincolor::Surface);
    }
    // The title, right of the brand mark in the header.
    p.setPen(vyk::config::skincolor::Text);
    p.setFont(vyk::config::TitleFont(20, true));
    p.drawText(QRect(68, 12, 480, 36), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    if (!FFirstPaintDone) {
        FFirstPaintDone = true;  // the start-up benchmark waits for this line
        debugLog(QStringLiteral("config: first frame painted"));
        // The pages the first frame did not need are made once it is out.
        QTimer::singleShot(0, this, guard([this] { MakeNextPageWhenIdle(); }));
    }
}

void TVYKCFGMAIN::uiCommandSetting1Commands3Execute() {
    // SetProfileBtn: the current profile's button is pressed, the others are not.
    for (int k = 0; k < 5; ++k) BtnProfile[static_cast<std::size_t>(k)]->SetPressed(k == FDM->FProfileIndex);
}

// ---------------------------------------------------------------------------------------------
// Window buttons and closing

void TVYKCFGMAIN::BTNMINClick() { showMinimized(); }

void TVYKCFGMAIN::BtnCancelClick() {
    // A save that fails raises an error before the close, so the window stays open with the
    // edits still in it.
    AskSaveChanges();
    close();
}

void TVYKCFGMAIN::BtnCloseClick() {
    AskSaveChanges();
    close();
}

bool TVYKCFGMAIN::AskSaveChanges() {
    if (!FState.SettingsChanged) return false;
    // What is saved is what was shown when the question came up.
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    if (ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral("THE SETTINGS WAS CHANGED, SAVE THE CURRENT SETTING ANYWAY?"))) != 1) {
        return false;
    }
    FDM->SaveBackAllProfileSettingInfo();
    FDM->SaveCurrentProfileInfoToRegistry();
    FDM->SaveBackAllProfileInfo();
    FDM->SaveBackAllProfileInfoToFile();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Device, messages

void TVYKCFGMAIN::uiHIDEvent1DeviceArrival() { BtnApply->setEnabled(true); }

void TVYKCFGMAIN::WMCloseConfig() {
    Timer2->stop();
    TimerProcess->stop();
    QCoreApplication::exit(0);
}

void TVYKCFGMAIN::WMShowWindow() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

std::int64_t TVYKCFGMAIN::HandleMessage(std::uint32_t msg, std::int64_t WParam, std::int64_t) {
    guarded([&] {
        switch (msg) {
        case WM_CFG_CLOSE: WMCloseConfig(); break;
        case WM_CFG_SWITCH_PROFILE: ProfileCommands->WMSwitchProfile(WParam); break;
        case WM_CFG_CPI_INDEX: ProfileCommands->WMSetCurrentCPIIndex(WParam); break;
        case VYK_IPC_SHOW_WINDOW: WMShowWindow(); break;
        // WM_CFG_RESERVED (nobody sends it) and anything else change nothing.
        default: break;
        }
    });
    return 0;
}
