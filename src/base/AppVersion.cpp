#include "base/AppVersion.h"

#include "BuildInfo.h"

namespace panemark {

namespace {

std::optional<std::string> infoValue(const std::map<std::string, std::string>& info,
                                     const char* key) {
    auto found = info.find(key);
    if (found == info.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace

AppVersion AppVersion::fromInfo(const std::map<std::string, std::string>& info) {
    AppVersion version;
    version.shortVersion = infoValue(info, shortVersionKey).value_or("0.0.0");
    version.build = infoValue(info, buildKey).value_or("0");
    version.isDevBuild = infoValue(info, buildKindKey) != std::optional<std::string>("release");
    version.gitDescribe = infoValue(info, gitDescribeKey);
    version.copyright = infoValue(info, copyrightKey);
    return version;
}

const AppVersion& AppVersion::current() {
    static const AppVersion version = fromInfo({
        {shortVersionKey, PANEMARK_INFO_SHORT_VERSION},
        {buildKey, PANEMARK_INFO_BUILD},
        {buildKindKey, PANEMARK_INFO_BUILD_KIND},
        {gitDescribeKey, PANEMARK_INFO_GIT_DESCRIBE},
        {copyrightKey, PANEMARK_INFO_COPYRIGHT},
    });
    return version;
}

std::string AppVersion::versionLine() const {
    return "Panemark " + shortVersion + " (" + build + ")" + (isDevBuild ? " · DEV" : "");
}

std::string AppVersion::shortLine() const {
    return "v" + shortVersion + " (" + build + ")" + (isDevBuild ? " · DEV" : "");
}

} // namespace panemark
