#include "base/AppVersion.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

TEST(AppVersionTest, MissingOrEmptyValuesFallBack) {
    const AppVersion version =
        AppVersion::fromInfo({{AppVersion::buildKey, ""}, {AppVersion::gitDescribeKey, ""}});
    EXPECT_EQ(version.shortVersion, "0.0.0");
    EXPECT_EQ(version.build, "0");
    EXPECT_TRUE(version.isDevBuild);
    EXPECT_FALSE(version.gitDescribe.has_value());
    EXPECT_FALSE(version.copyright.has_value());
    EXPECT_EQ(version.versionLine(), "Panemark 0.0.0 (0) · DEV");
}

TEST(AppVersionTest, OnlyTheBuildKindReleaseIsNotADevelopmentBuild) {
    auto withKind = [](const std::string& kind) {
        return AppVersion::fromInfo({{AppVersion::shortVersionKey, "1.4.2"},
                                     {AppVersion::buildKey, "88"},
                                     {AppVersion::buildKindKey, kind},
                                     {AppVersion::gitDescribeKey, "v1.4.2-3-gabc"}});
    };
    EXPECT_FALSE(withKind("release").isDevBuild);
    EXPECT_EQ(withKind("release").versionLine(), "Panemark 1.4.2 (88)");
    EXPECT_EQ(withKind("release").gitDescribe, "v1.4.2-3-gabc");
    EXPECT_TRUE(withKind("Release").isDevBuild);
    EXPECT_TRUE(withKind("development").isDevBuild);
    EXPECT_EQ(withKind("release").shortLine(), "v1.4.2 (88)");
    EXPECT_EQ(withKind("").shortLine(), "v1.4.2 (88) · DEV");
}

} // namespace
} // namespace panemark
