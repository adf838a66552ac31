#include "model/StockCommands.h"
#include "profiles/ProfileFileStore.h"
#include "profiles/ProfileJson.h"
#include "runtime/Log.h"

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
    EXPECT_EQ(trigger.summary(), "Keyboard");
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

TEST_F(ProfileFileStoreTest, OneIdTwiceLoadsOneProfile) {
    const Profile a = sampleProfile("A");
    Profile impostor = sampleProfile("Impostor");
    store.saveProfile(a);
    store.saveProfile(impostor);
    // The second file claims the first one's id.
    std::string text = readFile(store.profilePath(impostor.id));
    text.replace(text.find(impostor.id.toString()), 36, a.id.toString());
    std::ofstream(store.profilePath(impostor.id)) << text;
    store.saveIndex(ProfileIndex{1, a.id, {a.id, a.id, impostor.id}, true});
    const ProfileFileStore::Loaded loaded = load();
    ASSERT_EQ(loaded.profiles.size(), 1u);
    EXPECT_EQ(loaded.profiles[0].name, "A");
}

TEST_F(ProfileFileStoreTest, AnUnusableIndexOrProfilesFallBackAndOverwriteTheIndex) {
    const Profile a = sampleProfile("A");
    store.saveProfile(a);
    std::ofstream(store.indexPath()) << "garbage";
    EXPECT_EQ(load().profiles[0].name, "Default");
    EXPECT_TRUE(std::filesystem::exists(store.profilePath(a.id))); // strays stay on disk

    std::filesystem::resize_file(store.profilePath(a.id), ProfileFileStore::maxFileSize + 1);
    store.saveIndex(ProfileIndex{1, a.id, {a.id}, true});
    EXPECT_EQ(load().profiles[0].name, "Default"); // too large to read: as if missing
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
