#include "monitor/MouseMonitor.h"

#include "core/defs/device_access.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "core/device/uiHIDData.h"
#include "core/device/uiHIDEvent.h"
#include "core/hook/uiHook.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "platform/audio/microphone_mute.h"
#include "platform/diag/diag.h"
#include "platform/ipc/ipc.h"
#include "platform/paths/paths.h"
#include "platform/shell/shell.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>
#include <functional>
#include <memory>

using vyk::platform::debugLog;
using vyk::platform::guarded;

namespace {

constexpr int kArrivalDelayMs = 1500;
constexpr std::uint16_t kReportDataSize = 7;  // the data bytes of reports 7 and 8
constexpr int kProfileEventBase = 21;         // WM_MON_BUTTON_EVENT WParam 21 + p
constexpr int kButtonRecords = 19;

QString trayIconPath() {
    return vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(),
                                                 QStringLiteral("images/0409/icons/logo.ico"));
}

// Runs fn for device input: an exception becomes a diagnostic line, never a dialog.
void logFailures(const char* what, const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        debugLog(QStringLiteral("monitor: %1 failed: %2").arg(QLatin1String(what), QString::fromUtf8(e.what())));
    } catch (...) {
        debugLog(QStringLiteral("monitor: %1 failed").arg(QLatin1String(what)));
    }
}

// What the store found wrong with the stored data goes to the diagnostic log: the monitor
// shows no dialogs of its own (the configuration program shows the same findings).
void logStoreReports(TDM* dm) {
    if (dm == nullptr) return;
    for (const TStoreReport& r : dm->TakeStoreReports()) debugLog(QStringLiteral("monitor: store: ") + r.Format());
}

}  // namespace

bool FindConfigWindow() { return vyk::platform::ipc::findWindow(CONFIG_MAIN_CLASS_NAME); }

QIcon MonitorBuiltInIcon() {
    // A mouse seen from above: dark body, two buttons, a lit wheel.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        QPainterPath body;
        body.addRoundedRect(QRectF(14, 4, 36, 56), 18, 18);
        p.fillPath(body, QColor(0x26, 0x2B, 0x33));
        p.setPen(QPen(QColor(0xB8, 0xC2, 0xCC), 2.5));
        p.drawLine(QPointF(32, 5), QPointF(32, 26));
        p.drawLine(QPointF(15, 26), QPointF(49, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF2, 0x3A, 0x1E));  // the skin's red accent
        p.drawRoundedRect(QRectF(29, 10, 6, 11), 3, 3);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

TVYKMONMAIN::TVYKMONMAIN(TDM* dataModule, QWidget* parent) : QWidget(parent), FDM(dataModule) {
    setObjectName(QStringLiteral("VYKMONMAIN"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(504, 400);

    // Components, in layout order.
    uiHook1 = new TuiHook(this);
    uiLanguage1 = new TuiLanguage(this);
    TrayIcon1 = new QSystemTrayIcon(this);
    MyPopupMenu = new QMenu(this);
    Config1 = MyPopupMenu->addAction(QStringLiteral("Config"));
    About1 = MyPopupMenu->addAction(QStringLiteral("About"));
    About1->setVisible(false);
    Exit1 = MyPopupMenu->addAction(QStringLiteral("Exit"));
    TrayIcon1->setContextMenu(MyPopupMenu);
    uiHIDData1 = new TuiHIDData(this);
    uiHIDData1->setFastOnData(false);
    TimerDeviceArrial = new QTimer(this);
    TimerDeviceArrial->setInterval(kArrivalDelayMs);
    TimerDeviceArrial->setSingleShot(false);  // one shot by stopping it in its tick
    uiHIDEvent1 = new TuiHIDEvent(this);

    // Events. Every entry point runs under the default error handler.
    connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) guarded([this] { TrayIconDblClick(); });
    });
    connect(Config1, &QAction::triggered, this, [this] { guarded([this] { Config1Click(); }); });
    connect(About1, &QAction::triggered, this, [this] { guarded([this] { About1Click(); }); });
    connect(Exit1, &QAction::triggered, this, [this] { guarded([this] { Exit1Click(); }); });
    connect(TimerDeviceArrial, &QTimer::timeout, this, [this] { guarded([this] { TimerDeviceArrialTimer(); }); });
    uiHIDData1->OnData = [this](const QString& id, const QString& path, std::uint8_t reportId, const void* data,
                                std::uint16_t size) { uiHIDData1Data(id, path, reportId, data, size); };
    uiHIDEvent1->OnDeviceArrival = [this](QObject*) { uiHIDEvent1DeviceArrival(); };

    // The monitor's end of the messages between the programs.
    FEndpoint = new vyk::platform::ipc::Endpoint(MONITOR_MAIN_CLASS_NAME, this);
    FEndpoint->setHandler(
        [this](const vyk::platform::ipc::Message& m) { return handleMessage(m.msg, m.wParam, m.lParam); });
    if (!FEndpoint->listen()) debugLog(QStringLiteral("monitor: cannot listen for messages"));

    guarded([this] { InitializeMonitor(); });
    logStoreReports(FDM);
}

TVYKMONMAIN::~TVYKMONMAIN() {
    // FormDestroy.
    StopHidRead();
    TimerDeviceArrial->stop();
    if (FEndpoint) FEndpoint->close();
    FMute.reset();
}

bool TVYKMONMAIN::ListensForMessages() const { return FEndpoint && FEndpoint->isListening(); }

int TVYKMONMAIN::CurrentProfileIndex() const { return FDM ? FDM->FProfileIndex : 0; }

// ---------------------------------------------------------------------------------------------
// Start-up, tray icon, language

void TVYKMONMAIN::InitializeMonitor() {
    InitTrayIcon();
    ApplyLanguage();
    InitCoreAudio();
}

void TVYKMONMAIN::InitTrayIcon() {
    // The layout gives the icon no picture of its own: ours stands in when logo.ico does not
    // replace it (drawn only then).
    if (!LoadTrayIcon()) TrayIcon1->setIcon(MonitorBuiltInIcon());
    // Shown whether or not the desktop has a tray yet: started at log-in, the monitor often
    // comes up before the panel, and a visible icon is added as soon as a tray appears.
    // Without any tray the monitor runs on without an icon.
    TrayIcon1->show();
}

bool TVYKMONMAIN::LoadTrayIcon() {
    const QString path = trayIconPath();
    if (!QFileInfo::exists(path)) return false;
    const QIcon icon(path);
    if (icon.isNull() || icon.availableSizes().isEmpty()) return false;  // not a usable picture
    TrayIcon1->setIcon(icon);
    return true;
}

void TVYKMONMAIN::ApplyLanguage() {
    if (FDM != nullptr) {
        const int stored = FDM->FAllProfileSettingInfo.CurrentLanguage;
        const int current = uiLanguage1->GetLanguageIndexByShortID(uiLanguage1->Lang());
        if (current != stored) {
            // A stored index past the language list keeps the language as it is.
            const QString name = uiLanguage1->GetLanguageShortIDByIndex(stored);
            if (!name.isEmpty()) {
                uiLanguage1->SetLang(name);
            } else {
                debugLog(QStringLiteral("monitor: stored language %1 is not in the language file").arg(stored));
            }
        }
    }
    using vyk::toolkit::translate;
    UpdateTrayHint();
    QGuiApplication::setApplicationDisplayName(translate(MONITOR_APP_TITLE));
    setWindowTitle(translate(MONITOR_APP_TITLE));
    Config1->setText(translate(QStringLiteral("Config")));
    About1->setText(translate(QStringLiteral("About")));
    Exit1->setText(translate(QStringLiteral("Exit")));
}

// ---------------------------------------------------------------------------------------------
// Tray and menu

void TVYKMONMAIN::ShowOrStartConfig() {
    if (FindConfigWindow()) {
        // The configuration program shows its window and brings it to the front itself.
        vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {VYK_IPC_SHOW_WINDOW, 0, 0});
        return;
    }
    vyk::platform::startProgram(vyk::platform::executableDir(), CONFIG_EXE_NAME);
}

void TVYKMONMAIN::TrayIconDblClick() { ShowOrStartConfig(); }
void TVYKMONMAIN::Config1Click() { ShowOrStartConfig(); }

void TVYKMONMAIN::CreateAboutView() {
    if (AboutView) return;
    AboutView = new QWidget(this);
    auto* layout = new QVBoxLayout(AboutView);
    for (const char* text : {"Hardware & Software Information:", "Hardware Core:1.00.00", "Software Core:1.00.00",
                             "Software Update Website:"}) {
        layout->addWidget(new QLabel(QString::fromUtf8(text), AboutView));
    }
    TextWeb = new QLabel(AboutView);  // no update address is published
    layout->addWidget(TextWeb);
    BtnGoWeb = new QPushButton(AboutView);
    BtnGoWeb->setIcon(MonitorBuiltInIcon());
    layout->addWidget(BtnGoWeb);
    BtnOK = new QPushButton(QStringLiteral("OK"), AboutView);
    layout->addWidget(BtnOK);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(AboutView);
    connect(BtnOK, &QPushButton::clicked, this, [this] { guarded([this] { BtnOKClick(); }); });
    connect(BtnGoWeb, &QPushButton::clicked, this, [this] { guarded([this] { BtnGoWebClick(); }); });
}

void TVYKMONMAIN::About1Click() {
    CreateAboutView();
    show();
    ProcessMessageAndSleep50ms();
    raise();
    activateWindow();
}

void TVYKMONMAIN::BtnOKClick() { hide(); }

void TVYKMONMAIN::BtnGoWebClick() { vyk::platform::openDocument(TextWeb->text()); }

void TVYKMONMAIN::Exit1Click() {
    if (FExiting) return;  // the close message goes out once
    FExiting = true;
    vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CLOSE, 0, 0});
    QCoreApplication::quit();
}

void TVYKMONMAIN::ProcessMessageAndSleep50ms() {
    QCoreApplication::processEvents();
    QThread::msleep(50);
}

// ---------------------------------------------------------------------------------------------
// Device

void TVYKMONMAIN::uiHIDEvent1DeviceArrival() {
    // Arrivals in quick succession lead to one reopen, 1500 ms after the last.
    TimerDeviceArrial->stop();
    TimerDeviceArrial->start();
}

void TVYKMONMAIN::TimerDeviceArrialTimer() {
    TimerDeviceArrial->stop();
    ReopenHidDevice();
}

void TVYKMONMAIN::ReopenHidDevice() {
    uiHIDData1->HidStopRead();
    ProcessMessageAndSleep50ms();
    uiHIDData1->HidFindAndReadDevice(ConfigUsageAndPage, QStringLiteral("*"));
    CheckDeviceAccess();
    ++FReopenCount;
}

void TVYKMONMAIN::CheckDeviceAccess() {
    auto param = std::make_unique<THIDDataParam>();  // 64 KiB: not on the stack
    param->UsageAndPage = ConfigUsageAndPage;
    param->DeviceID = QStringLiteral("*");
    const bool denied = uiHIDData1->DeviceAccess(*param) == THIDDeviceAccess::AccessDenied;
    if (denied == FDeviceAccessDenied) return;
    FDeviceAccessDenied = denied;
    UpdateTrayHint();
    if (denied) {
        // Said once each time the mouse turns out to be refused, not at every reopen.
        const QString text = DeviceAccessDeniedMessage();
        debugLog(QStringLiteral("monitor: ") + text);
        TrayIcon1->showMessage(vyk::toolkit::translate(MONITOR_APP_TITLE), text, QSystemTrayIcon::Warning, 20000);
    }
}

QString TVYKMONMAIN::DeviceAccessDeniedMessage() const {
    return vyk::toolkit::translate(DEVICE_ACCESS_DENIED_TEXT).arg(DeviceUdevRuleFile());
}

void TVYKMONMAIN::UpdateTrayHint() {
    const QString hint = vyk::toolkit::translate(MONITOR_TRAY_HINT);
    TrayIcon1->setToolTip(FDeviceAccessDenied ? hint + QLatin1Char('\n') + DeviceAccessDeniedMessage() : hint);
}

void TVYKMONMAIN::StopHidRead() {
    if (uiHIDData1) uiHIDData1->HidStopRead();
}

void TVYKMONMAIN::uiHIDData1Data(const QString&, const QString&, std::uint8_t ReportID, const void* Data,
                                 std::uint16_t Size) {
    // Only reports of exactly seven data bytes are decoded; anything else, however long, is
    // dropped here and the reader goes on.
    if (Size != kReportDataSize || Data == nullptr) return;
    std::uint8_t buf[1 + kReportDataSize];
    buf[0] = ReportID;
    std::memcpy(buf + 1, Data, kReportDataSize);
    const std::uint8_t* data = buf + 1;

    if (ReportID == 7) {
        for (int j = 0; j < static_cast<int>(ButtonMaskTable.size()); ++j) {
            const auto& e = ButtonMaskTable[static_cast<std::size_t>(j)];
            if (e[1] == data[0] && e[2] == data[1] && e[3] == data[2]) {
                debugLog(QStringLiteral("KeyIndex = %1 postmessage record!").arg(j));
                postButtonEvent(j, 1);
                return;
            }
        }
        return;  // no bit, several bits
    }
    if (ReportID == 8) {
        const std::uint8_t type = data[0];
        const std::uint8_t value = data[1];
        if (type == 2) {
            // The mouse has five levels at most; anything else is not passed on.
            if (value <= 4) vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CPI_INDEX, value, 0});
        } else if (type == 1) {
            if (value <= 4) postButtonEvent(kProfileEventBase + value, 0);
        }
    }
}

void TVYKMONMAIN::postButtonEvent(std::int64_t WParam, std::int64_t LParam) {
    // Posted, so the reader is released before the mute or the relay runs. Device input never
    // raises a dialog: whatever fails while it is handled goes to the diagnostic log.
    QMetaObject::invokeMethod(
        this, [this, WParam, LParam] { logFailures("button event", [&] { WMButtonEvent(WParam, LParam); }); },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Messages

std::int64_t TVYKMONMAIN::handleMessage(std::uint32_t msg, std::int64_t WParam, std::int64_t LParam) {
    // The reloads below may find damaged values; logged also when a reload fails.
    const auto logAfter = qScopeGuard([this] { logStoreReports(FDM); });
    switch (msg) {
    case WM_CFG_SETTINGS_APPLIED: WMSettingsApplied(WParam, LParam); break;
    case WM_CFG_LANGUAGE_CHANGED: WMLanguageChanged(WParam, LParam); break;
    default: break;  // WM_MON_BUTTON_EVENT is the monitor's own and never comes from outside
    }
    return 0;
}

void TVYKMONMAIN::WMButtonEvent(std::int64_t WParam, std::int64_t LParam) {
    // Button events (LParam 1) and profile events (LParam 0) are told apart by LParam, so a
    // button index of 21..23 is never taken for a profile switch. Indexes without a button
    // record come only from the device and are dropped.
    if (LParam == 1) {
        if (WParam < 0 || WParam >= kButtonRecords) {
            debugLog(QStringLiteral("monitor: button %1 has no function record").arg(WParam));
            return;
        }
        const auto b = static_cast<std::uint8_t>(WParam);
        DoButtonFunction(b, FDM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[b].FunctionIndex, LParam);
        return;
    }
    const std::int64_t p = WParam - kProfileEventBase;
    if (p < 0 || p > 4) {
        debugLog(QStringLiteral("monitor: button event %1 is out of range").arg(WParam));
        return;
    }
    // The relay goes out whatever happens to the monitor's own bookkeeping: a store that
    // cannot be written or a profile that cannot be read is logged, never shown (this comes
    // from the device), and the configuration program still hears of the switch.
    const int profile = static_cast<int>(p);
    logFailures("store ProfileID", [&] {
        if (!FDM->WriteProfileIDToRegistry(profile)) debugLog(QStringLiteral("monitor: no profile key for ProfileID"));
    });
    // The mouse's active profile is the one whose buttons count from now on, whether or not
    // the configuration program runs.
    logFailures("reload profile", [&] { FDM->MakeProfileCurrentAndReload(profile); });
    logStoreReports(FDM);
    // The configuration program switches and sends WM_CFG_SETTINGS_APPLIED back, which is
    // handled while this send waits.
    vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_SWITCH_PROFILE, p, 0});
}

void TVYKMONMAIN::DoButtonFunction(std::uint8_t, std::uint16_t functionIndex, std::int64_t) {
    // The mouse performs every other function itself.
    if (functionIndex == MICROPHONE_MUTE_FUNCTION_INDEX) MicrophoneMute();
}

void TVYKMONMAIN::WMSettingsApplied(std::int64_t, std::int64_t LParam) {
    // The configuration program saved everything before it sent this. The profile it applied
    // (and made the mouse's active one) is the current profile here too; a message without a
    // valid profile keeps the one the monitor had.
    FDM->ReloadAfterSettingsApplied(LParam);
}

void TVYKMONMAIN::WMLanguageChanged(std::int64_t, std::int64_t) {
    FDM->LoadAllProfileInfoFromRegistry();
    ApplyLanguage();
}

// ---------------------------------------------------------------------------------------------
// Microphone mute

void TVYKMONMAIN::InitCoreAudio() {
    if (!FMute) FMute = std::make_unique<vyk::platform::MicrophoneMute>();
}

void TVYKMONMAIN::MicrophoneMute() {
    InitCoreAudio();
    FMute->toggle();
}
