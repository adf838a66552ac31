#include "core/HotKeyManager.h"

#include "runtime/Log.h"
#include "runtime/Text.h"

namespace panemark {

namespace {

constexpr std::uint32_t firingFlags = KeyEvent::control | KeyEvent::option | KeyEvent::command;

} // namespace

bool HotKeyManager::canFire(const Shortcut& shortcut) {
    return (shortcut.modifiers &
            (Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask)) != 0;
}

HotKeyManager::HotKeyManager(WindowService& trust, KeyTapProvider& keyboard, Scheduler& mainLoop)
    : trust_(trust), keyboard_(keyboard), mainLoop_(mainLoop) {}

HotKeyManager::~HotKeyManager() {
    retryTimer_.cancel();
    tearDownTap();
}

HotKeyManager::State HotKeyManager::state() const {
    if (!eventTap_) {
        return retryTimer_ ? State::waiting : State::idle;
    }
    return retryTimer_ ? State::armedAwaitingInputMonitoring : State::armed;
}

void HotKeyManager::registerCommands(const std::vector<ZoneCommand>& commands,
                                     std::function<void(const ZoneCommand&)> action) {
    handlers_.clear();
    commands_ = commands;
    for (std::size_t index = 0; index < commands_.size(); ++index) {
        const ZoneCommand& command = commands_[index];
        if (!command.shortcut) {
            continue;
        }
        const Shortcut& shortcut = *command.shortcut;
        if (!canFire(shortcut)) {
            // Only presses with one of these keys are looked up; binding it would only take the
            // bare key away from every application.
            Log::write("shortcut " + shortcut.displayString() + " of \"" +
                       Text::printable(command.displayName()) +
                       "\" has no control, option or command key and can never fire");
            continue;
        }
        if (handlers_.count(shortcut) != 0) {
            Log::write("shortcut " + shortcut.displayString() +
                       " is assigned to more than one command — only one of them will fire");
        }
        handlers_[shortcut] = Handler{[action, command] { action(command); }, index};
    }
    if (handlers_.empty()) {
        retryTimer_.cancel();
        tearDownTap();
        return;
    }
    // The tap stays and reads the table afresh; only a changed set of combinations is news
    // to it (a renamed command, a new grid or gap leaves every grab as it is).
    if (std::vector<Shortcut> bound = boundShortcuts(); eventTap_ && bound != tapShortcuts_) {
        tapShortcuts_ = std::move(bound);
        eventTap_->setShortcuts(tapShortcuts_);
    }
    startTapIfNeeded();
}

void HotKeyManager::startTapIfNeeded() {
    if (eventTap_) {
        return;
    }
    if (!trust_.isTrusted()) {
        scheduleRetry();
        return;
    }
    const bool inputMonitoringGranted = keyboard_.isInputMonitoringGranted();
    if (!inputMonitoringGranted) {
        keyboard_.requestInputMonitoring();
    }
    auto created = keyboard_.createTap([this](const KeyTapEvent& event) { return handle(event); });
    if (auto* failure = std::get_if<KeyTapProvider::Failure>(&created)) {
        Log::write(*failure == KeyTapProvider::Failure::tap
                       ? "failed to create event tap (Accessibility permission missing?)"
                       : "failed to create run loop source for event tap");
        scheduleRetry();
        return;
    }
    eventTap_ = std::move(std::get<std::unique_ptr<KeyTap>>(created));
    tapShortcuts_ = boundShortcuts();
    eventTap_->setShortcuts(tapShortcuts_);
    eventTap_->enable(true);
    if (inputMonitoringGranted) {
        retryTimer_.cancel();
    } else {
        scheduleRetry(); // rebuild the tap once the permission arrives
    }
}

void HotKeyManager::scheduleRetry() {
    if (retryTimer_) {
        return;
    }
    retryTimer_ = mainLoop_.every(retryInterval, [this] { retryTick(); });
}

void HotKeyManager::retryTick() {
    if (eventTap_) {
        if (!keyboard_.isInputMonitoringGranted()) {
            return;
        }
        tearDownTap();
    }
    startTapIfNeeded();
}

bool HotKeyManager::handle(const KeyTapEvent& event) {
    if (event.kind != KeyTapEvent::Kind::keyDown) {
        if (eventTap_) {
            eventTap_->enable(true); // switched off by the system: back on at once
        }
        return false;
    }
    if (event.key.type != KeyEvent::Type::keyDown) {
        return false;
    }
    if ((event.key.flags & firingFlags) == 0) {
        return false; // shift alone, or no modifier: never looked up
    }
    const std::optional<Shortcut> shortcut = Shortcut::fromKeyEvent(event.key);
    if (!shortcut) {
        return false;
    }
    auto found = handlers_.find(*shortcut);
    if (found == handlers_.end()) {
        return false;
    }
    if (event.key.isRepeat) {
        return true; // a held key runs its command once
    }
    std::weak_ptr<const HotKeyManager*> alive = alive_;
    mainLoop_
        .post([alive, handler = found->second.run] {
            if (alive.lock()) {
                handler();
            }
        })
        .detach();
    return true;
}

void HotKeyManager::tearDownTap() {
    if (eventTap_) {
        eventTap_->enable(false);
        eventTap_.reset();
    }
}

std::vector<ZoneCommand> HotKeyManager::boundCommands() const {
    std::vector<ZoneCommand> bound;
    for (std::size_t index = 0; index < commands_.size(); ++index) {
        const ZoneCommand& command = commands_[index];
        if (!command.shortcut) {
            continue;
        }
        auto found = handlers_.find(*command.shortcut);
        if (found != handlers_.end() && found->second.index == index) {
            bound.push_back(command);
        }
    }
    return bound;
}

std::vector<Shortcut> HotKeyManager::boundShortcuts() const {
    std::vector<Shortcut> shortcuts;
    shortcuts.reserve(handlers_.size());
    for (const auto& [shortcut, handler] : handlers_) {
        shortcuts.push_back(shortcut);
    }
    return shortcuts;
}

bool HotKeyManager::isTakenElsewhere(const Shortcut& shortcut) const {
    return eventTap_ && eventTap_->isTakenElsewhere(shortcut);
}

} // namespace panemark
