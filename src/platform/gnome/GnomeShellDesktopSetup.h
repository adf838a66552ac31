#pragma once

#include "platform/DesktopSetup.h"

namespace panemark {

// `panemark setup gnome-shell`: Panemark's GNOME Shell extension written for this user and
// turned on (GnomeShellSetup), or only written into a folder for a package.
class GnomeShellDesktopSetup : public DesktopSetup {
public:
    std::optional<std::string> refusedVersion(const std::string& version) const override;
    Result<std::vector<std::string>> run(const Options& options) override;
};

} // namespace panemark
