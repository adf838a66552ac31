#pragma once

#include "profiles/HIDDeviceID.h"

#include <set>
#include <string>
#include <unordered_set>

namespace panemark {

// What is connected right now, as triggers are matched against it.
struct HardwareState {
    std::set<std::string> connectedDisplays;            // external displays, by UUID
    std::unordered_set<HIDDeviceID> connectedKeyboards; // keyboard models
};

} // namespace panemark
