#pragma once

#include "platform/OutputFacts.h"
#include "platform/Screen.h"

#include <cstdint>
#include <string>

namespace panemark {

// What makes a screen the same screen on every start: a UUID derived from what the monitor says
// of itself, in a namespace of Panemark's own, and whether it is the computer's own panel.
namespace ScreenIdentity {

std::string uuidFor(const std::string& identity);
// eDP, LVDS and DSI connectors are panels built into the computer.
bool isBuiltInConnector(const std::string& connector);
// The screen a compositor's output is: named by its make and model (its connector without
// them), the same on any port when it has a serial number.
Screen screenFor(const OutputFacts& output, std::uint32_t displayNumber);

} // namespace ScreenIdentity

} // namespace panemark
