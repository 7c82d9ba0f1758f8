#pragma once
// libpulse, loaded when it is first needed instead of with the program: the sound-server client
// library and the codec libraries it brings along take more memory than the rest of a program
// that only mutes a microphone, and many never do. The library is loaded once per process (on
// the first call of pulseLibrary(), from any thread) and stays loaded; the calls the mute needs
// are reached through the table below, under their own names.
//
// Only the types and constants of <pulse/pulseaudio.h> are used at build time; nothing links
// against the library.

#include <pulse/pulseaudio.h>

namespace vyk::platform {

struct PulseLibrary {
    decltype(&::pa_mainloop_new) pa_mainloop_new;
    decltype(&::pa_mainloop_free) pa_mainloop_free;
    decltype(&::pa_mainloop_set_poll_func) pa_mainloop_set_poll_func;
    decltype(&::pa_mainloop_get_api) pa_mainloop_get_api;
    decltype(&::pa_mainloop_prepare) pa_mainloop_prepare;
    decltype(&::pa_mainloop_poll) pa_mainloop_poll;
    decltype(&::pa_mainloop_dispatch) pa_mainloop_dispatch;
    decltype(&::pa_mainloop_iterate) pa_mainloop_iterate;
    decltype(&::pa_mainloop_wakeup) pa_mainloop_wakeup;
    decltype(&::pa_context_new) pa_context_new;
    decltype(&::pa_context_connect) pa_context_connect;
    decltype(&::pa_context_disconnect) pa_context_disconnect;
    decltype(&::pa_context_unref) pa_context_unref;
    decltype(&::pa_context_get_state) pa_context_get_state;
    decltype(&::pa_context_get_server_info) pa_context_get_server_info;
    decltype(&::pa_context_get_source_info_by_name) pa_context_get_source_info_by_name;
    decltype(&::pa_context_set_source_mute_by_name) pa_context_set_source_mute_by_name;
    decltype(&::pa_operation_cancel) pa_operation_cancel;
    decltype(&::pa_operation_unref) pa_operation_unref;
};

// The library's calls, or null when it cannot be loaded or lacks one of them (the reason goes
// to the diagnostic log once). The first call loads it; later calls return the same answer.
const PulseLibrary* pulseLibrary();

}  // namespace vyk::platform
