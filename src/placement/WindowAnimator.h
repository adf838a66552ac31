#pragma once

#include "base/Scheduler.h"
#include "model/AnimationCurve.h"
#include "model/Rect.h"
#include "placement/WindowAnimation.h"
#include "platform/WindowRef.h"
#include "platform/WindowService.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace panemark {

// Moves a window to a target frame in small steps, or at once, on a serial queue of its own:
// every write to another application's window goes through this one queue. It remembers the
// window it is working on and where that is to end, so a newer command supersedes an older one
// cleanly: the newer starts from the older's target, and a different window left half-way is
// landed exactly at its target on the landing pool.
class WindowAnimator {
public:
    struct InFlight {
        WindowRef window;
        Rect target; // window space

        bool operator==(const InFlight&) const = default;
    };

    static constexpr double frameInterval = 1.0 / 60;
    static constexpr double stepTimeout = 0.05;
    static constexpr double finalWriteTimeout = 1.0;

    // queue must run its tasks one at a time (a serial queue); landingPool may run them
    // concurrently with it. Both are owned and shut down first on destruction.
    WindowAnimator(WindowService& windows, std::unique_ptr<Scheduler> queue,
                   std::unique_ptr<Scheduler> landingPool);
    // The application's animator: a worker thread for the queue and one for landings.
    static std::unique_ptr<WindowAnimator> make(WindowService& windows);
    ~WindowAnimator();
    WindowAnimator(const WindowAnimator&) = delete;
    WindowAnimator& operator=(const WindowAnimator&) = delete;

    // Both return at once; the writes happen on the queue.
    void animate(WindowRef window, const Rect& from, const Rect& to, double duration,
                 AnimationCurve curve);
    void snap(const Rect& target, WindowRef window);

    // The window being moved and its target, read under the lock.
    std::optional<InFlight> inFlight() const;

    // Blocks until everything queued so far, and every animation it started, has written its
    // last frame, or until timeoutSeconds pass. Only for threaded queues (the command line).
    bool drain(double timeoutSeconds);

private:
    std::pair<std::optional<InFlight>, std::uint64_t> supersede(InFlight next);
    void stopTimer(const std::optional<InFlight>& superseded, WindowRef keeping);
    void step(WindowRef window, const WindowAnimation& animation, double start,
              std::uint64_t generation);
    void finish(WindowRef window, const Rect& target, std::uint64_t generation);
    void land(const std::optional<InFlight>& superseded, WindowRef keeping);

    WindowService& windows_;
    mutable std::mutex
        lock_; // guards inFlight_ and generation_ only; never held across a platform call
    std::optional<InFlight> inFlight_;
    std::uint64_t generation_ = 0;
    TimerHandle timer_; // touched only on the queue
    // Declared last, destroyed first: no queued work can run into a half-destroyed animator.
    // Queued work reaches the schedulers through the references, which stay valid while an
    // owner's destruction waits for the work that is running to end.
    std::unique_ptr<Scheduler> landingPoolOwner_;
    std::unique_ptr<Scheduler> queueOwner_;
    Scheduler& landingPool_;
    Scheduler& queue_;
};

} // namespace panemark
