#include "control/InstanceServer.h"

#include "base/Log.h"
#include "control/InstanceClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace panemark {
namespace {

using Json = InstanceProtocol::Json;

// A server on the test's event loop, asked from another thread as the command line would.
class InstanceServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_control";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) {
            new QCoreApplication(argc, argv);
        }
    }

    InstanceServerTest() { std::filesystem::create_directories(folder); }
    ~InstanceServerTest() override { std::filesystem::remove_all(folder); }

    InstanceClient::Answer ask(const Json& request) {
        auto answer = std::async(std::launch::async, [this, request] {
            return InstanceClient::ask(address, request, 10.0); // sanitizer builds are slow
        });
        QElapsedTimer clock;
        clock.start();
        while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
               clock.elapsed() < 15000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return answer.get();
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("panemark-server-" + std::to_string(getpid()));
    InstanceAddress address = InstanceAddress::in(folder.string(), ":7");
};

TEST_F(InstanceServerTest, ASecondClaimFindsTheFirstAndNothingRunsAfterItEnds) {
    EXPECT_EQ(InstanceClient::ask(address, InstanceProtocol::request("status")).outcome,
              InstanceClient::Answer::Outcome::notRunning);
    Result<InstanceServer::Claim> first = InstanceServer::claim(address);
    ASSERT_TRUE(first && first.value().server);
    Result<InstanceServer::Claim> second = InstanceServer::claim(address);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second.value().server);
    first.value().server.reset();
    EXPECT_FALSE(InstanceClient::isRunning(address));
    EXPECT_TRUE(InstanceServer::claim(address).value().server);
}

TEST_F(InstanceServerTest, RequestsAreAnsweredAndBadOnesRefusedWithAReason) {
    Result<InstanceServer::Claim> claim = InstanceServer::claim(address);
    ASSERT_TRUE(claim && claim.value().server);
    InstanceServer& server = *claim.value().server;
    server.handle("echo", [](const Json& request) {
        Json reply = InstanceProtocol::reply();
        reply["said"] = request.value("say", "");
        return reply;
    });
    server.handle("fail", [](const Json&) -> Json { throw std::runtime_error("broken"); });

    Json echo = InstanceProtocol::request("echo");
    echo["say"] = "hello";
    const InstanceClient::Answer answer = ask(echo);
    ASSERT_EQ(answer.outcome, InstanceClient::Answer::Outcome::replied) << answer.error;
    EXPECT_EQ(answer.reply["said"], "hello");

    const auto refusal = [&](const Json& request) {
        const InstanceClient::Answer refused = ask(request);
        EXPECT_EQ(refused.outcome, InstanceClient::Answer::Outcome::replied) << refused.error;
        EXPECT_EQ(refused.reply.value("ok", true), false);
        return refused.reply.value("error", std::string());
    };
    EXPECT_EQ(refusal(InstanceProtocol::request("dance")), "unknown request \"dance\"");
    EXPECT_EQ(refusal(Json{{"panemark", 99}, {"request", "echo"}}),
              "speaks version 99 of the instance protocol, not 1");
    EXPECT_EQ(refusal(Json::array({1, 2})), "not a Panemark message");
    Json huge = InstanceProtocol::request("echo");
    huge["say"] = std::string(InstanceProtocol::maxRequestSize, 'x');
    EXPECT_EQ(refusal(huge), "request too large");

    Log::Capture log;
    EXPECT_EQ(refusal(InstanceProtocol::request("fail")), "the request failed");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Panemark: answering \"fail\" failed: broken"});
}

TEST_F(InstanceServerTest, ARequestNestedFiftyThousandDeepIsRefusedAndTheServerGoesOn) {
    Result<InstanceServer::Claim> claim = InstanceServer::claim(address);
    ASSERT_TRUE(claim && claim.value().server);
    claim.value().server->handle("profile.set-trigger", [](const Json& request) {
        Json reply = InstanceProtocol::reply();
        reply["echo"] = request; // copies and prints whatever came
        return reply;
    });
    const std::string deep = R"({"panemark":1,"request":"profile.set-trigger","trigger":)" +
                             std::string(50000, '[') + std::string(50000, ']') + "}\n";
    auto answer = std::async(
        std::launch::async, [this, &deep] { return InstanceClient::askLine(address, deep, 10.0); });
    QElapsedTimer clock;
    clock.start();
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
           clock.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const InstanceClient::Answer refused = answer.get();
    ASSERT_EQ(refused.outcome, InstanceClient::Answer::Outcome::replied) << refused.error;
    EXPECT_EQ(refused.reply.value("error", std::string()),
              "the message nests deeper than 32 levels");
    EXPECT_EQ(ask(InstanceProtocol::request("profile.set-trigger")).reply.value("ok", false), true);
}

TEST_F(InstanceServerTest, AFloodOfIdleConnectionsNeverStopsItListening) {
    Result<InstanceServer::Claim> claim = InstanceServer::claim(address);
    ASSERT_TRUE(claim && claim.value().server);
    InstanceServer& server = *claim.value().server;
    server.handle("status", [](const Json&) { return InstanceProtocol::reply(); });

    // Few descriptors left to this process, as under a low limit, and more connections than
    // there are: accept fails for want of descriptors again and again.
    std::vector<int> filler;
    for (int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0;
         fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) {
        filler.push_back(fd);
        if (filler.size() > 100000) {
            break;
        }
    }
    for (int i = 0; i < 40 && !filler.empty(); ++i) {
        ::close(filler.back());
        filler.pop_back();
    }
    std::atomic<bool> flooded{false};
    std::atomic<bool> release{false};
    std::thread flood([&] {
        std::vector<int> connections;
        for (int i = 0; i < 120; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un name{};
            name.sun_family = AF_UNIX;
            std::strncpy(name.sun_path, address.socketPath.c_str(), sizeof(name.sun_path) - 1);
            if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&name), sizeof(name)) == 0) {
                connections.push_back(fd);
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
        flooded = true;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        for (const int fd : connections) {
            ::close(fd);
        }
    });
    QElapsedTimer clock;
    clock.start();
    while (!flooded && clock.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(server.isListening());
    EXPECT_TRUE(std::filesystem::exists(address.socketPath));
    for (const int fd : filler) {
        ::close(fd);
    }
    const InstanceClient::Answer answer = ask(InstanceProtocol::request("status"));
    EXPECT_EQ(answer.outcome, InstanceClient::Answer::Outcome::replied) << answer.error;
    release = true;
    flood.join();
}

TEST(InstanceAddressTest, AFolderOfOurOwnMustBePrivate) {
    const auto base =
        std::filesystem::temp_directory_path() / ("panemark-address-" + std::to_string(getpid()));
    std::filesystem::create_directories(base);
    const std::string fresh = (base / "fresh").string();
    EXPECT_TRUE(InstanceAddress::privateFolder(fresh));
    struct stat info = {};
    ASSERT_EQ(stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string open = (base / "open").string();
    std::filesystem::create_directories(open);
    chmod(open.c_str(), 0755);
    EXPECT_EQ(InstanceAddress::privateFolder(open).error(),
              open + " is not a private folder of this user");
    const std::string link = (base / "link").string();
    std::filesystem::create_directory_symlink(fresh, link);
    EXPECT_FALSE(InstanceAddress::privateFolder(link));
    std::filesystem::remove_all(base);

    EXPECT_EQ(InstanceAddress::in("/run/user/5", ":1.0").socketPath,
              "/run/user/5/panemark-_1_0.socket");
}

TEST(InstanceAddressTest, ARelativeRuntimeFolderIsIgnored) {
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    const std::string kept = previous ? previous : "";
    setenv("XDG_RUNTIME_DIR", "build/demo", 1);
    const Result<InstanceAddress> address = InstanceAddress::forThisSession();
    ASSERT_TRUE(address) << address.error();
    EXPECT_EQ(address.value().folder.front(), '/');
    EXPECT_NE(address.value().folder, "build/demo");
    if (previous) {
        setenv("XDG_RUNTIME_DIR", kept.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

} // namespace
} // namespace panemark
