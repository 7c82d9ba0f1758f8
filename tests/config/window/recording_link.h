#pragma once
// A CfgLink for window tests: records every call, answers from settable values, and touches
// neither the mouse, the monitor nor the desktop. Messages "to the window" are delivered by
// calling deliver(), as the monitor would.

#include "config/link/CfgLink.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace cfgtest {

class RecordingLink : public CfgLink {
public:
    struct Sent {
        std::uint32_t msg;
        std::int64_t wParam;
        std::int64_t lParam;
        bool posted;
    };

    // ---- answers
    bool listenResult = true;
    bool deviceExists = false;
    bool deviceAccessDenied = false;
    bool monitorRuns = false;
    bool openResult = true;

    // ---- what happened
    MessageHandler handler;
    ArrivalHandler arrival;
    std::vector<Sent> sent;
    QStringList opened;
    QStringList started;
    QStringList calls;

    std::int64_t deliver(std::uint32_t msg, std::int64_t w = 0, std::int64_t l = 0) {
        return handler ? handler(msg, w, l) : 0;
    }
    std::vector<Sent> sentOf(std::uint32_t msg) const {
        std::vector<Sent> out;
        for (const auto& s : sent)
            if (s.msg == msg) out.push_back(s);
        return out;
    }

    bool ListenForMessages(MessageHandler h) override {
        handler = std::move(h);
        return listenResult;
    }
    void SetDeviceArrivalHandler(ArrivalHandler h) override { arrival = std::move(h); }

    bool DeviceExists() override { return note("DeviceExists"), deviceExists; }
    bool DeviceAccessDenied() override { return note("DeviceAccessDenied"), deviceAccessDenied; }
    std::uint32_t SetDeviceWriteMode(std::uint8_t) override { return device("SetDeviceWriteMode"); }
    std::uint32_t ReadCurrentCPIIndex(std::int32_t&) override { return device("ReadCurrentCPIIndex"); }
    std::uint32_t WriteButtonTable(const TButtonBlock&, int) override { return device("WriteButtonTable"); }
    std::uint32_t WriteLEDConfig(const TLEDCONFIG&, int) override { return device("WriteLEDConfig"); }
    std::uint32_t WriteCPITable(const TCPIBlock&, int) override { return device("WriteCPITable"); }
    std::uint32_t WriteReportRate(std::uint8_t, int) override { return device("WriteReportRate"); }
    std::uint32_t WriteMacroTables(const TMacroTables&) override { return device("WriteMacroTables"); }
    std::uint32_t WriteDeviceByte(std::uint8_t, int) override { return device("WriteDeviceByte"); }
    std::uint32_t WriteActiveProfile(std::uint8_t) override { return device("WriteActiveProfile"); }
    std::uint32_t SendProfileCommand(std::uint8_t, std::uint8_t) override { return device("SendProfileCommand"); }
    std::uint32_t SetLEDPreview(const TLEDCONFIG&) override { return device("SetLEDPreview"); }
    std::uint32_t SetSensorLift(std::uint8_t) override { return device("SetSensorLift"); }

    bool FindMonitorWindow() override { return note("FindMonitorWindow"), monitorRuns; }
    bool SendToMonitor(std::uint32_t msg, std::int64_t w, std::int64_t l) override {
        sent.push_back({msg, w, l, false});
        return monitorRuns;
    }
    bool PostToMonitor(std::uint32_t msg, std::int64_t w, std::int64_t l) override {
        sent.push_back({msg, w, l, true});
        return monitorRuns;
    }
    bool StartMonitor(const QString& folder) override {
        started.append(folder);
        return true;
    }

    void ApplyPointerSettings(const TMouseParams&) override { note("ApplyPointerSettings"); }
    void SetDoubleClickTime(int) override { note("SetDoubleClickTime"); }
    bool OpenDocument(const QString& target) override {
        opened.append(target);
        return openResult;
    }

private:
    void note(const char* what) { calls.append(QString::fromLatin1(what)); }
    std::uint32_t device(const char* what) {
        note(what);
        return deviceExists ? 0 : 1167;
    }
};

}  // namespace cfgtest
