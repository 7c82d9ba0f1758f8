#pragma once
// Test isolation: every test process gets its own temporary home with HOME, the XDG folders,
// the Documents folder, the registry root and the runtime folder inside it, so tests run in
// parallel and never touch the user's data.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vyk::test {

// The temporary root of this test process (created by the test main).
const std::filesystem::path& testRoot();

// A fresh, empty folder under the test root.
std::filesystem::path freshDir(const std::string& name);

// Reads and writes a whole file as bytes.
std::vector<std::uint8_t> readBytes(const std::filesystem::path& p);
void writeBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes);
void writeText(const std::filesystem::path& p, const std::string& text);
// True when the file exists and holds text (for a program's diagnostic log).
bool fileContains(const std::filesystem::path& p, const std::string& text);

// True once process pid blocks or catches signal sig (read from /proc/<pid>/status): its
// main() has begun to take care of it, so a signal sent now tests the program, not the loader.
bool signalBlockedOrCaught(int pid, int sig);

// How many file descriptors this process has open (to catch leaked connections).
int openDescriptorCount();

// Sets up the isolated environment; called once by the test main before anything else.
void isolateEnvironment();

// Sets an environment variable for the lifetime of the object and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace vyk::test
