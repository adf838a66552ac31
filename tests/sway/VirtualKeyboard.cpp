// Presses keys on a Wayland compositor as a keyboard with the standard keymap would (evdev
// codes, the "us" layout, or the layouts $PANEMARK_TEST_XKB_LAYOUT names with the one at index
// $PANEMARK_TEST_XKB_GROUP active), through the virtual-keyboard protocol:
//   virtual-keyboard KEYCODE [MODIFIER...]   e.g.  virtual-keyboard 105 ctrl alt logo
//   virtual-keyboard --lines                 one such press per line of standard input, each
//                                            answered with a line "pressed" once sent
// Unlike tools that make up a keymap of their own, the compositor sees the key codes a real
// keyboard sends, so bindings by key code and by key symbol both match.
#include "../support/KeyPresses.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// The two interfaces of the protocol, written out: requests only, as this client sends and
// never listens.
const wl_interface* keyboardTypes[] = {nullptr, nullptr, nullptr, nullptr};
const wl_message keyboardRequests[] = {
    {"keymap", "uhu", keyboardTypes},
    {"key", "uuu", keyboardTypes},
    {"modifiers", "uuuu", keyboardTypes},
    {"destroy", "", keyboardTypes},
};
const wl_interface virtualKeyboardInterface = {"zwp_virtual_keyboard_v1", 1, 4,
                                               keyboardRequests,          0, nullptr};
const wl_interface* createTypes[] = {&wl_seat_interface, &virtualKeyboardInterface};
const wl_message managerRequests[] = {{"create_virtual_keyboard", "on", createTypes}};
const wl_interface managerInterface = {
    "zwp_virtual_keyboard_manager_v1", 1, 1, managerRequests, 0, nullptr};

struct Globals {
    wl_seat* seat = nullptr;
    wl_proxy* manager = nullptr;
};

void announce(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, "wl_seat") == 0 && !globals->seat) {
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, managerInterface.name) == 0) {
        globals->manager =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
    }
}

void withdraw(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {announce, withdraw};

uint32_t now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<uint32_t>(time.tv_sec * 1000 + time.tv_nsec / 1000000);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: virtual-keyboard KEYCODE [ctrl|alt|logo|shift]... | --lines\n");
        return 2;
    }

    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "virtual-keyboard: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        std::fprintf(stderr, "virtual-keyboard: the compositor offers no virtual keyboards\n");
        return 1;
    }
    wl_proxy* keyboard = wl_proxy_marshal_constructor(globals.manager, 0, &virtualKeyboardInterface,
                                                      globals.seat, nullptr);

    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const char* layouts = std::getenv("PANEMARK_TEST_XKB_LAYOUT");
    const char* group = std::getenv("PANEMARK_TEST_XKB_GROUP");
    const xkb_rule_names names = {"evdev", "pc105", layouts ? layouts : "us", "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        std::fprintf(stderr, "virtual-keyboard: cannot compile the standard keymap\n");
        return 1;
    }
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0 ||
        write(fd, text, size) != static_cast<ssize_t>(size)) {
        std::fprintf(stderr, "virtual-keyboard: cannot hand over the keymap\n");
        return 1;
    }
    wl_proxy_marshal(keyboard, 0, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                     static_cast<uint32_t>(size));
    xkb_state* state = xkb_state_new(keymap);
    xkb_state_update_mask(state, 0, 0, 0, 0, 0,
                          group ? static_cast<xkb_layout_index_t>(std::atoi(group)) : 0);

    // Keys go down and up as a person presses them; the modifier state follows each change.
    auto send = [&](uint32_t code, bool down) {
        wl_proxy_marshal(keyboard, 1, now(), code, down ? 1u : 0u);
        xkb_state_update_key(state, code + 8, down ? XKB_KEY_DOWN : XKB_KEY_UP);
        wl_proxy_marshal(keyboard, 2, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                         xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                         xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
                         xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
        wl_display_roundtrip(display);
    };
    panemark::KeyPresses::run(argc, argv, send);
    wl_proxy_marshal(keyboard, 3);
    wl_proxy_destroy(keyboard);
    wl_display_roundtrip(display);
    // Everything handed back: the sanitizer builds run this helper too.
    xkb_state_unref(state);
    std::free(text);
    close(fd);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    wl_proxy_destroy(globals.manager);
    wl_seat_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
