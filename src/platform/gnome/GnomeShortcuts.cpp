#include "platform/gnome/GnomeShortcuts.h"

#include "base/Log.h"
#include "platform/gnome/GnomeAccelerators.h"

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
    arrived_ = helper_.arrived.connect([this] {
        surelyHolds_.clear();
        mayHold_.clear();
        handOver(bindings());
    });
}

GnomeShortcuts::~GnomeShortcuts() {
    if (!mayHold_.empty()) {
        (void)helper_.bind(changesJson(mayHold_, {}), bindTimeout); // quitting lets them go
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
    for (const ShortcutBinding& binding : changes.take) {
        if (!GnomeAccelerators::acceleratorFor(binding.shortcut)) {
            Log::write("shortcut " + binding.shortcut.displayString() +
                       " has a key GNOME Shell cannot bind");
        }
    }
    handOver(bindings());
}

void GnomeShortcuts::handOver(const std::vector<ShortcutBinding>& wanted) {
    // A change the extension may have missed is made good by the next one: it lets go of all
    // it may hold and takes all it may not (letting go of what it does not hold, or taking what
    // it holds, is nothing to it).
    const std::vector<ShortcutBinding> letGo = ShortcutChanges::between(mayHold_, wanted).letGo;
    const std::vector<ShortcutBinding> take = ShortcutChanges::between(surelyHolds_, wanted).take;
    if (letGo.empty() && take.empty()) {
        return; // the shell lists no names of ours: a rename changes nothing there
    }
    Result<std::string> answer = helper_.bind(changesJson(letGo, take), bindTimeout);
    if (!answer) {
        Log::write(answer.error());
        mayHold_.insert(mayHold_.end(), take.begin(), take.end());
        std::erase_if(surelyHolds_, [&](const ShortcutBinding& binding) {
            return std::find(letGo.begin(), letGo.end(), binding) != letGo.end();
        });
        return;
    }
    surelyHolds_ = wanted;
    mayHold_ = wanted;
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
