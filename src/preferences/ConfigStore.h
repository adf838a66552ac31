#pragma once

#include "base/ObservableObject.h"
#include "base/Published.h"
#include "model/AnimationSettings.h"
#include "platform/LoginItem.h"
#include "preferences/PreferencesStore.h"
#include "preferences/Settings.h"

namespace panemark {

// The application-wide preferences of the running program, each read once from the
// preferences file through its entry in Settings and kept within its range. Every property is
// observable; the setters store, announce, then write the file (launch at login goes to the
// login item instead). The active profile's commands and gap are the profile manager's.
// Main thread only.
class ConfigStore : public ObservableObject {
public:
    ConfigStore(PreferencesStore& preferences, LoginItem& loginItem);

    Published<bool> launchAtLogin;
    Published<bool> showSplashAtLaunch;
    Published<bool> animateWindows;
    Published<double> animationDuration;
    Published<AnimationCurve> animationCurve;

    AnimationSettings animationSettings() const;

    void setAnimationDuration(double seconds);
    void setAnimationCurve(AnimationCurve curve);
    void setShowSplashAtLaunch(bool show);
    void setAnimateWindows(bool animate);
    // Asks the login item to follow, then shows what it really did.
    void setLaunchAtLogin(bool enabled);

private:
    PreferencesStore& preferences_;
    LoginItem& loginItem_;
};

} // namespace panemark
