#include "tray_ui/SplashController.h"

#include "preferences/ConfigStore.h"

#include <algorithm>

namespace panemark {

SplashController::SplashController(Scheduler& scheduler, CardFactory makeCard, bool fades)
    : scheduler_(scheduler), makeCard_(std::move(makeCard)), fades_(fades) {}

SplashController::~SplashController() {
    fade_.cancel();
    timer_.cancel();
    if (card_) {
        card_->close();
    }
}

SplashController::State SplashController::state() const {
    if (!card_) {
        return State::hidden;
    }
    if (isDismissing_) {
        return State::fadingOut;
    }
    return isPaused_ ? State::paused : State::counting;
}

void SplashController::show(const ConfigStore& config) {
    if (!config.showSplashAtLaunch.get() || card_ || !makeCard_) {
        return;
    }
    card_ = makeCard_(*this);
    if (!card_) {
        return;
    }
    opacity_ = 0;
    if (fades_) {
        card_->setOpacity(0);
    }
    fadeTo(1, fadeInSeconds, {});
    startCountdown();
}

void SplashController::dismiss() {
    if (!card_ || isDismissing_) {
        return;
    }
    isDismissing_ = true;
    stopCountdown();
    fadeTo(0, fadeOutSeconds, [this] { finishDismissal(); });
}

void SplashController::setPaused(bool paused) {
    if (isPaused_ == paused) {
        return;
    }
    isPaused_ = paused;
    if (!paused) {
        lastTick_ = scheduler_.now(); // the time spent paused does not count
    }
}

void SplashController::startCountdown() {
    if (timer_) {
        return;
    }
    remaining_ = countdownSeconds;
    lastTick_ = scheduler_.now();
    timer_ = scheduler_.every(tickSeconds, [this] { step(); });
}

void SplashController::stopCountdown() {
    timer_.cancel();
    lastTick_.reset();
}

void SplashController::step() {
    if (isPaused_) {
        return;
    }
    const double now = scheduler_.now();
    const double elapsed = lastTick_ ? now - *lastTick_ : tickSeconds;
    remaining_ -= elapsed;
    lastTick_ = now;
    if (remaining_ <= 0) {
        dismiss();
    }
}

void SplashController::fadeTo(double target, double seconds, std::function<void()> done) {
    fade_.cancel();
    if (!fades_) {
        // Shown and hidden whole; the fade's time still passes before the card goes.
        opacity_ = target;
        card_->setOpacity(1);
        if (done) {
            fade_ = scheduler_.after(seconds, std::move(done));
        }
        return;
    }
    const double from = opacity_;
    const double start = scheduler_.now();
    fade_ = scheduler_.every(
        fadeStepSeconds, [this, from, target, seconds, start, done = std::move(done)] {
            const double progress = std::clamp((scheduler_.now() - start) / seconds, 0.0, 1.0);
            opacity_ = from + (target - from) * progress;
            card_->setOpacity(opacity_);
            if (progress >= 1) {
                const auto finished = done; // cancelling may drop this very task
                fade_.cancel();
                if (finished) {
                    finished();
                }
            }
        });
}

void SplashController::finishDismissal() {
    fade_.cancel();
    if (card_) {
        card_->close();
        card_.reset();
    }
    isDismissing_ = false;
}

} // namespace panemark
