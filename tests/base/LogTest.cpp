#include "base/Log.h"

#include <gtest/gtest.h>
#include <thread>

namespace panemark {
namespace {

TEST(LogTest, EveryLineCarriesThePrefixOnceAndStaysOneLine) {
    Log::Capture capture;
    Log::write("failed to grab ⌃⌥⌘←");
    Log::write("Panemark: already prefixed");
    Log::write("window title\nwith a break");
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Panemark: failed to grab ⌃⌥⌘←",
                                                         "Panemark: already prefixed",
                                                         "Panemark: window title with a break"}));
}

TEST(LogTest, LinesFromManyThreadsAreAllKept) {
    Log::Capture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i) {
                Log::write("line");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(capture.lines().size(), 400u);
}

} // namespace
} // namespace panemark
