#pragma once

#include "platform/LoginItem.h"

#include <string>

namespace panemark {

// Launch at login as the freedesktop.org desktops do it: an autostart entry,
// $XDG_CONFIG_HOME/autostart/panemark.desktop. It counts as enabled when it exists, runs this
// program, and is not Hidden=true (how desktops record "turned off in the session settings").
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

private:
    std::string entryPath_;
    std::string program_;
};

} // namespace panemark
