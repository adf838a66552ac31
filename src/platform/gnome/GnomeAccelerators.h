#pragma once

#include "model/Shortcut.h"

#include <optional>
#include <string>

namespace panemark {

// Shortcuts as GNOME Shell grabs them: an accelerator of modifier names and the key's own code
// (the X key code, "0x" and hex), "<Control><Alt><Super>0x71". Mutter grabs a code as the
// physical key it is, whatever layout is active, where a key symbol's name would be looked up
// in the current layout (the Z of AZERTY is the US W key) and bound again on each switch.
namespace GnomeAccelerators {

// None for a key Linux keyboards do not have.
std::optional<std::string> acceleratorFor(const Shortcut& shortcut);

} // namespace GnomeAccelerators

} // namespace panemark
