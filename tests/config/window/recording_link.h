#pragma once
// A CfgLink for window tests: records every call, answers from settable values, and touches
// neither the mouse, the monitor nor the desktop (it encodes nothing: the bytes the mouse gets
// are tested through the real link). Messages "to the window" are delivered by
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
    // The writes of a profile and of the macros run `between` where the real link does: after
    // each of the first three blocks, after each used macro.
    std::uint32_t WriteProfile(const TMouseProfileInfo&, int, const TUsedMacros&, TButtonRecordSet,
                               const BetweenWrites& between) override {
        const std::uint32_t result = device("WriteProfile");
        for (int i = 0; i < 3; ++i)
            if (between) between();
        return result;
    }
    std::uint32_t WriteDPILevels(const TMouseProfileInfo&, int) override { return device("WriteDPILevels"); }
    std::uint32_t WriteUsedMacros(const TUsedMacros& macros, const BetweenWrites& between) override {
        const std::uint32_t result = device("WriteUsedMacros");
        for (std::size_t m = 0; m < macros.Used.size(); ++m)
            if (macros.Used.test(m) && between) between();
        return result;
    }
    std::uint32_t WriteActiveProfile(std::uint8_t) override { return device("WriteActiveProfile"); }
    std::uint32_t SendProfileCommand(std::uint8_t, std::uint8_t) override { return device("SendProfileCommand"); }
    std::uint32_t PreviewLighting(const TLEDCONFIG&) override { return device("PreviewLighting"); }
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
