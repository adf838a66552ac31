#include "platform/gnome/GnomeShortcuts.h"

#include "platform/gnome/GnomeAccelerators.h"
#include "runtime/Log.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace panemark {

namespace {

constexpr double bindTimeout = 2.0;

} // namespace

GnomeShortcuts::GnomeShortcuts(GnomeShellHelper& helper) : helper_(helper) {
    pressed_ = helper_.activated.connect([this](const std::string& name) {
        // A press that crossed a change of the set names a binding that is gone.
        if (std::any_of(bindings_.begin(), bindings_.end(),
                        [&](const ShortcutBinding& binding) { return binding.name == name; })) {
            activated_.emit(name);
        }
    });
    arrived_ = helper_.arrived.connect([this] { handOver(); });
}

GnomeShortcuts::~GnomeShortcuts() {
    if (!bindings_.empty()) {
        (void)helper_.bind("[]", bindTimeout); // quitting lets them go at once
    }
}

std::string GnomeShortcuts::bindingsJson(const std::vector<ShortcutBinding>& bindings) {
    nlohmann::json list = nlohmann::json::array();
    for (const ShortcutBinding& binding : bindings) {
        if (const auto accelerator = GnomeAccelerators::acceleratorFor(binding.shortcut)) {
            list.push_back({{"name", binding.name}, {"accelerator", *accelerator}});
        }
    }
    return list.dump();
}

void GnomeShortcuts::setBindings(const std::vector<ShortcutBinding>& bindings) {
    bindings_ = bindings;
    for (const ShortcutBinding& binding : bindings_) {
        if (!GnomeAccelerators::acceleratorFor(binding.shortcut)) {
            Log::write("shortcut " + binding.shortcut.displayString() +
                       " has a key GNOME Shell cannot bind");
        }
    }
    handOver();
}

void GnomeShortcuts::handOver() {
    Result<std::string> answer = helper_.bind(bindingsJson(bindings_), bindTimeout);
    if (!answer) {
        Log::write(answer.error());
        return;
    }
    const nlohmann::json reply = nlohmann::json::parse(answer.value(), nullptr, false);
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;
    if (reply.is_object() && reply.contains("taken") && reply["taken"].is_array()) {
        for (const nlohmann::json& name : reply["taken"]) {
            const auto binding =
                std::find_if(bindings_.begin(), bindings_.end(), [&](const ShortcutBinding& b) {
                    return name.is_string() && b.name == name.get<std::string>();
                });
            if (binding == bindings_.end()) {
                continue;
            }
            const auto key = std::make_pair(binding->shortcut.keyCode, binding->shortcut.modifiers);
            if (taken_.count(key) == 0) {
                Log::write("shortcut " + binding->shortcut.displayString() +
                           " is taken by GNOME Shell or another program; Panemark cannot use it");
            }
            taken.insert(key);
        }
    }
    taken_ = std::move(taken);
}

Subscription GnomeShortcuts::onActivated(Listener listener) {
    return activated_.connect(std::move(listener));
}

bool GnomeShortcuts::isTakenElsewhere(const Shortcut& shortcut) const {
    return taken_.count({shortcut.keyCode, shortcut.modifiers}) != 0;
}

} // namespace panemark
