#include "placement/WindowAnimator.h"

#include "base/ThreadScheduler.h"

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

namespace panemark {

namespace {

// Waits for everything queued on scheduler before this call to have run.
bool barrier(Scheduler& scheduler, std::chrono::steady_clock::time_point deadline) {
    auto reached = std::make_shared<std::promise<void>>();
    std::future<void> done = reached->get_future();
    scheduler.post([reached] { reached->set_value(); }).detach();
    return done.wait_until(deadline) == std::future_status::ready;
}

} // namespace

WindowAnimator::WindowAnimator(WindowService& windows, std::unique_ptr<Scheduler> queue,
                               std::unique_ptr<Scheduler> landingPool)
    : windows_(windows), landingPoolOwner_(std::move(landingPool)), queueOwner_(std::move(queue)),
      landingPool_(*landingPoolOwner_), queue_(*queueOwner_) {}

std::unique_ptr<WindowAnimator> WindowAnimator::make(WindowService& windows) {
    return std::make_unique<WindowAnimator>(
        windows, std::make_unique<ThreadScheduler>("Panemark.WindowAnimator"),
        std::make_unique<ThreadScheduler>("Panemark.Landing"));
}

WindowAnimator::~WindowAnimator() {
    queueOwner_.reset();
    landingPoolOwner_.reset();
}

std::optional<WindowAnimator::InFlight> WindowAnimator::inFlight() const {
    std::lock_guard guard(lock_);
    return inFlight_;
}

std::pair<std::optional<WindowAnimator::InFlight>, std::uint64_t>
WindowAnimator::supersede(InFlight next) {
    std::lock_guard guard(lock_);
    ++generation_;
    std::optional<InFlight> previous = std::exchange(inFlight_, next);
    return {previous, generation_};
}

void WindowAnimator::animate(WindowRef window, const Rect& from, const Rect& to, double duration,
                             AnimationCurve curve) {
    const auto superseding = supersede({window, to});
    const std::optional<InFlight> superseded = superseding.first;
    const std::uint64_t generation = superseding.second;
    // A duration that is not a positive number would never end; it lands at the first step.
    const WindowAnimation animation{from, to,
                                    std::isfinite(duration) && duration > 0 ? duration : 0, curve};
    queue_
        .post([this, superseded, window, animation, generation] {
            stopTimer(superseded, window);
            const double start = queue_.now();
            timer_ = queue_.every(frameInterval, [this, window, animation, start, generation] {
                step(window, animation, start, generation);
            });
        })
        .detach();
}

void WindowAnimator::step(WindowRef window, const WindowAnimation& animation, double start,
                          std::uint64_t generation) {
    const double elapsed = queue_.now() - start;
    if (animation.duration <= elapsed) {
        finish(window, animation.to, generation);
        return;
    }
    const double progress = animation.curve.progress(elapsed / animation.duration);
    windows_.writeFrame(
        window, WindowAnimation::interpolate(animation.from, animation.to, progress), stepTimeout);
}

void WindowAnimator::finish(WindowRef window, const Rect& target, std::uint64_t generation) {
    timer_.cancel();
    {
        std::lock_guard guard(lock_);
        if (generation_ != generation) {
            return; // a newer command owns the record
        }
        inFlight_.reset();
    }
    windows_.writeFrame(window, target, finalWriteTimeout);
}

void WindowAnimator::snap(const Rect& target, WindowRef window) {
    const auto superseding = supersede({window, target});
    const std::optional<InFlight> superseded = superseding.first;
    const std::uint64_t generation = superseding.second;
    queue_
        .post([this, superseded, target, window, generation] {
            stopTimer(superseded, window);
            windows_.writeFrame(window, target, finalWriteTimeout);
            std::lock_guard guard(lock_);
            if (generation_ == generation) {
                inFlight_.reset();
            }
        })
        .detach();
}

void WindowAnimator::stopTimer(const std::optional<InFlight>& superseded, WindowRef keeping) {
    timer_.cancel();
    land(superseded, keeping);
}

void WindowAnimator::land(const std::optional<InFlight>& superseded, WindowRef keeping) {
    if (!superseded || superseded->window == keeping) {
        return; // the new work carries on with that window from wherever it is
    }
    WindowService& windows = windows_;
    const InFlight record = *superseded;
    landingPool_
        .post([&windows, record] {
            windows.writeFrame(record.window, record.target, finalWriteTimeout);
        })
        .detach();
}

bool WindowAnimator::drain(double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(std::max(timeoutSeconds, 0.0)));
    for (;;) {
        // Read before the barriers: the work that cleared the record also finished its writes
        // (and queued any landing) before the barriers pass.
        const bool idle = !inFlight();
        if (!barrier(queue_, deadline) || !barrier(landingPool_, deadline)) {
            return false;
        }
        if (idle) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace panemark
