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
        if (bindingNamed(name)) {
            activated_.emit(name);
        }
    });
    // The extension comes back with nothing held (the shell restarted, the session was
    // unlocked): the whole set is taken again.
    arrived_ = helper_.arrived.connect([this] { handOver(wholeSetJson(bindings())); });
}

GnomeShortcuts::~GnomeShortcuts() {
    if (!bindings().empty()) {
        (void)helper_.bind(changesJson(bindings(), {}), bindTimeout); // quitting lets them go
    }
}

std::string GnomeShortcuts::changesJson(const std::vector<ShortcutBinding>& letGo,
                                        const std::vector<ShortcutBinding>& take) {
    const auto list = [](const std::vector<ShortcutBinding>& bindings) {
        nlohmann::json list = nlohmann::json::array();
        for (const ShortcutBinding& binding : bindings) {
            if (const auto accelerator = GnomeAccelerators::acceleratorFor(binding.shortcut)) {
                list.push_back({{"name", binding.name}, {"accelerator", *accelerator}});
            }
        }
        return list;
    };
    return nlohmann::json{{"letGo", list(letGo)}, {"take", list(take)}}.dump();
}

void GnomeShortcuts::apply(const ShortcutChanges& changes) {
    if (changes.letGo.empty() && changes.take.empty()) {
        return; // the shell lists no names of ours: a rename changes nothing there
    }
    for (const ShortcutBinding& binding : changes.take) {
        if (!GnomeAccelerators::acceleratorFor(binding.shortcut)) {
            Log::write("shortcut " + binding.shortcut.displayString() +
                       " has a key GNOME Shell cannot bind");
        }
    }
    // A change the extension never heard of (a call that failed) is made good by handing it
    // the whole set.
    handOver(inStep_ ? changesJson(changes.letGo, changes.take) : wholeSetJson(bindings()));
}

std::string GnomeShortcuts::wholeSetJson(const std::vector<ShortcutBinding>& bindings) {
    nlohmann::json set = nlohmann::json::parse(changesJson({}, bindings));
    set["whole"] = true;
    return set.dump();
}

void GnomeShortcuts::handOver(const std::string& changes) {
    Result<std::string> answer = helper_.bind(changes, bindTimeout);
    inStep_ = answer.ok();
    if (!answer) {
        Log::write(answer.error());
        return;
    }
    const nlohmann::json reply = nlohmann::json::parse(answer.value(), nullptr, false);
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;
    if (reply.is_object() && reply.contains("taken") && reply["taken"].is_array()) {
        for (const nlohmann::json& name : reply["taken"]) {
            const ShortcutBinding* binding =
                name.is_string() ? bindingNamed(name.get<std::string>()) : nullptr;
            if (!binding) {
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
