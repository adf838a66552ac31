#pragma once

#include "base/Result.h"
#include "model/Rect.h"
#include "platform/OutputFacts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panemark {

// What a helper of ours inside the compositor (the KWin script, the GNOME Shell extension)
// answers, in the JSON both speak. Everything is read as untrusted text: a wrong field is an
// error, never a crash.
namespace HelperReplies {

// A window as the helper describes it; its id is the compositor's own, as text.
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

// Where a placed window ended up; none when the window was gone.
struct Placed {
    std::optional<Rect> frame;
};

Result<Look> look(std::string_view text);
// The screens of a look or of any message that carries them: the same list in each.
Result<std::vector<OutputFacts>> screens(std::string_view text);
// The window a window request names, or none when it is gone.
Result<std::optional<Window>> window(std::string_view text);
Result<Placed> placed(std::string_view text);

} // namespace HelperReplies

} // namespace panemark
