#pragma once

#include "model/Rect.h"
#include "platform/OutputFacts.h"
#include "runtime/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// What Panemark and its KWin script say to each other: requests Panemark hands the script
// (JSON objects with a serial and an "op"), and what the script answers or reports. Everything
// the script sends is read as untrusted text: a wrong field is an error, never a crash.
namespace KWinScriptMessages {

// A window as the script describes it; its id is KWin's internal UUID.
struct Window {
    std::string id;
    Rect frame;
    std::int64_t pid = 0;
    bool resizable = true;
    bool fullScreen = false;
    std::string caption;

    bool operator==(const Window&) const = default;
};

// The active window (none when the desktop or a panel is in front) and the screens, in one
// answer, as a command needs both.
struct Look {
    std::optional<Window> window;
    std::vector<OutputFacts> screens;
};

// What the script says when it starts: which scripting API it found (5 or 6) and the screens.
struct Hello {
    int api = 0;
    std::vector<OutputFacts> screens;
};

// Where a placed window ended up; none when the window was gone.
struct Placed {
    std::optional<Rect> frame;
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

Result<Look> look(std::string_view text);
// The screens of a look, a hello or a screen report: the same list in each.
Result<std::vector<OutputFacts>> screens(std::string_view text);
// The window a window request names, or none when it is gone.
Result<std::optional<Window>> window(std::string_view text);
Result<Hello> hello(std::string_view text);
Result<Placed> placed(std::string_view text);

} // namespace KWinScriptMessages

} // namespace panemark
