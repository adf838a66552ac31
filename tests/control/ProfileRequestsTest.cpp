#include "control/ProfileRequests.h"

#include "base/ManualScheduler.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

using Json = ProfileRequests::Json;

class ProfileRequestsTest : public ::testing::Test {
protected:
    ~ProfileRequestsTest() override {
        manager.reset();
        std::filesystem::remove_all(base);
    }

    Json ask(Json request) { return ProfileRequests::answer(*manager, request); }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-requests-" + std::to_string(getpid()));
    ManualScheduler clock;
    std::unique_ptr<ProfileManager> manager =
        std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
};

TEST_F(ProfileRequestsTest, AChangeThatCouldNotBeSavedAnswersSoAndIsKept) {
    Json create = InstanceProtocol::request("profile.create");
    create["name"] = "Work";
    const Uuid work = *Uuid::parse(ask(create).value("id", std::string()));
    const std::string path = manager->fileStore().profilePath(work);
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);

    Json gap = InstanceProtocol::request("profile.set-gap");
    gap["profile"] = "Work";
    gap["gap"] = 9;
    const Json failed = ask(gap);
    EXPECT_EQ(failed.value("ok", true), false);
    EXPECT_EQ(failed.value("unsaved", false), true);
    EXPECT_EQ(failed.value("error", std::string()).rfind("couldn't save profile \"Work\": ", 0),
              0u);
    EXPECT_EQ(manager->snapshot(work)->gap, 9);
    EXPECT_EQ(ask(InstanceProtocol::request("profiles")).value("ok", false), true); // reading

    std::filesystem::remove(path);
    clock.advance(ProfileManager::retryDelay);
    EXPECT_EQ(ask(gap).value("ok", false), true);
}

TEST_F(ProfileRequestsTest, NamesAndGapsAreCheckedByOneRuleAndTrimmed) {
    Json create = InstanceProtocol::request("profile.create");
    create["name"] = "\u3000";
    EXPECT_EQ(ask(create).value("error", std::string()), "a profile needs a name");
    create["name"] = " Desk\u00A0";
    EXPECT_EQ(ask(create).value("name", std::string()), "Desk");
    Json gap = InstanceProtocol::request("profile.set-gap");
    gap["profile"] = "Desk";
    for (const Json& value : {Json(-50), Json(1e308), Json("7")}) {
        gap["gap"] = value;
        EXPECT_EQ(ask(gap).value("error", std::string()),
                  "the gap must be a number from 0 to 1000");
    }
}

} // namespace
} // namespace panemark
