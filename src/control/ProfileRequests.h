#pragma once

#include "control/InstanceProtocol.h"
#include "profiles/ProfileManager.h"
#include "profiles/ProfileRules.h"

#include <string>
#include <vector>

namespace panemark {

// The profile operations of the command line, answered against a profile manager: the running
// program's over the instance socket, or one over the files when nothing runs. Requests and
// replies are those of the instance protocol; a refused request changes nothing.
//
//   profiles                          → profiles: [{position, id, name, active, trigger,
//                                        commands, gap}], skipped: [{file, error}]
//   profile.activate/duplicate/delete {profile}
//   profile.create {name, from: empty|defaults|active}   → id
//   profile.rename {profile, name}    profile.move {profile, position (1-based)}
//   profile.export {profile}          → text
//   profile.import {path}             → id, name
//   profile.commands {profile}        → commands
//   profile.set-commands {profile, commands}
//   profile.set-gap {profile, gap}
//   profile.set-trigger {profile, trigger} → trigger (summary)
//   auto-switch {value: on|off|status} → autoSwitchEnabled
//
// A change whose file could not be written fails with "unsaved": true.
//
// PROFILE is a name (exact) or an id; a name that two profiles share is refused with their ids.
class ProfileRequests {
public:
    using Json = InstanceProtocol::Json;

    static constexpr double maxGap = ProfileRules::maxGap;

    static const std::vector<std::string>& names();
    // Whether a request only reads: answered from files, such a request writes nothing.
    static bool isReadOnly(const Json& request);
    static Json answer(ProfileManager& manager, const Json& request);
};

} // namespace panemark
