#include "base/Log.h"
#include "model/StockCommands.h"
#include "profiles/ProfileFileStore.h"
#include "profiles/ProfileJson.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace panemark {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

Profile sampleProfile(const std::string& name = "Desk") {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = name;
    profile.commands = {stockCommands()[0], stockCommands()[3]};
    profile.gap = 6;
    return profile;
}

TEST(ProfileJsonTest, WrittenCompactInDeclarationOrderAndReadBackEqual) {
    Profile profile = sampleProfile();
    profile.id = *Uuid::parse("0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C30");
    profile.commands.clear();
    profile.trigger.displayUUIDs = {"A", "B"};
    profile.trigger.keyboard = HIDDeviceID{1452, 833};
    const std::string text = ProfileJson::text(ProfileFile{1, profile}).value();
    EXPECT_EQ(text,
              R"({"formatVersion":1,"profile":{"id":"0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C30",)"
              R"("name":"Desk","commands":[],"gap":6.0,"trigger":{"requireNoExternalDisplay":)"
              R"(false,"displayUUIDs":["A","B"],"keyboard":{"vendorID":1452,"productID":833}}}})");
    EXPECT_EQ(ProfileJson::decodeFile(text).value().profile, profile);

    profile.trigger.keyboard.reset(); // left out, not written as null
    EXPECT_EQ(ProfileJson::text(ProfileFile{1, profile}).value().find("keyboard"),
              std::string::npos);
    profile.gap = std::nan("");
    EXPECT_FALSE(ProfileJson::text(ProfileFile{1, profile})); // nothing is written
}

TEST(ProfileJsonTest, LenientAboutTriggerAndVersionStrictElsewhere) {
    const std::string withoutTrigger =
        R"({"profile":{"id":"0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C30","name":"Old","commands":[],"gap":2}})";
    const Result<ProfileFile> old = ProfileJson::decodeFile(withoutTrigger);
    ASSERT_TRUE(old) << old.error();
    EXPECT_TRUE(old.value().profile.trigger.isManualOnly());
    std::string seven = withoutTrigger;
    seven.insert(1, R"("formatVersion":7,"extra":[1,2],)");
    EXPECT_EQ(ProfileJson::decodeFile(seven).value().profile, old.value().profile);

    std::string noGap = withoutTrigger;
    noGap.replace(noGap.find(R"(,"gap":2)"), 8, "");
    EXPECT_EQ(ProfileJson::decodeFile(noGap).error(), "profile.gap: required key is missing");
    std::string badCommand = withoutTrigger;
    badCommand.replace(badCommand.find("[]"), 2, "[{}]");
    EXPECT_EQ(ProfileJson::decodeFile(badCommand).error(),
              "profile.commands[0].id: required key is missing");
    EXPECT_EQ(ProfileJson::decodeFile("{\"profile\":").error().substr(0, 26),
              "not valid JSON at line 1, ");
    EXPECT_EQ(ProfileJson::decodeIndex(R"({"activeProfileID":"x","order":[]})").error(),
              R"(activeProfileID: "x" is not a UUID (8-4-4-4-12 hexadecimal digits))");
}

TEST(ProfileTriggerTest, SummariesReadAsTheProfileListShowsThem) {
    ProfileTrigger trigger;
    EXPECT_EQ(trigger.summary(), "Manual only");
    trigger.requireNoExternalDisplay = true;
    EXPECT_EQ(trigger.summary(), "No external display");
    trigger = ProfileTrigger{false, {"A"}, std::nullopt};
    EXPECT_EQ(trigger.summary(), "1 display");
    trigger = ProfileTrigger{false, {"A", "B"}, HIDDeviceID{1, 2}};
    EXPECT_EQ(trigger.summary(), "2 displays, + keyboard");
    trigger = ProfileTrigger{false, {}, HIDDeviceID{1, 2}};
    EXPECT_EQ(trigger.summary(), "+ keyboard"); // as the list reads beside other conditions
}

class ProfileFileStoreTest : public ::testing::Test {
protected:
    ~ProfileFileStoreTest() override { std::filesystem::remove_all(base); }

    std::vector<ZoneCommand> stock() { return stockCommands(); }
    ProfileFileStore::Loaded load() {
        return store.loadOrMigrate([] { return stockCommands(); });
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-store-" + std::to_string(getpid()));
    ProfileFileStore store{base.string()};
};

TEST_F(ProfileFileStoreTest, AFirstStartMakesOneDefaultProfileWithTheStockCommands) {
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 1u);
    EXPECT_EQ(loaded.profiles[0].name, "Default");
    EXPECT_EQ(loaded.profiles[0].commands.size(), 7u);
    EXPECT_EQ(loaded.profiles[0].gap, 0);
    EXPECT_TRUE(loaded.autoSwitchEnabled);
    EXPECT_EQ(loaded.activeProfileID, loaded.profiles[0].id);
    EXPECT_TRUE(std::filesystem::exists(store.profilePath(loaded.profiles[0].id)));
    EXPECT_EQ(store.loadIndex()->order, std::vector<Uuid>{loaded.profiles[0].id});
}

TEST_F(ProfileFileStoreTest, ConfigJsonIsMigratedOnceAndLeftInPlace) {
    const std::string command = ProfileJson::encode(sampleProfile()).at("commands")[0].dump();
    const std::string legacy = R"({"commands":[)" + command + R"(],"gap":6})";
    std::ofstream(store.legacyConfigPath()) << legacy;
    const ProfileFileStore::Loaded first = load();
    EXPECT_EQ(first.profiles[0].commands.size(), 1u);
    EXPECT_EQ(first.profiles[0].gap, 6);
    EXPECT_EQ(readFile(store.legacyConfigPath()), legacy);
    EXPECT_EQ(load().activeProfileID, first.activeProfileID); // the index is found next time

    std::filesystem::remove(store.indexPath());
    std::filesystem::remove(store.profilePath(first.activeProfileID));
    std::ofstream(store.legacyConfigPath()) << "{not json";
    EXPECT_EQ(load().profiles[0].commands.size(), 7u); // a broken config.json: the stock set
}

TEST_F(ProfileFileStoreTest, TheIndexNamesWhatLoadsInItsOrderAndMissingFilesAreSkipped) {
    const Profile a = sampleProfile("A"), b = sampleProfile("B"), c = sampleProfile("C");
    for (const Profile& profile : {a, b, c}) {
        store.saveProfile(profile);
    }
    store.saveIndex(ProfileIndex{1, b.id, {c.id, b.id, a.id}, false});
    std::filesystem::remove(store.profilePath(b.id));
    const std::string index = readFile(store.indexPath());
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 2u);
    EXPECT_EQ(loaded.profiles[0], c);
    EXPECT_EQ(loaded.profiles[1], a);
    EXPECT_EQ(loaded.activeProfileID, c.id); // the active one is gone: the first loaded
    EXPECT_FALSE(loaded.autoSwitchEnabled);
    EXPECT_EQ(readFile(store.indexPath()), index); // not rewritten at start
}

TEST_F(ProfileFileStoreTest, AFileIsKnownByItsNameAndAnIdNamedTwiceLoadsOnce) {
    Log::Capture log;
    const Profile a = sampleProfile("A");
    Profile copied = sampleProfile("Copied by hand");
    store.saveProfile(a);
    store.saveProfile(copied);
    // The copy still carries the first one's id inside.
    std::string text = readFile(store.profilePath(copied.id));
    text.replace(text.find(copied.id.toString()), 36, a.id.toString());
    std::ofstream(store.profilePath(copied.id)) << text;
    store.saveIndex(ProfileIndex{1, a.id, {a.id, a.id, copied.id}, true});
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 2u);
    EXPECT_EQ(loaded.profiles[0].name, "A");
    EXPECT_EQ(loaded.profiles[1].id, copied.id); // the name every write and the index use
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find(store.profilePath(copied.id)), std::string::npos);
}

TEST_F(ProfileFileStoreTest, AProfileThatDoesNotLoadIsNamedAndKeepsItsPlace) {
    Log::Capture log;
    const Profile a = sampleProfile("A"), b = sampleProfile("B"), c = sampleProfile("C");
    for (const Profile& profile : {a, b, c}) {
        store.saveProfile(profile);
    }
    store.saveIndex(ProfileIndex{1, a.id, {a.id, b.id, c.id}, true});
    std::ofstream(store.profilePath(b.id)) << "{\n\"formatVersion\": 1,\n\"profile\": {oops";
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 2u);
    ASSERT_EQ(store.skippedFiles().size(), 1u);
    EXPECT_EQ(store.skippedFiles()[0].path, store.profilePath(b.id));
    EXPECT_NE(store.skippedFiles()[0].reason.find("line 3"), std::string::npos);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Panemark: profile file " + store.profilePath(b.id) +
                                  " could not be read (" + store.skippedFiles()[0].reason +
                                  "); it is kept and skipped");

    // Writing the index for the two that loaded (C deleted) keeps B after A.
    store.saveIndex(ProfileIndex{1, a.id, {a.id}, true});
    EXPECT_EQ(store.loadIndex()->order, (std::vector<Uuid>{a.id, b.id}));
    store.saveProfile(b); // repaired
    EXPECT_EQ(load().profiles.size(), 2u);
    EXPECT_EQ(load().profiles[1].name, "B");
}

TEST_F(ProfileFileStoreTest, AnUnusableIndexIsKeptAsideAndTheProfileFilesAreLoaded) {
    Log::Capture log;
    const Profile zed = sampleProfile("Zed"), desk = sampleProfile("Desk"),
                  alpha = sampleProfile("Alpha");
    for (const Profile& profile : {zed, desk, alpha}) {
        store.saveProfile(profile);
    }
    // One entry that is not an id: the order and the active profile are still read from it.
    const std::string broken = R"({"formatVersion":1,"activeProfileID":")" + desk.id.toString() +
                               R"(","order":[")" + zed.id.toString() +
                               R"(","not-an-id"],"autoSwitchEnabled":false})";
    std::ofstream(store.indexPath()) << broken;
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 3u);
    EXPECT_EQ(loaded.profiles[0].name, "Zed"); // where the old order placed it, then by name
    EXPECT_EQ(loaded.profiles[1].name, "Alpha");
    EXPECT_EQ(loaded.profiles[2].name, "Desk");
    EXPECT_EQ(loaded.activeProfileID, desk.id);
    EXPECT_FALSE(loaded.autoSwitchEnabled);

    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(base)) {
        if (entry.path().filename().string().starts_with("profiles.json.unreadable-")) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(aside[0]), broken);
    EXPECT_EQ(store.loadIndex()->order.size(), 3u); // a new index, beside the old one
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find(aside[0].string()), std::string::npos);

    // An index none of whose files load is as unusable: the files present win.
    store.saveIndex(ProfileIndex{1, Uuid::random(), {Uuid::random()}, true});
    EXPECT_EQ(load().profiles.size(), 3u);
}

TEST_F(ProfileFileStoreTest, OnlyWhenNoProfileFileLoadsDoesTheDefaultComeBack) {
    const Profile a = sampleProfile("A");
    store.saveProfile(a);
    std::filesystem::resize_file(store.profilePath(a.id), ProfileFileStore::maxFileSize + 1);
    std::ofstream(store.indexPath()) << "garbage";
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 1u);
    EXPECT_EQ(loaded.profiles[0].name, "Default");
    EXPECT_TRUE(std::filesystem::exists(store.profilePath(a.id))); // never removed
    EXPECT_EQ(store.skippedFiles().size(), 1u);
    // ...and keeps its place, first, in the new index.
    EXPECT_EQ(store.loadIndex()->order, (std::vector<Uuid>{a.id, loaded.profiles[0].id}));
}

TEST_F(ProfileFileStoreTest, AStoreThatOnlyReadsWritesNothingEvenToRepair) {
    const Profile a = sampleProfile("A");
    store.saveProfile(a);
    std::ofstream(store.indexPath()) << "garbage";
    const std::filesystem::path empty = base / "elsewhere";
    ProfileFileStore reader(base.string(), ProfileFileStore::Access::readOnly);
    EXPECT_EQ(reader.loadOrMigrate(stockCommands).profiles[0].name, "A");
    EXPECT_EQ(readFile(store.indexPath()), "garbage");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base),
                            std::filesystem::directory_iterator()),
              2); // the index and the folder of profiles, nothing set aside

    ProfileFileStore nothing(empty.string(), ProfileFileStore::Access::readOnly);
    EXPECT_EQ(nothing.loadOrMigrate(stockCommands).profiles[0].name, "Default");
    EXPECT_FALSE(std::filesystem::exists(empty));
}

TEST_F(ProfileFileStoreTest, OldTemporaryFilesOfKilledWritesAreRemovedAndNothingElse) {
    const Profile a = sampleProfile("A");
    store.saveProfile(a);
    const std::string temporary = store.profilePath(a.id) + ".Ab12Cd";
    const std::string stray = store.profilesDirectory() + "/notes.json.Ab12Cd";
    std::ofstream(temporary) << "{\"formatVersion\":1,";
    std::ofstream(stray) << "mine";
    store.removeAbandonedWrites(std::chrono::seconds(3600));
    EXPECT_TRUE(std::filesystem::exists(temporary)); // young: maybe a live write
    store.removeAbandonedWrites(std::chrono::seconds(-1));
    EXPECT_FALSE(std::filesystem::exists(temporary));
    EXPECT_TRUE(std::filesystem::exists(stray));
    EXPECT_TRUE(std::filesystem::exists(store.profilePath(a.id)));
}

TEST_F(ProfileFileStoreTest, AFailedWriteIsLoggedOnceUntilItSucceeds) {
    Log::Capture log;
    const Profile a = sampleProfile("A");
    std::filesystem::create_directories(store.profilePath(a.id)); // a folder in the way
    store.saveProfile(a);
    store.saveProfile(a);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("Panemark: cannot write " + store.profilePath(a.id), 0), 0u);
    std::filesystem::remove(store.profilePath(a.id));
    store.saveProfile(a);
    std::filesystem::remove(store.profilePath(a.id));
    std::filesystem::create_directories(store.profilePath(a.id));
    store.saveProfile(a);
    EXPECT_EQ(log.lines().size(), 2u); // failing again after a success is news again
}

} // namespace
} // namespace panemark
