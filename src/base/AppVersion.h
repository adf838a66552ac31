#pragma once

#include <map>
#include <optional>
#include <string>

namespace panemark {

// The program's version strings, from values recorded at build time. A value counts only when
// it is a non-empty string; otherwise the documented fallback stands in.
struct AppVersion {
    // Keys of the build information.
    static constexpr const char* shortVersionKey = "ShortVersion";
    static constexpr const char* buildKey = "BuildNumber";
    static constexpr const char* buildKindKey = "BuildKind";
    static constexpr const char* gitDescribeKey = "GitDescribe";
    static constexpr const char* copyrightKey = "Copyright";

    std::string shortVersion; // "0.0.0" when missing
    std::string build;        // "0" when missing
    bool isDevBuild = true;   // false only for the build kind "release"
    std::optional<std::string> gitDescribe;
    std::optional<std::string> copyright;

    static AppVersion fromInfo(const std::map<std::string, std::string>& info);

    // This program's version, read once on first use.
    static const AppVersion& current();

    // "Panemark 1.2.0 (34)", with " · DEV" appended for a development build.
    std::string versionLine() const;
    // "v1.2.0 (34)", with " · DEV" appended for a development build: the splash and About.
    std::string shortLine() const;
};

} // namespace panemark
