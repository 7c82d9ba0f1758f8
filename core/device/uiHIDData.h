#pragma once
// The HID component: finds the present HID interfaces that pass the config.ini include list
// (section IncludeHIDDeviceList) and carry a requested usage page and usage, and on every such
// interface starts an input-report reader, writes an output report, or gets or sets a feature
// report. A mouse that exposes the wanted collection on two interfaces is served twice.
//
// Readers are threads that block in poll() on the device and on a stop event of their own: no
// report, no wake-up. A report is handed to the thread that owns the component (the UI thread)
// through a queued call, and the reader waits until it was handled before it reads again,
// unless FastOnData is set, in which case OnData runs on the reader thread. Every wait of a
// reader can be cancelled, so stopping never deadlocks, and HidStopRead ends every reader of
// the process before it returns, except one that is inside a handler at that moment (on the
// calling thread, or on its own thread with FastOnData or OnDeviceNotConnected): that one ends
// as soon as the handler returns, and delivers nothing more.
//
// Report operations normally list the interfaces and open them afresh each time. A caller that
// sends a run of reports can hold the interfaces (HoldInterfaces/ReleaseInterfaces, or the
// Hold scope): the interfaces the first operation of the run matches stay open and serve the
// following operations of the same kind. Any failed operation (so every one that finds the
// device gone, also one that was unplugged and plugged in again since the last operation)
// closes them, so the next operation looks for the device again. Readers are never affected:
// they always open handles of their own.

#include "core/defs/pubunit_norvane.h"
#include "platform/hid/hid_descriptor.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// One report buffer: the report ID, then up to 65535 bytes, then the byte count of the
// operation (for feature reports the whole report, ID included; for HidFindAndWriteDevice the
// data bytes after the ID).
struct THidReallyData {
    std::uint8_t ReportID;
    std::uint8_t DATAReally[65535];
    std::uint32_t DATASIZE;
};
static_assert(offsetof(THidReallyData, DATAReally) == 1);
static_assert(offsetof(THidReallyData, DATASIZE) == 65536);

// The parameter block of every report operation.
struct THIDDataParam {
    USAGE_AND_PAGE UsageAndPage{};
    QString DeviceID;  // a hardware ID; '' or "*" stand for the include list
    THidReallyData Data{};
    std::uint32_t DeviceHandle = 0;
};

using TuiHIDDataReceived = std::function<void(const QString& ADeviceID, const QString& ADevicePath,
                                              std::uint8_t ReportID, const void* Data, std::uint16_t Size)>;
using TuiHIDParsedDataReceived = std::function<void(const QString& ADeviceID, const QString& ADevicePath,
                                                    std::uint8_t ReportID, std::uint32_t ButtonData)>;
using TuiHIDDeviceNotConnected = std::function<void(const QString& ADeviceID, const QString& ADevicePath)>;

// Whether the mouse can be reached: no matching interface at all, at least one that opens, or
// matching interfaces that are all there but refused to this user (EACCES/EPERM on the node).
enum class THIDDeviceAccess { Absent, Open, AccessDenied };

class TuiHidDeviceReadThread;
struct TuiHIDHeldInterfaces;

class TuiHIDData : public QObject {
    Q_OBJECT
public:
    explicit TuiHIDData(QObject* AOwner = nullptr);
    // Stops this component's readers (see HidStopRead) before it goes.
    ~TuiHIDData() override;

    // Starts one reader on every matching interface (include-list filter; HIDID is not used).
    // Readers already running are not checked: a second call without HidStopRead in between
    // gives two readers per interface.
    void HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const QString& HIDID);
    // Writes DATASIZE + 1 bytes from ReportID to every matching interface whose output report
    // holds them; true if one write succeeded.
    bool HidFindAndWriteDevice(const THIDDataParam& ReportData);
    // The same with the device-ID filter alone ('' or "*": every interface of the usage) and
    // DATASIZE bytes from ReportID.
    bool HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData);
    // Gets feature report ReportID (DATASIZE bytes, ID included) from every matching interface
    // into ReportData.Data; 0 on success, else the result of the last interface asked (1167
    // when none matches). A failed get leaves ReportData.Data unchanged.
    std::uint32_t HidFindAndGetFeatureReport(THIDDataParam& ReportData);
    // Sends the feature report in ReportData.Data (DATASIZE bytes from ReportID) to every
    // matching interface; 0 or the last interface's result (1167 when none matches).
    std::uint32_t HidFindAndSetFeatureReport(THIDDataParam& ReportData);
    // Stops every running reader of the process, of every component, and reclaims it.
    void HidStopRead();
    // True if at least one interface matches (UsageAndPage and DeviceID are read). Always looks
    // afresh; while the interfaces are held, the ones it opened are held from then on.
    bool IsDeviceExist(const THIDDataParam& ReportData);
    // The same look, telling a mouse that is absent from one that is present but may not be
    // opened by this user (IsDeviceExist is false for both). Never uses or changes a hold.
    THIDDeviceAccess DeviceAccess(const THIDDataParam& ReportData);

    // Holds the interfaces that report operations match until the matching release (calls
    // nest; only the thread that holds uses the held interfaces, others look afresh as
    // always). The last release closes them.
    void HoldInterfaces();
    void ReleaseInterfaces();
    // True while at least one hold is in force.
    bool InterfacesHeld() const;

    class Hold {
    public:
        explicit Hold(TuiHIDData& hid) : FHid(hid) { FHid.HoldInterfaces(); }
        ~Hold() { FHid.ReleaseInterfaces(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TuiHIDData& FHid;
    };

    bool FastOnData() const { return FFastOnData.load(); }
    void setFastOnData(bool value) { FFastOnData.store(value); }

    // Events. OnData and OnParsedData fire for every input report of at least one byte, on the
    // component's thread (or on the reader's with FastOnData); OnDeviceNotConnected fires on
    // the reader's thread when its device went away. Data is valid during the call only.
    TuiHIDDataReceived OnData;
    TuiHIDParsedDataReceived OnParsedData;
    TuiHIDDeviceNotConnected OnDeviceNotConnected;

    // The include list read from config.ini at construction.
    const QStringList& IncludeDeviceList() const { return FHidDeviceList; }

    // Readers of the process that have not been reclaimed yet (running or ending), and those
    // of them whose report waits for its handler on the component's thread (diagnostics).
    static std::size_t ReaderCount();
    static std::size_t ReadersWaitingForDelivery();

private:
    friend class TuiHidDeviceReadThread;
    void LoadIncludeDeviceList();
    // The hold's interfaces when the calling thread holds them, else null.
    TuiHIDHeldInterfaces* heldForThisThread() const;

    QStringList FHidDeviceList;
    std::atomic<bool> FFastOnData{false};
    std::unique_ptr<TuiHIDHeldInterfaces> FHeld;
};

// Button usage changes between consecutive input reports: the first usage newly pressed in
// the high word, the first newly released in the low word. One previous-usage list serves the
// whole process; it is guarded, so readers with FastOnData may call this at once.
// `collection` is the reader's interface (its "preparsed data"); report[0] is the report ID.
// A collection that can report more than 100 usages at once is looked at for its first 100.
std::uint32_t ParseButtonUsages(const vyk::platform::hid::HidCollection& collection, const std::uint8_t* report,
                                std::size_t reportLength);
// Clears the process-wide previous-usage list (all usages released).
void ResetButtonUsages();
