// X11's global shortcuts against a real X server: grabs follow the changes of the set, a press
// is reported by its binding's name, and a combination another client holds is reported once
// and taken when it comes free.
#include "platform/x11/X11GlobalShortcuts.h"

#include "TestClient.h"
#include "XvfbSession.h"
#include "base/Log.h"
#include "base/ManualScheduler.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventSource.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace panemark {
namespace {

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
constexpr std::uint16_t ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
const Shortcut left{123, hyper}; // X key code 113
const Shortcut q{12, hyper};     // X key code 24
constexpr xcb_keycode_t keyLeft = 113;
constexpr xcb_keycode_t keyQ = 24;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class X11GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        ASSERT_TRUE(session.ready()) << session.problem();
        connection = X11Connection::open(nullptr);
        ASSERT_TRUE(connection);
        events = std::make_unique<X11EventSource>(*connection);
        shortcuts = std::make_unique<X11GlobalShortcuts>(*events, mainLoop);
        pressed =
            shortcuts->onActivated([this](const std::string& name) { names.push_back(name); });
    }

    // Waits, handing out the display's events, until the condition holds.
    bool until(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            events->drain();
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Waits until the server has carried out everything sent on this connection, and hands
    // out what it answered (a refused grab among it).
    void settle() {
        free(xcb_get_input_focus_reply(connection->get(), xcb_get_input_focus(connection->get()),
                                       nullptr));
        events->drain();
    }
    // Whether this connection holds a combination: another client cannot grab it. Asked once
    // the server has carried out ours, so the probe's own grab never comes before it.
    bool heldHere(xcb_keycode_t key) {
        settle();
        return other->isGrabbedElsewhere(key, ctrlAltSuper);
    }
    bool type(const std::string& combination) {
        return session.run({"xdotool", "key", combination});
    }

    XvfbSession session{1280, 800, XvfbSession::WindowManager::none};
    std::unique_ptr<TestClient> other = std::make_unique<TestClient>();
    ManualScheduler mainLoop;
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11EventSource> events;
    std::unique_ptr<X11GlobalShortcuts> shortcuts;
    std::vector<std::string> names;
    Subscription pressed;
};

TEST_F(X11GlobalShortcutsTest, GrabsFollowTheSetAndAPressIsReportedByItsBindingsName) {
    shortcuts->setBindings({{"a", left, "Left"}});
    ASSERT_TRUE(until([&] { return heldHere(keyLeft); }));
    ASSERT_TRUE(type("ctrl+alt+super+Left"));
    ASSERT_TRUE(until([&] { return !names.empty(); }));
    EXPECT_EQ(names, std::vector<std::string>{"a"});

    // The combination passes to another binding: it is never let go, and reports the new name.
    shortcuts->setBindings({{"b", left, "Left"}});
    EXPECT_TRUE(heldHere(keyLeft));
    ASSERT_TRUE(type("ctrl+alt+super+Left"));
    ASSERT_TRUE(until([&] { return names.size() == 2; }));
    EXPECT_EQ(names.back(), "b");

    // A new combination under the same name: the old one goes, the new one comes.
    shortcuts->setBindings({{"b", q, "Q"}});
    ASSERT_TRUE(until([&] { return heldHere(keyQ) && !heldHere(keyLeft); }));
    shortcuts->setBindings({});
    ASSERT_TRUE(until([&] { return !heldHere(keyQ); }));
}

TEST_F(X11GlobalShortcutsTest, ACombinationAnotherClientHoldsIsReportedOnceAndTakenWhenFree) {
    Log::Capture log;
    ASSERT_TRUE(other->grabKey(keyQ, ctrlAltSuper));
    shortcuts->setBindings({{"q", q, "Q"}, {"a", left, "Left"}});
    ASSERT_TRUE(until([&] { return shortcuts->isTakenElsewhere(q); }));
    EXPECT_TRUE(heldHere(keyLeft)); // the rest work
    EXPECT_FALSE(shortcuts->isTakenElsewhere(left));
    // Tried again while it is held: still taken, and said only once.
    mainLoop.advance(X11GlobalShortcuts::retryInterval);
    settle();
    EXPECT_TRUE(shortcuts->isTakenElsewhere(q));
    const std::vector<std::string> lines = log.lines();
    const auto said = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("is taken by another program") != std::string::npos;
    });
    EXPECT_EQ(said, 1);

    // The other client goes, and its grab with it: the next try takes the combination, and
    // the round after it no longer counts it as taken.
    other = std::make_unique<TestClient>();
    ASSERT_TRUE(until([&] { return !other->isGrabbedElsewhere(keyQ, ctrlAltSuper); }));
    mainLoop.advance(X11GlobalShortcuts::retryInterval);
    EXPECT_TRUE(heldHere(keyQ));
    mainLoop.advance(X11GlobalShortcuts::retryInterval);
    EXPECT_FALSE(shortcuts->isTakenElsewhere(q));
    ASSERT_TRUE(type("ctrl+alt+super+q"));
    ASSERT_TRUE(until([&] { return !names.empty(); }));
    EXPECT_EQ(names, std::vector<std::string>{"q"});
}

} // namespace
} // namespace panemark
