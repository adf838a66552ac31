#include "platform/xkb/WaylandKeymap.h"

#include "base/Log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <wayland-client.h>

namespace panemark {

struct WaylandKeymap::Callbacks {
    static void announced(void* data, wl_registry* registry, std::uint32_t name,
                          const char* interface, std::uint32_t) {
        auto* self = static_cast<WaylandKeymap*>(data);
        if (!self->seat_ && std::strcmp(interface, wl_seat_interface.name) == 0) {
            // Version 1 is all a keymap needs; the first seat is the session's.
            self->seat_ =
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
            wl_seat_add_listener(self->seat_, &seatListener, self);
        }
    }
    static void withdrawn(void*, wl_registry*, std::uint32_t) {}

    static void capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* self = static_cast<WaylandKeymap*>(data);
        if (!self->keyboard_ && (capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
            self->keyboard_ = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(self->keyboard_, &keyboardListener, self);
        }
    }
    static void seatName(void*, wl_seat*, const char*) {}

    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                       std::uint32_t size) {
        auto* self = static_cast<WaylandKeymap*>(data);
        std::string text;
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
            void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                text.assign(static_cast<const char*>(mapped),
                            ::strnlen(static_cast<const char*>(mapped), size));
                ::munmap(mapped, size);
            }
        }
        ::close(fd);
        if (text.empty() || text == self->text_) {
            return;
        }
        self->text_ = std::move(text);
        self->arrived_ = true;
        if (self->changed_) {
            self->changed_();
        }
    }
    static void enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t) {}
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t, std::uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

    static constexpr wl_registry_listener registryListener{announced, withdrawn};
    static constexpr wl_seat_listener seatListener{capabilities, seatName};
    static constexpr wl_keyboard_listener keyboardListener{keymap, enter,     leave,
                                                           key,    modifiers, repeatInfo};
};

WaylandKeymap::WaylandKeymap(wl_display* display) : display_(display) {}

Result<std::unique_ptr<WaylandKeymap>> WaylandKeymap::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        return Error{"cannot reach the Wayland compositor ($WAYLAND_DISPLAY) for the keyboard map"};
    }
    std::unique_ptr<WaylandKeymap> keymap(new WaylandKeymap(display));
    keymap->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(keymap->registry_, &Callbacks::registryListener, keymap.get());
    wl_display_flush(display);
    keymap->notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    WaylandKeymap* self = keymap.get();
    QObject::connect(keymap->notifier_.get(), &QSocketNotifier::activated,
                     [self] { self->readEvents(); });
    return keymap;
}

WaylandKeymap::~WaylandKeymap() {
    disconnect();
}

void WaylandKeymap::disconnect() {
    // At the versions bound, none of these sends a request: each frees its proxy only, which is
    // safe after the connection failed too.
    notifier_.reset();
    if (keyboard_) {
        wl_keyboard_destroy(std::exchange(keyboard_, nullptr));
    }
    if (seat_) {
        wl_seat_destroy(std::exchange(seat_, nullptr));
    }
    if (registry_) {
        wl_registry_destroy(std::exchange(registry_, nullptr));
    }
    if (display_) {
        wl_display_disconnect(std::exchange(display_, nullptr));
    }
}

bool WaylandKeymap::waitForKeymap(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    while (display_ && !arrived_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd readable{wl_display_get_fd(display_), POLLIN, 0};
        wl_display_flush(display_);
        if (::poll(&readable, 1, static_cast<int>(left.count())) > 0) {
            readEvents();
        }
    }
    return arrived_;
}

void WaylandKeymap::readEvents() {
    if (!display_) {
        return;
    }
    // Events already queued first; then what the socket holds, without blocking.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            disconnectAfterError();
            return;
        }
    }
    pollfd readable{wl_display_get_fd(display_), POLLIN, 0};
    if (::poll(&readable, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) {
            disconnectAfterError();
            return;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    // A full socket (EAGAIN) only means the rest goes out with the next flush.
    if (wl_display_dispatch_pending(display_) < 0 ||
        (wl_display_flush(display_) < 0 && errno != EAGAIN)) {
        disconnectAfterError();
    }
}

void WaylandKeymap::disconnectAfterError() {
    // The compositor went away or refused us: the last map stays as it was.
    Log::write("the Wayland compositor closed the connection Panemark reads the keyboard map "
               "on (error " +
               std::to_string(wl_display_get_error(display_)) + ")");
    disconnect();
}

} // namespace panemark
