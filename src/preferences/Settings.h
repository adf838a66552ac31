#pragma once

#include <algorithm>
#include <cmath>

namespace panemark {

// One preference: its key in the preferences file and its default.
template <class T> struct Setting {
    const char* key;
    T defaultValue;
};

// A number preference, kept within its range; what is not a finite number is the default.
struct NumberSetting {
    const char* key;
    double defaultValue;
    double minimum;
    double maximum;

    double clamp(double value) const {
        return std::isfinite(value) ? std::min(std::max(value, minimum), maximum) : defaultValue;
    }
};

// Every application-wide preference, once. Commands and gaps belong to profiles, and launch at
// login to the login item; neither is here.
namespace Settings {

inline constexpr Setting<bool> showSplashAtLaunch{"Panemark.showSplashAtLaunch", true};
inline constexpr Setting<bool> animateWindows{"Panemark.animateWindows", true};
inline constexpr NumberSetting animationDuration{"Panemark.animationDuration", 0.25, 0.08, 0.4};
// An AnimationCurve's raw value; any other text reads as the default.
inline constexpr Setting<const char*> animationCurve{"Panemark.animationCurve", "easeInOut"};
inline constexpr Setting<bool> checkForUpdatesAutomatically{"Panemark.checkForUpdatesAutomatically",
                                                            false};
// Where updates are looked for; empty: the feed built into the program.
inline constexpr Setting<const char*> updateFeedURL{"Panemark.updateFeedURL", ""};

} // namespace Settings

} // namespace panemark
