#include "platform/sway/SwayShortcuts.h"

#include "base/Log.h"
#include "platform/evdev/EvdevKeyCodes.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace panemark {

namespace {

constexpr double requestTimeout = 1.0;

} // namespace

SwayShortcuts::SwayShortcuts(I3IpcClient& client, I3IpcEvents& events) : client_(client) {
    readConfiguration();
    events_ = events.onEvent([this](std::uint32_t type, const std::string& payload) {
        if (type != I3IpcCodec::bindingEvent) {
            return;
        }
        const std::optional<std::string> command = I3IpcReplies::boundCommand(payload);
        if (command && command->starts_with(commandPrefix)) {
            const std::string name = command->substr(std::string_view(commandPrefix).size());
            // A binding left by an earlier run, or one let go a moment ago, names nothing.
            if (bindingNamed(name)) {
                activated_.emit(name);
            }
        }
    });
}

SwayShortcuts::~SwayShortcuts() {
    for (const ShortcutBinding& binding : bindings()) {
        unbind(binding.shortcut);
    }
}

void SwayShortcuts::readConfiguration() {
    Result<std::string> config = client_.request(I3IpcCodec::getConfig, "", requestTimeout);
    if (!config) {
        Log::write(config.error());
        return;
    }
    const nlohmann::json reply = nlohmann::json::parse(config.value(), nullptr, false);
    if (reply.is_object() && reply.contains("config") && reply["config"].is_string()) {
        configured_ = I3IpcReplies::configuredShortcuts(reply["config"].get<std::string>());
    }
}

void SwayShortcuts::bindAgain() {
    // The reloaded configuration may bind some of the combinations itself now: those stay the
    // user's, and every other binding is made again.
    readConfiguration();
    for (const ShortcutBinding& binding : bindings()) {
        bind(binding);
    }
}

std::optional<std::string> SwayShortcuts::combination(const Shortcut& shortcut) {
    const std::optional<std::uint32_t> evdev = EvdevKeyCodes::evdevFor(shortcut.keyCode);
    if (!evdev) {
        return std::nullopt;
    }
    std::string keys;
    const std::pair<std::uint32_t, const char*> modifiers[] = {
        {Shortcut::commandMask, "Mod4+"},
        {Shortcut::optionMask, "Mod1+"},
        {Shortcut::controlMask, "Ctrl+"},
        {Shortcut::shiftMask, "Shift+"},
    };
    for (const auto& [mask, name] : modifiers) {
        if ((shortcut.modifiers & mask) != 0) {
            keys += name;
        }
    }
    return keys + std::to_string(*evdev + EvdevKeyCodes::xKeycodeOffset);
}

bool SwayShortcuts::isTakenElsewhere(const Shortcut& shortcut) const {
    return std::find(configured_.begin(), configured_.end(), shortcut) != configured_.end();
}

void SwayShortcuts::run(const std::string& command) {
    Result<std::string> reply = client_.request(I3IpcCodec::runCommand, command, requestTimeout);
    if (!reply) {
        Log::write(reply.error());
    } else if (const std::optional<std::string> failure =
                   I3IpcReplies::commandFailure(reply.value())) {
        Log::write("sway refused \"" + command + "\": " + *failure);
    }
}

void SwayShortcuts::bind(const ShortcutBinding& binding) {
    const std::optional<std::string> keys = combination(binding.shortcut);
    const auto key = std::make_pair(binding.shortcut.keyCode, binding.shortcut.modifiers);
    if (!keys) {
        if (reported_.insert(key).second) {
            Log::write("shortcut " + binding.shortcut.displayString() +
                       " uses a key this keyboard does not have");
        }
        return;
    }
    if (isTakenElsewhere(binding.shortcut)) {
        if (reported_.insert(key).second) {
            Log::write("shortcut " + binding.shortcut.displayString() +
                       " is bound in sway's configuration; Panemark leaves it to that binding");
        }
        return;
    }
    run("bindcode --no-repeat " + *keys + " " + commandPrefix + binding.name);
    reported_.erase(key); // should the configuration take it later, that is said again
}

void SwayShortcuts::unbind(const Shortcut& shortcut) {
    if (isTakenElsewhere(shortcut)) {
        return; // never bound by us: the configuration's own binding stays
    }
    if (const std::optional<std::string> keys = combination(shortcut)) {
        run("unbindcode " + *keys);
    }
}

void SwayShortcuts::apply(const ShortcutChanges& changes) {
    for (const Shortcut& shortcut : changes.combinationsLetGo) {
        unbind(shortcut);
    }
    // A combination that now runs another binding is bound anew: sway replaces it in place, so
    // it is never without a binding.
    for (const ShortcutBinding& binding : changes.take) {
        bind(binding);
    }
}

Subscription SwayShortcuts::onActivated(Listener listener) {
    return activated_.connect(std::move(listener));
}

} // namespace panemark
