#include "platform/audio/pulse_library.h"

#include "platform/diag/diag.h"

#include <dlfcn.h>

#include <mutex>
#include <type_traits>

namespace vyk::platform {

namespace {

constexpr const char* kLibraryName = "libpulse.so.0";

// Loads the library and binds every call of the table; null when something is missing.
const PulseLibrary* load() {
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        debugLog(QStringLiteral("microphone mute: %1 cannot be loaded: %2")
                     .arg(QLatin1String(kLibraryName), QString::fromLocal8Bit(why ? why : "")));
        return nullptr;
    }
    static PulseLibrary lib;
    bool complete = true;
    const auto bind = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(::dlsym(handle, name));
        if (slot == nullptr) {
            complete = false;
            debugLog(
                QStringLiteral("microphone mute: %1 lacks %2").arg(QLatin1String(kLibraryName), QLatin1String(name)));
        }
    };
#define VYK_BIND_PULSE(name) bind(lib.name, #name)
    VYK_BIND_PULSE(pa_mainloop_new);
    VYK_BIND_PULSE(pa_mainloop_free);
    VYK_BIND_PULSE(pa_mainloop_set_poll_func);
    VYK_BIND_PULSE(pa_mainloop_get_api);
    VYK_BIND_PULSE(pa_mainloop_prepare);
    VYK_BIND_PULSE(pa_mainloop_poll);
    VYK_BIND_PULSE(pa_mainloop_dispatch);
    VYK_BIND_PULSE(pa_mainloop_iterate);
    VYK_BIND_PULSE(pa_mainloop_wakeup);
    VYK_BIND_PULSE(pa_context_new);
    VYK_BIND_PULSE(pa_context_connect);
    VYK_BIND_PULSE(pa_context_disconnect);
    VYK_BIND_PULSE(pa_context_unref);
    VYK_BIND_PULSE(pa_context_get_state);
    VYK_BIND_PULSE(pa_context_get_server_info);
    VYK_BIND_PULSE(pa_context_get_source_info_by_name);
    VYK_BIND_PULSE(pa_context_set_source_mute_by_name);
    VYK_BIND_PULSE(pa_operation_cancel);
    VYK_BIND_PULSE(pa_operation_unref);
#undef VYK_BIND_PULSE
    // The library stays loaded either way (it is built not to be unloaded).
    return complete ? &lib : nullptr;
}

}  // namespace

const PulseLibrary* pulseLibrary() {
    static std::once_flag once;
    static const PulseLibrary* lib = nullptr;
    std::call_once(once, [] { lib = load(); });
    return lib;
}

}  // namespace vyk::platform
