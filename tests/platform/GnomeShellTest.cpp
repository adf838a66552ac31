#include "platform/GlobalShortcuts.h"
#include "platform/gnome/GnomeAccelerators.h"
#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/GnomeShellSetup.h"
#include "platform/gnome/GnomeShortcuts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace panemark {
namespace {

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;

TEST(GnomeShellTest, ShortcutsReachTheShellAsAcceleratorsOfPhysicalKeys) {
    // Key codes, not symbols: mutter grabs a code where it is, whatever the layout.
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({123, hyper}), "<Control><Alt><Super>0x71");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({18, hyper}), "<Control><Alt><Super>0x0a");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({6, hyper}), "<Control><Alt><Super>0x34"); // Z
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({46, Shortcut::controlMask | Shortcut::shiftMask}),
              "<Control><Shift>0x3a");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({83, Shortcut::commandMask}), "<Super>0x57");
    // A key with no classic code keeps its own: evdev 240 is X key code 248.
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({256 + 240, Shortcut::controlMask}),
              "<Control>0xf8");
    EXPECT_EQ(GnomeAccelerators::acceleratorFor({52, Shortcut::controlMask}), std::nullopt);
    // A key with no accelerator is left out of the change the extension is handed.
    const nlohmann::json change = nlohmann::json::parse(GnomeShortcuts::changesJson(
        {{"c", {124, hyper}, "Right half"}},
        {{"a", {123, hyper}, "Left half"}, {"b", {52, hyper}, "Nothing"}}));
    ASSERT_EQ(change["take"].size(), 1u);
    EXPECT_EQ(change["take"][0]["name"], "a");
    EXPECT_EQ(change["take"][0]["accelerator"], "<Control><Alt><Super>0x71");
    EXPECT_EQ(change["letGo"][0]["name"], "c");
}

TEST(GnomeShellTest, TheExtensionIsWrittenForTheShellItWillRunIn) {
    for (const int major : {43, 44, 45, 47, 49, 50, 51, 53}) {
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

std::vector<std::string> claimedShells(int major) {
    const nlohmann::json metadata =
        nlohmann::json::parse(GnomeShellExtension::files(major)[0].text);
    return metadata["shell-version"].get<std::vector<std::string>>();
}

TEST(GnomeShellTest, AModuleEntryClaimsEveryKnownShellAndANewerOneItIsWrittenFor) {
    const std::vector<std::string> known = {"45", "46", "47", "48", "49", "50", "51"};
    // The copy a package installs for every user, whatever shell built it.
    EXPECT_EQ(claimedShells(45), known);
    EXPECT_EQ(claimedShells(48), known);
    EXPECT_EQ(claimedShells(43), (std::vector<std::string>{"43", "44"}));
    std::vector<std::string> newer = known;
    newer.push_back("52");
    newer.push_back("53");
    EXPECT_EQ(claimedShells(53), newer);
}

// A home of the test's own, for the user's copy of the extension, with no system copies.
class ExtensionCopies : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::temp_directory_path() /
                ("panemark-extension-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_ / "system");
        ::setenv("XDG_DATA_HOME", (home_ / "user").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (home_ / "system").c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(home_); }

    std::filesystem::path systemFolder() const {
        return home_ / "system" / "gnome-shell" / "extensions";
    }

    std::filesystem::path home_;
};

TEST_F(ExtensionCopies, ACopyThatDoesNotFitTheRunningShellIsWrittenAnewForIt) {
    using GnomeShellExtension::fits;
    using GnomeShellExtension::installedCopy;
    // None installed: nothing is written (setup is for that).
    EXPECT_EQ(installedCopy(), std::nullopt);
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(50).value(), false);
    EXPECT_FALSE(std::filesystem::exists(GnomeShellExtension::userExtensionsFolder()));

    // The package's copy serves 45 and later as it is; 43 gets a script copy of the user's.
    ASSERT_TRUE(GnomeShellExtension::install(systemFolder(), 45));
    EXPECT_EQ(installedCopy(), systemFolder() / GnomeShellExtension::uuid);
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(50).value(), false);
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(43).value(), true);
    const std::filesystem::path user =
        GnomeShellExtension::userExtensionsFolder() / GnomeShellExtension::uuid;
    EXPECT_EQ(installedCopy(), user); // it hides the system's
    EXPECT_TRUE(fits(user, 43));
    EXPECT_FALSE(fits(user, 50));

    // Written under GNOME 48 before 49 was known, the user's copy goes stale on an upgrade.
    std::string metadata = GnomeShellExtension::files(48)[0].text;
    metadata.replace(metadata.find("\"49\""), 4, "\"45\"");
    std::ofstream(user / "metadata.json", std::ios::trunc) << metadata;
    std::ofstream(user / "extension.js", std::ios::trunc) << GnomeShellExtension::files(48)[1].text;
    EXPECT_FALSE(fits(user, 49));
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(49).value(), true);
    EXPECT_TRUE(fits(user, 49));
    // Another Panemark's extension does not fit either, though it claims the shell.
    std::ofstream(user / "extension.js", std::ios::app) << "// an older body\n";
    EXPECT_FALSE(fits(user, 49));
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(49).value(), true);
    EXPECT_EQ(GnomeShellSetup::refreshInstalledCopy(49).value(), false);
    // A copy that cannot be read as one is written anew too.
    std::ofstream(user / "metadata.json", std::ios::trunc) << "{";
    EXPECT_FALSE(fits(user, 49));
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
