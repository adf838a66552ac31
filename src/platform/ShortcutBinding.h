#pragma once

#include "model/Shortcut.h"

#include <string>

namespace panemark {

// One combination the desktop is asked to deliver, and the name its presses are reported by.
struct ShortcutBinding {
    std::string name;
    Shortcut shortcut;
    // What a desktop that lists its shortcuts shows for it (the command's name). Not part of
    // the binding's identity: renaming a command is no reason to take its keys again.
    std::string label;

    bool operator==(const ShortcutBinding& other) const {
        return name == other.name && shortcut == other.shortcut;
    }
};

} // namespace panemark
