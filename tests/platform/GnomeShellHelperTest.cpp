// Panemark's side of the GNOME Shell extension against a stand-in for the extension on a
// session bus of the test's own.
#include "platform/gnome/GnomeShellHelper.h"

#include "../support/ChildProcess.h"
#include "../support/PrivateSessionBus.h"
#include "base/Log.h"
#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/GnomeShortcuts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>

namespace panemark {
namespace {

// Answers the extension's methods as a given version of it would.
class FakeExtension : public QDBusVirtualObject {
public:
    explicit FakeExtension(int protocol) : protocol_(protocol) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QVariant answer;
        if (message.member() == "Version") {
            answer = QString(R"({"protocol":%1,"shell":"43.9"})").arg(protocol_);
        } else if (message.member() == "Own") {
            ownedBy = message.arguments().value(0).toInt();
        } else if (message.member() == "Bind" && failBinds) {
            connection.send(message.createErrorReply("app.panemark.Shell.Error.Failed",
                                                     "GNOME Shell 43.9 could not Bind: busy"));
            return true;
        } else if (message.member() == "Bind") {
            std::lock_guard lock(mutex_);
            bound_ = message.arguments().value(0).toString().toStdString();
            ++binds_;
            answer = QString(R"({"taken":[]})");
        } else if (message.member() == "Place") {
            // What the extension answers when the shell throws under it.
            connection.send(message.createErrorReply(
                "app.panemark.Shell.Error.Failed",
                "GNOME Shell 43.9 could not Place: win.get_maximized is not a function"));
            return true;
        } else {
            return false;
        }
        connection.send(answer.isValid() ? message.createReply(answer) : message.createReply());
        return true;
    }

    std::atomic<int> ownedBy = 0;
    std::atomic<bool> failBinds = false;
    // The last Bind's argument, and how many came.
    std::pair<std::string, int> bound() const {
        std::lock_guard lock(mutex_);
        return {bound_, binds_};
    }

private:
    int protocol_;
    mutable std::mutex mutex_;
    std::string bound_;
    int binds_ = 0;
};

class GnomeShellHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.ready());
        shellThread_.start();
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus("shell");
        shellThread_.quit();
        shellThread_.wait();
        extension_.reset(); // its thread has stopped
    }

    // The stand-in on a connection and a thread of its own, as the shell's: the helper's calls
    // wait on the main thread.
    FakeExtension& serve(int protocol) {
        extension_ = std::make_unique<FakeExtension>(protocol);
        extension_->moveToThread(&shellThread_);
        QDBusConnection shell =
            QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), "shell");
        EXPECT_TRUE(shell.registerVirtualObject(GnomeShellHelper::objectPath, extension_.get()));
        EXPECT_TRUE(shell.registerService(GnomeShellHelper::service));
        QCoreApplication::processEvents();
        return *extension_;
    }

    PrivateSessionBus bus_;
    QThread shellThread_;
    std::unique_ptr<FakeExtension> extension_;
};

TEST_F(GnomeShellHelperTest, WithoutTheExtensionTheDesktopSaysWhatToDo) {
    GnomeShellHelper helper;
    EXPECT_FALSE(helper.access().granted);
    EXPECT_EQ(helper.access().sentence(), "The Panemark shell extension is not enabled: run "
                                          "`panemark setup gnome-shell`, then log out and back in");
    EXPECT_EQ(helper.shellVersion(), "");
    EXPECT_FALSE(helper.look(0.5));
}

TEST_F(GnomeShellHelperTest, AnExtensionOfAnotherVersionIsNamedAsSuch) {
    serve(GnomeShellExtension::protocol + 1);
    GnomeShellHelper helper;
    EXPECT_EQ(
        helper.access().problem.rfind("The Panemark shell extension is of another version", 0), 0u);
}

TEST_F(GnomeShellHelperTest, ItsOwnExtensionKnowsWhoPanemarkIsAndTakesTheShortcuts) {
    FakeExtension& extension = serve(GnomeShellExtension::protocol);
    GnomeShellHelper helper;
    EXPECT_TRUE(helper.access().granted);
    EXPECT_EQ(helper.shellVersion(), "43.9");
    EXPECT_EQ(extension.ownedBy, static_cast<int>(::getpid()));
    const std::string change = R"({"letGo":[],"take":[{"name":"a","accelerator":"<Super>a"}]})";
    EXPECT_EQ(helper.bind(change, 1).value(), R"({"taken":[]})");
    EXPECT_EQ(extension.bound().first, change);
}

TEST_F(GnomeShellHelperTest, AnExtensionThatComesBackIsHandedEveryShortcutAgain) {
    FakeExtension& extension = serve(GnomeShellExtension::protocol);
    GnomeShellHelper helper;
    GnomeShortcuts shortcuts(helper);
    constexpr std::uint32_t hyper =
        Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
    shortcuts.setBindings({{"a", {123, hyper}, "Left"}, {"b", {124, hyper}, "Right"}});
    ASSERT_EQ(extension.bound().second, 1);

    // The shell restarts (or the session is unlocked): the extension leaves the bus and comes
    // back with nothing held.
    QDBusConnection shell = QDBusConnection::connectToBus(QString(), "shell");
    ASSERT_TRUE(shell.unregisterService(GnomeShellHelper::service));
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            QCoreApplication::processEvents();
            return !helper.access().granted;
        },
        5));
    ASSERT_TRUE(shell.registerService(GnomeShellHelper::service));
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            QCoreApplication::processEvents();
            return extension.bound().second == 2;
        },
        5));
    const nlohmann::json handed = nlohmann::json::parse(extension.bound().first);
    EXPECT_TRUE(handed["letGo"].empty());
    ASSERT_EQ(handed["take"].size(), 2u);
    EXPECT_EQ(handed["take"][0]["name"], "a");
    EXPECT_EQ(handed["take"][1]["name"], "b");
}

TEST_F(GnomeShellHelperTest, AChangeTheExtensionMayHaveMissedIsMadeGoodByTheNext) {
    FakeExtension& extension = serve(GnomeShellExtension::protocol);
    GnomeShellHelper helper;
    GnomeShortcuts shortcuts(helper);
    constexpr std::uint32_t hyper =
        Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
    shortcuts.setBindings({{"a", {123, hyper}, "Left"}});
    Log::Capture log;
    extension.failBinds = true;
    shortcuts.setBindings({{"b", {124, hyper}, "Right"}}); // a may still be held there, b may be
    extension.failBinds = false;
    shortcuts.setBindings({{"b", {124, hyper}, "Right"}, {"c", {125, hyper}, "Down"}});
    const auto names = [](const nlohmann::json& list) {
        std::vector<std::string> names;
        for (const nlohmann::json& binding : list) {
            names.push_back(binding["name"]);
        }
        return names;
    };
    nlohmann::json handed = nlohmann::json::parse(extension.bound().first);
    EXPECT_EQ(names(handed["letGo"]), std::vector<std::string>{"a"});
    EXPECT_EQ(names(handed["take"]), (std::vector<std::string>{"b", "c"}));
    // In step again: the next change is only that change.
    shortcuts.setBindings({{"b", {124, hyper}, "Right"}});
    handed = nlohmann::json::parse(extension.bound().first);
    EXPECT_EQ(names(handed["letGo"]), std::vector<std::string>{"c"});
    EXPECT_TRUE(handed["take"].empty());
}

TEST_F(GnomeShellHelperTest, WhatTheShellThrowsIsTheErrorAndIsLoggedOnce) {
    serve(GnomeShellExtension::protocol);
    GnomeShellHelper helper;
    Log::Capture log;
    for (int i = 0; i < 3; ++i) {
        const Result<std::string> placed = helper.place("7", {0, 0, 640, 800}, 100, 1);
        ASSERT_FALSE(placed);
        EXPECT_EQ(placed.error(),
                  "GNOME Shell 43.9 could not Place: win.get_maximized is not a function");
    }
    EXPECT_EQ(
        log.lines(),
        std::vector<std::string>{
            "Panemark: GNOME Shell 43.9 could not Place: win.get_maximized is not a function"});
}

} // namespace
} // namespace panemark

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
