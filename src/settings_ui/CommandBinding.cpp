#include "settings_ui/CommandBinding.h"

#include "profiles/ConfigStore.h"

#include <algorithm>

namespace panemark {

std::optional<CommandBinding> CommandBinding::forId(ConfigStore& config, const Uuid& id) {
    const auto& commands = config.commands.get();
    if (std::none_of(commands.begin(), commands.end(),
                     [&](const ZoneCommand& command) { return command.id == id; })) {
        return std::nullopt;
    }
    return CommandBinding(config, id);
}

ZoneCommand CommandBinding::get() const {
    const auto& commands = config_->commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& command) { return command.id == id_; });
    return found != commands.end() ? *found : placeholder();
}

void CommandBinding::set(const ZoneCommand& command) const {
    std::vector<ZoneCommand> commands = config_->commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& entry) { return entry.id == id_; });
    if (found == commands.end()) {
        return;
    }
    *found = command;
    found->id = id_; // the command keeps its identity whatever was written
    config_->commands = std::move(commands);
}

const ZoneCommand& CommandBinding::placeholder() {
    static const ZoneCommand blank = ZoneCommand::firstCellOf(1, 1);
    return blank;
}

} // namespace panemark
