#pragma once
// Test environment of the pointer tests: the desktop settings go to GIO's keyfile backend in
// the test's private config folder (chosen before any settings are used, since GIO picks its
// backend once per process), and helpers read that file back as the desktop would find it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace vyk::test::pointer {

inline const bool kKeyfileBackend = [] {
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    return true;
}();

// Whether the schema the desktop layer writes is installed where GIO looks for schemas.
inline bool mouseSchemaInstalled() {
    std::string dirs = std::getenv("XDG_DATA_DIRS") != nullptr ? std::getenv("XDG_DATA_DIRS") : "";
    if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
    std::stringstream ss(dirs);
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        const std::filesystem::path schemas = std::filesystem::path(dir) / "glib-2.0/schemas";
        if (std::filesystem::exists(schemas / "org.gnome.desktop.peripherals.gschema.xml") &&
            std::filesystem::exists(schemas / "gschemas.compiled"))
            return true;
    }
    return false;
}

inline std::filesystem::path keyfilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return std::filesystem::path(config != nullptr ? config : "") / "glib-2.0/settings/keyfile";
}

// The keys of the mouse group in the keyfile, values as GVariant text; empty when absent.
inline std::map<std::string, std::string> mouseKeys() {
    std::map<std::string, std::string> keys;
    std::ifstream in(keyfilePath());
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[org/gnome/desktop/peripherals/mouse]";
            continue;
        }
        const auto eq = line.find('=');
        if (inGroup && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

inline std::optional<std::string> mouseKey(const std::string& key) {
    const auto keys = mouseKeys();
    const auto it = keys.find(key);
    if (it == keys.end()) return std::nullopt;
    return it->second;
}

}  // namespace vyk::test::pointer
