#pragma once
// What every fuzz target shares: a private sandbox for the files the code under test reads and
// writes, a Qt application for the targets that need one, and the check that ends a run.
//
// The sandbox is a fresh folder (in /dev/shm when there is one, so the store's flushes cost
// nothing) that HOME, the XDG folders, the registry root, Documents, the executable folder and
// the runtime folder all point into, so an input can never touch the user's files. It is made
// once per process and removed when the process ends. Error reports and message boxes go
// nowhere: a reported error is an answer to bad input, not a finding.
//
// The same code runs under libFuzzer (clang, scripts/fuzz.sh) and under the replay program of
// tests/fuzz (gcc, ctest). Single-threaded: the UI thread of the target.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vyk::fuzz {

// Sets up the sandbox and the environment (idempotent). Every target calls it first.
void initSandbox();

// The sandbox root and its parts, each ending with '/'.
QString sandboxDir();
QString registryDir();   // VYK_REGISTRY_ROOT
QString documentsDir();  // VYK_DOCUMENTS_DIR
QString exeDir();        // VYK_EXE_DIR: config.ini and ui.local go here
QString scratchDir();    // free for a target's own files

// Creates the Qt application (offscreen) the first time it is called.
void ensureApplication();
// Runs queued events until nothing is left to do (bounded).
void drainEvents();

// Removes everything inside a folder (the folder itself stays).
void clearFolder(const QString& folder);
// Writes bytes to a file, creating its folder. Aborts when that fails: the sandbox is ours.
void writeFile(const QString& path, const void* data, std::size_t size);
inline void writeFile(const QString& path, const QByteArray& bytes) {
    writeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
// The whole file, or an empty array with *exists false when it is missing.
QByteArray readFile(const QString& path, bool* exists = nullptr);

// Ends the run with a message: a property of the code under test did not hold.
[[noreturn]] void fail(const char* file, int line, const std::string& what);

}  // namespace vyk::fuzz

#define VYK_FUZZ_CHECK(cond, what)                                  \
    do {                                                            \
        if (!(cond)) ::vyk::fuzz::fail(__FILE__, __LINE__, (what)); \
    } while (0)

// The entry points every target defines (libFuzzer's names).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
