#include "profiles/ProfileManager.h"

#include "base/ManualScheduler.h"
#include "model/StockCommands.h"
#include "profiles/ProfileJson.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace panemark {
namespace {

// A manager over a fresh folder, its autosave on the manual clock.
class ProfileManagerTest : public ::testing::Test {
protected:
    ProfileManagerTest() { restart(); }
    ~ProfileManagerTest() override {
        manager.reset();
        std::filesystem::remove_all(base);
    }

    void restart() {
        manager.reset();
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
    }

    Profile onDisk(const Uuid& id) {
        std::ifstream stream(manager->fileStore().profilePath(id));
        std::stringstream text;
        text << stream.rdbuf();
        return ProfileJson::decodeFile(text.str()).value().profile;
    }
    std::vector<Uuid> indexOrder() { return manager->fileStore().loadIndex()->order; }
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const Profile& profile : manager->profiles.get()) {
            result.push_back(profile.name);
        }
        return result;
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-manager-" + std::to_string(getpid()));
    std::filesystem::path preferencesPath = base.string() + ".conf";
    ManualScheduler clock;
    std::unique_ptr<ProfileManager> manager;
};

TEST_F(ProfileManagerTest, TheActiveProfilesCommandsAndGapAreThereFromTheStart) {
    EXPECT_EQ(manager->commands.get().size(), 7u);
    EXPECT_EQ(manager->activeProfile().commands, manager->commands.get());
    EXPECT_EQ(clock.pendingCount(), 0u); // loading is not an edit
}

TEST_F(ProfileManagerTest, ASwitchIsAnnouncedOnlyOnceEverythingOfTheNewProfileIsThere) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    manager->setGap(work, 7);
    // Whatever an observer hears first, it finds the whole of the new profile already there.
    std::vector<std::string> heard;
    const auto look = [&](const char* what) {
        heard.push_back(std::string(what) + ":" + manager->activeProfile().name + "," +
                        std::to_string(manager->commands.get().size()) + "," +
                        std::to_string(static_cast<int>(manager->gap.get())));
    };
    auto a = manager->activeProfileID.subscribe([&](const Uuid&) { look("id"); });
    auto b = manager->commands.subscribe([&](const auto&) { look("commands"); });
    auto c = manager->gap.subscribe([&](double) { look("gap"); });
    heard.clear();
    manager->activate(work);
    EXPECT_EQ(heard,
              (std::vector<std::string>{"id:Work,0,7", "commands:Work,0,7", "gap:Work,0,7"}));
    // An edit of the active profile is in the profile list by the time the commands are heard of.
    heard.clear();
    auto d = manager->commands.subscribe(
        [&](const auto& commands) { EXPECT_EQ(manager->activeProfile().commands, commands); });
    manager->addCommand();
    EXPECT_EQ(heard, (std::vector<std::string>{"commands:Work,1,7"})); // the gap did not change
}

TEST_F(ProfileManagerTest, EachChangeAnnouncesWhatChangedAndNoMore) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    const Uuid home = manager->activeProfileID.get();
    int lists = 0;
    int commands = 0;
    std::vector<Uuid> changed;
    Subscription list = manager->profiles.subscribe([&](const auto&) { ++lists; });
    Subscription active = manager->commands.subscribe([&](const auto&) { ++commands; });
    Subscription one = manager->onProfileChanged([&](const Uuid& id) { changed.push_back(id); });
    lists = commands = 0;

    // An edit of the active profile's commands: that profile and the commands, not the list.
    manager->addCommand();
    EXPECT_EQ(lists, 0);
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(changed, std::vector<Uuid>{home});
    // Another profile's contents: that profile alone.
    manager->setGap(work, 5);
    manager->setTrigger(ProfileTrigger{}, work);
    EXPECT_EQ(lists, 0);
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(changed, (std::vector<Uuid>{home, work, work}));
    // A rename is what lists of profiles show: the list too.
    manager->rename(work, "Office");
    EXPECT_EQ(lists, 1);
    // The active commands are read from the active profile: one copy, always the same.
    EXPECT_EQ(manager->commands.get(), manager->activeProfile().commands);
    manager->activate(work);
    EXPECT_EQ(commands, 2);
    EXPECT_TRUE(manager->commands.get().empty());
    EXPECT_EQ(manager->gap.get(), 5);
}

TEST_F(ProfileManagerTest, AListGivenForTheRunIsOneProfileThatTouchesNoFile) {
    manager.reset();
    std::filesystem::remove_all(base);
    ProfileManager forTheRun(std::vector<ZoneCommand>{ZoneCommand::firstCellOf(3, 1)}, clock);
    EXPECT_FALSE(forTheRun.keepsFiles());
    EXPECT_EQ(forTheRun.commands.get().size(), 1u);
    forTheRun.addCommand();
    forTheRun.editGap(5);
    clock.advance(1);
    forTheRun.createProfile("Other", ProfileManager::NewProfileSeed::defaults);
    EXPECT_FALSE(forTheRun.unsavedChanges());
    EXPECT_FALSE(std::filesystem::exists(base));
    EXPECT_TRUE(forTheRun.skippedFiles().empty());
}

TEST_F(ProfileManagerTest, EditsAreSavedOnce250MillisecondsAfterTheLast) {
    const Uuid active = manager->activeProfileID.get();
    manager->editGap(4);
    clock.advance(0.2);
    manager->addCommand();
    clock.advance(0.2);
    EXPECT_EQ(onDisk(active).gap, 0); // not yet
    clock.advance(0.05);
    EXPECT_EQ(onDisk(active).gap, 4);
    EXPECT_EQ(onDisk(active).commands.size(), 8u);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(ProfileManagerTest, EditThenSwitchKeepsTheEditInTheOldProfileOnly) {
    const Uuid first = manager->activeProfileID.get();
    const Uuid second = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    manager->editGap(9);
    manager->activate(second);
    EXPECT_EQ(onDisk(first).gap, 9); // written at the switch, not lost to the debounce
    EXPECT_TRUE(manager->commands.get().empty());
    EXPECT_EQ(manager->gap.get(), 0);
    clock.advance(1);
    EXPECT_EQ(onDisk(second).gap, 0);
    EXPECT_EQ(manager->fileStore().loadIndex()->activeProfileID, second);
}

TEST_F(ProfileManagerTest, QuittingWritesAnEditStillWaitingForItsDebounce) {
    const Uuid active = manager->activeProfileID.get();
    manager->editGap(12);
    manager.reset(); // as at SIGTERM or `panemark quit`
    restart();
    EXPECT_EQ(manager->activeProfile().gap, 12);
    EXPECT_EQ(manager->activeProfileID.get(), active);
}

TEST_F(ProfileManagerTest, NewProfilesGetUniqueNamesAndTheirSeed) {
    manager->editGap(3);
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::copyActive);
    const Uuid work2 = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    const Uuid empty = manager->createProfile("Default", ProfileManager::NewProfileSeed::empty);
    EXPECT_EQ(names(), (std::vector<std::string>{"Default", "Work", "Work 2", "Default 2"}));
    EXPECT_EQ(manager->snapshot(work)->gap, 3);
    EXPECT_EQ(manager->snapshot(work)->commands, manager->commands.get());
    EXPECT_EQ(manager->snapshot(work2)->gap, 0);
    EXPECT_EQ(manager->snapshot(work2)->commands.size(), 7u);
    EXPECT_TRUE(manager->snapshot(empty)->commands.empty());
    EXPECT_NE(manager->activeProfileID.get(), work); // not activated
    EXPECT_EQ(ProfileManager::uniqueName("Default 2", manager->profiles.get()), "Default 2 2");
}

TEST_F(ProfileManagerTest, ImportingOneFileThriceGivesThreeProfilesWithFreshIds) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    ProfileTrigger trigger;
    trigger.displayUUIDs = {"SOME-DISPLAY"};
    manager->setTrigger(trigger, work);
    const std::string exported = manager->fileStore().profilePath(work);
    std::vector<Uuid> ids;
    for (int i = 0; i < 3; ++i) {
        Result<Uuid> imported = manager->importProfile(exported);
        ASSERT_TRUE(imported) << imported.error();
        ids.push_back(imported.value());
        EXPECT_EQ(manager->snapshot(imported.value())->trigger, trigger);
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"Default", "Work", "Work 2", "Work 3", "Work 4"}));
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_EQ(indexOrder().back(), ids[2]);

    std::ofstream(base / "broken.panemarkprofile") << R"({"profile":{"name":"x"}})";
    const Result<Uuid> broken = manager->importProfile((base / "broken.panemarkprofile").string());
    EXPECT_EQ(broken.error(),
              (base / "broken.panemarkprofile").string() + ": profile.id: required key is missing");
    EXPECT_EQ(manager->profiles.get().size(), 5u);
}

TEST_F(ProfileManagerTest, DeletingTheActiveProfileActivatesTheNextFirst) {
    const Uuid first = manager->activeProfileID.get();
    const Uuid second = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    manager->deleteProfile(first);
    EXPECT_EQ(manager->activeProfileID.get(), second);
    EXPECT_TRUE(manager->commands.get().empty());
    EXPECT_FALSE(std::filesystem::exists(manager->fileStore().profilePath(first)));
    EXPECT_EQ(indexOrder(), std::vector<Uuid>{second});
    manager->deleteProfile(second); // the last one stays
    EXPECT_EQ(manager->profiles.get().size(), 1u);
}

TEST_F(ProfileManagerTest, RenameTrimsAndIgnoresBlankAndMoveRewritesTheIndex) {
    const Uuid first = manager->activeProfileID.get();
    const Uuid second = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    const Uuid copy = manager->duplicateProfile(first);
    EXPECT_EQ(indexOrder(), (std::vector<Uuid>{first, copy, second}));
    manager->rename(first, "  Home \n");
    manager->rename(second, "   ");
    manager->rename(second, "\u00A0\u3000"); // no-break and ideographic spaces: blank too
    EXPECT_EQ(onDisk(first).name, "Home");
    EXPECT_EQ(manager->snapshot(second)->name, "Work");
    manager->move(2, 0);
    EXPECT_EQ(indexOrder(), (std::vector<Uuid>{second, first, copy}));
    restart();
    EXPECT_EQ(names(), (std::vector<std::string>{"Work", "Home", "Default 2"}));
}

TEST_F(ProfileManagerTest, SetCommandsOfTheActiveProfileReachesTheConfigStoreAndTheDisk) {
    const Uuid active = manager->activeProfileID.get();
    const std::vector<ZoneCommand> two{stockCommands()[0], stockCommands()[1]};
    manager->setCommands(active, two);
    EXPECT_EQ(manager->commands.get(), two);
    EXPECT_EQ(onDisk(active).commands, two);
    const Uuid other = manager->createProfile("Other", ProfileManager::NewProfileSeed::empty);
    manager->setGap(other, 20);
    EXPECT_EQ(onDisk(other).gap, 20);
    EXPECT_EQ(manager->gap.get(), 0);
}

TEST_F(ProfileManagerTest, ImportsAreHeldToWhatEveryOtherPathAccepts) {
    auto importing = [&](const std::string& name, double gap, std::size_t commands) {
        Profile profile;
        profile.id = Uuid::random();
        profile.name = name;
        profile.gap = gap;
        profile.commands.assign(commands, stockCommands()[0]);
        const std::filesystem::path path = base / "incoming.panemarkprofile";
        std::ofstream(path) << ProfileJson::text(ProfileFile{1, profile}).value();
        return manager->importProfile(path.string());
    };
    EXPECT_EQ(importing("   ", 0, 1).error(),
              (base / "incoming.panemarkprofile").string() + ": a profile needs a name");
    EXPECT_FALSE(importing("", 0, 1));
    EXPECT_FALSE(importing("Wide", -50, 1));
    EXPECT_FALSE(importing("Wide", 1e308, 1));
    EXPECT_NE(importing("Huge", 0, 1001).error().find("at most 1000 commands"), std::string::npos);
    EXPECT_EQ(manager->profiles.get().size(), 1u);
    ASSERT_TRUE(importing("  Trimmed ", 1000, 1000));
    EXPECT_EQ(names().back(), "Trimmed");
}

TEST_F(ProfileManagerTest, AFailedWriteIsReportedKeptAndRetriedUntilItLands) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    EXPECT_FALSE(manager->unsavedChanges());
    const std::string path = manager->fileStore().profilePath(work);
    std::filesystem::remove(path);
    std::filesystem::create_directories(path); // a folder in the way: the write fails
    manager->setGap(work, 12);
    ASSERT_TRUE(manager->unsavedChanges());
    EXPECT_EQ(manager->unsavedChanges()->rfind("couldn't save profile \"Work\": ", 0), 0u);
    EXPECT_EQ(manager->snapshot(work)->gap, 12); // kept in memory

    clock.advance(ProfileManager::retryDelay); // still in the way: tried, and tried again later
    EXPECT_TRUE(manager->unsavedChanges());
    std::filesystem::remove(path);
    clock.advance(ProfileManager::retryDelay);
    EXPECT_FALSE(manager->unsavedChanges());
    EXPECT_EQ(onDisk(work).gap, 12);
}

TEST_F(ProfileManagerTest, AProfileThatDidNotLoadStaysInTheIndexThroughEveryWrite) {
    const Uuid broken = manager->createProfile("Broken", ProfileManager::NewProfileSeed::empty);
    manager->createProfile("Last", ProfileManager::NewProfileSeed::empty);
    const std::string text = [&] {
        std::ifstream stream(manager->fileStore().profilePath(broken));
        std::stringstream content;
        content << stream.rdbuf();
        return content.str();
    }();
    manager.reset();
    std::ofstream(base / "Profiles" / (broken.toString() + ".json")) << "{\"mistyped\"";
    restart();
    EXPECT_EQ(names(), (std::vector<std::string>{"Default", "Last"}));
    ASSERT_EQ(manager->skippedFiles().size(), 1u);
    manager->move(1, 0);
    manager->createProfile("New", ProfileManager::NewProfileSeed::empty);
    manager->setAutoSwitchEnabled(false);
    EXPECT_EQ(indexOrder()[2], broken);
    EXPECT_EQ(indexOrder().size(), 4u);

    manager.reset();
    std::ofstream(base / "Profiles" / (broken.toString() + ".json")) << text; // repaired
    restart();
    EXPECT_EQ(names(), (std::vector<std::string>{"Last", "Default", "Broken", "New"}));
    EXPECT_TRUE(manager->skippedFiles().empty());
}

TEST_F(ProfileManagerTest, AProfileThatDidNotLoadKeepsItsPlaceWhenTheOneBeforeItIsDeleted) {
    const Uuid first = manager->createProfile("First", ProfileManager::NewProfileSeed::empty);
    const Uuid broken = manager->createProfile("Broken", ProfileManager::NewProfileSeed::empty);
    const Uuid last = manager->createProfile("Last", ProfileManager::NewProfileSeed::empty);
    manager.reset();
    std::ofstream(base / "Profiles" / (broken.toString() + ".json")) << "{\"mistyped\"";
    restart();
    ASSERT_EQ(names(), (std::vector<std::string>{"Default", "First", "Last"}));
    manager->deleteProfile(first);
    // It followed the deleted one: it now follows the one before that, still ahead of Last.
    const std::vector<Uuid> order = indexOrder();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[1], broken);
    EXPECT_EQ(order[2], last);
}

TEST_F(ProfileManagerTest, AddOperationsAppendOneCommandOfTheirKindEach) {
    manager->editCommands({});
    int notifications = 0;
    auto subscription = manager->commands.subscribe([&](const auto&) { ++notifications; });
    manager->addCommand();
    manager->addHalfCommand();
    manager->addMaximizeCommand();
    manager->addFixedSizeCommand();
    EXPECT_EQ(notifications, 1 + 4);
    const auto& commands = manager->commands.get();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].autoLabel(), "Left half");
    EXPECT_EQ(commands[1].autoLabel(), "Top half → full width");
    EXPECT_EQ(commands[1].gridSpan(), (GridSpan{1, 2, 0, 0, 0, 0}));
    EXPECT_EQ(commands[2].autoLabel(), "Maximize (full screen)");
    EXPECT_EQ(commands[3].autoLabel(), "1920×1080 centered");
    for (const ZoneCommand& command : commands) {
        EXPECT_FALSE(command.shortcut);
        EXPECT_EQ(command.name, "");
    }
    EXPECT_NE(commands[0].id, commands[1].id);
}

TEST_F(ProfileManagerTest, DuplicateAndDelete) {
    ZoneCommand named = manager->commands.get()[1];
    const Uuid copyId = manager->duplicateCommand(named);
    const auto& afterCopy = manager->commands.get();
    ASSERT_EQ(afterCopy.size(), 8u);
    EXPECT_EQ(afterCopy[2].id, copyId);
    EXPECT_FALSE(afterCopy[2].shortcut);
    EXPECT_EQ(afterCopy[2].gridSpan(), named.gridSpan());

    ZoneCommand gone = named;
    gone.id = Uuid::random();
    manager->duplicateCommand(gone); // no longer in the list: the copy goes at the end
    EXPECT_EQ(manager->commands.get().back().gridSpan(), named.gridSpan());
    EXPECT_FALSE(manager->commands.get().back().shortcut);

    std::vector<ZoneCommand> twice = manager->commands.get();
    twice.push_back(twice[0]);
    manager->editCommands(twice);
    manager->deleteCommand(twice[0]);
    EXPECT_EQ(manager->commands.get().size(), twice.size() - 2);
}

} // namespace
} // namespace panemark
