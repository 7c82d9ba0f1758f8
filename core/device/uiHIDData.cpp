#include "core/device/uiHIDData.h"

#include "platform/diag/diag.h"
#include "platform/hid/hid_device.h"
#include "platform/ini/ini_file.h"
#include "platform/paths/paths.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace hid = vyk::platform::hid;

namespace {

// What the feature operations return when no interface matches at all.
constexpr std::uint32_t kNoMatchingInterface = hid::kErrorDeviceNotConnected;

bool anyIdMatches(const QStringList& wanted, const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        const QString have = QString::fromStdString(id);
        for (const QString& w : wanted)
            if (w.compare(have, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

enum class IdFilter { IncludeList, DeviceId, DeviceIdOnly };

bool passes(IdFilter filter, const QString& deviceId, const QStringList& includeList,
            const std::vector<std::string>& ids) {
    const bool wildcard = deviceId.isEmpty() || deviceId == QLatin1String("*");
    switch (filter) {
    case IdFilter::IncludeList: break;
    case IdFilter::DeviceId:
        if (!wildcard) return anyIdMatches({deviceId}, ids);
        break;
    case IdFilter::DeviceIdOnly: return wildcard || anyIdMatches({deviceId}, ids);
    }
    return includeList.isEmpty() || anyIdMatches(includeList, ids);
}

// The interfaces one filter selects, whatever the spelling of the request: a wildcard device
// ID with the device-ID filter means the include list.
struct MatchKey {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    IdFilter filter = IdFilter::IncludeList;
    QString deviceId;  // upper case; empty unless filter is DeviceId

    bool operator==(const MatchKey&) const = default;
};

MatchKey matchKey(USAGE_AND_PAGE selector, IdFilter filter, const QString& deviceId) {
    const bool wildcard = deviceId.isEmpty() || deviceId == QLatin1String("*");
    MatchKey k{selector.UsagePage, selector.Usage, filter, QString()};
    if (filter == IdFilter::IncludeList || (filter == IdFilter::DeviceId && wildcard)) {
        k.filter = IdFilter::IncludeList;
    } else if (wildcard) {
        k.filter = IdFilter::DeviceIdOnly;  // every interface of the usage
    } else {
        k.filter = IdFilter::DeviceId;  // that ID alone, whichever filter asked
        k.deviceId = deviceId.toUpper();
    }
    return k;
}

struct OpenMatch {
    hid::HidInterfaceInfo info;
    std::unique_ptr<hid::HidDevice> device;
};

// Walks the present interfaces and calls action(info, device) for each that passes the ID
// filter, carries the selector's usage page and usage, and opens. Interfaces that cannot be
// opened are skipped; lack of permission is named in a debug line with its fix and counted in
// *denied. With keep, the opened interfaces are moved there. False when an action failed.
template <class Action>
bool walkMatches(USAGE_AND_PAGE selector, IdFilter filter, const QString& deviceId, const QStringList& includeList,
                 Action&& action, std::vector<OpenMatch>* keep = nullptr, int* denied = nullptr) {
    bool ok = true;
    for (hid::HidInterfaceInfo& info : hid::enumerateInterfaces()) {
        if (info.caps.usagePage != selector.UsagePage || info.caps.usage != selector.Usage) continue;
        if (!passes(filter, deviceId, includeList, info.hardwareIds)) continue;
        std::uint32_t error = 0;
        std::string detail;
        std::unique_ptr<hid::HidDevice> device = hid::HidDevice::open(info.path, &error, &detail);
        if (!device) {
            if (error == hid::kErrorAccessDenied) {
                vyk::platform::debugLog(QString::fromStdString(detail));
                if (denied) ++*denied;
            }
            continue;
        }
        const hid::HidCollection& caps = device->caps();
        if (caps.usagePage != selector.UsagePage || caps.usage != selector.Usage) continue;
        ok = action(std::as_const(info), *device) && ok;
        if (keep) keep->push_back({std::move(info), std::move(device)});
    }
    return ok;
}

}  // namespace

// The interfaces a hold keeps open, per filter; only the holding thread touches the matches.
struct TuiHIDHeldInterfaces {
    struct Entry {
        MatchKey key;
        std::vector<OpenMatch> matches;
    };

    std::mutex mutex;  // depth and owner
    int depth = 0;
    std::thread::id owner;
    std::vector<Entry> entries;
};

namespace {

// forEachMatch with the component's hold: the calling thread's held interfaces serve the
// operation when it holds them (looked for and kept on the first operation of a filter); any
// failed action closes them all. Without a hold every call looks afresh.
template <class Action>
void forEachMatch(TuiHIDHeldInterfaces* held, USAGE_AND_PAGE selector, IdFilter filter, const QString& deviceId,
                  const QStringList& includeList, Action&& action) {
    if (held == nullptr) {
        walkMatches(selector, filter, deviceId, includeList, action);
        return;
    }
    const MatchKey key = matchKey(selector, filter, deviceId);
    auto entry = std::find_if(held->entries.begin(), held->entries.end(), [&](const auto& e) { return e.key == key; });
    bool ok = true;
    if (entry != held->entries.end()) {
        for (OpenMatch& m : entry->matches) ok = action(std::as_const(m.info), *m.device) && ok;
    } else {
        std::vector<OpenMatch> opened;
        ok = walkMatches(selector, filter, deviceId, includeList, action, &opened);
        if (ok && !opened.empty()) held->entries.push_back({key, std::move(opened)});
    }
    if (!ok) held->entries.clear();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reader thread

class TuiHidDeviceReadThread : public std::enable_shared_from_this<TuiHidDeviceReadThread> {
public:
    // Opens the path on the caller's thread; Start() then runs Execute on a thread of its own.
    TuiHidDeviceReadThread(TuiHIDData* AHIDData, const QString& ADeviceID, const QString& ADevicePath)
        : FHIDData(AHIDData), FDeviceID(ADeviceID), FDevicePath(ADevicePath) {
        std::uint32_t error = 0;
        std::string detail;
        FDeviceHandle = hid::HidDevice::open(ADevicePath.toStdString(), &error, &detail);
        if (FDeviceHandle) {
            FPreparsedData = std::make_unique<hid::HidCollection>(FDeviceHandle->caps());
            FInputReportLength = FPreparsedData->inputReportByteLength;
        } else if (error == hid::kErrorAccessDenied) {
            vyk::platform::debugLog(QString::fromStdString(detail));
        }
        FReport.assign(static_cast<std::size_t>(FInputReportLength), 0);
        FStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }

    ~TuiHidDeviceReadThread() {
        if (FThread.joinable()) FThread.join();
        if (FStopFd >= 0) ::close(FStopFd);
    }

    void Start() {
        FThread = std::thread([this] { Execute(); });
    }

    TuiHIDData* Owner() const { return FHIDData; }

    // Asks the reader to end: wakes its poll and cancels a delivery that the UI thread has
    // not started yet. Idempotent.
    void Terminate() {
        std::lock_guard lock(FMutex);
        if (FTerminated) return;
        FTerminated = true;
        if (FStopFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(FStopFd, &one, sizeof one);
        }
        FChanged.notify_all();
    }

    // Waits until the reader has ended, or is busy in a handler: on the UI thread (never
    // waited for: that may be the caller's own thread) or, unless waitThreadHandlers, on
    // its own thread. Call after Terminate().
    void WaitStopped(bool waitThreadHandlers) {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] {
            return FPhase == Phase::Ended || FPhase == Phase::UiHandling ||
                   (!waitThreadHandlers && FPhase == Phase::ThreadHandling);
        });
    }

    bool Ended() {
        std::lock_guard lock(FMutex);
        return FPhase == Phase::Ended;
    }

    bool WaitingForUi() {
        std::lock_guard lock(FMutex);
        return FPhase == Phase::WaitingForUi && !FDeliveryDone;
    }

    void Join() {
        if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
    }

private:
    enum class Phase { Reading, WaitingForUi, UiHandling, ThreadHandling, Ended };

    void SetPhase(Phase p) {
        FPhase = p;
        FChanged.notify_all();
    }

    void Execute() {
        Run();
        // Free what the reader owns, then say so.
        FDeviceHandle.reset();
        FPreparsedData.reset();
        std::lock_guard lock(FMutex);
        SetPhase(Phase::Ended);
    }

    void Run() {
        if (!FDeviceHandle) return;  // the path could not be opened: end at once, no event
        if (FStopFd < 0) {
            // Without its stop event nothing could wake a blocked read: do not start one.
            vyk::platform::debugLog(QStringLiteral("HID reader: no stop event for ") + FDevicePath);
            return;
        }
        if (FInputReportLength <= 0) {
            // Nothing can be read from an interface without input reports.
            vyk::platform::debugLog(QStringLiteral("HID reader: no input reports on ") + FDevicePath);
            return;
        }
        for (;;) {
            {
                std::lock_guard lock(FMutex);
                if (FTerminated) return;
            }
            std::memset(FReport.data(), 0, FReport.size());
            const hid::ReadResult r = FDeviceHandle->readInput(FReport.data(), FReport.size(), FStopFd);
            if (r.kind == hid::ReadResult::Stopped) return;
            if (r.kind == hid::ReadResult::Failed) {
                if (r.error == hid::kErrorDeviceNotConnected || r.error == hid::kErrorOperationAborted) {
                    DeviceGone();
                    return;
                }
                // Any other failure: read again, but give a failing device a moment so a
                // persistent error cannot spin.
                pollfd p{FStopFd, POLLIN, 0};
                ::poll(&p, 1, 10);
                continue;
            }
            NumBytesRead = static_cast<std::uint32_t>(r.length);
            if (NumBytesRead == 0) continue;  // a read of 0 bytes fires nothing
            if (!Deliver()) return;
        }
    }

    // Hands the report to its handlers; false when the reader must end.
    bool Deliver() {
        if (FHIDData->FastOnData()) {
            {
                std::lock_guard lock(FMutex);
                if (FTerminated) return false;
                SetPhase(Phase::ThreadHandling);
            }
            const bool ok = RunHandlers();
            std::lock_guard lock(FMutex);
            SetPhase(Phase::Reading);
            return ok && !FTerminated;
        }
        std::uint64_t seq;
        {
            std::lock_guard lock(FMutex);
            if (FTerminated) return false;
            seq = ++FDeliverySeq;
            FDeliveryDone = false;
            SetPhase(Phase::WaitingForUi);
        }
        std::shared_ptr<TuiHidDeviceReadThread> self = shared_from_this();
        const bool posted = QMetaObject::invokeMethod(
            FHIDData, [self, seq] { self->RunQueuedDelivery(seq); }, Qt::QueuedConnection);
        std::unique_lock lock(FMutex);
        if (!posted) {
            SetPhase(Phase::Reading);
            return false;
        }
        // Wait until the UI thread has run the handlers, or until a stop cancels a delivery
        // that it has not started (one that has started is always waited for: the UI thread
        // is reading this reader's buffer).
        FChanged.wait(lock, [&] { return FDeliveryDone || (FTerminated && FPhase == Phase::WaitingForUi); });
        const bool done = FDeliveryDone;
        SetPhase(Phase::Reading);
        if (!done) return false;
        return !FHandlerFailed && !FTerminated;
    }

    // On the component's thread.
    void RunQueuedDelivery(std::uint64_t seq) {
        {
            std::lock_guard lock(FMutex);
            if (seq != FDeliverySeq || FPhase != Phase::WaitingForUi || FTerminated) return;  // cancelled
            SetPhase(Phase::UiHandling);
        }
        const bool ok = RunHandlers();
        std::lock_guard lock(FMutex);
        FHandlerFailed = !ok;
        FDeliveryDone = true;
        SetPhase(Phase::WaitingForUi);
    }

    // DoData inside a guard: an exception from a handler ends this reader (until the owner
    // opens the device again), with a debug line.
    bool RunHandlers() {
        try {
            DoData();
            return true;
        } catch (const std::exception& e) {
            vyk::platform::debugLog(
                QStringLiteral("HID reader of %1 ended: %2").arg(FDevicePath, QString::fromUtf8(e.what())));
        } catch (...) {
            vyk::platform::debugLog(QStringLiteral("HID reader of %1 ended by an exception").arg(FDevicePath));
        }
        return false;
    }

    void DoData() {
        const std::uint16_t size = static_cast<std::uint16_t>(NumBytesRead - 1);
        if (FHIDData->OnData) FHIDData->OnData(FDeviceID, FDevicePath, FReport[0], FReport.data() + 1, size);
        {
            // A handler may have stopped the readers or destroyed the component.
            std::lock_guard lock(FMutex);
            if (FTerminated) return;
        }
        if (FHIDData->OnParsedData && FPreparsedData)
            FHIDData->OnParsedData(FDeviceID, FDevicePath, FReport[0],
                                   ParseButtonUsages(*FPreparsedData, FReport.data(), FReport.size()));
    }

    void DeviceGone() {
        {
            std::lock_guard lock(FMutex);
            if (FTerminated) return;  // stopped meanwhile: end silently
            FTerminated = true;
            SetPhase(Phase::ThreadHandling);
        }
        vyk::platform::debugLog(QStringLiteral("ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"));
        if (FHIDData->OnDeviceNotConnected) {
            try {
                FHIDData->OnDeviceNotConnected(FDeviceID, FDevicePath);
            } catch (...) {
                vyk::platform::debugLog(QStringLiteral("HID reader: exception from OnDeviceNotConnected"));
            }
        }
        std::lock_guard lock(FMutex);
        SetPhase(Phase::Reading);
    }

    TuiHIDData* FHIDData;
    QString FDeviceID;
    QString FDevicePath;
    std::unique_ptr<hid::HidDevice> FDeviceHandle;
    int FInputReportLength = 0;
    std::unique_ptr<hid::HidCollection> FPreparsedData;
    std::uint32_t NumBytesRead = 0;
    std::vector<std::uint8_t> FReport;

    int FStopFd = -1;
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FTerminated = false;
    Phase FPhase = Phase::Reading;
    std::uint64_t FDeliverySeq = 0;
    bool FDeliveryDone = false;
    bool FHandlerFailed = false;
};

// ---------------------------------------------------------------------------------------------
// Every reader of the process, so that a stop reaches them all and finished ones are joined.

namespace {

class ReaderRegistry {
public:
    ~ReaderRegistry() { Stop(nullptr, true); }

    void Add(std::shared_ptr<TuiHidDeviceReadThread> r) {
        std::lock_guard lock(FMutex);
        FReaders.push_back(std::move(r));
    }

    // Ends the readers of owner (all with nullptr) and reclaims those that have ended.
    void Stop(TuiHIDData* owner, bool waitThreadHandlers) {
        std::vector<std::shared_ptr<TuiHidDeviceReadThread>> targets;
        {
            std::lock_guard lock(FMutex);
            for (auto& r : FReaders)
                if (owner == nullptr || r->Owner() == owner) {
                    r->Terminate();
                    targets.push_back(r);
                }
        }
        for (auto& r : targets) r->WaitStopped(waitThreadHandlers);
        Reap();
    }

    void Reap() {
        std::vector<std::shared_ptr<TuiHidDeviceReadThread>> ended;
        {
            std::lock_guard lock(FMutex);
            auto it = std::stable_partition(FReaders.begin(), FReaders.end(), [](auto& r) { return !r->Ended(); });
            ended.assign(std::make_move_iterator(it), std::make_move_iterator(FReaders.end()));
            FReaders.erase(it, FReaders.end());
        }
        for (auto& r : ended) r->Join();
    }

    std::size_t Count() {
        Reap();
        std::lock_guard lock(FMutex);
        return FReaders.size();
    }

    std::size_t CountWaitingForUi() {
        std::lock_guard lock(FMutex);
        return static_cast<std::size_t>(
            std::count_if(FReaders.begin(), FReaders.end(), [](auto& r) { return r->WaitingForUi(); }));
    }

private:
    std::mutex FMutex;
    std::vector<std::shared_ptr<TuiHidDeviceReadThread>> FReaders;
};

ReaderRegistry& Readers() {
    static ReaderRegistry registry;
    return registry;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TuiHIDData

TuiHIDData::TuiHIDData(QObject* AOwner) : QObject(AOwner), FHeld(std::make_unique<TuiHIDHeldInterfaces>()) {
    Readers();  // made before any component, so it outlives them all
    LoadIncludeDeviceList();
}

TuiHIDData::~TuiHIDData() {
    // Readers of this component must not outlive it: wait for those busy on their own thread.
    Readers().Stop(this, true);
}

void TuiHIDData::LoadIncludeDeviceList() {
    FHidDeviceList.clear();
    const vyk::platform::IniFile ini(
        vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("config.ini")));
    for (int i = 1; i <= 101; ++i) {
        const QString id =
            ini.readString(QStringLiteral("IncludeHIDDeviceList"), QStringLiteral("id%1").arg(i), QString());
        if (id.isEmpty()) break;
        FHidDeviceList.append(id);
    }
}

TuiHIDHeldInterfaces* TuiHIDData::heldForThisThread() const {
    std::lock_guard lock(FHeld->mutex);
    return FHeld->depth > 0 && FHeld->owner == std::this_thread::get_id() ? FHeld.get() : nullptr;
}

void TuiHIDData::HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const QString& /*HIDID*/) {
    Readers().Reap();
    // Readers open handles of their own: a hold never serves them.
    walkMatches(UsageAndPage, IdFilter::IncludeList, QString(), FHidDeviceList,
                [&](const hid::HidInterfaceInfo& info, hid::HidDevice&) {
                    const QString deviceId =
                        info.hardwareIds.empty() ? QString() : QString::fromStdString(info.hardwareIds.front());
                    auto reader =
                        std::make_shared<TuiHidDeviceReadThread>(this, deviceId, QString::fromStdString(info.path));
                    Readers().Add(reader);
                    reader->Start();
                    return true;
                });
}

bool TuiHIDData::HidFindAndWriteDevice(const THIDDataParam& ReportData) {
    bool result = false;
    const std::uint32_t size = ReportData.Data.DATASIZE;
    if (size > sizeof(ReportData.Data.DATAReally)) return false;  // the ID and the data must fit the buffer
    forEachMatch(heldForThisThread(), ReportData.UsageAndPage, IdFilter::DeviceId, ReportData.DeviceID, FHidDeviceList,
                 [&](const hid::HidInterfaceInfo&, hid::HidDevice& device) {
                     // The report sent is the ID byte and DATASIZE data bytes: all must fit.
                     if (device.caps().outputReportByteLength < size + 1) return true;
                     const bool ok = device.writeOutput(&ReportData.Data.ReportID, size + 1) == hid::kSuccess;
                     if (ok) result = true;
                     return ok;
                 });
    return result;
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData) {
    bool result = false;
    const std::uint32_t size = ReportData.Data.DATASIZE;
    if (size == 0 || size > 1 + sizeof(ReportData.Data.DATAReally)) return false;
    forEachMatch(heldForThisThread(), ReportData.UsageAndPage, IdFilter::DeviceIdOnly, ReportData.DeviceID,
                 FHidDeviceList, [&](const hid::HidInterfaceInfo&, hid::HidDevice& device) {
                     if (device.caps().outputReportByteLength < size) return true;
                     const bool ok = device.writeOutput(&ReportData.Data.ReportID, size) == hid::kSuccess;
                     if (ok) result = true;
                     return ok;
                 });
    return result;
}

std::uint32_t TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
    std::uint32_t result = kNoMatchingInterface;
    const std::uint32_t size = ReportData.Data.DATASIZE;
    if (size > 1 + sizeof(ReportData.Data.DATAReally)) return hid::kErrorInvalidParameter;
    std::vector<std::uint8_t> buffer;
    forEachMatch(heldForThisThread(), ReportData.UsageAndPage, IdFilter::IncludeList, QString(), FHidDeviceList,
                 [&](const hid::HidInterfaceInfo&, hid::HidDevice& device) {
                     if (device.caps().featureReportByteLength < size) return true;
                     buffer.assign(std::max<std::uint32_t>(size, 1), 0);
                     buffer[0] = ReportData.Data.ReportID;
                     const std::uint32_t r = device.getFeature(buffer.data(), size);
                     if (r == hid::kSuccess) std::memcpy(&ReportData.Data.ReportID, buffer.data(), size);
                     result = r;
                     return r == hid::kSuccess;
                 });
    return result;
}

std::uint32_t TuiHIDData::HidFindAndSetFeatureReport(THIDDataParam& ReportData) {
    std::uint32_t result = kNoMatchingInterface;
    const std::uint32_t size = ReportData.Data.DATASIZE;
    if (size > 1 + sizeof(ReportData.Data.DATAReally)) return hid::kErrorInvalidParameter;
    forEachMatch(heldForThisThread(), ReportData.UsageAndPage, IdFilter::IncludeList, QString(), FHidDeviceList,
                 [&](const hid::HidInterfaceInfo&, hid::HidDevice& device) {
                     if (device.caps().featureReportByteLength < size) return true;
                     ReportData.DeviceHandle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&device));
                     result = device.setFeature(&ReportData.Data.ReportID, size);
                     return result == hid::kSuccess;
                 });
    return result;
}

void TuiHIDData::HidStopRead() {
    const auto started = std::chrono::steady_clock::now();
    Readers().Stop(nullptr, false);
    // A stop has always taken about 20 ms; callers that reopen right after rely on no less.
    std::this_thread::sleep_until(started + std::chrono::milliseconds(20));
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
    bool found = false;
    const auto any = [&](const hid::HidInterfaceInfo&, hid::HidDevice&) { return found = true; };
    TuiHIDHeldInterfaces* held = heldForThisThread();
    if (held == nullptr) {
        walkMatches(ReportData.UsageAndPage, IdFilter::DeviceId, ReportData.DeviceID, FHidDeviceList, any);
        return found;
    }
    // Held: what this fresh look opened replaces what was held for the same interfaces.
    const MatchKey key = matchKey(ReportData.UsageAndPage, IdFilter::DeviceId, ReportData.DeviceID);
    std::vector<OpenMatch> opened;
    walkMatches(ReportData.UsageAndPage, IdFilter::DeviceId, ReportData.DeviceID, FHidDeviceList, any, &opened);
    std::erase_if(held->entries, [&](const auto& e) { return e.key == key; });
    if (!opened.empty()) held->entries.push_back({key, std::move(opened)});
    return found;
}

THIDDeviceAccess TuiHIDData::DeviceAccess(const THIDDataParam& ReportData) {
    bool found = false;
    int denied = 0;
    walkMatches(
        ReportData.UsageAndPage, IdFilter::DeviceId, ReportData.DeviceID, FHidDeviceList,
        [&](const hid::HidInterfaceInfo&, hid::HidDevice&) { return found = true; }, nullptr, &denied);
    if (found) return THIDDeviceAccess::Open;
    return denied > 0 ? THIDDeviceAccess::AccessDenied : THIDDeviceAccess::Absent;
}

void TuiHIDData::HoldInterfaces() {
    std::lock_guard lock(FHeld->mutex);
    if (FHeld->depth++ == 0) FHeld->owner = std::this_thread::get_id();
}

void TuiHIDData::ReleaseInterfaces() {
    std::vector<TuiHIDHeldInterfaces::Entry> closing;
    {
        std::lock_guard lock(FHeld->mutex);
        if (FHeld->depth == 0) return;
        if (--FHeld->depth > 0) return;
        FHeld->owner = std::thread::id();
        closing.swap(FHeld->entries);
    }
    // The handles close here, outside the lock.
}

bool TuiHIDData::InterfacesHeld() const {
    std::lock_guard lock(FHeld->mutex);
    return FHeld->depth > 0;
}

std::size_t TuiHIDData::ReaderCount() { return Readers().Count(); }

std::size_t TuiHIDData::ReadersWaitingForDelivery() { return Readers().CountWaitingForUi(); }

// ---------------------------------------------------------------------------------------------
// ParseButtonUsages

namespace {
constexpr std::size_t kUsageListLength = 100;
std::mutex g_usageMutex;
std::uint16_t g_previousUsages[kUsageListLength] = {};
}  // namespace

std::uint32_t ParseButtonUsages(const hid::HidCollection& collection, const std::uint8_t* report, std::size_t length) {
    const std::size_t n = std::min(hid::maxInputButtonUsages(collection), kUsageListLength);
    if (n == 0) return 0;
    const std::vector<hid::HidUsage> on = hid::inputButtonUsagesOn(collection, report, length);
    std::uint16_t current[kUsageListLength] = {};
    for (std::size_t i = 0; i < on.size() && i < n; ++i) current[i] = on[i].usage;

    std::lock_guard lock(g_usageMutex);
    auto contains = [n](const std::uint16_t* list, std::uint16_t u) {
        return std::find(list, list + n, u) != list + n;
    };
    std::uint16_t make = 0, brk = 0;
    for (std::size_t i = 0; i < n && make == 0; ++i)
        if (current[i] != 0 && !contains(g_previousUsages, current[i])) make = current[i];
    for (std::size_t i = 0; i < n && brk == 0; ++i)
        if (g_previousUsages[i] != 0 && !contains(current, g_previousUsages[i])) brk = g_previousUsages[i];
    std::copy(current, current + n, g_previousUsages);
    return (static_cast<std::uint32_t>(make) << 16) | brk;
}

void ResetButtonUsages() {
    std::lock_guard lock(g_usageMutex);
    std::fill(std::begin(g_previousUsages), std::end(g_previousUsages), std::uint16_t{0});
}
