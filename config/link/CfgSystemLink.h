#pragma once
// CfgSystemLink: the real CfgLink of the configuration program. The mouse through TuiHIDData
// and the device protocol of core/device (the blocks made by config/link/ProfileBlocks.h),
// device arrivals through TuiHIDEvent, the monitor through platform/ipc (the window's endpoint
// "TVYKCFGMAIN" and messages to "TVYKMONMAIN"), documents and the monitor's start through
// platform/shell, the pointer settings and the double-click time through platform/pointer (the
// pointer settings, and what the desktop's settings load when first used, on TuiThread
// workers).
//
// UI thread only. Device operations block until their reports are done; with no mouse they
// return a non-zero code. Indexes outside their range are refused with kInvalidParameter
// before anything is sent.

#include "config/link/CfgLink.h"

#include <QObject>

#include <array>
#include <cstdint>

class TuiHIDData;
class TuiHIDEvent;
struct TMacroTables;
namespace vyk::platform::ipc {
class Endpoint;
}

class CfgSystemLink : public QObject, public CfgLink {
    Q_OBJECT
public:
    explicit CfgSystemLink(QObject* parent = nullptr);
    ~CfgSystemLink() override;

    // A second start of the program asks the window of the first one to show itself and come
    // to the front (posted; nothing happens when no such window listens). False when the
    // request reached nobody.
    static bool AskRunningWindowToShow();

    bool ListenForMessages(MessageHandler handler) override;
    void SetDeviceArrivalHandler(ArrivalHandler handler) override;

    bool DeviceExists() override;
    bool DeviceAccessDenied() override;
    std::uint32_t SetDeviceWriteMode(std::uint8_t mode) override;
    std::uint32_t ReadCurrentCPIIndex(std::int32_t& index) override;
    std::uint32_t WriteProfile(const TMouseProfileInfo& profile, int index, const TUsedMacros& macros,
                               TButtonRecordSet asStored, const BetweenWrites& between) override;
    std::uint32_t WriteDPILevels(const TMouseProfileInfo& profile, int index) override;
    std::uint32_t WriteUsedMacros(const TUsedMacros& macros, const BetweenWrites& between) override;
    std::uint32_t WriteActiveProfile(std::uint8_t profile) override;
    std::uint32_t SendProfileCommand(std::uint8_t param1, std::uint8_t param2) override;
    std::uint32_t PreviewLighting(const TLEDCONFIG& lighting) override;
    std::uint32_t SetSensorLift(std::uint8_t value) override;
    void HoldDevice() override;
    void ReleaseDevice() override;

    bool FindMonitorWindow() override;
    bool SendToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;
    bool PostToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;
    bool StartMonitor(const QString& folder) override;

    void ApplyPointerSettings(const TMouseParams& params) override;
    void SetDoubleClickTime(int ms) override;
    bool OpenDocument(const QString& target) override;

protected:
    // The device blocks as the mouse keeps them (the encoders of core/device make them).
    using TButtonBlock = std::array<std::uint8_t, 77>;
    using TCPIBlock = std::array<std::uint8_t, 42>;

    // The block writes the record operations come down to, one memory write each (a macro
    // write: one per block whose length is above 0), at the profile's or the macro's place in
    // device memory. A profile outside 0..4 is refused with kInvalidParameter.
    virtual std::uint32_t WriteButtonTable(const TButtonBlock& block, int profile);
    // The six bytes as given (R, G and B already inverted).
    virtual std::uint32_t WriteLEDConfig(const TLEDCONFIG& block, int profile);
    virtual std::uint32_t WriteCPITable(const TCPIBlock& block, int profile);
    virtual std::uint32_t WriteReportRate(std::uint8_t code, int profile);
    virtual std::uint32_t WriteMacroTables(const TMacroTables& tables);

private:
    TuiHIDData* FHid = nullptr;
    TuiHIDEvent* FEvent = nullptr;
    vyk::platform::ipc::Endpoint* FEndpoint = nullptr;
    ArrivalHandler FArrival;
};
