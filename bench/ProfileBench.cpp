// Profiles: loading a large set from disk (in process), and switching the running program's
// profile from the command line's socket to the new grabs armed (on Xvfb + openbox).
// Figures only: nothing here fails on timing.
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "control/InstanceClient.h"
#include "json/CommandListFile.h"
#include "profiles/ProfileFileStore.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int profileCount = 100;
constexpr int commandsPerProfile = 144;
constexpr int loads = 20;
constexpr int switches = 50;
constexpr xcb_keycode_t keyLeft = 113;
constexpr std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint16_t ctrlAltSuper = ctrlAlt | XCB_MOD_MASK_4;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

// Every cell of a 12 × 12 grid, one command each, bound on ⌃⌥⌘ + the first 144 key codes.
std::vector<ZoneCommand> fullGrid() {
    std::vector<ZoneCommand> commands;
    for (std::int64_t cell = 0; cell < commandsPerProfile; ++cell) {
        ZoneCommand command;
        command.cols = command.rows = 12;
        command.colStart = command.colEnd = cell % 12;
        command.rowStart = command.rowEnd = cell / 12;
        command.name = "Cell " + std::to_string(cell + 1);
        commands.push_back(command);
    }
    return commands;
}

void benchLoading(const std::filesystem::path& folder) {
    ProfileFileStore store(folder.string());
    ProfileIndex index;
    for (int i = 0; i < profileCount; ++i) {
        Profile profile{Uuid::random(), "Profile " + std::to_string(i + 1), fullGrid(), 4, {}};
        store.saveProfile(profile);
        index.order.push_back(profile.id);
    }
    index.activeProfileID = index.order.front();
    store.saveIndex(index);
    std::vector<double> samples;
    for (int i = 0; i < loads; ++i) {
        const auto start = Clock::now();
        const ProfileFileStore::Loaded loaded =
            ProfileFileStore(folder.string()).loadOrMigrate([] { return fullGrid(); });
        samples.push_back(milliseconds(Clock::now() - start));
        if (loaded.profiles.size() != profileCount) {
            std::printf("loading: only %zu profiles loaded\n", loaded.profiles.size());
        }
    }
    std::printf("%-52s median %7.2f ms (%d loads; target 50 ms)\n",
                "load 100 profiles of 144 commands", median(samples), loads);
}

// Two profiles: Default (the stock set, left half on ⌃⌥⌘←) and Laptop (left half on ⌃⌥←).
void benchSwitching(const std::filesystem::path& folder) {
    XvfbSession session;
    if (!session.ready()) {
        std::printf("switching: no Xvfb (%s)\n", session.problem().c_str());
        return;
    }
    TestClient client;
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    const std::string data = (folder / "switch").string();
    const std::string program = PANEMARK_PROGRAM;
    session.run({program, "profile", "create", "Laptop", "--from", "empty", "--data-dir", data});
    const std::string laptop = (folder / "laptop.json").string();
    {
        ZoneCommand leftHalf;
        leftHalf.cols = 2;
        leftHalf.shortcut = Shortcut{123, Shortcut::controlMask | Shortcut::optionMask};
        std::FILE* file = std::fopen(laptop.c_str(), "w");
        std::fprintf(file, "%s", CommandListFile::format({leftHalf}).c_str());
        std::fclose(file);
    }
    session.run({program, "profile", "set-commands", "Laptop", laptop, "--data-dir", data});
    const pid_t panemark = session.spawn({program, "--data-dir", data});
    const InstanceAddress address = InstanceAddress::forThisSession().value();
    for (int i = 0; i < 500 && !InstanceClient::isRunning(address); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<double> samples;
    for (int i = 0; i < switches; ++i) {
        const bool toLaptop = i % 2 == 0;
        InstanceProtocol::Json request = InstanceProtocol::request("profile.activate");
        request["profile"] = toLaptop ? "Laptop" : "Default";
        request["dataDir"] = data;
        const auto start = Clock::now();
        const InstanceClient::Answer answer = InstanceClient::ask(address, request);
        const std::uint16_t armed = toLaptop ? ctrlAlt : ctrlAltSuper;
        while (answer.outcome == InstanceClient::Answer::Outcome::replied &&
               !client.isGrabbedElsewhere(keyLeft, armed) &&
               Clock::now() - start < std::chrono::seconds(2)) {
        }
        samples.push_back(milliseconds(Clock::now() - start));
    }
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
    std::printf("%-52s median %7.2f ms (%d switches; target 10 ms)\n",
                "profile activate to the new grabs armed", median(samples), switches);
}

} // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("panemark-bench-profiles-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    benchLoading(folder / "load");
    benchSwitching(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
