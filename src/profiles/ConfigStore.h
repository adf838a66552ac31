#pragma once

#include "model/AnimationSettings.h"
#include "model/ZoneCommand.h"
#include "platform/LoginItem.h"
#include "profiles/PreferencesStore.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"

#include <vector>

namespace panemark {

// The working settings of the running program: the active profile's commands and gap, and the
// application-wide preferences. Every property is observable; only the preferences are stored
// here (the commands and gap live in the profile, launch at login in the login item).
// Main thread only.
class ConfigStore : public ObservableObject {
public:
    // Each preference once: its key and its default.
    static constexpr const char* showSplashAtLaunchKey = "Panemark.showSplashAtLaunch";
    static constexpr const char* animateWindowsKey = "Panemark.animateWindows";
    static constexpr const char* animationDurationKey = "Panemark.animationDuration";
    static constexpr const char* animationCurveKey = "Panemark.animationCurve";
    static constexpr double defaultAnimationDuration = 0.25;
    static constexpr double minimumAnimationDuration = 0.08;
    static constexpr double maximumAnimationDuration = 0.4;

    ConfigStore(PreferencesStore& preferences, LoginItem& loginItem);

    Published<std::vector<ZoneCommand>> commands;
    Published<double> gap;
    Published<bool> launchAtLogin;
    Published<bool> showSplashAtLaunch;
    Published<bool> animateWindows;
    Published<double> animationDuration;
    Published<AnimationCurve> animationCurve;

    AnimationSettings animationSettings() const;

    // Setters of the preferences: assign (observers hear it), then write the preferences file.
    void setAnimationDuration(double seconds);
    void setAnimationCurve(AnimationCurve curve);
    void setShowSplashAtLaunch(bool show);
    void setAnimateWindows(bool animate);
    // Asks the login item to follow, then shows what it really did.
    void setLaunchAtLogin(bool enabled);

    // Each appends one new single-cell command of its kind, in one assignment.
    void addCommand();
    void addHalfCommand();
    void addMaximizeCommand();
    void addFixedSizeCommand();
    // A copy with a fresh id and no shortcut, right after the original (or at the end); its id.
    Uuid duplicate(const ZoneCommand& command);
    // Removes every command with this command's id.
    void deleteCommand(const ZoneCommand& command);

    static std::vector<ZoneCommand> defaultCommands();
    // Non-finite: the default; then kept within the minimum and maximum.
    static double clampDuration(double seconds);

private:
    void append(ZoneCommand command);

    PreferencesStore& preferences_;
    LoginItem& loginItem_;
};

} // namespace panemark
