#include "profiles/ProfileTrigger.h"

namespace panemark {

bool ProfileTrigger::isManualOnly() const {
    return !requireNoExternalDisplay && displayUUIDs.empty() && !keyboard;
}

std::string ProfileTrigger::summary() const {
    std::vector<std::string> parts;
    if (requireNoExternalDisplay) {
        parts.push_back("No external display");
    }
    if (!displayUUIDs.empty()) {
        const std::size_t count = displayUUIDs.size();
        parts.push_back(std::to_string(count) + (count == 1 ? " display" : " displays"));
    }
    if (keyboard) {
        parts.push_back("+ keyboard");
    }
    if (parts.empty()) {
        return "Manual only";
    }
    std::string text = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        text += ", " + parts[i];
    }
    return text;
}

} // namespace panemark
