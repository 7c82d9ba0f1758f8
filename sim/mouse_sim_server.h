#pragma once
// vyk-mouse-sim's server: a simulated mouse on a Unix socket that the HID layer lists beside
// the hidraw nodes (see platform/hid/sim_protocol.h and sim/README.md).
//
// It offers the mouse's vendor collection (usage page 0xFFA0, usage 1) with feature reports 2
// to 6 (16, 64, 1024, 2048 and 4096 bytes), input reports 7 and 8 (8 bytes) and output report
// 9 (8 bytes); optionally a second interface with the same collection and a standard mouse
// interface that does not match. Each vendor interface keeps 64 KiB of device memory that
// commands 2 and 3 write and read; commands 1, 4, 5 and 6 are accepted and remembered. Every
// feature and output report is logged as one line of hex.
//
// The server runs on threads of its own (one per connection), so tests can run it inside
// their own process; the program vyk-mouse-sim runs it as a daemon.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vyk::sim {

struct SimOptions {
    std::string socketPath;       // empty: the default socket of the HID layer
    int matchingInterfaces = 1;   // vendor interfaces: 1 or 2
    bool otherInterface = false;  // add a standard mouse interface (does not match)
    bool timing = false;          // model USB full-speed transfer time per report
    std::string logPath;          // empty: no log file (the in-memory log is always kept)
    std::string memoryFile;       // empty: memory is not persisted
    std::uint16_t vendorId = 0xF0F0;
    std::uint16_t productId = 0x0701;
    std::uint16_t version = 0x0100;
};

// Interface indexes of the simulator (stable whatever the options).
inline constexpr std::uint32_t kVendorInterface = 0;        // MI_01
inline constexpr std::uint32_t kSecondVendorInterface = 1;  // MI_02
inline constexpr std::uint32_t kMouseInterface = 2;         // MI_00, the standard mouse

inline constexpr std::size_t kDeviceMemorySize = 64 * 1024;

// Failing code that unplugs the mouse at that report instead of answering it.
inline constexpr std::uint32_t kFailByUnplug = 0xFFFFFFFFu;

struct LoggedReport {
    std::uint64_t seq = 0;
    std::uint32_t iface = 0;
    std::string kind;  // "SET", "GET" or "OUT"
    std::uint32_t status = 0;
    std::vector<std::uint8_t> bytes;
};

class MouseSimServer {
public:
    explicit MouseSimServer(SimOptions options = {});
    ~MouseSimServer();
    MouseSimServer(const MouseSimServer&) = delete;
    MouseSimServer& operator=(const MouseSimServer&) = delete;

    // Binds the socket (creating its folder, mode 0700) and starts serving. Fails when
    // another simulator already listens there. A stale socket file is replaced.
    bool start(std::string* error = nullptr);
    // Closes every connection, removes the socket file and joins all threads.
    void stop();

    // Readable (an eventfd) once a "quit" command arrived.
    int quitFd() const { return quitFd_; }

    const std::string& socketPath() const { return options_.socketPath; }

    // Control, thread-safe; the same as the ctl commands of sim/README.md.
    std::string control(const std::string& commandLine);
    bool injectInput(std::uint32_t iface, const std::vector<std::uint8_t>& bytes, bool exactLength = false);
    void unplug();
    void plug();
    bool plugged() const;
    // Lets `skip` reports pass, then fails the next `count` feature or output reports with
    // `code` (kFailByUnplug: unplug at that report without answering).
    void failNext(std::uint32_t count, std::uint32_t skip = 0, std::uint32_t code = 31);
    void setTiming(bool on);
    std::vector<std::uint8_t> peek(std::uint32_t iface, std::uint32_t address, std::size_t length) const;
    void poke(std::uint32_t iface, std::uint32_t address, const std::vector<std::uint8_t>& bytes);

    std::vector<LoggedReport> log() const;
    void clearLog();
    std::size_t openHandles(std::uint32_t iface) const;
    std::size_t watchers() const;
    std::vector<std::uint32_t> interfaces() const;

    static std::vector<std::uint8_t> vendorDescriptor();
    static std::vector<std::uint8_t> mouseDescriptor();
    // The modelled time of one control transfer carrying a report of that many bytes.
    static std::chrono::microseconds transferTime(std::size_t reportBytes);
    static std::string formatLogLine(const LoggedReport& r);

private:
    struct Interface;
    struct Connection;

    void acceptLoop();
    void serveConnection(Connection* c);
    void serveHandle(Connection* c, std::uint32_t iface);
    void reapFinished(bool all);
    std::uint32_t handleSetFeature(Interface& i, const std::vector<std::uint8_t>& report);
    std::uint32_t handleGetFeature(Interface& i, std::uint8_t reportId, std::size_t length,
                                   std::vector<std::uint8_t>& answer);
    bool takeFailure(std::uint32_t& code);
    void record(std::uint32_t iface, const char* kind, std::uint32_t status, const std::uint8_t* bytes, std::size_t n);
    void notifyWatchers(std::uint32_t type, const std::vector<std::uint32_t>& ifaces);
    void saveMemory();
    Interface* find(std::uint32_t iface);
    const Interface* find(std::uint32_t iface) const;

    SimOptions options_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    int quitFd_ = -1;
    bool started_ = false;
    std::thread acceptThread_;

    mutable std::mutex mutex_;  // everything below
    std::vector<std::unique_ptr<Interface>> interfaces_;
    bool plugged_ = true;
    bool timing_ = false;
    std::uint32_t failSkip_ = 0;
    std::uint32_t failCount_ = 0;
    std::uint32_t failCode_ = 31;
    std::list<std::unique_ptr<Connection>> connections_;
    std::deque<LoggedReport> log_;
    std::uint64_t seq_ = 0;

    std::mutex busMutex_;  // one transfer at a time on the modelled bus
    std::mutex logFileMutex_;
};

}  // namespace vyk::sim
