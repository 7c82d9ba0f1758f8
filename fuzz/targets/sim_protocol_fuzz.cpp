// Fuzz target: the bytes as the packets of the simulated mouse's socket protocol, sent to a
// real simulator (one per input, on a socket in the sandbox) and its answers read back by the
// HID layer's frame reader; and the bytes as an interface list payload for the client's
// decoder.
//
// Input: a sequence of packets, each a flags byte, a length byte and that many bytes (the last
// takes what is left). Flag bit 0 starts a new connection before the packet. A packet's bytes
// are sent as they are: a 16-byte header (type, interface, status, length) and a payload, or
// anything else. After its last packet a connection is closed for writing and every answer is
// read until the simulator closes it. Checked, besides the sanitizers:
//  - the simulator closes every connection whose peer stopped writing (no thread left behind);
//  - every answer is a well-formed frame whose interface list (where it carries one) decodes;
//  - an interface list that decodes encodes back to the same bytes;
//  - the simulator still answers a List request afterwards.

#include "fuzz/support/fuzz_support.h"

#include "platform/hid/sim_protocol.h"
#include "sim/mouse_sim_server.h"

#include <cstring>
#include <memory>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace wire = vyk::platform::hid::simwire;

namespace {

std::string socketPath() { return (vyk::fuzz::scratchDir() + QStringLiteral("sim/mouse-sim.sock")).toStdString(); }

void checkList(const std::vector<std::uint8_t>& payload) {
    std::vector<wire::InterfaceEntry> list;
    VYK_FUZZ_CHECK(wire::decodeInterfaces(payload, list), "the simulator sent an interface list that does not decode");
}

// Closes our side for writing, then reads every answer until the simulator closes.
void finish(int fd) {
    ::shutdown(fd, SHUT_WR);
    for (int answers = 0;; ++answers) {
        wire::FrameHeader h;
        std::vector<std::uint8_t> payload;
        const int r = wire::recvFrame(fd, h, payload, 10000);
        if (r == 0) break;
        VYK_FUZZ_CHECK(r == 1, "the simulator neither answered nor closed a finished connection");
        VYK_FUZZ_CHECK(h.length == payload.size(), "an answer's length field is not its payload's");
        if (h.type == wire::kListReply || h.type == wire::kWatchReply || (h.type == wire::kOpenReply && h.status == 0))
            checkList(payload);
        VYK_FUZZ_CHECK(answers < 100000, "the simulator does not stop answering");
    }
    ::close(fd);
}

void roundTripList(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> payload(data, data + size);
    std::vector<wire::InterfaceEntry> list;
    if (!wire::decodeInterfaces(payload, list)) return;
    const std::vector<std::uint8_t> again = wire::encodeInterfaces(list);
    std::vector<wire::InterfaceEntry> list2;
    VYK_FUZZ_CHECK(wire::decodeInterfaces(again, list2) && list2.size() == list.size(),
                   "an encoded interface list does not decode");
    VYK_FUZZ_CHECK(wire::encodeInterfaces(list2) == again, "interface list encoding is not stable");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::initSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vyk::fuzz::initSandbox();
    roundTripList(data, size);

    vyk::sim::SimOptions options;
    options.socketPath = socketPath();
    options.matchingInterfaces = 2;
    options.otherInterface = true;
    vyk::sim::MouseSimServer server(options);
    std::string why;
    if (!server.start(&why)) vyk::fuzz::fail(__FILE__, __LINE__, "the simulator does not start: " + why);

    int fd = -1;
    std::size_t pos = 0;
    int packets = 0;
    while (pos + 2 <= size && packets < 32) {
        const std::uint8_t flags = data[pos];
        std::size_t len = data[pos + 1];
        pos += 2;
        if (len > size - pos || packets == 31) len = size - pos;
        ++packets;
        if (fd < 0 || (flags & 1)) {
            if (fd >= 0) finish(fd);
            fd = wire::connectTo(options.socketPath);
            VYK_FUZZ_CHECK(fd >= 0, "cannot connect to the simulator");
        }
        // A connection the simulator already closed refuses the packet; that is an answer too.
        (void)::send(fd, data + pos, len, MSG_NOSIGNAL);
        pos += len;
    }
    if (fd >= 0) finish(fd);

    const int probe = wire::connectTo(options.socketPath);
    VYK_FUZZ_CHECK(probe >= 0, "the simulator stopped listening");
    VYK_FUZZ_CHECK(wire::sendFrame(probe, wire::kList, 0, 0), "a List request could not be sent");
    wire::FrameHeader h;
    std::vector<std::uint8_t> payload;
    const int r = wire::recvFrame(probe, h, payload, 10000);
    ::close(probe);
    // "unplug" leaves an empty list; a quit request only wakes the program's main loop.
    VYK_FUZZ_CHECK(r == 1 && h.type == wire::kListReply, "the simulator no longer answers a List request");
    checkList(payload);
    server.stop();
    return 0;
}
