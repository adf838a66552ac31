#include "preferences/ConfigStore.h"

#include "base/Log.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace panemark {
namespace {

class FixedLoginItem : public LoginItem {
public:
    Status current = Status::notRegistered;
    Status status() override { return current; }
    Result<bool> registerItem() override { return true; }
    Result<bool> unregisterItem() override { return true; }
};

class ConfigStoreTest : public ::testing::Test {
protected:
    ~ConfigStoreTest() override { std::filesystem::remove(path); }

    // A store over a preferences file holding exactly these lines.
    std::unique_ptr<ConfigStore> storeWith(const std::string& lines) {
        // A new file each time, never used before in this process: Qt keeps the settings files
        // it has read, and would not notice one rewritten within the same instant to the same
        // size.
        std::filesystem::remove(path);
        path = freshPath();
        std::ofstream(path) << "[General]\n" << lines;
        preferences = std::make_unique<PreferencesStore>(path.string());
        return std::make_unique<ConfigStore>(*preferences, loginItem);
    }

    std::string fileText() const {
        std::ifstream stream(path);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    static std::filesystem::path freshPath() {
        static int files = 0;
        return std::filesystem::temp_directory_path() /
               ("panemark-config-" + std::to_string(getpid()) + "-" + std::to_string(++files) +
                ".conf");
    }

    std::filesystem::path path = freshPath();
    std::unique_ptr<PreferencesStore> preferences;
    FixedLoginItem loginItem;
};

TEST_F(ConfigStoreTest, NothingStoredGivesTheDefaults) {
    std::filesystem::remove(path);
    preferences = std::make_unique<PreferencesStore>(path.string());
    ConfigStore store(*preferences, loginItem);
    EXPECT_TRUE(store.showSplashAtLaunch.get());
    EXPECT_TRUE(store.animateWindows.get());
    EXPECT_EQ(store.animationDuration.get(), 0.25);
    EXPECT_EQ(store.animationCurve.get(), AnimationCurve::easeInOut);
    EXPECT_FALSE(store.launchAtLogin.get());
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing is written until something changes
}

TEST_F(ConfigStoreTest, StoredValuesAreReadAndIllTypedOnesGiveDefaults) {
    auto store = storeWith("Panemark.showSplashAtLaunch=false\nPanemark.animateWindows=perhaps\n"
                           "Panemark.animationDuration=0.3\nPanemark.animationCurve=linear\n");
    EXPECT_FALSE(store->showSplashAtLaunch.get());
    EXPECT_TRUE(store->animateWindows.get()); // a string that is no boolean reads as true
    EXPECT_EQ(store->animationDuration.get(), 0.3);
    EXPECT_EQ(store->animationCurve.get(), AnimationCurve::linear);

    EXPECT_EQ(storeWith("Panemark.animationDuration=soon\n")->animationDuration.get(), 0.25);
    EXPECT_EQ(storeWith("Panemark.animationCurve=EaseOut\n")->animationCurve.get(),
              AnimationCurve::easeInOut);
    EXPECT_EQ(storeWith("Panemark.animationCurve=bouncy\n")->animationCurve.get(),
              AnimationCurve::easeInOut);
}

TEST_F(ConfigStoreTest, DurationsAreClampedOnReadingAndSetting) {
    EXPECT_EQ(storeWith("Panemark.animationDuration=0.05\n")->animationDuration.get(), 0.08);
    EXPECT_EQ(storeWith("Panemark.animationDuration=1.0\n")->animationDuration.get(), 0.4);
    EXPECT_EQ(storeWith("Panemark.animationDuration=0.08\n")->animationDuration.get(), 0.08);
    EXPECT_EQ(storeWith("Panemark.animationDuration=0.4\n")->animationDuration.get(), 0.4);
    EXPECT_EQ(storeWith("Panemark.animationDuration=nan\n")->animationDuration.get(), 0.25);

    auto store = storeWith("");
    store->setAnimationDuration(std::nan(""));
    EXPECT_EQ(store->animationDuration.get(), 0.25);
    store->setAnimationDuration(-2);
    EXPECT_EQ(store->animationDuration.get(), 0.08);
    EXPECT_EQ(storeWith(fileText().substr(10))->animationDuration.get(),
              0.08); // what was stored reads back
}

TEST_F(ConfigStoreTest, SettersAnnounceAndStore) {
    auto store = storeWith("");
    int changed = 0;
    auto subscription = store->objectChanged.connect([&] { ++changed; });
    store->setAnimationCurve(AnimationCurve::easeOut);
    store->setAnimateWindows(false);
    store->setShowSplashAtLaunch(false);
    EXPECT_EQ(changed, 3);
    auto reread = storeWith(fileText().substr(10));
    EXPECT_EQ(reread->animationCurve.get(), AnimationCurve::easeOut);
    EXPECT_FALSE(reread->animateWindows.get());
    EXPECT_FALSE(reread->showSplashAtLaunch.get());
    EXPECT_EQ(reread->animationSettings(),
              (AnimationSettings{false, AnimationCurve::easeOut, 0.25}));
}

TEST_F(ConfigStoreTest, LaunchAtLoginShowsWhatTheLoginItemReallyDid) {
    loginItem.current = LoginItem::Status::enabled;
    auto store = storeWith("");
    EXPECT_TRUE(store->launchAtLogin.get());
    loginItem.current = LoginItem::Status::requiresApproval;
    store->setLaunchAtLogin(true); // asks again, but the item still needs approval
    EXPECT_FALSE(store->launchAtLogin.get());
}

} // namespace
} // namespace panemark

namespace panemark {
namespace {

TEST(PreferencesStoreTest, AFifoOrFolderIsNeverOpenedAndSettingsLastTheRun) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("panemark-prefs-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "fifo.conf").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Log::Capture log;
    PreferencesStore store(fifo); // would block for ever if it were opened
    EXPECT_EQ(store.readBool("Panemark.animateWindows"), std::nullopt);
    store.writeBool("Panemark.animateWindows", false);
    EXPECT_EQ(store.readBool("Panemark.animateWindows"), false);
    PreferencesStore onFolder(folder.string());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Panemark: the preferences file " + fifo +
                                            " is not a regular file; using the defaults",
                                        "Panemark: the preferences file " + folder.string() +
                                            " is not a regular file; using the defaults"}));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace panemark
