#include "settings_ui/CommandBinding.h"

#include "profiles/ProfileManager.h"

#include <algorithm>

namespace panemark {

std::optional<CommandBinding> CommandBinding::forId(ProfileManager& profiles, const Uuid& id) {
    const auto& commands = profiles.commands.get();
    if (std::none_of(commands.begin(), commands.end(),
                     [&](const ZoneCommand& command) { return command.id == id; })) {
        return std::nullopt;
    }
    return CommandBinding(profiles, id);
}

ZoneCommand CommandBinding::get() const {
    const auto& commands = profiles_->commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& command) { return command.id == id_; });
    return found != commands.end() ? *found : placeholder();
}

void CommandBinding::set(const ZoneCommand& command) const {
    std::vector<ZoneCommand> commands = profiles_->commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& entry) { return entry.id == id_; });
    if (found == commands.end()) {
        return;
    }
    *found = command;
    found->id = id_; // the command keeps its identity whatever was written
    profiles_->editCommands(std::move(commands));
}

const ZoneCommand& CommandBinding::placeholder() {
    static const ZoneCommand blank = ZoneCommand::firstCellOf(1, 1);
    return blank;
}

} // namespace panemark
