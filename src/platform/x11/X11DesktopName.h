#pragma once

#include <functional>
#include <map>
#include <string>

namespace panemark {

// Which desktop a window manager belongs to, with its version, as `panemark status` shows it.
// Cinnamon's shell is its own window manager ("Mutter (Muffin)"), MATE's is marco ("Metacity
// (Marco)"); each desktop's program says its version. Any other manager is shown by its own
// name. Asked once per manager, since it runs a program.
class X11DesktopName {
public:
    // What a program printed when asked for its version; empty when it is not there or failed.
    using VersionOf = std::function<std::string(const std::string& program)>;

    X11DesktopName();
    explicit X11DesktopName(VersionOf versionOf) : versionOf_(std::move(versionOf)) {}

    // "Cinnamon 5.6.8, window manager Mutter (Muffin)" for a manager of that name.
    std::string describe(const std::string& managerName);

    // The first dotted number in a program's words ("IceWM 3.3.1, Copyright…" → "3.3.1").
    static std::string versionIn(const std::string& text);

private:
    std::string desktopOf(const std::string& managerName);
    // "Cinnamon 5.6.8" by the desktop's own program, else "Cinnamon (muffin 5.6.4)" by its
    // window manager's, else the desktop's name alone.
    std::string named(const std::string& desktop, const char* desktopProgram,
                      const char* managerProgram);

    VersionOf versionOf_;
    std::map<std::string, std::string> known_;
};

} // namespace panemark
