#pragma once

#include "base/Result.h"
#include "model/Rect.h"

#include <string>

namespace panemark {

// A helper of ours that runs inside the compositor (the KWin script, the GNOME Shell
// extension) and does what only the compositor may: it answers in the JSON HelperReplies
// reads. Calls may come from any thread and return within their timeout (seconds).
class CompositorHelper {
public:
    virtual ~CompositorHelper() = default;

    // The active window and the screens.
    virtual Result<std::string> look(double timeout) = 0;
    // One window by its id.
    virtual Result<std::string> window(const std::string& id, double timeout) = 0;
    // Puts a window at a frame; the answer comes once the compositor shows it there, or after
    // waitMilliseconds with wherever it is then.
    virtual Result<std::string> place(const std::string& id, const Rect& frame,
                                      int waitMilliseconds, double timeout) = 0;
};

} // namespace panemark
