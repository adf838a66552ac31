#pragma once

#include "model/Uuid.h"
#include "model/ZoneCommand.h"

#include <optional>

namespace panemark {

class ProfileManager;

// The command with an id, read and written in the active profile's list by that id each time: an
// edit
// made after the command was removed (by another window, a profile switch) is dropped.
class CommandBinding {
public:
    // None when no command has the id.
    static std::optional<CommandBinding> forId(ProfileManager& profiles, const Uuid& id);

    // The command as it stands now; a placeholder once it is gone.
    ZoneCommand get() const;
    // Replaces the command in the list as one edit; nothing when it is gone.
    void set(const ZoneCommand& command) const;
    const Uuid& id() const { return id_; }

    // A blank 1×1 command, shown only for the instant a selected command is being removed.
    static const ZoneCommand& placeholder();

private:
    CommandBinding(ProfileManager& profiles, Uuid id) : profiles_(&profiles), id_(id) {}

    ProfileManager* profiles_;
    Uuid id_;
};

} // namespace panemark
