#include "base/Log.h"
#include "platform/ScreenIdentity.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcCodec.h"
#include "platform/i3ipc/I3IpcEvents.h"
#include "platform/i3ipc/I3IpcReplies.h"
#include "platform/i3ipc/I3IpcScreens.h"
#include "platform/i3ipc/I3IpcTree.h"
#include "platform/i3ipc/I3IpcWindows.h"
#include "platform/sway/SwayPalettePlacer.h"
#include "platform/sway/SwayShortcuts.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace panemark {
namespace {

using I3IpcReplies::Dialect;

std::string recorded(const std::string& name) {
    std::ifstream file(std::string(TEST_DATA_DIR) + "/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(I3IpcCodecTest, MessagesSurviveAnySplitAndComeOutInOrder) {
    const std::string stream = I3IpcCodec::encode(I3IpcCodec::getTree, "{\"a\":1}") +
                               I3IpcCodec::encode(I3IpcCodec::bindingEvent, "[]");
    EXPECT_EQ(stream.substr(0, 6), "i3-ipc");
    for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, stream.size()}) {
        I3IpcCodec::Decoder decoder;
        std::vector<I3IpcCodec::Message> messages;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            decoder.feed(std::string_view(stream).substr(at, piece));
            while (true) {
                auto next = decoder.next();
                ASSERT_TRUE(next) << next.error();
                if (!next.value()) {
                    break;
                }
                messages.push_back(*next.value());
            }
        }
        ASSERT_EQ(messages.size(), 2u) << piece;
        EXPECT_EQ(messages[0].type, I3IpcCodec::getTree);
        EXPECT_EQ(messages[0].payload, "{\"a\":1}");
        EXPECT_EQ(messages[1].type, I3IpcCodec::bindingEvent);
        EXPECT_EQ(decoder.buffered(), 0u);
    }
}

TEST(I3IpcCodecTest, AStreamOfAnotherProtocolOrAHugeLengthIsAnErrorNotAnAllocation) {
    I3IpcCodec::Decoder stranger;
    stranger.feed("HTTP/1.1 200 OK\r\n");
    EXPECT_FALSE(stranger.next());

    I3IpcCodec::Decoder huge;
    std::string frame = I3IpcCodec::encode(I3IpcCodec::getTree, "");
    const std::uint32_t length = 0xFFFFFFF0u;
    std::memcpy(frame.data() + 6, &length, sizeof length);
    huge.feed(frame);
    const auto next = huge.next();
    ASSERT_FALSE(next);
    EXPECT_NE(next.error().find("more than any desktop sends"), std::string::npos);
}

TEST(I3IpcRepliesTest, TheFocusedWindowsOuterFrameHoldsItsTitleBarOnSwayAndI3) {
    // sway reports the title bar (27 px) apart from the window's rect.
    auto floating =
        I3IpcReplies::focusedWindow(recorded("sway-1.7/tree-floating.json"), Dialect::sway);
    ASSERT_TRUE(floating && floating.value());
    EXPECT_EQ(floating.value()->id, 9);
    EXPECT_EQ(floating.value()->frame, (Rect{1280, 25, 512, 743}));
    EXPECT_TRUE(floating.value()->floating);
    EXPECT_EQ(floating.value()->pid, 17778);
    auto tiled = I3IpcReplies::focusedWindow(recorded("sway-1.7/tree-tiled.json"), Dialect::sway);
    ASSERT_TRUE(tiled && tiled.value());
    EXPECT_EQ(tiled.value()->frame, (Rect{1280, 25, 1024, 743}));
    EXPECT_FALSE(tiled.value()->floating);

    // i3's rect holds it already; a floating window sits inside a floating_con; no pid.
    auto i3Floating =
        I3IpcReplies::focusedWindow(recorded("i3-4.22/tree-floating.json"), Dialect::i3);
    ASSERT_TRUE(i3Floating && i3Floating.value());
    EXPECT_EQ(i3Floating.value()->frame, (Rect{0, 20, 640, 403}));
    EXPECT_TRUE(i3Floating.value()->floating);
    EXPECT_FALSE(i3Floating.value()->pid);
    auto i3Tiled = I3IpcReplies::focusedWindow(recorded("i3-4.22/tree-tiled.json"), Dialect::i3);
    ASSERT_TRUE(i3Tiled && i3Tiled.value());
    EXPECT_EQ(i3Tiled.value()->frame, (Rect{0, 20, 1280, 780}));

    auto same = I3IpcReplies::windowWithId(recorded("i3-4.22/tree-tiled.json"), i3Tiled.value()->id,
                                           Dialect::i3);
    ASSERT_TRUE(same && same.value());
    EXPECT_EQ(*same.value(), *i3Tiled.value());
    auto gone =
        I3IpcReplies::windowWithId(recorded("sway-1.7/tree-tiled.json"), 4242, Dialect::sway);
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone.value());
}

TEST(I3IpcRepliesTest, AWindowInTheCompositorsFullScreenIsReadAsSuch) {
    // The recorded tiled window, put in full screen on its output (1) or the whole layout (2).
    nlohmann::json tree = nlohmann::json::parse(recorded("sway-1.7/tree-tiled.json"));
    std::function<nlohmann::json*(nlohmann::json&)> focused = [&](nlohmann::json& node) {
        if (node.value("focused", false)) {
            return &node;
        }
        for (const char* children : {"nodes", "floating_nodes"}) {
            if (!node.contains(children)) {
                continue;
            }
            for (nlohmann::json& child : node[children]) {
                if (nlohmann::json* found = focused(child)) {
                    return found;
                }
            }
        }
        return static_cast<nlohmann::json*>(nullptr);
    };
    nlohmann::json* window = focused(tree);
    ASSERT_NE(window, nullptr);
    for (const int mode : {0, 1, 2}) {
        (*window)["fullscreen_mode"] = mode;
        const auto read = I3IpcReplies::focusedWindow(tree.dump(), Dialect::sway);
        ASSERT_TRUE(read && read.value());
        EXPECT_EQ(read.value()->fullscreen, mode > 0) << mode;
    }
}

TEST(I3IpcRepliesTest, AnEmptyWorkspaceHasTheFocusAndBrokenTreesSaySo) {
    const std::string emptyWorkspace =
        R"({"id":1,"type":"root","nodes":[{"id":3,"type":"output","nodes":[)"
        R"({"id":4,"type":"workspace","focused":true,"nodes":[],"extra":{"x":[1,2]}}]}]})";
    auto none = I3IpcReplies::focusedWindow(emptyWorkspace, Dialect::sway);
    ASSERT_TRUE(none);
    EXPECT_FALSE(none.value());
    EXPECT_FALSE(I3IpcReplies::focusedWindow("{\"nodes\": [", Dialect::sway));
    EXPECT_FALSE(I3IpcReplies::focusedWindow("[]", Dialect::sway));
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const auto tooDeep = I3IpcReplies::focusedWindow(deep, Dialect::i3);
    ASSERT_FALSE(tooDeep);
    EXPECT_NE(tooDeep.error().find("not JSON"), std::string::npos);
}

TEST(I3IpcRepliesTest, OutputsTakeTheirUsableAreaFromTheWorkspaceTheyShow) {
    auto sway = I3IpcReplies::outputs(recorded("sway-1.7/outputs.json"),
                                      recorded("sway-1.7/workspaces.json"));
    ASSERT_TRUE(sway) << sway.error();
    ASSERT_EQ(sway.value().size(), 2u);
    EXPECT_EQ(sway.value()[0].name, "HEADLESS-1");
    EXPECT_EQ(sway.value()[0].make, "headless");
    EXPECT_EQ(sway.value()[0].frame, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(sway.value()[0].usable, (Rect{0, 25, 1280, 775})); // below the bar
    EXPECT_EQ(sway.value()[1].usable, (Rect{1280, 25, 1024, 743}));

    auto i3 = I3IpcReplies::outputs(recorded("i3-4.22/outputs.json"),
                                    recorded("i3-4.22/workspaces.json"));
    ASSERT_TRUE(i3) << i3.error();
    ASSERT_EQ(i3.value().size(), 2u);
    EXPECT_EQ(i3.value()[1].usable, (Rect{1280, 20, 1024, 748}));

    // A switched-off output is no screen; one whose workspace is unknown keeps its whole frame.
    auto partial = I3IpcReplies::outputs(
        R"([{"name":"A","active":false,"rect":{"x":0,"y":0,"width":9,"height":9}},)"
        R"({"name":"B","active":true,"current_workspace":"9","rect":{"x":0,"y":0,"width":5,"height":5}}])",
        "[]");
    ASSERT_TRUE(partial);
    ASSERT_EQ(partial.value().size(), 1u);
    EXPECT_EQ(partial.value()[0].usable, (Rect{0, 0, 5, 5}));
    EXPECT_FALSE(I3IpcReplies::outputs("{}", "[]"));
}

TEST(I3IpcRepliesTest, TheTreeAloneGivesTheSameOutputsAsTheTwoListReplies) {
    for (const auto& [folder, dialect] : {std::pair{std::string("sway-1.7"), Dialect::sway},
                                          {std::string("i3-4.22"), Dialect::i3}}) {
        const auto tree = I3IpcReplies::parseTree(recorded(folder + "/tree-tiled.json"));
        ASSERT_TRUE(tree) << tree.error();
        const auto fromLists = I3IpcReplies::outputs(recorded(folder + "/outputs.json"),
                                                     recorded(folder + "/workspaces.json"));
        ASSERT_TRUE(fromLists);
        std::vector<I3IpcReplies::Output> fromTree =
            I3IpcReplies::outputsInTree(tree.value(), dialect);
        ASSERT_EQ(fromTree.size(), 2u) << folder; // the scratchpad's pseudo-output left out
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(fromTree[i].name, fromLists.value()[i].name);
            EXPECT_EQ(fromTree[i].frame, fromLists.value()[i].frame);
            EXPECT_EQ(fromTree[i].usable, fromLists.value()[i].usable) << folder;
        }
        EXPECT_EQ(
            I3IpcReplies::focusedWindowIn(tree.value(), dialect),
            I3IpcReplies::focusedWindow(recorded(folder + "/tree-tiled.json"), dialect).value());
    }
    EXPECT_TRUE(I3IpcReplies::outputsInTree(JsonValue::array(), Dialect::sway).empty());
}

TEST(I3IpcRepliesTest, CommandRepliesBindingEventsAndConfiguredBindings) {
    EXPECT_EQ(I3IpcReplies::commandFailure(R"([{"success":true},{"success":true}])"), std::nullopt);
    EXPECT_EQ(I3IpcReplies::commandFailure(
                  R"([{"success":true},{"success":false,"error":"No matching node"}])"),
              "No matching node");
    EXPECT_TRUE(I3IpcReplies::commandFailure("garbage"));

    EXPECT_EQ(I3IpcReplies::boundCommand(
                  R"({"change":"run","binding":{"command":"nop panemark:X","input_code":113}})"),
              "nop panemark:X");
    EXPECT_EQ(I3IpcReplies::boundCommand(R"({"change":"other"})"), std::nullopt);
    EXPECT_EQ(I3IpcReplies::boundCommand("[1,"), std::nullopt);

    const std::string config = "set $mod Mod4\n"
                               "bindsym $mod+Ctrl+Mod1+Left move left\n"
                               "bindsym --release --no-repeat $mod+Shift+q kill\n"
                               "bindcode Control+Mod1+Mod4+12 exec thing\n" // the 3 key
                               "bindsym $mod+XF86AudioMute exec mute\n"     // no key of ours
                               "# bindsym Mod4+1 workspace 1\n";
    const std::vector<Shortcut> bound = I3IpcReplies::configuredShortcuts(config);
    const std::uint32_t hyper =
        Shortcut::commandMask | Shortcut::controlMask | Shortcut::optionMask;
    const Shortcut left{123, hyper};
    const Shortcut q{12, Shortcut::commandMask | Shortcut::shiftMask};
    const Shortcut three{20, hyper};
    EXPECT_EQ(bound, (std::vector<Shortcut>{left, q, three}));
}

TEST(I3IpcRepliesTest, CombinationsAndPlacementsAreWrittenAsTheCompositorReadsThem) {
    const std::uint32_t hyper =
        Shortcut::commandMask | Shortcut::controlMask | Shortcut::optionMask;
    EXPECT_EQ(SwayShortcuts::combination({123, hyper}), "Mod4+Mod1+Ctrl+113");
    EXPECT_EQ(SwayShortcuts::combination({18, Shortcut::controlMask | Shortcut::shiftMask}),
              "Ctrl+Shift+10");
    EXPECT_EQ(I3IpcWindows::placement(9, {1280, 25, 512.4, 743}, false),
              "[con_id=9] floating enable, resize set 512 px 743 px, move absolute position "
              "1280 px 25 px");
    EXPECT_EQ(I3IpcWindows::placement(9, {-5, 0, std::nan(""), 0}, true),
              "[con_id=9] fullscreen disable, floating enable, resize set 1 px 1 px, move "
              "absolute position -5 px 0 px");
}

std::string socketPath(const std::string& kind) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("panemark-" + kind + "-" + std::to_string(::getpid()) + ".sock"))
                                 .string();
    ::unlink(path.c_str());
    return path;
}

// A Unix socket listening at a path, as a compositor's IPC socket does.
int listeningSocket(const std::string& path, int backlog) {
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, backlog);
    return listener;
}

// A compositor in a thread, on a socket of the test's own, answering as told.
class FakeCompositor {
public:
    explicit FakeCompositor(std::function<void(int)> answer) {
        path_ = socketPath("ipc");
        listener_ = listeningSocket(path_, 1);
        thread_ = std::thread([this, answer = std::move(answer)] {
            const int peer = ::accept(listener_, nullptr, nullptr);
            if (peer >= 0) {
                answer(peer);
                ::close(peer);
            }
        });
    }
    ~FakeCompositor() {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

    static void readRequest(int peer) {
        char header[14];
        ::recv(peer, header, sizeof header, MSG_WAITALL);
        std::uint32_t length = 0;
        std::memcpy(&length, header + 6, 4);
        std::string payload(length, '\0');
        if (length > 0) {
            ::recv(peer, payload.data(), length, MSG_WAITALL);
        }
    }

private:
    std::string path_;
    int listener_ = -1;
    std::thread thread_;
};

TEST(SwayPalettePlacerTest, ThePaletteIsMovedInsideTheUsableAreaOfTheOutputUnderItsMiddle) {
    // A bar of 25 along the top of the left output; the right one at scale 2.
    const std::vector<I3IpcReplies::Output> outputs{
        {"HEADLESS-1", "", "", "", {0, 0, 1280, 800}, {0, 25, 1280, 775}, true},
        {"HEADLESS-2", "", "", "", {1280, 0, 640, 400}, {1280, 25, 640, 375}, false}};
    using Placer = SwayPalettePlacer;
    // Over the bar: moved below it. Inside already: left alone.
    EXPECT_EQ(Placer::placement({0, 0, 290, 397}, outputs), (Rect{0, 25, 290, 397}));
    EXPECT_EQ(Placer::placement({100, 100, 290, 397}, outputs), (Rect{100, 100, 290, 397}));
    // Past the right output's bottom-right corner; taller than its usable area: top stays in.
    EXPECT_EQ(Placer::placement({1700, 250, 290, 200}, outputs), (Rect{1630, 200, 290, 200}));
    EXPECT_EQ(Placer::placement({1700, 100, 290, 397}, outputs), (Rect{1630, 25, 290, 397}));
    EXPECT_EQ(Placer::placement({3000, 3000, 290, 397}, outputs), std::nullopt);
    // Only this process's palette, as it appears or gets its title.
    const auto event = [](const char* change, int pid, const char* name) {
        return nlohmann::json{{"change", change},
                              {"container", {{"id", 42}, {"pid", pid}, {"name", name}}}}
            .dump();
    };
    EXPECT_EQ(Placer::newPalette(event("new", 7, "Panemark Palette"), 7), 42);
    EXPECT_EQ(Placer::newPalette(event("title", 7, "Panemark Palette"), 7), 42);
    EXPECT_EQ(Placer::newPalette(event("new", 8, "Panemark Palette"), 7), std::nullopt);
    EXPECT_EQ(Placer::newPalette(event("focus", 7, "Panemark Palette"), 7), std::nullopt);
    EXPECT_EQ(Placer::newPalette(event("new", 7, "Terminal"), 7), std::nullopt);
    EXPECT_EQ(Placer::newPalette("not json", 7), std::nullopt);
    EXPECT_EQ(Placer::closedWindow(event("close", 7, "Panemark Palette")), 42);
    EXPECT_EQ(Placer::closedWindow(event("new", 7, "Panemark Palette")), std::nullopt);
}

TEST(I3IpcClientTest, RepliesInPiecesAfterAnEventAreWholeAndABrokenPeerIsAnErrorNotAHang) {
    {
        FakeCompositor compositor([](int peer) {
            FakeCompositor::readRequest(peer);
            const std::string event = I3IpcCodec::encode(I3IpcCodec::windowEvent, "{}");
            const std::string reply = I3IpcCodec::encode(I3IpcCodec::getVersion, "{\"v\":1}");
            ::send(peer, event.data(), event.size(), MSG_NOSIGNAL);
            for (const char byte : reply) {
                ::send(peer, &byte, 1, MSG_NOSIGNAL);
            }
        });
        I3IpcClient client(compositor.path());
        const Result<std::string> reply = client.request(I3IpcCodec::getVersion, "", 5);
        ASSERT_TRUE(reply) << reply.error();
        EXPECT_EQ(reply.value(), "{\"v\":1}");
    }
    {
        FakeCompositor compositor([](int peer) { FakeCompositor::readRequest(peer); });
        I3IpcClient client(compositor.path());
        const Result<std::string> closed = client.request(I3IpcCodec::getTree, "", 5);
        ASSERT_FALSE(closed);
        EXPECT_EQ(closed.error(), "the compositor closed its IPC socket");
    }
    {
        std::atomic<bool> done = false;
        FakeCompositor compositor([&done](int peer) {
            FakeCompositor::readRequest(peer);
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        I3IpcClient client(compositor.path());
        const Result<std::string> silent = client.request(I3IpcCodec::getTree, "", 0.1);
        done = true;
        ASSERT_FALSE(silent);
        EXPECT_EQ(silent.error(), "the compositor did not answer within the time allowed");
    }
    I3IpcClient nowhere("/nonexistent/panemark.sock");
    const Result<std::string> unreachable = nowhere.request(I3IpcCodec::getTree, "", 1);
    ASSERT_FALSE(unreachable);
    EXPECT_NE(unreachable.error().find("cannot reach the compositor"), std::string::npos);
}

// What a request asked for: its payload.
std::string requestPayload(int peer) {
    char header[14];
    if (::recv(peer, header, sizeof header, MSG_WAITALL) != sizeof header) {
        return {};
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header + 6, 4);
    std::string payload(length, '\0');
    if (length > 0) {
        ::recv(peer, payload.data(), length, MSG_WAITALL);
    }
    return payload;
}

// The application object event delivery needs, made when the test program has none yet.
std::unique_ptr<QCoreApplication> applicationIfNone() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    return QCoreApplication::instance() ? nullptr : std::make_unique<QCoreApplication>(argc, argv);
}

TEST(I3IpcEventsTest, AKindTheCompositorRefusesTakesNoOtherKindWithItAndIsLogged) {
    const std::unique_ptr<QCoreApplication> application = applicationIfNone();
    std::atomic<bool> done = false;
    FakeCompositor compositor([&done](int peer) {
        // Like sway 1.8 and older with a kind they do not send: that one is refused.
        for (int i = 0; i < 3; ++i) {
            const nlohmann::json kinds =
                nlohmann::json::parse(requestPayload(peer), nullptr, false);
            const bool known = kinds.is_array() && kinds.size() == 1 && kinds[0] != "output";
            const std::string reply = I3IpcCodec::encode(
                I3IpcCodec::subscribe, known ? R"({"success":true})" : R"({"success":false})");
            ::send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        const std::string event = I3IpcCodec::encode(I3IpcCodec::bindingEvent, R"({"x":1})");
        ::send(peer, event.data(), event.size(), MSG_NOSIGNAL);
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    Log::Capture log;
    Result<std::unique_ptr<I3IpcEvents>> events = I3IpcEvents::open(
        compositor.path(), {"binding", "output", "workspace"}, "the stand-in compositor");
    ASSERT_TRUE(events) << events.error();
    std::vector<std::string> heard;
    const Subscription listening = events.value()->onEvent(
        [&](std::uint32_t, const std::string& payload) { heard.push_back(payload); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (heard.empty() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    done = true;
    const std::vector<std::string> logged = log.lines();
    EXPECT_EQ(heard, std::vector<std::string>{R"({"x":1})"});
    EXPECT_EQ(events.value()->refused(), std::vector<std::string>{"output"});
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("the stand-in compositor refused to send its output events"),
              std::string::npos)
        << logged[0];
}

// A sway that takes any number of connections and writes down the commands it is given.
class RecordingSway {
public:
    RecordingSway() {
        path_ = socketPath("sway");
        listener_ = listeningSocket(path_, 4);
        acceptor_ = std::thread([this] {
            for (int peer; (peer = ::accept(listener_, nullptr, nullptr)) >= 0;) {
                peers_.push_back(peer);
                servers_.emplace_back([this, peer] { serve(peer); });
            }
        });
    }
    ~RecordingSway() {
        ::shutdown(listener_, SHUT_RDWR);
        acceptor_.join();
        for (const int peer : peers_) {
            ::shutdown(peer, SHUT_RDWR);
        }
        for (std::thread& server : servers_) {
            server.join();
        }
        for (const int peer : peers_) {
            ::close(peer);
        }
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }
    // What GET_CONFIG answers from now on.
    void setConfig(const std::string& config) {
        std::lock_guard lock(mutex_);
        config_ = config;
    }
    // What GET_TREE answers from now on, and how often it was asked.
    void setTree(const std::string& tree) {
        std::lock_guard lock(mutex_);
        tree_ = tree;
    }
    int treeLooks() {
        std::lock_guard lock(mutex_);
        return treeLooks_;
    }
    std::vector<std::string> commands() {
        std::lock_guard lock(mutex_);
        return std::exchange(commands_, {});
    }
    std::size_t commandCount() {
        std::lock_guard lock(mutex_);
        return commands_.size();
    }
    // Refuses subscriptions to output events from now on, as sway 1.8 and older do.
    void refuseOutputEvents() {
        std::lock_guard lock(mutex_);
        refuseOutputEvents_ = true;
    }
    // Sends an event to every connection that subscribed to any.
    void sendEvent(std::uint32_t type, const std::string& payload) {
        const std::string message = I3IpcCodec::encode(type, payload);
        std::lock_guard lock(mutex_);
        for (const int peer : subscribers_) {
            ::send(peer, message.data(), message.size(), MSG_NOSIGNAL);
        }
    }

private:
    void serve(int peer) {
        for (;;) {
            char header[14];
            if (::recv(peer, header, sizeof header, MSG_WAITALL) != sizeof header) {
                return;
            }
            std::uint32_t length = 0;
            std::uint32_t type = 0;
            std::memcpy(&length, header + 6, 4);
            std::memcpy(&type, header + 10, 4);
            std::string payload(length, '\0');
            if (length > 0) {
                ::recv(peer, payload.data(), length, MSG_WAITALL);
            }
            std::string reply = R"({"success":true})";
            if (type == I3IpcCodec::runCommand) {
                std::lock_guard lock(mutex_);
                commands_.push_back(payload);
                reply = R"([{"success":true}])";
            } else if (type == I3IpcCodec::getConfig) {
                std::lock_guard lock(mutex_);
                reply = nlohmann::json{{"config", config_}}.dump();
            } else if (type == I3IpcCodec::getTree) {
                std::lock_guard lock(mutex_);
                ++treeLooks_;
                reply = tree_;
            } else if (type == I3IpcCodec::subscribe) {
                std::lock_guard lock(mutex_);
                subscribers_.insert(peer);
                if (refuseOutputEvents_ && payload.find("\"output\"") != std::string::npos) {
                    reply = R"({"success":false})";
                }
            }
            const std::string message = I3IpcCodec::encode(type, reply);
            ::send(peer, message.data(), message.size(), MSG_NOSIGNAL);
        }
    }

    std::string path_;
    int listener_ = -1;
    std::thread acceptor_;
    std::vector<int> peers_;
    std::vector<std::thread> servers_;
    std::mutex mutex_;
    std::vector<std::string> commands_;
    std::string config_;
    std::string tree_ = "{}";
    int treeLooks_ = 0;
    bool refuseOutputEvents_ = false;
    std::set<int> subscribers_;
};

// Waits for a condition another thread brings about, for at most a generous while.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A sway tree holding one floating window with the given frame.
std::string treeWithWindow(std::int64_t id, const Rect& frame) {
    const nlohmann::json rect = {
        {"x", frame.x}, {"y", frame.y}, {"width", frame.width}, {"height", frame.height}};
    const nlohmann::json window = {
        {"id", id},
        {"type", "floating_con"},
        {"app_id", "foot"},
        {"rect", rect},
        {"deco_rect", {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}}}};
    return nlohmann::json{{"id", 1}, {"type", "root"}, {"nodes", {window}}}.dump();
}

TEST(SwayShortcutsTest, ACombinationThatChangesUnderItsNameIsLetGoAndTakenAndOneThatMovesStays) {
    const std::unique_ptr<QCoreApplication> application = applicationIfNone();
    RecordingSway sway;
    I3IpcClient client(sway.path());
    Result<std::unique_ptr<I3IpcEvents>> events =
        I3IpcEvents::open(sway.path(), {"binding"}, "the stand-in sway");
    ASSERT_TRUE(events) << events.error();
    constexpr std::uint32_t hyper =
        Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
    const Shortcut left{123, hyper};
    const Shortcut right{124, hyper};
    {
        SwayShortcuts shortcuts(client, *events.value());
        shortcuts.setBindings({{"a", left, "Left"}});
        EXPECT_EQ(sway.commands(), std::vector<std::string>{
                                       "bindcode --no-repeat Mod4+Mod1+Ctrl+113 nop panemark:a"});
        // Its keys change, its name stays: the old combination goes, the new one comes.
        shortcuts.setBindings({{"a", right, "Left"}});
        EXPECT_EQ(sway.commands(), (std::vector<std::string>{
                                       "unbindcode Mod4+Mod1+Ctrl+113",
                                       "bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:a"}));
        // The combination passes to another command: bound anew in place, never unbound.
        shortcuts.setBindings({{"b", right, "Right"}});
        EXPECT_EQ(sway.commands(), std::vector<std::string>{
                                       "bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:b"});
        // A rename moves no key.
        shortcuts.setBindings({{"b", right, "East"}});
        EXPECT_TRUE(sway.commands().empty());
    }
    // Gone, it leaves no binding behind.
    EXPECT_EQ(sway.commands(), std::vector<std::string>{"unbindcode Mod4+Mod1+Ctrl+114"});
}

TEST(SwayShortcutsTest, AfterAReloadEveryBindingIsMadeAgainButWhatTheConfigNowBinds) {
    const std::unique_ptr<QCoreApplication> application = applicationIfNone();
    RecordingSway sway;
    I3IpcClient client(sway.path());
    Result<std::unique_ptr<I3IpcEvents>> events =
        I3IpcEvents::open(sway.path(), {"binding"}, "the stand-in sway");
    ASSERT_TRUE(events) << events.error();
    constexpr std::uint32_t hyper =
        Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
    const Shortcut left{123, hyper};
    const Shortcut right{124, hyper};
    SwayShortcuts shortcuts(client, *events.value());
    shortcuts.setBindings({{"a", left, "Left"}, {"b", right, "Right"}});
    sway.commands();

    // Reloaded as it was: both are bound again.
    shortcuts.bindAgain();
    EXPECT_EQ(sway.commands(),
              (std::vector<std::string>{"bindcode --no-repeat Mod4+Mod1+Ctrl+113 nop panemark:a",
                                        "bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:b"}));
    // Reloaded with ⌃⌥⌘← in the configuration: that one is the user's now, said once.
    sway.setConfig("set $hyper Mod4+Mod1+Ctrl\nbindsym $hyper+Left exec true\n");
    Log::Capture log;
    shortcuts.bindAgain();
    shortcuts.bindAgain();
    EXPECT_EQ(sway.commands(),
              (std::vector<std::string>{"bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:b",
                                        "bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:b"}));
    EXPECT_TRUE(shortcuts.isTakenElsewhere(left));
    EXPECT_FALSE(shortcuts.isTakenElsewhere(right));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("bound in sway's configuration"), std::string::npos);
    // The configuration lets it go again: it is Panemark's once more.
    sway.setConfig("");
    shortcuts.bindAgain();
    EXPECT_EQ(sway.commands(),
              (std::vector<std::string>{"bindcode --no-repeat Mod4+Mod1+Ctrl+113 nop panemark:a",
                                        "bindcode --no-repeat Mod4+Mod1+Ctrl+114 nop panemark:b"}));
}

TEST(I3IpcWindowsTest, AWindowThatTakesBackAnEarlierSizeAfterTheFirstLookIsPlacedAgain) {
    // On a busy machine a terminal may commit the size it was drawing well after sway first
    // showed the wanted one: the window is looked at once more, later, and placed again.
    const std::unique_ptr<QCoreApplication> application = applicationIfNone();
    RecordingSway sway;
    I3IpcClient client(sway.path());
    I3IpcTree tree(client, Dialect::sway);
    I3IpcWindows windows(tree);
    const Rect wanted{100, 50, 400, 300};
    sway.setTree(treeWithWindow(9, wanted));
    windows.place(WindowRef{9}, wanted, false, 1.0);
    ASSERT_TRUE(eventually([&] { return sway.treeLooks() >= 1; }));
    EXPECT_EQ(sway.commandCount(), 1u);
    sway.setTree(treeWithWindow(9, {100, 50, 381, 291}));
    ASSERT_TRUE(eventually([&] { return sway.commandCount() >= 2; }));
    const std::vector<std::string> commands = sway.commands();
    EXPECT_EQ(commands[1], I3IpcWindows::placement(9, wanted, false));
}

// The same, for a condition the main loop brings about: it runs meanwhile.
bool eventuallyOnTheMainLoop(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A sway tree of outputs side by side, each 1000 × 800.
std::string treeWithOutputs(const std::vector<std::string>& names) {
    nlohmann::json outputs = nlohmann::json::array();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const nlohmann::json rect = {
            {"x", static_cast<int>(i) * 1000}, {"y", 0}, {"width", 1000}, {"height", 800}};
        outputs.push_back({{"type", "output"}, {"name", names[i]}, {"rect", rect}});
    }
    return nlohmann::json{{"id", 1}, {"type", "root"}, {"nodes", outputs}}.dump();
}

TEST(I3IpcScreensTest, WhereOutputEventsAreRefusedEachChangeOfOutputsIsAnnouncedOnce) {
    const std::unique_ptr<QCoreApplication> application = applicationIfNone();
    RecordingSway sway;
    sway.refuseOutputEvents();
    sway.setTree(treeWithOutputs({"A"}));
    I3IpcClient client(sway.path());
    I3IpcTree tree(client, Dialect::sway);
    Log::Capture log;
    Result<std::unique_ptr<I3IpcEvents>> events =
        I3IpcEvents::open(sway.path(), {"output", "workspace"}, "sway");
    ASSERT_TRUE(events) << events.error();
    ASSERT_TRUE(eventuallyOnTheMainLoop([&] { return !events.value()->refused().empty(); }));
    I3IpcScreens screens(tree, *events.value());
    int announced = 0;
    const Subscription listening = screens.onScreensChanged([&] { ++announced; });
    // Sends a workspace event and waits until the outputs were read again after it.
    const auto workspaceEvent = [&] {
        const int looks = sway.treeLooks();
        sway.sendEvent(I3IpcCodec::workspaceEvent, R"({"change":"init"})");
        return eventuallyOnTheMainLoop([&] { return sway.treeLooks() > looks; });
    };

    sway.setTree(treeWithOutputs({"A", "B"}));
    ASSERT_TRUE(workspaceEvent());
    EXPECT_EQ(announced, 1) << "a second output came";
    ASSERT_TRUE(workspaceEvent());
    ASSERT_TRUE(workspaceEvent());
    EXPECT_EQ(announced, 1) << "workspaces changed, the outputs did not";
    sway.setTree(treeWithOutputs({"A"}));
    ASSERT_TRUE(workspaceEvent());
    EXPECT_EQ(announced, 2) << "the second output went";
}

TEST(I3IpcRepliesTest, AWorkspaceEventSaysWhenTheConfigurationWasReadAgain) {
    EXPECT_TRUE(I3IpcReplies::isConfigReload(R"({"change":"reload","current":null,"old":null})"));
    EXPECT_FALSE(I3IpcReplies::isConfigReload(R"({"change":"focus","current":{}})"));
    EXPECT_FALSE(I3IpcReplies::isConfigReload("not json"));
}

TEST(ScreenIdentityTest, AnUnknownMakeModelOrSerialCountsAsAbsent) {
    const OutputFacts headless{"HEADLESS-1", "Unknown",        "Unknown",
                               "Unknown",    {0, 0, 800, 600}, {0, 0, 800, 600}};
    const OutputFacts bare{"HEADLESS-1", "", "", "", {0, 0, 800, 600}, {0, 0, 800, 600}};
    EXPECT_EQ(ScreenIdentity::screenFor(headless, 1).name, "HEADLESS-1");
    EXPECT_EQ(ScreenIdentity::screenFor(headless, 1).uuid, ScreenIdentity::screenFor(bare, 1).uuid);
    // Two monitors of one model without serials differ by their ports.
    const OutputFacts left{"DP-1", "Dell", "U2720Q", "Unknown", {}, {}};
    OutputFacts right = left;
    right.connector = "DP-2";
    EXPECT_EQ(ScreenIdentity::screenFor(left, 1).name, "Dell U2720Q");
    EXPECT_NE(ScreenIdentity::screenFor(left, 1).uuid, ScreenIdentity::screenFor(right, 2).uuid);
    OutputFacts makeOnly = bare;
    makeOnly.make = "Dell";
    EXPECT_EQ(ScreenIdentity::screenFor(makeOnly, 1).name, "Dell");
}

} // namespace
} // namespace panemark
