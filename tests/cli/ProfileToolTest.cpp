#include "cli/CommandLine.h"
#include "control/DataFolderLock.h"
#include "json/CommandListFile.h"
#include "model/StockCommands.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>

namespace panemark {
namespace {

// The profile commands acting on the files, with nothing running.
class ProfileToolTest : public ::testing::Test {
protected:
    ProfileToolTest() {
        std::filesystem::create_directories(base / "runtime");
        setenv("XDG_RUNTIME_DIR", (base / "runtime").c_str(), 1);
        setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    }
    ~ProfileToolTest() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(base);
    }

    struct Outcome {
        int status;
        std::string out;
        std::string err;
    };
    Outcome run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.end(), {"--data-dir", data.string()});
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status = CommandLine::run(args, in, out, err);
        return {status, out.str(), err.str()};
    }

    // Every file of the data folder with its content.
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> all;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
            if (entry.is_regular_file()) {
                std::ifstream stream(entry.path());
                std::stringstream text;
                text << stream.rdbuf();
                all[entry.path().string()] = text.str();
            }
        }
        return all;
    }

    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("panemark-profile-cli-" + std::to_string(getpid()));
    std::filesystem::path data = base / "data";
};

TEST_F(ProfileToolTest, ListCreateActivateAndExportImportRoundTrip) {
    EXPECT_EQ(run({"profiles"}).out, "1\t*\tDefault\tManual only\t7 commands\n");
    const Outcome created = run({"profile", "create", "Work", "--from", "empty"});
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(created.out.size(), 37u); // the new id and a line break
    EXPECT_EQ(run({"profile", "activate", "Work"}).status, 0);
    EXPECT_EQ(run({"profile", "set-gap", "Work", "8"}).status, 0);
    EXPECT_EQ(run({"profiles"}).out, "1\t \tDefault\tManual only\t7 commands\n"
                                     "2\t*\tWork\tManual only\t0 commands\n");

    const std::string exported = (base / "Work.panemarkprofile").string();
    EXPECT_EQ(run({"profile", "export", "Work", exported}).status, 0);
    EXPECT_EQ(run({"profile", "import", exported}).out, "Work 2\n");
    EXPECT_EQ(run({"profile", "import", exported}).out, "Work 3\n");
    EXPECT_NE(run({"profiles", "--json"}).out.find(R"("name":"Work 3","active":false)"),
              std::string::npos);
    EXPECT_EQ(run({"profile", "move", "Work 3", "1"}).status, 0);
    EXPECT_EQ(run({"profiles"}).out.substr(0, 10), "1\t \tWork 3");
    EXPECT_EQ(run({"auto-switch", "off"}).out, "auto-switch: off\n");
    EXPECT_EQ(run({"auto-switch", "status"}).out, "auto-switch: off\n");
}

TEST_F(ProfileToolTest, CommandsGoInCheckedAndComeOutAsCheckPrintsThem) {
    const std::string file = (base / "two.json").string();
    const std::vector<ZoneCommand> two{stockCommands()[3], stockCommands()[4]};
    std::ofstream(file) << CommandListFile::format(two);
    EXPECT_EQ(run({"profile", "set-commands", "Default", file}).status, 0);
    EXPECT_EQ(run({"profile", "commands", "Default"}).out,
              "1\tLeft half\t⌃⌥⌘←\t0,0,960,1080\n2\tRight half\t⌃⌥⌘→\t960,0,960,1080\n");
    EXPECT_EQ(CommandListFile::parse(run({"profile", "commands", "Default", "--json"}).out).value(),
              two);
}

TEST_F(ProfileToolTest, TriggersAreSetInOrderAndClearedByManual) {
    const Outcome set = run({"profile", "trigger", "Default", "--display", "B-UUID", "--display",
                             "A-UUID", "--keyboard", "046d:C31C"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "2 displays, + keyboard\n");
    const std::string exported = run({"profile", "export", "Default", "-"}).out;
    EXPECT_NE(exported.find(R"("displayUUIDs":["B-UUID","A-UUID"],"keyboard":{"vendorID":1133,)"
                            R"("productID":49948})"),
              std::string::npos)
        << exported;
    EXPECT_EQ(run({"profile", "trigger", "Default", "--no-external-display"}).out,
              "No external display\n");
    EXPECT_EQ(run({"profile", "trigger", "Default", "--manual"}).out, "Manual only\n");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"profile", "trigger", "Default"},
             {"profile", "trigger", "Default", "--manual", "--display", "X"},
             {"profile", "trigger", "Default", "--keyboard", "046d"},
             {"profile", "trigger", "Default", "--keyboard", "1046d:c31c"},
             {"profile", "activate", "Default", "--display", "X"},
             {"hardware", "now"},
         }) {
        const Outcome refused = run(args);
        EXPECT_EQ(refused.status, 2) << args.back();
        EXPECT_EQ(refused.err.rfind("panemark: ", 0), 0u) << refused.err;
    }
}

TEST_F(ProfileToolTest, ErrorsExitTwoAndWriteNothing) {
    run({"profiles"});
    run({"profile", "create", "Twin"});
    run({"profile", "create", "Other"});
    run({"profile", "rename", "Other", "Twin"}); // renaming does not make names unique
    const auto before = files();

    const Outcome shared = run({"profile", "activate", "Twin"});
    EXPECT_EQ(shared.status, 2);
    EXPECT_EQ(
        shared.err.rfind("panemark: \"Twin\" is the name of 2 profiles; name one by its id: ", 0),
        0u);
    EXPECT_EQ(run({"profile", "delete", "Nobody"}).err, "panemark: no such profile \"Nobody\"\n");
    const std::string bad = (base / "bad.json").string();
    std::ofstream(bad) << R"([{"id":"nope"}])";
    const Outcome unchecked = run({"profile", "set-commands", "Default", bad});
    EXPECT_EQ(unchecked.status, 2);
    EXPECT_EQ(unchecked.err, bad +
                                 R"(: [0].id: "nope" is not a UUID (8-4-4-4-12 hexadecimal digits))"
                                 "\n");
    EXPECT_EQ(run({"profile", "import", bad}).status, 2);
    EXPECT_EQ(run({"profile", "move", "Default", "9"}).status, 2);
    EXPECT_EQ(run({"profile", "create", "   "}).status, 2);
    EXPECT_EQ(run({"profile", "frobnicate"}).status, 2);
    EXPECT_EQ(run({"profile", "rename", "Default"}).err.rfind("panemark: profile: rename takes", 0),
              0u);
    EXPECT_EQ(files(), before);
}

TEST_F(ProfileToolTest, ASkippedFilesPathReachesTheTerminalEscaped) {
    // A data folder whose name carries a terminal's control sequence.
    data = base / "data\x1b]0;owned\x07";
    run({"profile", "create", "Work"});
    const std::string listed = run({"profiles", "--json"}).out;
    const std::string workId = listed.substr(listed.find("\"Work\"") - 45, 36);
    std::ofstream(data / "Profiles" / (workId + ".json")) << "{ broken";
    const Outcome plain = run({"profiles"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("skipped"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find('\x1b'), std::string::npos) << "a raw escape reached the terminal";
    EXPECT_EQ(plain.out.find('\x07'), std::string::npos);
}

TEST_F(ProfileToolTest, ReadingWritesNothingAndNamesTheFilesItSkipped) {
    run({"profile", "create", "Work"});
    run({"profile", "create", "Home"});
    const std::string listed = run({"profiles", "--json"}).out;
    const std::string workId = listed.substr(listed.find("\"Work\"") - 45, 36);
    const std::filesystem::path workFile = data / "Profiles" / (workId + ".json");
    std::ofstream(workFile) << "{\"formatVersion\":1,\n\"profile\":";
    std::ofstream(data / "profiles.json") << "{ a typo";
    const auto before = files();

    const Outcome plain = run({"profiles"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("Home"), std::string::npos);
    EXPECT_NE(plain.out.find("-\tskipped\t" + workFile.string() + "\t"), std::string::npos);
    EXPECT_EQ(plain.out.find("Work"), std::string::npos);
    const Outcome json = run({"profiles", "--json"});
    EXPECT_NE(json.out.find(R"("skipped":[{"file":")" + workFile.string() + R"(","error":")"),
              std::string::npos);
    EXPECT_EQ(run({"profile", "commands", "Home"}).status, 0);
    EXPECT_EQ(run({"auto-switch", "status"}).status, 0);
    EXPECT_EQ(files(), before); // the broken index is still there to repair

    // A change writes a new index and keeps the old one, and the broken profile, aside.
    EXPECT_EQ(run({"profile", "set-gap", "Home", "4"}).status, 0);
    std::size_t aside = 0;
    for (const auto& [path, text] : files()) {
        aside += path.find("profiles.json.unreadable-") != std::string::npos && text == "{ a typo";
    }
    EXPECT_EQ(aside, 1u);
    EXPECT_NE(files()[(data / "profiles.json").string()].find(workId), std::string::npos);
}

TEST_F(ProfileToolTest, NamesAreTrimmedAlikeAndPrintedWithoutBidirectionalControls) {
    EXPECT_EQ(run({"profile", "create", "\u00A0\u3000"}).status, 2);
    EXPECT_EQ(run({"profile", "create", "  Work\u00A0"}).status, 0);
    EXPECT_EQ(run({"profile", "rename", "Work", "\t"}).err, "panemark: a profile needs a name\n");
    EXPECT_EQ(run({"profile", "rename", "Work", "evil\u202Etxt.exe"}).status, 0);
    const std::string listed = run({"profiles"}).out;
    EXPECT_NE(listed.find("\tevil\\u{202E}txt.exe\t"), std::string::npos) << listed;
    EXPECT_EQ(run({"profile", "set-gap", "Default", "1e308"}).status, 2);
    EXPECT_EQ(run({"profile", "set-gap", "Default", "-50"}).status, 2);
}

TEST_F(ProfileToolTest, AFolderHeldByAProgramOutOfReachIsNeverEditedUnderIt) {
    run({"profiles"});
    run({"profile", "create", "Work"});
    const auto before = files();
    Result<DataFolderLock::Attempt> held = DataFolderLock::take(data.string(), 0);
    ASSERT_TRUE(held && held.value().lock);
    ASSERT_TRUE(held.value().lock->record(
        {static_cast<std::int64_t>(getpid()), ":9", (base / "gone.socket").string()}));
    const Outcome refused = run({"profile", "delete", "Work"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "panemark: Panemark is running with this data folder (pid " +
                               std::to_string(getpid()) +
                               ", display :9); run this where it runs, or `panemark quit` first\n");
    held.value().lock.reset();
    EXPECT_EQ(files(), before);
    EXPECT_EQ(run({"profile", "delete", "Work"}).status, 0);
}

TEST_F(ProfileToolTest, AListOfMoreCommandsThanAnyoneKeepsIsRefused) {
    std::string many = "[";
    for (int i = 0; i < 1001; ++i) {
        many += (i ? "," : "") + CommandListFile::format({stockCommands()[0]});
    }
    const std::string path = (base / "many.json").string();
    run({"profiles"});
    std::ofstream(path) << many + "]";
    const Outcome outcome = run({"profile", "set-commands", "Default", path});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("at most 1000 commands"), std::string::npos) << outcome.err;
}

} // namespace
} // namespace panemark
