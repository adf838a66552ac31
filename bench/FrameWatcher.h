#pragma once

#include "model/Rect.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <xcb/xcb.h>

namespace panemark {

// For the benchmarks: watches the frame window of a client for ConfigureNotify events, on a
// connection of its own, and says when the frame reached a given outer frame.
class FrameWatcher {
public:
    using Clock = std::chrono::steady_clock;

    explicit FrameWatcher(xcb_window_t client) : connection_(xcb_connect(nullptr, nullptr)) {
        auto* tree =
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, client), nullptr);
        frame_ = tree ? tree->parent : client;
        free(tree);
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, frame_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~FrameWatcher() { xcb_disconnect(connection_); }
    FrameWatcher(const FrameWatcher&) = delete;
    FrameWatcher& operator=(const FrameWatcher&) = delete;

    // Forgets the events that came so far.
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            free(event);
        }
    }

    // The time the frame was configured to `target` (root coordinates, border included), if
    // that happens within `seconds`.
    std::optional<Clock::time_point> waitFor(const Rect& target, double seconds = 2) {
        const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(seconds));
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) {
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                continue;
            }
            const auto arrived = Clock::now();
            bool reached = false;
            if ((event->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
                const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                const double border = configure->border_width;
                reached = configure->x == target.x && configure->y == target.y &&
                          configure->width + 2 * border == target.width &&
                          configure->height + 2 * border == target.height;
            }
            free(event);
            if (reached) {
                return arrived;
            }
        }
        return std::nullopt;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t frame_ = 0;
};

} // namespace panemark
