#pragma once
// TVYKMONMAIN: the monitor's main window. It is never shown (except for the about view, which
// nothing opens); the user meets it as a tray icon with a menu. It reads the mouse's input
// reports, carries out the microphone-mute button, relays profile and DPI switches made on the
// mouse to the configuration program, reloads its data when that program applies settings or
// changes the language, and starts or raises the configuration program.
//
// The window is also the monitor's end of the messages between the programs: an IPC endpoint
// named "TVYKMONMAIN" that lives as long as the window.
//
// Everything runs on the UI thread. Device input never raises a dialog: reports that do not
// fit are dropped silently, and failures while one is handled (a damaged store, a mute that
// cannot be toggled) go to the diagnostic log. The stored profiles are read and written only
// through the data module's operations.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class TDM;
class TuiHIDData;
class TuiHIDEvent;
class TuiHook;
class TuiLanguage;

namespace vyk::platform {
class MicrophoneMute;
namespace ipc {
class Endpoint;
}
}  // namespace vyk::platform

// The row of ButtonFunctionTable whose function is "MUTE(MICROPHONE)".
inline constexpr std::uint16_t MICROPHONE_MUTE_FUNCTION_INDEX = 28;

// The configuration program's window is there (a connection to it succeeds).
bool FindConfigWindow();

class TVYKMONMAIN : public QWidget {
    Q_OBJECT
public:
    // Creates the components and runs InitializeMonitor. The data module must exist.
    explicit TVYKMONMAIN(TDM* dataModule, QWidget* parent = nullptr);
    ~TVYKMONMAIN() override;  // FormDestroy: stops the readers

    // ---- components, in layout order
    TuiHook* uiHook1 = nullptr;
    TuiLanguage* uiLanguage1 = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* MyPopupMenu = nullptr;
    QAction* Config1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Exit1 = nullptr;
    TuiHIDData* uiHIDData1 = nullptr;
    QTimer* TimerDeviceArrial = nullptr;
    TuiHIDEvent* uiHIDEvent1 = nullptr;
    // The about view, made when it is first shown (nothing in the program opens it).
    QWidget* AboutView = nullptr;
    QLabel* TextWeb = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnGoWeb = nullptr;

    // ---- start-up (FormCreate)
    void InitializeMonitor();
    void InitTrayIcon();
    // Makes logo.ico the tray icon; false (the icon left as it was) when it is missing or
    // not a usable picture.
    bool LoadTrayIcon();
    void ApplyLanguage();

    // ---- tray and menu
    void ShowOrStartConfig();
    void TrayIconDblClick();
    void Config1Click();
    void CreateAboutView();
    void About1Click();
    void Exit1Click();
    void BtnOKClick();
    void BtnGoWebClick();
    void ProcessMessageAndSleep50ms();

    // ---- device
    void uiHIDData1Data(const QString& ADeviceID, const QString& ADevicePath, std::uint8_t ReportID, const void* Data,
                        std::uint16_t Size);
    void uiHIDEvent1DeviceArrival();
    void TimerDeviceArrialTimer();
    void ReopenHidDevice();
    void StopHidRead();
    // After a reopen: whether the mouse is plugged in but refused to this user. A change to
    // refused is said in a tray message and stays in the tray hint until a reopen finds the
    // mouse open or gone; the texts name the udev rule that lets the user open it.
    void CheckDeviceAccess();
    bool DeviceAccessDenied() const { return FDeviceAccessDenied; }
    QString DeviceAccessDeniedMessage() const;

    // ---- messages
    void WMButtonEvent(std::int64_t WParam, std::int64_t LParam);
    void DoButtonFunction(std::uint8_t button, std::uint16_t functionIndex, std::int64_t value);
    void WMSettingsApplied(std::int64_t WParam, std::int64_t LParam);
    void WMLanguageChanged(std::int64_t WParam, std::int64_t LParam);

    // ---- microphone mute
    void InitCoreAudio();
    void MicrophoneMute();

    // The profile whose button functions the monitor consults (the data module's current one).
    int CurrentProfileIndex() const;
    // How often the readers were reopened, and the mute (for tests and measurements).
    int ReopenCount() const { return FReopenCount; }
    vyk::platform::MicrophoneMute* Mute() const { return FMute.get(); }
    bool ListensForMessages() const;

private:
    void postButtonEvent(std::int64_t WParam, std::int64_t LParam);
    // The tray hint, with the access warning below it while the mouse is refused.
    void UpdateTrayHint();
    std::int64_t handleMessage(std::uint32_t msg, std::int64_t WParam, std::int64_t LParam);

    TDM* FDM;
    std::unique_ptr<vyk::platform::MicrophoneMute> FMute;
    vyk::platform::ipc::Endpoint* FEndpoint = nullptr;
    int FReopenCount = 0;
    bool FExiting = false;
    bool FDeviceAccessDenied = false;
};

// The icon the tray shows when no logo.ico is shipped: drawn by the program itself.
class QIcon;
QIcon MonitorBuiltInIcon();
