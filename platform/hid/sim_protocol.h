#pragma once
// Wire format between the HID layer and vyk-mouse-sim, the simulated mouse.
//
// One AF_UNIX SOCK_SEQPACKET socket; every message is one packet: a 16-byte header
// (type, interface, status, payload length; little-endian u32 each) and the payload. The first
// request on a connection decides what the connection is:
//   List        -> one ListReply, then the server closes;
//   Open        -> OpenReply; the connection is then a handle on that interface: SetFeature,
//                  GetFeature and Write requests, each answered by its reply, and an Input
//                  packet pushed for every input report of the interface (every open handle
//                  gets its own copy). Unplugging closes every handle of the interface.
//   Watch       -> WatchReply, then a Plug or Unplug packet for every interface that comes
//                  or goes (the reply's payload lists the interfaces present now);
//   Control     -> one ControlReply (text), then the server closes.
// sim/README.md describes the payloads and the control commands.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vyk::platform::hid::simwire {

enum MessageType : std::uint32_t {
    kList = 1,
    kListReply = 2,
    kOpen = 3,
    kOpenReply = 4,
    kSetFeature = 5,
    kSetFeatureReply = 6,
    kGetFeature = 7,
    kGetFeatureReply = 8,
    kWrite = 9,
    kWriteReply = 10,
    kInput = 11,
    kWatch = 12,
    kWatchReply = 13,
    kPlug = 14,
    kUnplug = 15,
    kControl = 16,
    kControlReply = 17,
};

// Status bit of an Input packet: deliver the report with exactly the bytes sent (no padding
// to the interface's input report length).
inline constexpr std::uint32_t kInputExactLength = 1;

struct FrameHeader {
    std::uint32_t type = 0;
    std::uint32_t iface = 0;
    std::uint32_t status = 0;
    std::uint32_t length = 0;
};
static_assert(sizeof(FrameHeader) == 16);

inline constexpr std::size_t kMaxPayload = 256 * 1024;

// One interface as listed: its index in the simulator, USB identity, interface number (-1
// for none) and the report descriptor. Encoded as u32 index, u16 vid, u16 pid, u16 rev,
// i16 interface number, u16 descriptor length, descriptor bytes.
struct InterfaceEntry {
    std::uint32_t index = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
    std::int16_t interfaceNumber = -1;
    std::vector<std::uint8_t> descriptor;
};
std::vector<std::uint8_t> encodeInterfaces(const std::vector<InterfaceEntry>& list);
bool decodeInterfaces(const std::vector<std::uint8_t>& payload, std::vector<InterfaceEntry>& out);

// The simulator's socket: $VYK_SIM_SOCKET, else $XDG_RUNTIME_DIR/vyk/mouse-sim.sock, else
// /tmp/vyk-<uid>/mouse-sim.sock.
std::string defaultSocketPath();

// Connects to a simulator socket; -1 (errno set) when none listens there.
int connectTo(const std::string& socketPath);

// Sends one packet. False on failure (errno set). Never raises SIGPIPE.
bool sendFrame(int fd, std::uint32_t type, std::uint32_t iface, std::uint32_t status, const void* data = nullptr,
               std::size_t length = 0, bool dontWait = false);

// Receives one packet, waiting at most timeoutMs (-1: no limit). Returns 1 on a packet,
// 0 when the peer closed, -1 on error or timeout (errno ETIMEDOUT for a timeout).
int recvFrame(int fd, FrameHeader& header, std::vector<std::uint8_t>& payload, int timeoutMs = -1);

}  // namespace vyk::platform::hid::simwire
