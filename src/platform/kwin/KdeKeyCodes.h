#pragma once

#include "model/Shortcut.h"

#include <optional>

namespace panemark {

// Shortcuts as KDE's global shortcut service takes them: one integer of a Qt key and Qt
// modifier bits, the key as the standard ("us") layout names it. The command key is Meta.
namespace KdeKeyCodes {

std::optional<int> combinationFor(const Shortcut& shortcut);

} // namespace KdeKeyCodes

} // namespace panemark
