#pragma once

#include "base/Result.h"
#include "platform/OutputFacts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

struct Rect;

// What Panemark asks its KWin script (JSON objects with a serial and an "op") and what the
// script says when it starts; its answers are the compositor helpers' (HelperReplies).
namespace KWinScriptMessages {

// What the script says when it starts: which scripting API it found (5 or 6) and the screens.
struct Hello {
    int api = 0;
    std::vector<OutputFacts> screens;
};

std::string lookRequest(std::uint64_t serial);
std::string screensRequest(std::uint64_t serial);
std::string windowRequest(std::uint64_t serial, const std::string& id);
// The script waits up to waitMilliseconds for the client to draw at the new size.
std::string placeRequest(std::uint64_t serial, const std::string& id, const Rect& frame,
                         int waitMilliseconds);
std::string echoRequest(std::uint64_t serial);
// What the script's poll is answered when nothing is to be done, and what tells a copy of an
// earlier run to stop asking.
std::string idle();
std::string stop();

Result<Hello> hello(std::string_view text);

} // namespace KWinScriptMessages

} // namespace panemark
