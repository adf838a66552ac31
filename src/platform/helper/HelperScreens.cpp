#include "platform/helper/HelperScreens.h"

#include "platform/Edid.h"
#include "platform/ScreenIdentity.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

namespace panemark {

namespace {

constexpr double lookTimeout = 0.25;

} // namespace

HelperScreens::HelperScreens(HelperSnapshot& snapshot, EdidReader edid)
    : snapshot_(snapshot), edid_(std::move(edid)) {}

std::vector<Screen> HelperScreens::screens() {
    if (const auto look = snapshot_.get(lookTimeout); look && !look->screens.empty()) {
        std::vector<Screen> screens = describe(look->screens, edid_);
        std::lock_guard lock(mutex_);
        known_ = screens;
        return screens;
    }
    std::lock_guard lock(mutex_);
    return known_; // the helper does not answer: what it said last
}

Subscription HelperScreens::onScreensChanged(std::function<void()> callback) {
    return changed_.connect(std::move(callback));
}

void HelperScreens::reported(const std::vector<OutputFacts>& outputs) {
    snapshot_.invalidate();
    std::vector<Screen> screens = describe(outputs, edid_);
    {
        std::lock_guard lock(mutex_);
        if (screens == known_) {
            return;
        }
        known_ = std::move(screens);
    }
    changed_.emit();
}

std::vector<Screen> HelperScreens::describe(const std::vector<OutputFacts>& outputs,
                                            const EdidReader& edid) {
    // Numbered in the compositor's order; the primary screen first: the one the compositor
    // names, else the one at the layout's origin.
    const bool named = std::any_of(outputs.begin(), outputs.end(),
                                   [](const OutputFacts& output) { return output.primary; });
    std::vector<std::pair<bool, Screen>> numbered;
    for (const OutputFacts& output : outputs) {
        const bool primary = named ? output.primary : output.frame.x == 0 && output.frame.y == 0;
        numbered.emplace_back(
            primary, ScreenIdentity::screenFor(withMonitorFacts(output, edid),
                                               static_cast<std::uint32_t>(numbered.size() + 1)));
    }
    std::stable_partition(numbered.begin(), numbered.end(),
                          [](const auto& entry) { return entry.first; });
    std::vector<Screen> screens;
    for (auto& entry : numbered) {
        screens.push_back(std::move(entry.second));
    }
    return screens;
}

OutputFacts HelperScreens::withMonitorFacts(OutputFacts output, const EdidReader& reader) {
    if (!output.make.empty() || !output.model.empty() || output.connector.empty() || !reader) {
        return output;
    }
    const std::optional<Edid> edid = Edid::parse(reader(output.connector));
    if (!edid) {
        return output;
    }
    char product[8];
    std::snprintf(product, sizeof product, "%04X", edid->productCode);
    output.make = edid->manufacturer;
    output.model = edid->displayName.empty() ? product : edid->displayName;
    if (!edid->serialText.empty()) {
        output.serial = edid->serialText;
    } else if (edid->serialNumber != 0) {
        output.serial = std::to_string(edid->serialNumber);
    }
    return output;
}

std::vector<std::uint8_t> HelperScreens::drmEdid(const std::string& connector) {
    // /sys/class/drm/card0-DP-1/edid: the card's number comes first.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/drm", error)) {
        const std::string name = entry.path().filename().string();
        const std::size_t dash = name.find('-');
        if (!name.starts_with("card") || dash == std::string::npos ||
            name.substr(dash + 1) != connector) {
            continue;
        }
        std::ifstream in(entry.path() / "edid", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    return {};
}

} // namespace panemark
