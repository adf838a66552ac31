#include "../support/Printers.h"
#include "TestClient.h"
#include "XvfbSession.h"
#include "json/CommandListFile.h"
#include "model/StockCommands.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace panemark {
namespace {

struct Outcome {
    int status;
    std::string err;
};

// Runs the real program with the given arguments and environment prefix.
Outcome runProgram(const std::string& arguments, const std::string& environment = "") {
    const auto errors =
        std::filesystem::temp_directory_path() / ("panemark-apply-" + std::to_string(getpid()));
    const std::string command = environment + " " + PANEMARK_PROGRAM + " " + arguments + " 2>" +
                                errors.string() + " >/dev/null";
    const int status = std::system(command.c_str());
    std::ifstream stream(errors);
    std::stringstream text;
    text << stream.rdbuf();
    std::filesystem::remove(errors);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

std::string writeCommands(const std::vector<ZoneCommand>& commands) {
    const auto file =
        std::filesystem::temp_directory_path() / ("panemark-commands-" + std::to_string(getpid()));
    std::ofstream(file) << CommandListFile::format(commands);
    return file.string();
}

TEST(ApplyCommandTest, TilesTheFocusedWindowAndSaysWhyWhenItCannot) {
    XvfbSession session;
    ASSERT_TRUE(session.ready()) << session.problem();
    const std::vector<ZoneCommand> stock = stockCommands();
    const std::string leftThenTop = writeCommands({stock[3], stock[5]});

    const Outcome nothingFocused = runProgram("apply " + leftThenTop);
    EXPECT_EQ(nothingFocused.status, 1);
    EXPECT_EQ(nothingFocused.err, "panemark apply: no window has the focus\n");

    TestClient client;
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    const Outcome applied =
        runProgram("apply --animate --duration 0.1 --curve easeOut " + leftThenTop);
    EXPECT_EQ(applied.status, 0) << applied.err;
    // Left half, then cut to its top half.
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 720}), (Rect{0, 0, 1280, 720}));

    const Outcome noDisplay = runProgram("apply " + leftThenTop, "DISPLAY=:31999");
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_EQ(noDisplay.err, "panemark apply: cannot open display :31999\n");

    const Outcome badCurve = runProgram("apply --curve bouncy " + leftThenTop);
    EXPECT_EQ(badCurve.status, 2);
    EXPECT_NE(badCurve.err.find("\"bouncy\" is not one of linear, easeOut, easeInOut"),
              std::string::npos);
    std::filesystem::remove(leftThenTop);
}

TEST(ApplyCommandTest, WithoutAWindowManagerItSaysSo) {
    XvfbSession session(800, 600, XvfbSession::WindowManager::none);
    ASSERT_TRUE(session.ready()) << session.problem();
    const std::string file = writeCommands({stockCommands()[0]});
    const Outcome outcome = runProgram("apply " + file);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "panemark apply: no window manager is running\n");
    std::filesystem::remove(file);
}

} // namespace
} // namespace panemark
