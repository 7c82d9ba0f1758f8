// The desktop's own pointer settings through GIO: the schema org.gnome.desktop.peripherals.mouse
// of the default settings backend (dconf on a desktop; GSETTINGS_BACKEND chooses another).
// Used only when the schema is installed; a key the installed schema lacks, refuses (locked)
// or does not accept (outside its range or choices) is skipped. Every write is synced, so it is
// stored before the call returns, except the double-click time, which runs on the UI thread
// and is therefore handed to the backend without waiting for it.
//
// The dconf backend reaches its service over the session bus; without a session bus (a bare
// session, a test) every write would only fail later with a warning, so the layer is skipped.

// GIO first: its headers use names that Qt defines as macros.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "platform/pointer/pointer_layers.h"

#include "platform/diag/diag.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>

namespace vyk::platform::pointer {

namespace {

constexpr const char* kSchemaId = "org.gnome.desktop.peripherals.mouse";

class DesktopSettingsLayer final : public PointerBackend {
public:
    DesktopSettingsLayer(GSettingsSchema* schema, GSettings* settings) : schema_(schema), settings_(settings) {}
    ~DesktopSettingsLayer() override {
        g_object_unref(settings_);
        g_settings_schema_unref(schema_);
    }
    DesktopSettingsLayer(const DesktopSettingsLayer&) = delete;
    DesktopSettingsLayer& operator=(const DesktopSettingsLayer&) = delete;

    void setAcceleration(int, const AccelerationPreset& preset) override {
        write("accel-profile", g_variant_new_string(preset.acceleration == 0 ? "flat" : "adaptive"), true);
    }
    void setSpeed(int speed) override { write("speed", g_variant_new_double(desktopPointerSpeed(speed)), true); }
    void setWheelLines(int) override {}  // the desktop has no such setting
    void setDoubleClickTime(int ms) override { write("double-click", g_variant_new_int32(ms), false); }

private:
    // Writes one key when the schema has it with this type and accepts the value. Takes the
    // floating reference of `value`.
    void write(const char* key, GVariant* value, bool sync) {
        g_variant_ref_sink(value);
        if (g_settings_schema_has_key(schema_, key)) {
            GSettingsSchemaKey* k = g_settings_schema_get_key(schema_, key);
            const bool typeOk = g_variant_is_of_type(value, g_settings_schema_key_get_value_type(k));
            const bool ok = typeOk && g_settings_schema_key_range_check(k, value) &&
                            g_settings_is_writable(settings_, key) && g_settings_set_value(settings_, key, value);
            g_settings_schema_key_unref(k);
            if (ok && sync) g_settings_sync();
            if (!ok) debugLog(QStringLiteral("pointer: desktop setting %1 not written").arg(QLatin1String(key)));
        }
        g_variant_unref(value);
    }

    GSettingsSchema* schema_;
    GSettings* settings_;
};

// Where GDBus looks for the session bus: the address in the environment, else the socket in
// the runtime folder.
bool haveSessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return false;
    struct stat st {};
    return ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Whether writes to the default backend can reach anyone.
bool backendUsable() {
    GSettingsBackend* backend = g_settings_backend_get_default();  // a new reference
    const char* type = G_OBJECT_TYPE_NAME(backend);
    const bool dconf = std::strcmp(type, "DConfSettingsBackend") == 0;
    const bool memory =
        std::strcmp(type, "GMemorySettingsBackend") == 0 || std::strcmp(type, "GNullSettingsBackend") == 0;
    g_object_unref(backend);
    return !memory && (!dconf || haveSessionBus());
}

}  // namespace

void prepareDesktopSettingsLayer() {
    // Both are made once per process, safely from any thread, and kept.
    if (g_settings_schema_source_get_default() == nullptr) return;
    g_object_unref(g_settings_backend_get_default());
}

std::unique_ptr<PointerBackend> makeDesktopSettingsLayer() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();  // not owned; may be null
    if (source == nullptr) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kSchemaId, TRUE);
    if (schema == nullptr) return nullptr;
    if (!backendUsable()) {
        g_settings_schema_unref(schema);
        return nullptr;
    }
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    if (settings == nullptr) {
        g_settings_schema_unref(schema);
        return nullptr;
    }
    return std::make_unique<DesktopSettingsLayer>(schema, settings);
}

}  // namespace vyk::platform::pointer
