#include "../support/ChildProcess.h"
#include "../support/DesktopVersion.h"
#include "../support/LayoutShortcuts.h"
#include "../support/MaximizeProfile.h"
#include "../support/Printers.h"
#include "../support/StockShortcuts.h"
#include "GnomeSession.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

namespace panemark {
namespace {

class GnomeTest : public ::testing::Test {
protected:
    explicit GnomeTest(const std::string& layouts = "", const std::string& monitorSize = "1280x800",
                       bool logicalLayout = false)
        : session(layouts, monitorSize, logicalLayout) {}

    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        session.spawn({PANEMARK_PROGRAM_PATH}, (session.home() / "panemark.log").string());
        ASSERT_TRUE(ChildProcess::waitFor(
            [&] {
                const auto [status, output] = session.run({PANEMARK_PROGRAM_PATH, "status"});
                lastStatus = output;
                return status == 0;
            },
            15))
            << "panemark did not answer";
    }

    // Once the work areas have settled: the stock shortcuts on a window of the left monitor,
    // then on the right one, where GNOME's own shortcut moves it.
    void expectStockShortcutsOnBothMonitors() {
        ASSERT_TRUE(session.waitForSettledAreas());
        const Rect left = *session.usableArea(0);
        const Rect right = *session.usableArea(1);
        ASSERT_TRUE(session.openWaylandWindow("Notes"));
        ASSERT_LT(session.window("Notes")->frame.midX(), right.x);
        expectStockShortcutsToLand(session, "Notes", left, session.panemarkLog());
        ASSERT_TRUE(session.press(106, {"shift", "logo"})); // GNOME's own move to the next monitor
        ASSERT_TRUE(
            ChildProcess::waitFor([&] { return session.window("Notes")->frame.x >= right.x; }, 5));
        expectStockShortcutsToLand(session, "Notes", right, session.panemarkLog());
    }

    GnomeSession session;
    std::string lastStatus;
};

TEST_F(GnomeTest, SetUpFromACleanHomeTheStockShortcutsLandExactlyOnBothMonitorsBelowTheTopBar) {
    EXPECT_NE(session.setupOutput().find("log out and back in"), std::string::npos)
        << session.setupOutput();
    EXPECT_NE(lastStatus.find("desktop: gnome (" + desktopVersion("gnome-shell --version")),
              std::string::npos)
        << lastStatus;
    const std::optional<Rect> left = session.usableArea(0);
    const std::optional<Rect> right = session.usableArea(1);
    ASSERT_TRUE(left && right);
    ASSERT_GT(left->y, 0) << "the top bar is on the left monitor";
    ASSERT_TRUE(session.openWaylandWindow("Notes"));
    ASSERT_LT(session.window("Notes")->frame.midX(), 1280);
    expectStockShortcutsToLand(session, "Notes", *left, session.panemarkLog());
    // GNOME's own shortcut moves it to the other monitor.
    ASSERT_TRUE(session.press(106, {"shift", "logo"}));
    ASSERT_TRUE(ChildProcess::waitFor([&] { return session.window("Notes")->frame.x >= 1280; }, 5));
    expectStockShortcutsToLand(session, "Notes", *right, session.panemarkLog());
}

TEST_F(GnomeTest, TheTopBarButtonOpensThePaletteBesideItWithoutTakingTheFocus) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    // A command line that came and went first: the extension still knows the program's windows.
    const std::filesystem::path rightHalfFile = session.home() / "right-half.json";
    std::ofstream(rightHalfFile)
        << R"({"id":"0F3C2A9E-5B1D-4E8A-9C7F-2D6B4A1E8C30","name":"","cols":2,"rows":1,)"
           R"("ordering":"reading","colStart":1,"colEnd":1,"rowStart":0,"rowEnd":0})";
    ASSERT_EQ(session.run({PANEMARK_PROGRAM_PATH, "apply", rightHalfFile.string()}).first, 0);
    const auto button = session.panemarkButton();
    ASSERT_TRUE(button) << "the top bar has no Panemark button";
    ASSERT_TRUE(session.pressPanemarkButton());
    // Shown, then put beside the button: below the bar, reaching as far left as the button.
    const auto besideTheButton = [&] {
        const auto palette = session.window("Panemark Palette");
        return palette && palette->frame.width > 0 &&
               std::abs(palette->frame.y - session.usableArea(0)->y) <= 2 &&
               std::abs(palette->frame.x - button->first) < palette->frame.width;
    };
    EXPECT_TRUE(ChildProcess::waitFor(besideTheButton, 5)) << session.panemarkLog();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_TRUE(session.screenshot("gnome-top-bar-palette"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time enough to take the focus
    EXPECT_TRUE(session.window("Editor")->active);
    ASSERT_TRUE(session.press(105, hyper));
    const Rect usable = *session.usableArea(0);
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_EQ(session.waitForFrame("Editor", leftHalf), leftHalf);
}

// AZERTY beside QWERTZ, then QWERTZ alone, then Russian beside US, through GNOME's input
// sources.
class GnomeLayoutTest : public GnomeTest {
protected:
    GnomeLayoutTest() : GnomeTest("fr,de") {}
};

TEST_F(GnomeLayoutTest, ShortcutsStayOnTheirPhysicalKeysAcrossInputSources) {
    EXPECT_NE(lastStatus.find("keyboard layout: any (bound by key position)"), std::string::npos)
        << lastStatus;
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    const Rect usable = *session.usableArea(0);
    // The digits of the stock shortcuts are shifted on AZERTY; their keys run them unshifted.
    expectStockShortcutsToLand(session, "Editor", usable, session.panemarkLog());
    ASSERT_NO_FATAL_FAILURE(switchToLetterProfile(session, PANEMARK_PROGRAM_PATH));
    expectZOnItsPhysicalKey(session, "Editor", usable, "fr", session.panemarkLog());
    ASSERT_TRUE(session.setLayouts("de"));
    expectZOnItsPhysicalKey(session, "Editor", usable, "de", session.panemarkLog());
    ASSERT_TRUE(session.setLayouts("ru,us"));
    expectZOnItsPhysicalKey(session, "Editor", usable, "ru", session.panemarkLog());
}

// Two 1920 × 1080 monitors, which mutter lets be scaled.
class GnomeScaleTest : public GnomeTest {
protected:
    GnomeScaleTest() : GnomeTest("", "1920x1080") {}
};

TEST_F(GnomeScaleTest, WithTheMonitorsAtScales2And1TheStockShortcutsLandExactlyOnEach) {
    const Rect before = *session.usableArea(0);
    const std::string refused = session.setMonitorScales(2, 1);
    ASSERT_EQ(refused, "");
    // In pixels (mutter's physical layout) the top bar doubles; in points (the logical layout,
    // the default of newer shells) the monitor halves. Either way its work area changes.
    ASSERT_TRUE(ChildProcess::waitFor([&] { return *session.usableArea(0) != before; }, 10))
        << "mutter did not scale the left monitor";
    expectStockShortcutsOnBothMonitors();
}

// The same monitors laid out in points, with fractional scaling on.
class GnomeFractionalScaleTest : public GnomeTest {
protected:
    GnomeFractionalScaleTest() : GnomeTest("", "1920x1080", true) {}
};

TEST_F(GnomeFractionalScaleTest, WithTheMonitorsAtScales15And1TheStockShortcutsLandExactlyOnEach) {
    const std::string refused = session.setMonitorScales(1.5, 1);
    ASSERT_EQ(refused, "");
    // 1280 × 720 points on the left, the right monitor beside it.
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] { return session.usableArea(0)->width == 1280 && session.usableArea(1)->x == 1280; },
        10))
        << "mutter did not scale the left monitor";
    expectStockShortcutsOnBothMonitors();
}

TEST_F(GnomeTest, AShortcutHeldDownRunsItsCommandOnce) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    expectAHeldShortcutToRunOnce(session, "Editor", *session.usableArea(0), session.panemarkLog());
}

TEST_F(GnomeTest, AProfileSwitchRebindsLive) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    ASSERT_NO_FATAL_FAILURE(switchToMaximizeProfile(session, PANEMARK_PROGRAM_PATH));
    const Rect usable = *session.usableArea(0);
    ASSERT_TRUE(session.press(50, hyper)); // M
    EXPECT_EQ(session.waitForFrame("Editor", usable), usable);
    ASSERT_TRUE(session.press(105, hyper)); // the default profile's ← went with it
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(session.window("Editor")->frame, usable);
}

TEST_F(GnomeTest, TheExtensionTurnedOffIsSaidAtOnceAndTurnedOnAgainEverythingComesBack) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    const auto statusSays = [&](const std::string& text, bool present) {
        return ChildProcess::waitFor(
            [&] {
                const auto [status, output] = session.run({PANEMARK_PROGRAM_PATH, "status"});
                lastStatus = output;
                return status == 0 && (output.find(text) != std::string::npos) == present;
            },
            10);
    };
    // Turned off in GNOME's extension settings.
    session.call("org.gnome.Shell", "/org/gnome/Shell",
                 "org.gnome.Shell.Extensions.DisableExtension", {"string:panemark@panemark.app"});
    EXPECT_TRUE(statusSays("The Panemark shell extension has stopped", true)) << lastStatus;
    // On again: the same program, its shortcuts handed over anew.
    session.call("org.gnome.Shell", "/org/gnome/Shell",
                 "org.gnome.Shell.Extensions.EnableExtension", {"string:panemark@panemark.app"});
    EXPECT_TRUE(statusSays("shell extension", false)) << lastStatus;
    EXPECT_NE(lastStatus.find("desktop: gnome (" + desktopVersion("gnome-shell --version")),
              std::string::npos)
        << lastStatus;
    const Rect usable = *session.usableArea(0);
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_TRUE(session.pressUntilFrame("Editor", 105, hyper, leftHalf, 15))
        << session.panemarkLog();
}

TEST_F(GnomeTest, LockingAndUnlockingTheScreenLeavesEveryShortcutWorking) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    ASSERT_NE(
        session.call("org.gnome.Shell", "/app/panemark/Test", "app.panemark.Test.EnterLockScreen")
            .find("method return"),
        std::string::npos);
    EXPECT_TRUE(ChildProcess::waitFor(
        [&] {
            lastStatus = session.run({PANEMARK_PROGRAM_PATH, "status"}).second;
            return lastStatus.find("has stopped") != std::string::npos;
        },
        10))
        << lastStatus;
    ASSERT_NE(
        session.call("org.gnome.Shell", "/app/panemark/Test", "app.panemark.Test.LeaveLockScreen")
            .find("method return"),
        std::string::npos);
    ASSERT_TRUE(session.waitForActive("Editor"));
    // Pressed until the first lands (the extension is back a moment after the unlock), then
    // every one in turn.
    const Rect usable = *session.usableArea(0);
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    ASSERT_TRUE(session.pressUntilFrame("Editor", 105, hyper, leftHalf, 15))
        << session.panemarkLog();
    expectStockShortcutsToLand(session, "Editor", usable, session.panemarkLog());
}

TEST_F(GnomeTest, StartedBeforeItsExtensionItWaitsWithoutSpinningAndArmsWhenItComes) {
    ASSERT_TRUE(session.openWaylandWindow("Editor"));
    session.call("org.gnome.Shell", "/org/gnome/Shell",
                 "org.gnome.Shell.Extensions.DisableExtension", {"string:panemark@panemark.app"});
    ASSERT_EQ(session.run({PANEMARK_PROGRAM_PATH, "quit"}).first, 0);
    // At login the shell may turn its extensions on after Panemark has started.
    const auto panemarkStopped = [&] {
        return session.run({PANEMARK_PROGRAM_PATH, "status"}).first == 3;
    };
    ASSERT_TRUE(ChildProcess::waitFor(panemarkStopped, 10));
    const pid_t panemark =
        session.spawn({PANEMARK_PROGRAM_PATH}, (session.home() / "panemark.log").string());
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            lastStatus = session.run({PANEMARK_PROGRAM_PATH, "status"}).second;
            return lastStatus.find("The Panemark shell extension is not enabled") !=
                   std::string::npos;
        },
        15))
        << lastStatus;
    const std::optional<double> waiting = ChildProcess::cpuSecondsOver(panemark, 3);
    ASSERT_TRUE(waiting);
    std::cout << "CPU time over 3 s without the extension: " << *waiting << " s\n";
    EXPECT_LT(*waiting, ChildProcess::idleCpuSecondsOver3s);

    session.call("org.gnome.Shell", "/org/gnome/Shell",
                 "org.gnome.Shell.Extensions.EnableExtension", {"string:panemark@panemark.app"});
    ASSERT_TRUE(session.waitForActive("Editor"));
    const Rect usable = *session.usableArea(0);
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_TRUE(session.pressUntilFrame("Editor", 105, hyper, leftHalf, 15))
        << session.panemarkLog();
}

} // namespace
} // namespace panemark
