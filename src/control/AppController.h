#pragma once

#include "base/ObservableObject.h"
#include "base/Scheduler.h"
#include "control/HotKeyManager.h"
#include "hardware/ProfileAutoSwitcher.h"
#include "placement/WindowMover.h"
#include "platform/Platform.h"
#include "preferences/ConfigStore.h"
#include "preferences/PreferencesStore.h"
#include "profiles/ProfileManager.h"

#include <memory>
#include <variant>
#include <vector>

namespace panemark {

// The root of the running program: owns every long-lived service, says when the desktop refuses
// Panemark, keeps the hot keys in step with the command list, and runs commands.
class AppController : public ObservableObject {
public:
    // Where the commands come from: the profiles in a profile store, or a fixed list bound for
    // this run only (profiles are then left alone).
    using CommandSource = std::variant<ProfileFileStore, std::vector<ZoneCommand>>;

    AppController(Platform& platform, PreferencesStore& preferences, Scheduler& mainLoop,
                  std::unique_ptr<WindowAnimator> animator, CommandSource commands);
    ~AppController() override;

    // Runs one command on a window (the focused one when none is named), with the gap and
    // animation settings of this moment.
    void run(const ZoneCommand& command, std::optional<WindowRef> window = std::nullopt);
    void registerHotKeys(const std::vector<ZoneCommand>& commands);

    Platform& platform() { return platform_; }
    Scheduler& mainLoop() { return mainLoop_; }
    PreferencesStore& preferences() { return preferences_; }
    ConfigStore& config() { return *config_; }
    // The profiles, and the active one's commands and gap; with commands given for this run, one
    // profile that keeps no file.
    ProfileManager& profiles() { return *profiles_; }
    ProfileAutoSwitcher* autoSwitcher() { return autoSwitcher_.get(); }
    HotKeyManager& hotKeys() { return *hotKeys_; }
    WindowMover& mover() { return *mover_; }

private:
    void reportRefusedAccess();

    Platform& platform_;
    PreferencesStore& preferences_;
    Scheduler& mainLoop_;
    std::unique_ptr<ConfigStore> config_;
    std::unique_ptr<ProfileManager> profiles_;
    std::unique_ptr<ProfileAutoSwitcher> autoSwitcher_;
    std::unique_ptr<HotKeyManager> hotKeys_;
    std::unique_ptr<WindowMover> mover_;
    std::shared_ptr<AppController*> alive_ = std::make_shared<AppController*>(this);
    Subscription cancellable_;
};

} // namespace panemark
