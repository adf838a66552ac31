#pragma once

#include "platform/LoginItem.h"

#include <optional>
#include <string>

namespace panemark {

// Launch at login as the freedesktop.org desktops do it: an autostart entry,
// $XDG_CONFIG_HOME/autostart/panemark.desktop. It counts as enabled when it exists, runs this
// program, and is neither Hidden=true nor X-GNOME-Autostart-enabled=false (how desktops record
// "turned off in the session settings").
class XdgAutostartItem : public LoginItem {
public:
    // program: the absolute path the entry is to run.
    XdgAutostartItem(std::string entryPath, std::string program);
    // The entry of the running program, in the user's configuration directory.
    static XdgAutostartItem forThisProgram();

    Status status() override;
    Result<bool> registerItem() override;
    Result<bool> unregisterItem() override;

    const std::string& entryPath() const { return entryPath_; }
    // After status(): why an entry that is there could not be read (a folder, a FIFO …).
    const std::optional<std::string>& unusableBecause() const { return unusable_; }

private:
    std::optional<std::string> unusable_;
    std::string entryPath_;
    std::string program_;
};

} // namespace panemark
