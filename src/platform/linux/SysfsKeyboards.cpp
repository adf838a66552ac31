#include "platform/linux/SysfsKeyboards.h"

#include "base/TextFile.h"
#include "platform/linux/NetlinkUeventSource.h"

#include <filesystem>

namespace panemark {

namespace {

constexpr std::size_t attributeLimit = 4096;
constexpr std::uint64_t escapeThroughS = 0xFFFFFFFEull; // keys 1 to 31

std::string attribute(const std::filesystem::path& path) {
    TextFile::Read read = TextFile::read(path.string(), attributeLimit);
    std::string text = read.problem == TextFile::Problem::none ? std::move(read.text) : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::optional<std::int64_t> hexNumber(const std::string& text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::size_t used = 0;
    try {
        const long value = std::stol(text, &used, 16);
        return used == text.size() ? std::optional<std::int64_t>(value) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

SysfsKeyboards::SysfsKeyboards(std::string sysfsRoot, std::unique_ptr<UeventSource> events)
    : root_(std::move(sysfsRoot)), events_(std::move(events)) {}

std::unique_ptr<SysfsKeyboards> SysfsKeyboards::forThisSystem() {
    return std::make_unique<SysfsKeyboards>("/sys", std::make_unique<NetlinkUeventSource>());
}

bool SysfsKeyboards::hasKeyboardKeys(const std::string& capabilities) {
    const std::size_t lastSpace = capabilities.find_last_of(' ');
    const std::string lowest =
        lastSpace == std::string::npos ? capabilities : capabilities.substr(lastSpace + 1);
    if (lowest.empty() || lowest.size() > 16) {
        return false;
    }
    try {
        std::size_t used = 0;
        const std::uint64_t bits = std::stoull(lowest, &used, 16);
        return used == lowest.size() && (bits & escapeThroughS) == escapeThroughS;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<KeyboardDevice> SysfsKeyboards::list() {
    std::vector<KeyboardDevice> keyboards;
    std::error_code error;
    std::filesystem::directory_iterator entries(std::filesystem::path(root_) / "class" / "input",
                                                error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::directory_entry& entry = *entries;
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("input")) {
            continue; // event and mouse nodes sit beside the devices
        }
        if (!hasKeyboardKeys(attribute(entry.path() / "capabilities" / "key"))) {
            continue;
        }
        const std::optional<std::int64_t> vendor =
            hexNumber(attribute(entry.path() / "id" / "vendor"));
        const std::optional<std::int64_t> product =
            hexNumber(attribute(entry.path() / "id" / "product"));
        if (!vendor || !product) {
            continue;
        }
        std::string deviceName = attribute(entry.path() / "name");
        keyboards.push_back(
            {*vendor, *product, deviceName.empty() ? "Unknown keyboard" : std::move(deviceName)});
    }
    if (error) {
        return last_;
    }
    last_ = keyboards;
    return keyboards;
}

Subscription SysfsKeyboards::onDevicesChanged(std::function<void()> callback) {
    return events_->onInputEvent(std::move(callback));
}

} // namespace panemark
