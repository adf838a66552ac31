#include "preferences/ConfigStore.h"

#include "platform/LaunchAtLogin.h"

namespace panemark {

namespace {

bool read(const PreferencesStore& preferences, const Setting<bool>& setting) {
    return preferences.readBool(setting.key).value_or(setting.defaultValue);
}

double read(const PreferencesStore& preferences, const NumberSetting& setting) {
    return setting.clamp(preferences.readDouble(setting.key).value_or(setting.defaultValue));
}

AnimationCurve readCurve(const PreferencesStore& preferences) {
    // Only the exact names; anything else, in any other spelling, is the default.
    const Setting<const char*>& setting = Settings::animationCurve;
    return AnimationCurve::fromRawValue(preferences.readString(setting.key).value_or(""))
        .value_or(*AnimationCurve::fromRawValue(setting.defaultValue));
}

} // namespace

ConfigStore::ConfigStore(PreferencesStore& preferences, LoginItem& loginItem)
    : launchAtLogin(loginItem.status() == LoginItem::Status::enabled, this),
      showSplashAtLaunch(read(preferences, Settings::showSplashAtLaunch), this),
      animateWindows(read(preferences, Settings::animateWindows), this),
      animationDuration(read(preferences, Settings::animationDuration), this),
      animationCurve(readCurve(preferences), this), preferences_(preferences),
      loginItem_(loginItem) {}

AnimationSettings ConfigStore::animationSettings() const {
    return {animateWindows.get(), animationCurve.get(), animationDuration.get()};
}

void ConfigStore::setAnimationDuration(double seconds) {
    animationDuration = Settings::animationDuration.clamp(seconds);
    preferences_.writeDouble(Settings::animationDuration.key, animationDuration.get());
}

void ConfigStore::setAnimationCurve(AnimationCurve curve) {
    animationCurve = curve;
    preferences_.writeString(Settings::animationCurve.key, std::string(curve.rawValue()));
}

void ConfigStore::setShowSplashAtLaunch(bool show) {
    showSplashAtLaunch = show;
    preferences_.writeBool(Settings::showSplashAtLaunch.key, show);
}

void ConfigStore::setAnimateWindows(bool animate) {
    animateWindows = animate;
    preferences_.writeBool(Settings::animateWindows.key, animate);
}

void ConfigStore::setLaunchAtLogin(bool enabled) {
    LaunchAtLogin::set(loginItem_, enabled);
    launchAtLogin = loginItem_.status() == LoginItem::Status::enabled;
}

} // namespace panemark
