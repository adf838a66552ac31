#pragma once

#include "base/Result.h"
#include "model/Shortcut.h"

#include <vector>

namespace panemark {

class KeyboardLayouts;

// Shortcuts as KDE's global shortcut service takes them: integers of a Qt key and Qt modifier
// bits. KWin matches a press by what the key types on the active layout, so a shortcut's
// physical key is handed over as what it types there: ⌃⌥⌘Z is Ctrl+Alt+Meta+W on a French
// layout, ⌃⌥⌘1 Ctrl+Alt+Meta+& (no Shift). The command key is Meta.
namespace KdeKeyCodes {

// The combinations to hand over: the first is what KWin reads the key as on the active layout;
// a second, when there is one, what it reads it as when the layout types no Latin letter there
// and Control is held (Qt then reads the key on the user's first Latin layout). Without a
// keyboard map, keys are read as the standard ("us") layout prints them. An error, in words,
// for a key KDE cannot bind or the active layout cannot type.
Result<std::vector<int>> combinationsFor(const Shortcut& shortcut,
                                         const KeyboardLayouts* layouts = nullptr);

} // namespace KdeKeyCodes

} // namespace panemark
