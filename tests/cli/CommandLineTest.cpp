#include "cli/CommandLine.h"

#include "cli/CheckTool.h"

#include <QtGlobal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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
                           "6\tTop half → full width\t⌃⌥⌘↑\t0,0,1440,438\n"
                           "7\tBottom half → full width\t⌃⌥⌘↓\t0,437,1440,438\n");
}

TEST(CommandLineTest, CheckUsesTheWindowAndGapAndReportsUnchanged) {
    const std::string topHalf =
        R"({"id":"C0FFEE00-0000-4000-8000-000000000001","name":"Up\tthere","cols":1,"rows":2,)"
        R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,"halfAction":"top"})";
    const Outcome outcome = run({"check", "-", "--visible-frame", "0,0,1000,800", "--window",
                                 "10,0,975,380", "--gap", "10"},
                                topHalf);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "1\tUp\\tthere\t-\tunchanged\n"); // one field, whatever the name

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

TEST(CommandLineTest, FilesThatAreNoCommandFilesAreRefusedWithoutHanging) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("panemark-check-files-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(run({"check", fifo}).err, fifo + ": is not a regular file\n");
    EXPECT_EQ(run({"--commands", fifo}).status, 2);

    const std::string empty = (folder / "empty.json").string();
    std::ofstream(empty) << " \n\t\n";
    EXPECT_EQ(run({"check", empty}).err, "no command in " + empty + "\n");
    EXPECT_EQ(run({"apply", empty}).err, "no command in " + empty + "\n");
    EXPECT_EQ(run({"check", "-"}, "[]").err, "no command in standard input\n");

    const std::string binary = (folder / "binary.json").string();
    std::ofstream(binary, std::ios::binary) << "[\n  \x7F" << std::string("ELF\0\x02\xFF", 6);
    EXPECT_EQ(run({"check", binary}).err,
              binary + ": not a JSON command file: binary data at line 2, column 7\n");
    std::filesystem::remove_all(folder);
}

TEST(CommandLineTest, WarningsNameElementAndKeyAndStrictMakesThemFail) {
    const auto command = [](const std::string& fields) {
        return R"({"id":"0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C3)" + fields + "}\n";
    };
    const std::string file =
        command(R"(0","name":"","cols":40,"rows":3,"ordering":"reading","colStart":0,"colEnd":0,)"
                R"("rowStart":5,"rowEnd":0)") +
        command(R"(1","name":"","cols":1,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,)"
                R"("rowStart":0,"rowEnd":0,"fixedSize":{"width":-3,"height":9000},)"
                R"("shortcut":{"keyCode":0,"modifiers":512})") +
        command(R"(1","name":"","cols":1,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,)"
                R"("rowStart":0,"rowEnd":0,"shortcut":{"keyCode":1000,"modifiers":4096})") +
        command(R"(2","name":"","cols":1,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,)"
                R"("rowStart":0,"rowEnd":0,"shortcut":{"keyCode":1000,"modifiers":4096})");
    const Outcome outcome = run({"check", "-"}, file);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err,
              "warning: [0].cols: 40 is outside 1–12\n"
              "warning: [0].rowStart: 5 is outside the grid's 3 rows (0–2)\n"
              "warning: [1].fixedSize.width: -3 is negative\n"
              "warning: [1].fixedSize.height: 9000 is outside 100–8192\n"
              "warning: [1].shortcut: ⇧A has no control, option or command key and can never "
              "fire\n"
              "warning: [2].shortcut.keyCode: 1000 names no key\n"
              "warning: [3].shortcut.keyCode: 1000 names no key\n"
              "warning: [2].shortcut: ⌃key1000 is the shortcut of 2 commands ([2], [3]); only "
              "the last of them fires\n"
              "warning: [1].id: 0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C31 is the id of 2 commands "
              "([1], [2])\n");
    EXPECT_EQ(run({"check", "--strict", "-"}, file).status, 1);
    EXPECT_EQ(run({"check", "--strict", "--stock"}).status, 0);
}

TEST(CommandLineTest, AShortcutSharedByManyCommandsIsOneWarning) {
    std::string file;
    for (int i = 0; i < 3000; ++i) {
        file += R"({"id":"0F3C2A9E-5B1D-4E8A-9C7F-)" +
                std::string(12 - std::to_string(i).size(), '0') + std::to_string(i) +
                R"(","name":"","cols":2,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,)"
                R"("rowStart":0,"rowEnd":0,"shortcut":{"keyCode":18,"modifiers":6400}})"
                "\n";
    }
    const Outcome outcome = run({"check", "-"}, file);
    EXPECT_EQ(outcome.err, "warning: [0].shortcut: ⌃⌥⌘1 is the shortcut of 3000 commands ([0], "
                           "[1], [2], [3], [4], … (3000 in all)); only the last of them fires\n");
}

TEST(CommandLineTest, NamesCannotDriveTheTerminal) {
    const std::string named =
        R"({"id":"C0FFEE00-0000-4000-8000-000000000001","name":"\u001b]0;owned\u0007\u009b2J",)"
        R"("cols":1,"rows":1,"ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0})";
    const Outcome outcome = run({"check", "-"}, named);
    EXPECT_EQ(outcome.out, "1\t\\x1B]0;owned\\x07\\u{9B}2J\t-\t0,0,1920,1080\n");
}

// Qt's own warnings would reach standard error beside the program's output.
std::vector<std::string>& qtMessages() {
    static std::vector<std::string> messages;
    return messages;
}

TEST(CommandLineTest, FlagsLeaveNoStrayLineOnStandardError) {
    qtMessages().clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            qtMessages().push_back(text.toStdString());
        });
    const Outcome outcome = run({"check", "--stock", "--json", "--strict"});
    qInstallMessageHandler(previous);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(qtMessages(), std::vector<std::string>{});
}

TEST(CommandLineTest, SetupWritesTheExtensionForAnyShellAndSaysWhenOneIsNewerThanItKnows) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("panemark-setup-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    const Outcome known =
        run({"setup", "gnome-shell", "--into", folder.string(), "--shell-version", "50"});
    EXPECT_EQ(known.status, 0) << known.err;
    EXPECT_NE(known.out.find("for GNOME Shell 50 to"), std::string::npos) << known.out;
    EXPECT_EQ(known.out.find("untested"), std::string::npos) << known.out;
    const Outcome newer =
        run({"setup", "gnome-shell", "--into", folder.string(), "--shell-version", "53.1"});
    EXPECT_EQ(newer.status, 0) << newer.err;
    EXPECT_NE(newer.out.find("GNOME Shell 53 is newer than any Panemark was tested on (51)"),
              std::string::npos)
        << newer.out;
    std::ifstream metadata(folder / "panemark@panemark.app" / "metadata.json");
    const std::string text{std::istreambuf_iterator<char>(metadata),
                           std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("\"53\""), std::string::npos) << text;
    std::filesystem::remove_all(folder);
}

TEST(CommandLineTest, BadArgumentsAreUsageErrorsThatSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"check"}, "panemark: check: name a command file (or - for standard input), or --stock"},
        {{"check", "a.json", "b.json"}, "panemark: check: name one command file, not 2"},
        {{"check", "--stock", "a.json"},
         "panemark: check: --stock and a command file exclude each other"},
        {{"check", "--stock", "--gap"}, "panemark: check: missing value after '--gap'."},
        {{"check", "--stock", "--gap", "nan"}, "panemark: check: --gap: \"nan\" is not a number"},
        {{"check", "--stock", "--gap", "1e999"},
         "panemark: check: --gap: 1e999 is outside 0 to 1000"},
        {{"check", "--stock", "--gap", "-1"}, "panemark: check: --gap: -1 is outside 0 to 1000"},
        {{"check", "--stock", "--gap", "1001"},
         "panemark: check: --gap: 1001 is outside 0 to 1000"},
        {{"check", "--stock", "--window", "1,2,3"},
         "panemark: check: --window: expected X,Y,W,H, found \"1,2,3\""},
        {{"check", "--stock", "--window", "1,2,3,4,5"},
         "panemark: check: --window: expected X,Y,W,H, found \"1,2,3,4,5\""},
        {{"check", "--stock", "--window", "0,0,-5,10"},
         "panemark: check: --window width: -5 is outside 0 to 32767"},
        {{"check", "--stock", "--visible-frame", "0,1e300,5,10"},
         "panemark: check: --visible-frame y: 1e300 is outside -32768 to 32767"},
        {{"check", "--stock", "--visible-frame", "a,b,c,d"},
         "panemark: check: --visible-frame x: \"a\" is not a number"},
        {{"check", "--stock", "--gap", "1", "--gap", "2"},
         "panemark: check: --gap is given more than once"},
        {{"check", "--stock", "--frobnicate"}, "panemark: check: unknown option 'frobnicate'."},
        {{"apply"}, "panemark: apply: name a command file (or - for standard input)"},
        {{"apply", "-", "--duration", "0"},
         "panemark: apply: --duration: give seconds above 0 and at most 5"},
        {{"apply", "-", "--curve", "bounce\x1b[2J"},
         "panemark: apply: --curve: \"bounce\\x1B[2J\" is not one of linear, easeOut, easeInOut"},
        {{"--commands"}, "panemark: missing value after '--commands'."},
        {{"tile"}, "panemark: unknown command \"tile\""},
        {{"status", "now"}, "panemark: status: takes no arguments"},
        {{"launch-at-login", "maybe"}, "panemark: launch-at-login: say on, off or status"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << message;
        EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), message);
        EXPECT_NE(outcome.err.find("--help'."), std::string::npos) << message;
    }
}

TEST(CommandLineTest, HelpListsEverySubcommandAndEachHasItsOwn) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* name : {"status", "quit", "check", "apply", "launch-at-login", "keys"}) {
        EXPECT_NE(help.out.find(std::string("  ") + name + " "), std::string::npos) << name;
        const Outcome own = run({name, "--help"});
        EXPECT_EQ(own.status, 0) << name;
        EXPECT_EQ(own.out.rfind(std::string("usage: panemark ") + name, 0), 0u) << own.out;
    }
}

TEST(CommandLineTest, KeysListsCodesWithTheirNames) {
    const Outcome keys = run({"keys"});
    EXPECT_EQ(keys.status, 0);
    EXPECT_NE(keys.out.find("\n0\tA\n"), std::string::npos);
    EXPECT_NE(keys.out.find("\n123\t←\n"), std::string::npos);
    EXPECT_NE(keys.out.find("4096\t⌃ control"), std::string::npos);
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

TEST(CommandLineTest, StatusAndQuitSayWhenNothingRuns) {
    const auto runtime =
        std::filesystem::temp_directory_path() / ("panemark-runtime-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    for (const char* request : {"status", "quit"}) {
        const Outcome outcome = run({request});
        EXPECT_EQ(outcome.status, 3) << request;
        EXPECT_EQ(outcome.out, "Panemark is not running\n");
    }
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(runtime);
}

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
    std::filesystem::create_directories(entry);
    EXPECT_EQ(run({"launch-at-login", "status"}).out,
              "launch at login: off (the entry is unusable: " + entry.string() +
                  ": is a directory) (" + entry.string() + ")\n");
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(home);
}

} // namespace
} // namespace panemark
