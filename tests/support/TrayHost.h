#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace panemark {

// The system tray the release has, as a light grey strip of icon slots at the top right of the
// screen that reserves no room beside it: trayer (Debian 12 and 13) or stalonetray (Debian
// testing, which no longer has trayer).
inline std::vector<std::string> trayHostCommand() {
    if (std::system("command -v trayer >/dev/null 2>&1") == 0) {
        return {"trayer",  "--edge", "top",      "--align", "right",         "--widthtype", "pixel",
                "--width", "120",    "--height", "24",      "--transparent", "false"};
    }
    return {"stalonetray",  "--geometry",     "5x1-0+0",       "--icon-size",    "24",
            "--background", "#d3d3d3",        "--window-type", "normal",         "--window-strut",
            "none",         "--window-layer", "top",           "--skip-taskbar", "--sticky",
            "--kludges",    "fix_window_pos"};
}

} // namespace panemark
