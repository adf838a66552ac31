#include "platform/PlatformFactory.h"

#include "base/ManualScheduler.h"

#include <gtest/gtest.h>
#include <map>

namespace panemark {
namespace {

PlatformFactory::Environment session(std::map<std::string, std::string> variables) {
    return [variables](const char* name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::string() : found->second;
    };
}

TEST(PlatformFactoryTest, TheSessionSaysWhichBackendAndANamedOneWins) {
    EXPECT_EQ(PlatformFactory::choose(std::nullopt, session({{"DISPLAY", ":0"}})).value(), "x11");
    EXPECT_EQ(PlatformFactory::choose(std::nullopt,
                                      session({{"DISPLAY", ":1"}, {"I3SOCK", "/run/i3/ipc"}}))
                  .value(),
              "i3");
    EXPECT_EQ(PlatformFactory::choose(std::nullopt,
                                      session({{"DISPLAY", ":1"}, {"XDG_CURRENT_DESKTOP", "i3"}}))
                  .value(),
              "i3");
    // Wayland sessions run an X server for older programs too: its windows are not the user's.
    EXPECT_EQ(
        PlatformFactory::choose(std::nullopt, session({{"WAYLAND_DISPLAY", "wayland-1"},
                                                       {"SWAYSOCK", "/run/user/1000/sway.sock"},
                                                       {"DISPLAY", ":0"}}))
            .value(),
        "sway");
    EXPECT_EQ(PlatformFactory::choose(std::nullopt, session({{"WAYLAND_DISPLAY", "wayland-0"},
                                                             {"XDG_CURRENT_DESKTOP", "KDE"},
                                                             {"DISPLAY", ":1"}}))
                  .value(),
              "kwin");
    EXPECT_EQ(PlatformFactory::choose("sim", session({{"DISPLAY", ":0"}})).value(), "sim");
    EXPECT_EQ(PlatformFactory::choose(std::nullopt, session({{"PANEMARK_BACKEND", "sim"}})).value(),
              "sim");
    EXPECT_EQ(PlatformFactory::choose("x11", session({{"PANEMARK_BACKEND", "sim"}})).value(),
              "x11"); // the option over the variable
}

TEST(PlatformFactoryTest, ADesktopNoBackendServesIsNamedWithWhatIsSupported) {
    // GNOME without X11: no DISPLAY at all.
    EXPECT_EQ(PlatformFactory::choose(std::nullopt, session({{"XDG_SESSION_TYPE", "wayland"},
                                                             {"XDG_CURRENT_DESKTOP", "GNOME"}}))
                  .value(),
              "gnome");
    const Result<std::string> cosmic = PlatformFactory::choose(
        std::nullopt,
        session({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "COSMIC"}}));
    ASSERT_FALSE(cosmic);
    EXPECT_EQ(cosmic.error(),
              "this is COSMIC on Wayland, which Panemark cannot drive yet; Panemark supports "
              "GNOME on Wayland (gnome), KDE Plasma on Wayland (kwin), sway (sway), i3 (i3), "
              "other X11 window managers (x11) and a simulated desktop (sim)");
    EXPECT_EQ(
        PlatformFactory::choose(std::nullopt, session({})).error().rfind("found no desktop", 0),
        0u);
    EXPECT_EQ(PlatformFactory::choose("mir", session({{"DISPLAY", ":0"}}))
                  .error()
                  .rfind("there is no backend \"mir\"", 0),
              0u);
}

TEST(PlatformFactoryTest, TheSimulatedDesktopOpensAtRunTime) {
    ManualScheduler loop;
    Result<std::unique_ptr<Platform>> opened = PlatformFactory::open(loop, std::string("sim"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened.value()->desktopName(), "sim (a simulated desktop)");
    EXPECT_EQ(opened.value()->screens().screens().size(), 1u);
}

} // namespace
} // namespace panemark
