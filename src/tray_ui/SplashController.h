#pragma once

#include "base/Cancellable.h"
#include "base/Scheduler.h"

#include <functional>
#include <memory>
#include <optional>

namespace panemark {

class ConfigStore;

// The card that says Panemark has started: it fades in, counts down 2.5 s of visible time (not
// while the pointer rests on it), and fades out; a click or Escape ends it early. Everything
// runs on the main loop's scheduler, the fades included, so the whole life of the card can be
// played on a manual clock.
class SplashController {
public:
    static constexpr double countdownSeconds = 2.5;
    static constexpr double tickSeconds = 0.1;
    static constexpr double fadeInSeconds = 0.25;
    static constexpr double fadeOutSeconds = 0.35;
    static constexpr double fadeStepSeconds = 1.0 / 60;

    enum class State { hidden, counting, paused, fadingOut };

    // What the controller drives: the card on screen, closed and dropped when it has faded out.
    class Card {
    public:
        virtual ~Card() = default;
        virtual void setOpacity(double opacity) = 0;
        virtual void close() = 0;
    };
    // Makes the card, shown at opacity 0 and not taking the keyboard focus.
    using CardFactory = std::function<std::unique_ptr<Card>(SplashController&)>;

    // Without fades (no compositor to blend the card) the card shows and goes at full opacity,
    // on the same timings.
    SplashController(Scheduler& scheduler, CardFactory makeCard, bool fades);
    ~SplashController();
    SplashController(const SplashController&) = delete;
    SplashController& operator=(const SplashController&) = delete;

    // Shows the card when the preference asks for it and none is up.
    void show(const ConfigStore& config);
    void dismiss();
    // The pointer rests on the card (true) or left it (false).
    void setPaused(bool paused);

    State state() const;
    double remaining() const { return remaining_; }
    Card* card() const { return card_.get(); }

private:
    void startCountdown();
    void stopCountdown();
    void step();
    void fadeTo(double target, double seconds, std::function<void()> done);
    void finishDismissal();

    Scheduler& scheduler_;
    CardFactory makeCard_;
    bool fades_;

    std::unique_ptr<Card> card_;
    bool isDismissing_ = false;
    TimerHandle timer_;
    double remaining_ = countdownSeconds;
    bool isPaused_ = false;
    std::optional<double> lastTick_;

    double opacity_ = 0;
    TimerHandle fade_;
};

} // namespace panemark
