#pragma once
// The per-user runtime folder of both programs: $XDG_RUNTIME_DIR/vyk, or /tmp/vyk-<uid> when the
// session has no runtime folder. It holds the single-instance locks and the message sockets.

#include <filesystem>

namespace vyk::platform {

// Returns the folder, creating it with mode 0700 when missing. Throws std::runtime_error when it
// cannot be created, is not a folder, belongs to another user or can be entered by others: the
// sockets in it are only as private as the folder is.
std::filesystem::path runtimeDir();

}  // namespace vyk::platform
