#pragma once

#include "model/Uuid.h"
#include "model/ZoneCommand.h"

#include <optional>

namespace panemark {

class ConfigStore;

// The command with an id, read and written in the store's list by that id each time: an edit
// made after the command was removed (by another window, a profile switch) is dropped.
class CommandBinding {
public:
    // None when no command has the id.
    static std::optional<CommandBinding> forId(ConfigStore& config, const Uuid& id);

    // The command as it stands now; a placeholder once it is gone.
    ZoneCommand get() const;
    // Replaces the command in the list, in one assignment; nothing when it is gone.
    void set(const ZoneCommand& command) const;
    const Uuid& id() const { return id_; }

    // A blank 1×1 command, shown only for the instant a selected command is being removed.
    static const ZoneCommand& placeholder();

private:
    CommandBinding(ConfigStore& config, Uuid id) : config_(&config), id_(id) {}

    ConfigStore* config_;
    Uuid id_;
};

} // namespace panemark
