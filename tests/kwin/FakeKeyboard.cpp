// Presses keys on KWin through its fake-input protocol, which KWin offers only to a program whose
// executable a desktop file names with X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input:
//   fake-keyboard KEYCODE [MODIFIER...]   e.g.  fake-keyboard 105 ctrl alt logo
//   fake-keyboard --lines                 one such press per line of standard input, each
//                                         answered with a line "pressed" once KWin has it
//   fake-keyboard --pointer X Y           moves the pointer there (global coordinates)
// Keys are evdev codes; KWin reads them with the session's own keymap, as a real keyboard's.
#include "../support/KeyPresses.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <wayland-client.h>

namespace {

// The protocol's interface, written out: requests only, as this client never listens.
const wl_interface* noTypes[] = {nullptr, nullptr};
const wl_message fakeInputRequests[] = {
    {"authenticate", "ss", noTypes},  {"pointer_motion", "ff", noTypes},
    {"button", "uu", noTypes},        {"axis", "uf", noTypes},
    {"touch_down", "2uff", noTypes},  {"touch_motion", "2uff", noTypes},
    {"touch_up", "2u", noTypes},      {"touch_cancel", "2", noTypes},
    {"touch_frame", "2", noTypes},    {"pointer_motion_absolute", "3ff", noTypes},
    {"keyboard_key", "4uu", noTypes},
};
const wl_interface fakeInputInterface = {"org_kde_kwin_fake_input", 4, 11,
                                         fakeInputRequests,         0, nullptr};
constexpr uint32_t authenticateRequest = 0;
constexpr uint32_t pointerMotionAbsoluteRequest = 9;
constexpr uint32_t keyboardKeyRequest = 10;

struct Globals {
    wl_proxy* fakeInput = nullptr;
    uint32_t version = 0;
};

void announce(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, fakeInputInterface.name) == 0 && version >= 4) {
        globals->version = 4;
        globals->fakeInput =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &fakeInputInterface, 4));
    }
}

void withdraw(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {announce, withdraw};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake-keyboard KEYCODE [ctrl|alt|logo|shift]... | --lines\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "fake-keyboard: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.fakeInput) {
        std::fprintf(stderr,
                     "fake-keyboard: KWin offers no fake input (version 4) to this program\n");
        return 1;
    }
    wl_proxy_marshal(globals.fakeInput, authenticateRequest, "Panemark tests",
                     "presses shortcuts in tests");

    auto send = [&](uint32_t code, bool down) {
        wl_proxy_marshal(globals.fakeInput, keyboardKeyRequest, code, down ? 1u : 0u);
        wl_display_roundtrip(display);
    };
    if (std::string(argv[1]) == "--pointer" && argc == 4) {
        wl_proxy_marshal(globals.fakeInput, pointerMotionAbsoluteRequest,
                         wl_fixed_from_int(std::atoi(argv[2])),
                         wl_fixed_from_int(std::atoi(argv[3])));
        wl_display_roundtrip(display);
    } else {
        panemark::KeyPresses::run(argc, argv, send);
    }
    wl_proxy_destroy(globals.fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
