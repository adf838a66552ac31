#include "platform/GlobalShortcuts.h"
#include "platform/gnome/GnomeAccelerators.h"
#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/GnomeShortcuts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace panemark {
namespace {

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;

TEST(GnomeShellTest, ShortcutsReachTheShellAsAcceleratorsOfTheStandardLayout) {
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({123, hyper}), "<Control><Alt><Super>Left");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({18, hyper}), "<Control><Alt><Super>1");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({46, Shortcut::controlMask | Shortcut::shiftMask}),
              "<Control><Shift>m");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({33, Shortcut::optionMask}), "<Alt>bracketleft");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({83, Shortcut::commandMask}), "<Super>KP_1");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({111, Shortcut::controlMask}), "<Control>F12");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({300, Shortcut::controlMask}), std::nullopt);
    // A key with no accelerator is left out of the set the extension is handed.
    const nlohmann::json set = nlohmann::json::parse(GnomeShortcuts::bindingsJson(
        {{"a", {123, hyper}, "Left half"}, {"b", {300, hyper}, "Nothing"}}));
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0]["name"], "a");
    EXPECT_EQ(set[0]["accelerator"], "<Control><Alt><Super>Left");
}

TEST(GnomeShellTest, TheExtensionIsWrittenForTheShellItWillRunIn) {
    for (const int major : {43, 44, 45, 47}) {
        const std::vector<GnomeShellExtension::File> files = GnomeShellExtension::files(major);
        ASSERT_EQ(files.size(), 3u);
        const nlohmann::json metadata = nlohmann::json::parse(files[0].text);
        EXPECT_EQ(metadata["uuid"], GnomeShellExtension::uuid);
        const auto versions = metadata["shell-version"].get<std::vector<std::string>>();
        EXPECT_NE(std::find(versions.begin(), versions.end(), std::to_string(major)),
                  versions.end())
            << major;
        const std::string& code = files[1].text;
        EXPECT_NE(code.find("function createPanemark(lib)"), std::string::npos);
        // 43 and 44 load scripts with `imports`; 45 and later ES modules.
        const bool modules = code.find("export default class") != std::string::npos;
        EXPECT_EQ(modules, major >= 45) << major;
        EXPECT_EQ(code.find("imports.gi") != std::string::npos, major < 45) << major;
    }
}

TEST(GnomeShellTest, TurningTheExtensionOnKeepsTheOthersAndAddsItOnce) {
    using GnomeShellExtension::enabledWith;
    EXPECT_EQ(enabledWith("@as []"), "['panemark@panemark.app']");
    EXPECT_EQ(enabledWith("['dash@x.org', \"clock@y.org\"]"),
              "['dash@x.org', 'clock@y.org', 'panemark@panemark.app']");
    EXPECT_EQ(enabledWith("['panemark@panemark.app']"), "['panemark@panemark.app']");
    EXPECT_EQ(enabledWith("true"), std::nullopt);
    EXPECT_EQ(GnomeShellExtension::majorVersion("GNOME Shell 43.9"), 43);
    EXPECT_EQ(GnomeShellExtension::majorVersion("46.rc"), 46);
    EXPECT_EQ(GnomeShellExtension::majorVersion("none"), std::nullopt);
}

} // namespace
} // namespace panemark
