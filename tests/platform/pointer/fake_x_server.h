#pragma once
// A minimal X server stand-in that hangs up on a chosen request, to test what a client does
// when its X connection is lost half-way. It listens on a free display number's socket
// (/tmp/.X11-unix/X<n>), accepts one client, answers the connection setup with one small
// screen, answers every request that expects a reply with an empty reply (so no extension is
// present and no property set), and when the chosen core request comes either closes the
// connection or answers it with an X error (BadValue).

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vyk::test::pointer {

class FakeXServer {
public:
    enum class Action { HangUp, Error };

    FakeXServer(int opcode, Action action) : opcode_(opcode), action_(action) {
        ::mkdir("/tmp/.X11-unix", 01777);
        for (int n = 700 + ::getpid() % 200; n < 1100 && listenFd_ < 0; ++n) {
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            if (::access(path.c_str(), F_OK) == 0 || ::access(lock.c_str(), F_OK) == 0) continue;
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd, 4) == 0) {
                listenFd_ = fd;
                path_ = path;
                display_ = ":" + std::to_string(n);
            } else {
                ::close(fd);
            }
        }
        if (listenFd_ >= 0) thread_ = std::thread([this] { serve(); });
    }
    ~FakeXServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listenFd_ >= 0) ::close(listenFd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    FakeXServer(const FakeXServer&) = delete;
    FakeXServer& operator=(const FakeXServer&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    const std::string& display() const { return display_; }
    bool hungUp() const { return hungUp_; }
    int errorsSent() const { return errorsSent_; }
    std::vector<int> opcodes() const { return opcodes_; }  // read after the client is done

private:
    bool readAll(int fd, void* buf, std::size_t n) {
        auto* p = static_cast<unsigned char*>(buf);
        while (n > 0) {
            pollfd pfd{fd, POLLIN, 0};
            if (stop_ || ::poll(&pfd, 1, 100) < 0) return false;
            if (!(pfd.revents & (POLLIN | POLLHUP))) continue;
            const ssize_t got = ::read(fd, p, n);
            if (got <= 0) return false;
            p += got;
            n -= static_cast<std::size_t>(got);
        }
        return true;
    }
    static void put16(std::vector<unsigned char>& b, std::uint16_t v) {
        b.push_back(v & 0xFF);
        b.push_back(v >> 8);
    }
    static void put32(std::vector<unsigned char>& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
    }

    static std::vector<unsigned char> setupReply() {
        const std::string vendor = "fake";
        std::vector<unsigned char> d;  // the data after the 8-byte header
        put32(d, 1);                   // release
        put32(d, 0x00200000);          // resource id base
        put32(d, 0x001FFFFF);          // resource id mask
        put32(d, 0);                   // motion buffer
        put16(d, static_cast<std::uint16_t>(vendor.size()));
        put16(d, 0xFFFF);  // maximum request length
        d.push_back(1);    // screens
        d.push_back(1);    // formats
        d.push_back(0);    // image byte order: LSB first
        d.push_back(0);    // bitmap bit order
        d.push_back(32);   // scanline unit
        d.push_back(32);   // scanline pad
        d.push_back(8);    // min keycode
        d.push_back(255);  // max keycode
        put32(d, 0);
        d.insert(d.end(), vendor.begin(), vendor.end());
        while (d.size() % 4) d.push_back(0);
        const unsigned char format[8] = {24, 32, 32, 0, 0, 0, 0, 0};
        d.insert(d.end(), format, format + 8);
        put32(d, 0x100);  // root
        put32(d, 0x101);  // default colormap
        put32(d, 0xFFFFFF);
        put32(d, 0);
        put32(d, 0);  // input masks
        put16(d, 640);
        put16(d, 480);
        put16(d, 170);
        put16(d, 130);
        put16(d, 1);
        put16(d, 1);
        put32(d, 0x21);  // root visual
        d.push_back(0);
        d.push_back(0);
        d.push_back(24);  // root depth
        d.push_back(1);   // depths
        d.push_back(24);
        d.push_back(0);
        put16(d, 1);  // visuals
        put32(d, 0);
        put32(d, 0x21);
        d.push_back(4);  // TrueColor
        d.push_back(8);
        put16(d, 256);
        put32(d, 0xFF0000);
        put32(d, 0x00FF00);
        put32(d, 0x0000FF);
        put32(d, 0);
        std::vector<unsigned char> r = {1, 0};
        put16(r, 11);
        put16(r, 0);
        put16(r, static_cast<std::uint16_t>(d.size() / 4));
        r.insert(r.end(), d.begin(), d.end());
        return r;
    }

    static bool hasReply(int opcode) {
        static const int withReply[] = {3,  14, 15, 16,  17,  20,  21,  23,  26,  31,  38,  39, 40, 43,
                                        44, 47, 48, 49,  50,  52,  73,  83,  84,  85,  86,  87, 91, 92,
                                        97, 98, 99, 101, 103, 106, 108, 110, 116, 117, 118, 119};
        for (int op : withReply)
            if (op == opcode) return true;
        return false;
    }

    void serve() {
        int client = -1;
        while (!stop_ && client < 0) {
            pollfd pfd{listenFd_, POLLIN, 0};
            if (::poll(&pfd, 1, 100) > 0) client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (client < 0) return;
        unsigned char head[12];
        if (readAll(client, head, 12)) {
            const std::size_t nameLen = head[6] | (head[7] << 8);
            const std::size_t dataLen = head[8] | (head[9] << 8);
            std::vector<unsigned char> auth(((nameLen + 3) & ~3u) + ((dataLen + 3) & ~3u));
            if (auth.empty() || readAll(client, auth.data(), auth.size())) {
                const auto reply = setupReply();
                if (::write(client, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size())) loop(client);
            }
        }
        ::close(client);
    }

    void loop(int client) {
        std::uint16_t seq = 0;
        unsigned char req[4];
        while (readAll(client, req, 4)) {
            ++seq;
            std::size_t length = (req[2] | (req[3] << 8)) * 4u;
            if (length == 0) {  // big request: the length follows
                unsigned char big[4];
                if (!readAll(client, big, 4)) return;
                length = (big[0] | (big[1] << 8) | (big[2] << 16) | (std::size_t(big[3]) << 24)) * 4u;
                if (length < 8) return;
                length -= 4;
            }
            std::vector<unsigned char> body(length - 4);
            if (!body.empty() && !readAll(client, body.data(), body.size())) return;
            opcodes_.push_back(req[0]);
            if (req[0] == opcode_ && action_ == Action::HangUp) {
                hungUp_ = true;
                return;
            }
            if (req[0] == opcode_) {
                const unsigned char error[32] = {0,
                                                 2 /* BadValue */,
                                                 static_cast<unsigned char>(seq & 0xFF),
                                                 static_cast<unsigned char>(seq >> 8),
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 req[0]};
                if (::write(client, error, sizeof error) != sizeof error) return;
                ++errorsSent_;
                continue;
            }
            if (hasReply(req[0])) {
                unsigned char reply[32] = {1, 0, static_cast<unsigned char>(seq & 0xFF),
                                           static_cast<unsigned char>(seq >> 8)};
                if (::write(client, reply, sizeof reply) != sizeof reply) return;
            }
        }
    }

    const int opcode_;
    const Action action_;
    std::atomic<int> errorsSent_{0};
    int listenFd_ = -1;
    std::string path_;
    std::string display_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hungUp_{false};
    std::vector<int> opcodes_;
    std::thread thread_;
};

}  // namespace vyk::test::pointer
