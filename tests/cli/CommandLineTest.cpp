#include "cli/CommandLine.h"

#include "cli/CheckTool.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace panemark {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = CommandLine::run(args, in, out, err);
    return {status, out.str(), err.str()};
}

const std::string leftThird =
    R"({"id":"0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C30","name":"","cols":3,"rows":1,"ordering":"reading",)"
    R"("colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,"shortcut":{"keyCode":18,"modifiers":6400}})";

TEST(CommandLineTest, VersionLineNamesTheBuild) {
    const Outcome outcome = run({"--version"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("Panemark ", 0), 0u);
    EXPECT_NE(outcome.out.find(" ("), std::string::npos);
    EXPECT_EQ(outcome.out.back(), '\n');
}

TEST(CommandLineTest, CheckStockListsTheSevenCommandsWithTheirFrames) {
    const Outcome outcome = run({"check", "--stock", "--visible-frame", "0,0,1440,875"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "1\tLeft third\t⌃⌥⌘1\t0,0,480,875\n"
                           "2\tCenter third\t⌃⌥⌘2\t480,0,480,875\n"
                           "3\tRight third\t⌃⌥⌘3\t960,0,480,875\n"
                           "4\tLeft half\t⌃⌥⌘←\t0,0,720,875\n"
                           "5\tRight half\t⌃⌥⌘→\t720,0,720,875\n"
                           "6\tTop half → full width\t⌃⌥⌘↑\t0,438,1440,438\n"
                           "7\tBottom half → full width\t⌃⌥⌘↓\t0,0,1440,438\n");
}

TEST(CommandLineTest, CheckUsesTheWindowAndGapAndReportsUnchanged) {
    const std::string topHalf =
        R"({"id":"C0FFEE00-0000-4000-8000-000000000001","name":"Up\tthere","cols":1,"rows":2,)"
        R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,"halfAction":"top"})";
    const Outcome outcome = run({"check", "-", "--visible-frame", "0,0,1000,800", "--window",
                                 "10,420,975,380", "--gap", "10"},
                                topHalf);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "1\tUp there\t-\tunchanged\n");

    const std::string maximize =
        R"({"id":"C0FFEE00-0000-4000-8000-000000000002","name":"","cols":1,"rows":1,)"
        R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,"maximize":true})";
    EXPECT_EQ(run({"check", "-", "--visible-frame", "0.5,-25,1439.25,875"}, maximize).out,
              "1\tMaximize (full screen)\t-\t0.5,-25,1439.25,875\n");
}

TEST(CommandLineTest, CheckJsonReencodesOneCompactObjectPerLine) {
    const std::string lowerCaseId =
        std::string(leftThird).replace(1 + leftThird.find(":\"") + 1, 8, "0f3c2a9e");
    const Outcome outcome = run({"check", "--json", "-"}, "[\n  " + lowerCaseId + "\n]\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, leftThird + "\n");
}

TEST(CommandLineTest, MalformedInputNamesFileElementAndKeyAndExitsTwo) {
    const auto file = std::filesystem::temp_directory_path() / "panemark-check-commands.json";
    std::string bad = leftThird;
    bad.replace(bad.find("reading"), 7, "diagonal");
    std::ofstream(file) << "[" << leftThird << "," << leftThird << "," << bad << "]";

    const Outcome outcome = run({"check", file.string()});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(
        outcome.err,
        file.string() +
            R"(: [2].ordering: "diagonal" is not one of reading, clockwise, counterClockwise)" +
            "\n");
    std::filesystem::remove(file);

    EXPECT_EQ(run({"check", "-"}, "{").err.rfind("standard input: not valid JSON at line 1", 0),
              0u);
    const Outcome missing = run({"check", "/nonexistent/commands.json"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "/nonexistent/commands.json: cannot be opened: No such file or directory\n");
    EXPECT_EQ(run({"check", "/"}).err, "/: is a directory\n");
}

TEST(CommandLineTest, BadArgumentsAreUsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"check"},
             {"check", "a.json", "b.json"},
             {"check", "--stock", "a.json"},
             {"check", "--stock", "--gap"},
             {"check", "--stock", "--gap", "nan"},
             {"check", "--stock", "--gap", "1e999"},
             {"check", "--stock", "--window", "1,2,3"},
             {"check", "--stock", "--window", "1,2,3,4,5"},
             {"check", "--stock", "--visible-frame", "a,b,c,d"},
             {"check", "--stock", "--frobnicate"},
             {"tile"},
         }) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << args.back();
        EXPECT_NE(outcome.err.find("usage: panemark"), std::string::npos) << args.back();
    }
}

TEST(CommandLineTest, NumbersPrintWholeWithoutADecimalPoint) {
    EXPECT_EQ(CheckTool::formatNumber(-0.0), "0");
    EXPECT_EQ(CheckTool::formatNumber(1920), "1920");
    EXPECT_EQ(CheckTool::formatNumber(-258), "-258");
    EXPECT_EQ(CheckTool::formatNumber(0.1), "0.1");
    EXPECT_EQ(CheckTool::formatNumber(9223372036854775807.0), "9223372036854775808");
}

} // namespace
} // namespace panemark

namespace panemark {
namespace {

TEST(CommandLineTest, LaunchAtLoginWritesAndRemovesTheAutostartEntry) {
    const auto home =
        std::filesystem::temp_directory_path() / ("panemark-login-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const auto entry = home / "autostart" / "panemark.desktop";
    EXPECT_EQ(run({"launch-at-login", "on"}).out, "launch at login: on\n");
    EXPECT_TRUE(std::filesystem::exists(entry));
    EXPECT_EQ(run({"launch-at-login", "status"}).out,
              "launch at login: on (" + entry.string() + ")\n");
    EXPECT_EQ(run({"launch-at-login", "off"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(run({"launch-at-login", "maybe"}).status, 2);
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(home);
}

} // namespace
} // namespace panemark
