#pragma once

#include "model/KeyEvent.h"
#include "model/Shortcut.h"

#include <functional>
#include <memory>
#include <variant>
#include <vector>

namespace panemark {

// What a key tap reports: a key press, or that the system switched the tap off.
struct KeyTapEvent {
    enum class Kind { keyDown, disabledByTimeout, disabledByUserInput };
    Kind kind = Kind::keyDown;
    KeyEvent key;
};

// An installed, system-wide keyboard tap. Destroying it tears it down.
class KeyTap {
public:
    virtual ~KeyTap() = default;

    virtual void enable(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    // The combinations the tap must catch. Platforms that see every key press ignore this;
    // X11 grabs exactly these (and only these reach the tap).
    virtual void setShortcuts(const std::vector<Shortcut>& shortcuts) = 0;
    // Whether another program holds this combination, so that the tap cannot have it.
    virtual bool isTakenElsewhere(const Shortcut&) const { return false; }
};

// Creates key taps, and answers for the permission to watch the keyboard.
class KeyTapProvider {
public:
    // Where creating a tap can fail.
    enum class Failure { tap, runLoopSource };

    // Return true from the callback to swallow a key press: the application in front never
    // sees it.
    using Callback = std::function<bool(const KeyTapEvent&)>;

    virtual ~KeyTapProvider() = default;

    virtual bool isInputMonitoringGranted() = 0;
    virtual void requestInputMonitoring() = 0;

    // A new tap, enabled, delivering on the main thread.
    virtual std::variant<std::unique_ptr<KeyTap>, Failure> createTap(Callback callback) = 0;
};

} // namespace panemark
