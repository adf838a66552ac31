#include "platform/sim/SimKeyboard.h"

#include <algorithm>

namespace panemark {

class SimKeyboard::Tap : public KeyTap {
public:
    Tap(SimKeyboard& keyboard, Callback callback)
        : keyboard_(keyboard), callback_(std::move(callback)) {}
    ~Tap() override {
        if (keyboard_.tap_ == this) {
            keyboard_.tap_ = nullptr;
        }
    }
    void enable(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }
    void setShortcuts(const std::vector<Shortcut>& shortcuts) override {
        shortcuts_ = shortcuts;
        keyboard_.shortcutSets.push_back(shortcuts);
    }
    bool isTakenElsewhere(const Shortcut& shortcut) const override {
        return std::find(keyboard_.takenElsewhere.begin(), keyboard_.takenElsewhere.end(),
                         shortcut) != keyboard_.takenElsewhere.end();
    }

    bool deliver(const KeyTapEvent& event) {
        // A disabled tap still hears that it was disabled, but no keys.
        if (!enabled_ && event.kind == KeyTapEvent::Kind::keyDown) {
            return false;
        }
        return callback_(event);
    }
    const std::vector<Shortcut>& shortcuts() const { return shortcuts_; }

private:
    SimKeyboard& keyboard_;
    Callback callback_;
    bool enabled_ = true;
    std::vector<Shortcut> shortcuts_;
};

std::variant<std::unique_ptr<KeyTap>, KeyTapProvider::Failure>
SimKeyboard::createTap(Callback callback) {
    if (failNextTaps) {
        return *failNextTaps;
    }
    auto tap = std::make_unique<Tap>(*this, std::move(callback));
    tap_ = tap.get();
    ++tapsCreated_;
    return std::unique_ptr<KeyTap>(std::move(tap));
}

bool SimKeyboard::press(std::uint32_t keyCode, std::uint32_t flags, bool isRepeat) {
    return deliver(
        {KeyTapEvent::Kind::keyDown, KeyEvent{KeyEvent::Type::keyDown, keyCode, flags, isRepeat}});
}

bool SimKeyboard::release(std::uint32_t keyCode, std::uint32_t flags) {
    return deliver(
        {KeyTapEvent::Kind::keyDown, KeyEvent{KeyEvent::Type::keyUp, keyCode, flags, false}});
}

void SimKeyboard::disableTap(KeyTapEvent::Kind why) {
    if (tap_) {
        tap_->enable(false);
        deliver({why, {}});
    }
}

bool SimKeyboard::tapEnabled() const {
    return tap_ && tap_->isEnabled();
}

std::vector<Shortcut> SimKeyboard::grabbedShortcuts() const {
    return tap_ ? tap_->shortcuts() : std::vector<Shortcut>{};
}

bool SimKeyboard::deliver(const KeyTapEvent& event) {
    return tap_ && tap_->deliver(event);
}

} // namespace panemark
