#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace panemark {
namespace {

// The tray icon in a real tray host (trayer) on Xvfb + openbox, driven with the pointer.
class TrayOnX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        session.spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                       "--width", "120", "--height", "24", "--transparent", "false"});
    }

    // What a command prints.
    std::string capture(const std::string& command) {
        std::string output;
        if (FILE* pipe = popen(("DISPLAY=" + session.display() + " " + command).c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe)) {
                output += buffer;
            }
            pclose(pipe);
        }
        return output;
    }

    // The visible window of Panemark's tray icon, once the tray has embedded it.
    std::string trayIcon() {
        for (int i = 0; i < 300; ++i) {
            const std::string id = capture("xdotool search --onlyvisible --classname panemark");
            if (!id.empty()) {
                return id.substr(0, id.find('\n'));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }

    void screenshot(const std::string& name) {
        static int argc = 1;
        static char app[] = "test_x11_tray";
        static char* argv[] = {app, nullptr};
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!QGuiApplication::instance()) {
            new QGuiApplication(argc, argv);
        }
        std::filesystem::create_directories(SCREENSHOT_DIR);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name));
    }

    XvfbSession session{1280, 800};
    TestClient client;
    TestHome homeFolder{"tray"};
    const std::filesystem::path& home = homeFolder.path();
};

TEST_F(TrayOnX11Test, AClickOnTheIconOpensThePaletteWhoseRowsMoveTheFocusedWindowAndQuit) {
    session.run({PANEMARK_PROGRAM, "profile", "create", "Work"});
    const xcb_window_t window = client.createWindow(300, 300, 400, 300);
    ASSERT_TRUE(client.activate(window));
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    const std::string icon = trayIcon();
    ASSERT_FALSE(icon.empty()) << "the icon was not embedded";

    ASSERT_TRUE(session.run({"xdotool", "mousemove", "--window", icon, "11", "11", "click", "1"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    screenshot("tray-palette.png");
    // Left half is the fourth command row; the palette has the keyboard while it is open.
    ASSERT_TRUE(session.run({"xdotool", "key", "Down", "Down", "Down", "Down", "Return"}));
    EXPECT_EQ(client.waitForFrame(window, {0, 24, 640, 776}).value_or(Rect{}).width, 640);
    EXPECT_EQ(client.outerFrame(window)->x, 0);

    ASSERT_TRUE(session.run({"xdotool", "mousemove", "--window", icon, "11", "11", "click", "1"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(session.run({"xdotool", "key", "Up", "Return"})); // Quit Panemark, the last row
    const std::optional<int> status = XvfbSession::waitForExit(panemark, 5);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

} // namespace
} // namespace panemark
