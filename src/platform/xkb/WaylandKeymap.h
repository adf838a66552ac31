#pragma once

#include "base/Result.h"

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;

namespace panemark {

// The keyboard map the session's Wayland compositor hands its clients: every layout the user
// chose, compiled as the compositor uses it. Read over a connection of its own, on the main
// loop; a new map (layouts added, removed or reordered) is announced. The active layout is not
// here: a compositor tells only the client that has the keyboard focus.
class WaylandKeymap {
public:
    // Connects to $WAYLAND_DISPLAY; an error in words when there is none to reach.
    static Result<std::unique_ptr<WaylandKeymap>> connect();
    ~WaylandKeymap();
    WaylandKeymap(const WaylandKeymap&) = delete;
    WaylandKeymap& operator=(const WaylandKeymap&) = delete;

    // Waits at most `seconds` for the first map; whether one has arrived.
    bool waitForKeymap(double seconds);
    // The map as text; empty until one arrived.
    const std::string& text() const { return text_; }
    // Called on the main loop each time a new map arrives.
    void setChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }

    // Wayland's listeners, which are plain C functions.
    struct Callbacks;

private:
    explicit WaylandKeymap(wl_display* display);
    void readEvents();
    void disconnectAfterError();
    void disconnect();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string text_;
    bool arrived_ = false;
    std::function<void()> changed_;
};

} // namespace panemark
