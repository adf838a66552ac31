#include "control/HotKeyManager.h"

#include "base/Log.h"
#include "base/Text.h"

#include <algorithm>

namespace panemark {

bool HotKeyManager::canFire(const Shortcut& shortcut) {
    return (shortcut.modifiers &
            (Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask)) != 0;
}

HotKeyManager::HotKeyManager(GlobalShortcuts& shortcuts, Scheduler& mainLoop)
    : shortcuts_(shortcuts), mainLoop_(mainLoop),
      activation_(shortcuts.onActivated([this](const std::string& name) { onActivated(name); })) {}

HotKeyManager::~HotKeyManager() {
    shortcuts_.setBindings({});
}

void HotKeyManager::registerCommands(const std::vector<ZoneCommand>& commands,
                                     std::function<void(const ZoneCommand&)> action) {
    handlers_.clear();
    commands_ = commands;
    std::unordered_map<Shortcut, std::size_t> owner; // the command each combination runs
    for (std::size_t index = 0; index < commands_.size(); ++index) {
        const ZoneCommand& command = commands_[index];
        if (!command.shortcut) {
            continue;
        }
        const Shortcut& shortcut = *command.shortcut;
        if (!canFire(shortcut)) {
            // Binding it would only take the bare key away from every application.
            Log::write("shortcut " + shortcut.displayString() + " of \"" +
                       Text::printable(command.displayName()) +
                       "\" has no control, option or command key and can never fire");
            continue;
        }
        if (owner.count(shortcut) != 0) {
            Log::write("shortcut " + shortcut.displayString() +
                       " is assigned to more than one command — only one of them will fire");
        }
        owner[shortcut] = index;
    }
    for (const auto& [shortcut, index] : owner) {
        // A hand-edited list may repeat an id: each binding still needs a name of its own.
        std::string name = commands_[index].id.toString();
        for (int n = 2; handlers_.count(name) != 0; ++n) {
            name = commands_[index].id.toString() + "#" + std::to_string(n);
        }
        handlers_[name] = Handler{[action, command = commands_[index]] { action(command); }, index};
    }
    shortcuts_.setBindings(bindingsInListOrder());
}

void HotKeyManager::onActivated(const std::string& name) {
    const auto found = handlers_.find(name);
    if (found == handlers_.end()) {
        return; // a press that crossed a change of the set
    }
    // Run after the desktop's callback has returned, as any other work of the loop.
    std::weak_ptr<const HotKeyManager*> alive = alive_;
    mainLoop_
        .post([alive, handler = found->second.run] {
            if (alive.lock()) {
                handler();
            }
        })
        .detach();
}

std::vector<ShortcutBinding> HotKeyManager::bindingsInListOrder() const {
    std::vector<std::pair<std::size_t, ShortcutBinding>> ordered;
    ordered.reserve(handlers_.size());
    for (const auto& [name, handler] : handlers_) {
        const ZoneCommand& command = commands_[handler.index];
        ordered.push_back({handler.index, {name, *command.shortcut, command.displayName()}});
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ShortcutBinding> bindings;
    bindings.reserve(ordered.size());
    for (auto& [index, binding] : ordered) {
        bindings.push_back(std::move(binding));
    }
    return bindings;
}

std::vector<ZoneCommand> HotKeyManager::boundCommands() const {
    std::vector<ZoneCommand> bound;
    for (const ShortcutBinding& binding : shortcuts_.bindings()) {
        bound.push_back(commands_[handlers_.at(binding.name).index]);
    }
    return bound;
}

bool HotKeyManager::isTakenElsewhere(const Shortcut& shortcut) const {
    return shortcuts_.isTakenElsewhere(shortcut);
}

} // namespace panemark
