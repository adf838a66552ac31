#include "profiles/ConfigStore.h"

#include "model/StockCommands.h"
#include "platform/LaunchAtLogin.h"

#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

AnimationCurve storedCurve(const std::optional<std::string>& raw) {
    // Only the exact names; anything else, in any other spelling, is the default.
    return AnimationCurve::fromRawValue(raw.value_or("")).value_or(AnimationCurve::easeInOut);
}

} // namespace

ConfigStore::ConfigStore(PreferencesStore& preferences, LoginItem& loginItem)
    : commands({}, this), gap(0, this),
      launchAtLogin(loginItem.status() == LoginItem::Status::enabled, this),
      showSplashAtLaunch(preferences.readBool(showSplashAtLaunchKey).value_or(true), this),
      animateWindows(preferences.readBool(animateWindowsKey).value_or(true), this),
      animationDuration(
          clampDuration(
              preferences.readDouble(animationDurationKey).value_or(defaultAnimationDuration)),
          this),
      animationCurve(storedCurve(preferences.readString(animationCurveKey)), this),
      preferences_(preferences), loginItem_(loginItem) {}

double ConfigStore::clampDuration(double seconds) {
    if (!std::isfinite(seconds)) {
        return defaultAnimationDuration;
    }
    return std::min(std::max(seconds, minimumAnimationDuration), maximumAnimationDuration);
}

AnimationSettings ConfigStore::animationSettings() const {
    return {animateWindows.get(), animationCurve.get(), animationDuration.get()};
}

void ConfigStore::setAnimationDuration(double seconds) {
    animationDuration = clampDuration(seconds);
    preferences_.writeDouble(animationDurationKey, animationDuration.get());
}

void ConfigStore::setAnimationCurve(AnimationCurve curve) {
    animationCurve = curve;
    preferences_.writeString(animationCurveKey, std::string(curve.rawValue()));
}

void ConfigStore::setShowSplashAtLaunch(bool show) {
    showSplashAtLaunch = show;
    preferences_.writeBool(showSplashAtLaunchKey, show);
}

void ConfigStore::setAnimateWindows(bool animate) {
    animateWindows = animate;
    preferences_.writeBool(animateWindowsKey, animate);
}

void ConfigStore::setLaunchAtLogin(bool enabled) {
    LaunchAtLogin::set(loginItem_, enabled);
    launchAtLogin = loginItem_.status() == LoginItem::Status::enabled;
}

void ConfigStore::append(ZoneCommand command) {
    std::vector<ZoneCommand> list = commands.get();
    list.push_back(std::move(command));
    commands = std::move(list);
}

void ConfigStore::addCommand() {
    append(ZoneCommand::firstCellOf(2, 1));
}

void ConfigStore::addHalfCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 2);
    command.halfAction = HalfAction::top;
    append(std::move(command));
}

void ConfigStore::addMaximizeCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 1);
    command.maximize = true;
    append(std::move(command));
}

void ConfigStore::addFixedSizeCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 1);
    command.fixedSize = FixedSizeSpec{FixedSizeSpec::defaultWidth, FixedSizeSpec::defaultHeight};
    append(std::move(command));
}

Uuid ConfigStore::duplicate(const ZoneCommand& command) {
    ZoneCommand copy = command;
    copy.id = Uuid::random();
    copy.shortcut.reset();
    std::vector<ZoneCommand> list = commands.get();
    auto original = std::find_if(list.begin(), list.end(),
                                 [&](const ZoneCommand& entry) { return entry.id == command.id; });
    list.insert(original == list.end() ? list.end() : original + 1, copy);
    commands = std::move(list);
    return copy.id;
}

void ConfigStore::deleteCommand(const ZoneCommand& command) {
    std::vector<ZoneCommand> list = commands.get();
    std::erase_if(list, [&](const ZoneCommand& entry) { return entry.id == command.id; });
    commands = std::move(list);
}

std::vector<ZoneCommand> ConfigStore::defaultCommands() {
    return stockCommands();
}

} // namespace panemark
