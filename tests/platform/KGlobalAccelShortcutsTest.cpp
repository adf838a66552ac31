// KDE's shortcut service as Panemark uses it, against a stand-in service on a session bus of
// the test's own: the service of KDE Frameworks 5 (setShortcut, action) and one built without
// the deprecated calls (setShortcutKeys, actionList), and a key held down on each.
#include "platform/kwin/KGlobalAccelShortcuts.h"

#include "../support/ChildProcess.h"
#include "../support/PrivateSessionBus.h"
#include "base/Log.h"
#include "platform/kwin/KdeKeyCodes.h"
#include "platform/xkb/KeyboardLayouts.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>

namespace panemark {
namespace {

struct Sequence {
    QList<int> keys;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Sequence& sequence) {
    argument.beginStructure();
    argument << sequence.keys;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Sequence& sequence) {
    argument.beginStructure();
    argument >> sequence.keys;
    argument.endStructure();
    return argument;
}

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
const Shortcut leftArrow{123, hyper};
const Shortcut rightArrow{124, hyper};

// Answers as kglobalacceld does, on its own thread (Panemark's calls block the main thread).
// Another component holds ⌃⌥⌘→. The service of KDE Frameworks 5 leaves a combination held
// elsewhere out of what it answers; the one without the deprecated calls (Plasma 6.7's)
// answers it all the same and keeps it with its holder, as `action` then says.
class FakeService : public QDBusVirtualObject {
public:
    explicit FakeService(bool deprecatedCallsGone) : deprecatedCallsGone_(deprecatedCallsGone) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        {
            std::lock_guard lock(mutex_);
            calls_ << member;
        }
        const bool deprecated = member == "setShortcut" || member == "action";
        if (deprecated && deprecatedCallsGone_) {
            connection.send(message.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod",
                                                     "No such method " + member));
            return true;
        }
        QDBusMessage reply = message.createReply();
        if (member == "setShortcut") {
            const QList<int> wanted = qdbus_cast<QList<int>>(message.arguments().at(1));
            reply << QVariant::fromValue(given(message, wanted));
        } else if (member == "setShortcutKeys") {
            QList<int> wanted;
            for (const Sequence& sequence :
                 qdbus_cast<QList<Sequence>>(message.arguments().at(1))) {
                wanted += sequence.keys;
            }
            // One key sequence back for each one taken, as the service answers.
            QList<Sequence> answer;
            for (const int combination : given(message, wanted)) {
                answer.append(Sequence{{combination}});
            }
            reply << QVariant::fromValue(answer);
        } else if (member == "action") {
            reply << holder(message.arguments().at(0).toInt());
        } else if (member == "actionList") {
            reply << holder(qdbus_cast<Sequence>(message.arguments().at(0)).keys.value(0));
        } else if (member == "unregister") {
            reply << true;
        }
        connection.send(reply);
        return true;
    }

    QStringList calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    // Who the service says holds a combination.
    QStringList holderOf(int combination) const { return holder(combination); }

private:
    static int heldElsewhere() { return KdeKeyCodes::combinationsFor(rightArrow).value().front(); }

    QList<int> given(const QDBusMessage& message, const QList<int>& wanted) {
        const QStringList id = message.arguments().at(0).toStringList();
        std::lock_guard lock(mutex_);
        for (const int combination : wanted) {
            if (combination != heldElsewhere()) {
                holders_[combination] = id;
            }
        }
        return wanted.contains(heldElsewhere()) && !deprecatedCallsGone_ ? QList<int>() : wanted;
    }

    QStringList holder(int combination) const {
        if (combination == heldElsewhere()) {
            return {"other", "tile-right", "Other Tool", "Tile Right"};
        }
        std::lock_guard lock(mutex_);
        return holders_.value(combination);
    }

    QHash<int, QStringList> holders_;

    bool deprecatedCallsGone_;
    mutable std::mutex mutex_;
    QStringList calls_;
};

class KGlobalAccelShortcutsTest : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
        qDBusRegisterMetaType<Sequence>();
        qDBusRegisterMetaType<QList<Sequence>>();
        qDBusRegisterMetaType<QList<int>>();
    }

    void SetUp() override {
        ASSERT_TRUE(bus().ready());
        thread_.start();
        service_ = std::make_unique<FakeService>(GetParam());
        service_->moveToThread(&thread_);
        QDBusConnection connection = serviceConnection();
        ASSERT_TRUE(connection.registerVirtualObject("/kglobalaccel", service_.get()));
        ASSERT_TRUE(connection.registerService("org.kde.kglobalaccel"));
        // Panemark's own connection sees the service before it asks.
        ASSERT_TRUE(ChildProcess::waitFor(
            [] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    "org.kde.kglobalaccel");
            },
            10));
    }

    void TearDown() override {
        QDBusConnection connection = serviceConnection();
        connection.unregisterService("org.kde.kglobalaccel");
        connection.unregisterObject("/kglobalaccel");
        QDBusConnection::disconnectFromBus("service");
        thread_.quit();
        thread_.wait();
        service_.reset();
    }

    static PrivateSessionBus& bus() {
        static PrivateSessionBus bus;
        return bus;
    }

    static QDBusConnection serviceConnection() {
        return QDBusConnection::connectToBus(QString::fromStdString(bus().address()), "service");
    }

    // What the service sends when a key goes down (or, before KWin 6.5, repeats) and comes up.
    static void send(const char* signal, const char* shortcut) {
        QDBusMessage message = QDBusMessage::createSignal("/component/panemark",
                                                          "org.kde.kglobalaccel.Component", signal);
        message << QString("panemark") << QString(shortcut) << qlonglong(0);
        serviceConnection().send(message);
    }

    // The same, handed straight to the slot the service's signals reach.
    static void deliver(KGlobalAccelShortcuts& shortcuts, const char* slot, const char* shortcut) {
        QMetaObject::invokeMethod(&shortcuts, slot, Q_ARG(QString, "panemark"),
                                  Q_ARG(QString, shortcut), Q_ARG(qlonglong, 0));
    }

    QThread thread_;
    std::unique_ptr<FakeService> service_;
};

TEST_P(KGlobalAccelShortcutsTest, ShortcutsAreTakenWithEitherFormAndAHeldOneRunsOnce) {
    Log::Capture log;
    KGlobalAccelShortcuts shortcuts;
    std::vector<std::string> heard;
    const Subscription listening =
        shortcuts.onActivated([&](const std::string& name) { heard.push_back(name); });
    shortcuts.setBindings({{"left", leftArrow, "Left Half"},
                           {"right", rightArrow, "Right Half"},
                           {"marker", {125, hyper}, "Marker"}});
    EXPECT_FALSE(shortcuts.isTakenElsewhere(leftArrow));
    ASSERT_TRUE(shortcuts.isTakenElsewhere(rightArrow));
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("is taken by Other Tool (Tile Right)"), std::string::npos) << lines[0];
    // Once the deprecated call is refused it is not asked again.
    const QStringList calls = service_->calls();
    EXPECT_EQ(calls.count("setShortcut"), GetParam() ? 1 : 3);
    EXPECT_EQ(calls.count("setShortcutKeys"), GetParam() ? 3 : 0);

    // The service's signal reaches the shortcut's listener (sent again until it does: the first
    // may come before Panemark's connection knows who owns the service's name).
    const bool arrived = ChildProcess::waitFor(
        [&] {
            send("globalShortcutReleased", "marker");
            send("globalShortcutPressed", "marker");
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return !heard.empty();
        },
        10);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(heard.front(), "marker");
    heard.clear();

    // Held: KWin before 6.5 sends the key's repeats as presses. One run, until it is let go.
    for (int i = 0; i < 3; ++i) {
        deliver(shortcuts, "pressed", "left");
    }
    EXPECT_EQ(heard, std::vector<std::string>{"left"});
    deliver(shortcuts, "released", "left");
    deliver(shortcuts, "pressed", "left");
    deliver(shortcuts, "released", "left");
    deliver(shortcuts, "pressed", "left");
    EXPECT_EQ(heard, (std::vector<std::string>{"left", "left", "left"}));
    // Another component's presses are not Panemark's.
    QMetaObject::invokeMethod(&shortcuts, "pressed", Q_ARG(QString, "other"),
                              Q_ARG(QString, "marker"), Q_ARG(qlonglong, 0));
    EXPECT_EQ(heard.size(), 3u);
}

TEST_P(KGlobalAccelShortcutsTest, ShortcutsFollowTheActiveLayoutAndAKeyItCannotTypeIsRefused) {
    Log::Capture log;
    KGlobalAccelShortcuts shortcuts;
    const std::unique_ptr<KeyboardLayouts> layouts = KeyboardLayouts::fromNames("fr,us");
    ASSERT_TRUE(layouts) << "the system has no keyboard layouts (xkb-data)";
    shortcuts.followLayouts(layouts.get());
    const Shortcut z{6, hyper};
    const Shortcut noSymbol{256 + 240, hyper}; // a key no layout gives a symbol
    shortcuts.setBindings({{"z", z, "Z"}, {"left", leftArrow, "Left"}, {"odd", noSymbol, "Odd"}});
    EXPECT_FALSE(shortcuts.isTakenElsewhere(z));
    EXPECT_TRUE(shortcuts.isTakenElsewhere(noSymbol));
    EXPECT_EQ(shortcuts.keyboardLayout().rfind(layouts->layoutName(0), 0), 0u)
        << shortcuts.keyboardLayout();
    std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("types nothing on the keyboard layout"), std::string::npos) << lines[0];
    const auto takes = [&] {
        const QStringList calls = service_->calls();
        return calls.count("setShortcut") + calls.count("setShortcutKeys");
    };
    const auto before = takes();

    // A switch hands over again only the shortcut whose key types something else there (Z is
    // W on AZERTY, Z on US; ← is ← on both); the refused one is named with the new layout.
    layouts->setActive(1);
    shortcuts.followLayouts(layouts.get());
    EXPECT_EQ(takes(), before + 1);
    lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(layouts->layoutName(1)), std::string::npos) << lines[1];
    EXPECT_TRUE(shortcuts.isTakenElsewhere(noSymbol));
    // Back again: nothing more to say.
    layouts->setActive(0);
    shortcuts.followLayouts(layouts.get());
    layouts->setActive(1);
    shortcuts.followLayouts(layouts.get());
    EXPECT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(shortcuts.keyboardLayout().rfind(layouts->layoutName(1), 0), 0u);
}

TEST_P(KGlobalAccelShortcutsTest, OnALayoutWithoutLatinLettersBothFormsOfAKeyAreHeld) {
    Log::Capture log;
    KGlobalAccelShortcuts shortcuts;
    const std::unique_ptr<KeyboardLayouts> layouts = KeyboardLayouts::fromNames("ru,us");
    ASSERT_TRUE(layouts) << "the system has no keyboard layouts (xkb-data)";
    shortcuts.followLayouts(layouts.get());
    const Shortcut z{6, hyper};
    shortcuts.setBindings({{"z", z, "Z"}});
    const std::vector<int> forms = KdeKeyCodes::combinationsFor(z, layouts.get()).value();
    ASSERT_EQ(forms.size(), 2u) << "a Cyrillic letter and its Latin fallback";
    EXPECT_FALSE(shortcuts.isTakenElsewhere(z));
    for (const int form : forms) {
        const QStringList holder = service_->holderOf(form);
        EXPECT_TRUE(holder.size() >= 2 && holder[1] == "z") << form << " is not Panemark's";
    }
    EXPECT_TRUE(log.lines().empty()) << log.lines().front();
}

TEST_P(KGlobalAccelShortcutsTest, AServiceThatStartsAgainIsHandedEveryShortcutAgain) {
    Log::Capture log;
    KGlobalAccelShortcuts shortcuts;
    shortcuts.setBindings({{"left", leftArrow, "Left Half"}, {"marker", {125, hyper}, "Marker"}});
    const auto takes = [&] {
        const QStringList calls = service_->calls();
        return calls.count("setShortcut") + calls.count("setShortcutKeys");
    };
    const auto before = takes();
    // The service leaves the bus (KWin, which runs it, restarts) and comes back, remembering
    // nothing.
    QDBusConnection connection = serviceConnection();
    ASSERT_TRUE(connection.unregisterService("org.kde.kglobalaccel"));
    ASSERT_TRUE(connection.registerService("org.kde.kglobalaccel"));
    EXPECT_TRUE(ChildProcess::waitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return takes() >= before + 2;
        },
        10))
        << takes() - before << " taken again";
    const std::vector<std::string> lines = log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("shortcut service started again") != std::string::npos;
    }));
}

INSTANTIATE_TEST_SUITE_P(ServiceForms, KGlobalAccelShortcutsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithoutDeprecatedCalls"
                                                           : "WithDeprecatedCalls");
                         });

} // namespace
} // namespace panemark
