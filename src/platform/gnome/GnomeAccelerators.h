#pragma once

#include "model/Shortcut.h"

#include <optional>
#include <string>

namespace panemark {

// Shortcuts as GNOME Shell grabs them: an accelerator of modifier names and a key symbol's name
// as the standard ("us") layout names the key, "<Control><Alt><Super>Left".
namespace GnomeAccelerators {

std::optional<std::string> acceleratorFor(const Shortcut& shortcut);

} // namespace GnomeAccelerators

} // namespace panemark
