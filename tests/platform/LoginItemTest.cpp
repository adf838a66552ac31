#include "base/Log.h"
#include "platform/LaunchAtLogin.h"
#include "platform/xdg/XdgAutostartItem.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace panemark {
namespace {

// Counts what LaunchAtLogin asks of the login item.
class CountingLoginItem : public LoginItem {
public:
    Status current = Status::notRegistered;
    int registrations = 0;
    int unregistrations = 0;
    bool fail = false;
    Status status() override { return current; }
    Result<bool> registerItem() override {
        ++registrations;
        if (fail) {
            return Error{"no space left on device"};
        }
        current = Status::enabled;
        return true;
    }
    Result<bool> unregisterItem() override {
        ++unregistrations;
        current = Status::notRegistered;
        return true;
    }
};

TEST(LaunchAtLoginTest, RegistersOrUnregistersOnlyWhenTheStatusDiffers) {
    CountingLoginItem item;
    LaunchAtLogin::set(item, true);
    LaunchAtLogin::set(item, true);
    EXPECT_EQ(item.registrations, 1);
    item.current = LoginItem::Status::requiresApproval;
    LaunchAtLogin::set(item, false); // not enabled: nothing to undo
    EXPECT_EQ(item.unregistrations, 0);
    LaunchAtLogin::set(item, true);
    EXPECT_EQ(item.registrations, 2);
    LaunchAtLogin::set(item, false);
    EXPECT_EQ(item.unregistrations, 1);
    LaunchAtLogin::set(item, false);
    EXPECT_EQ(item.unregistrations, 1);
}

TEST(LaunchAtLoginTest, AFailureIsLogged) {
    CountingLoginItem item;
    item.fail = true;
    Log::Capture log;
    LaunchAtLogin::set(item, true);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "Panemark: launch-at-login toggle failed: no space left on device"}));
}

class XdgAutostartItemTest : public ::testing::Test {
protected:
    ~XdgAutostartItemTest() override { std::filesystem::remove_all(directory); }

    std::string entryText() const {
        std::ifstream stream(entry);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("panemark-autostart-" + std::to_string(getpid()));
    std::filesystem::path entry = directory / "autostart" / "panemark.desktop";
};

TEST_F(XdgAutostartItemTest, RegisteringWritesAnEntryThatRunsThisProgram) {
    XdgAutostartItem item(entry.string(), "/opt/Panemark Beta/bin/panemark");
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
    ASSERT_TRUE(item.registerItem());
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    EXPECT_NE(entryText().find("Exec=\"/opt/Panemark Beta/bin/panemark\"\n"), std::string::npos);
    EXPECT_NE(entryText().find("Type=Application\n"), std::string::npos);
    ASSERT_TRUE(item.unregisterItem());
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
    EXPECT_TRUE(item.unregisterItem()); // nothing to remove is not a failure
}

TEST_F(XdgAutostartItemTest, HiddenEntriesNeedApprovalAndOtherProgramsAreNotFound) {
    XdgAutostartItem item(entry.string(), "/usr/bin/panemark");
    ASSERT_TRUE(item.registerItem());
    EXPECT_EQ(XdgAutostartItem(entry.string(), "/usr/local/bin/panemark").status(),
              LoginItem::Status::notFound);
    std::ofstream(entry, std::ios::app) << "Hidden=true\n";
    EXPECT_EQ(item.status(), LoginItem::Status::requiresApproval);
    ASSERT_TRUE(item.registerItem()); // registering again repairs it
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
}

TEST_F(XdgAutostartItemTest, TurnedOffInTheSessionSettingsCountsAsDisabled) {
    XdgAutostartItem item(entry.string(), "/usr/bin/panemark");
    ASSERT_TRUE(item.registerItem());
    std::string text = entryText();
    text.replace(text.find("X-GNOME-Autostart-enabled=true"), 30,
                 "X-GNOME-Autostart-enabled=false");
    std::ofstream(entry) << text;
    EXPECT_EQ(item.status(), LoginItem::Status::requiresApproval);
}

TEST_F(XdgAutostartItemTest, ExecQuotesAndEscapesByTheDesktopEntryRules) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/usr/bin/panemark", "Exec=/usr/bin/panemark\n"},
        {"/opt/100%/panemark", "Exec=/opt/100%%/panemark\n"},
        {"/home/o'brien/panemark", "Exec=\"/home/o'brien/panemark\"\n"},
        {"/opt/a$b/pane`mark", "Exec=\"/opt/a\\\\$b/pane\\\\`mark\"\n"},
        {"/opt/back\\slash/panemark", "Exec=\"/opt/back\\\\\\\\slash/panemark\"\n"},
        {"/opt/x y%/panemark", "Exec=\"/opt/x y%%/panemark\"\n"},
    };
    for (const auto& [program, line] : cases) {
        XdgAutostartItem item(entry.string(), program);
        ASSERT_TRUE(item.registerItem());
        EXPECT_NE(entryText().find(line), std::string::npos) << entryText();
        EXPECT_EQ(item.status(), LoginItem::Status::enabled) << program;
    }
}

TEST_F(XdgAutostartItemTest, AnEntryThatIsAFolderOrAFifoIsUnusable) {
    std::filesystem::create_directories(entry);
    XdgAutostartItem onFolder(entry.string(), "/usr/bin/panemark");
    EXPECT_EQ(onFolder.status(), LoginItem::Status::notFound);
    EXPECT_EQ(onFolder.unusableBecause(), entry.string() + ": is a directory");
    std::filesystem::remove(entry);
    ASSERT_EQ(mkfifo(entry.c_str(), 0600), 0);
    XdgAutostartItem onFifo(entry.string(), "/usr/bin/panemark");
    EXPECT_EQ(onFifo.status(), LoginItem::Status::notFound); // returns at once
    EXPECT_EQ(onFifo.unusableBecause(), entry.string() + ": is not a regular file");
}

TEST_F(XdgAutostartItemTest, AnEntryThatCannotBeWrittenIsAFailureNotACrash) {
    std::filesystem::create_directories(directory);
    std::ofstream(directory / "autostart") << "a file where the directory should be";
    XdgAutostartItem item(entry.string(), "/usr/bin/panemark");
    const Result<bool> result = item.registerItem();
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error().empty());
}

} // namespace
} // namespace panemark
