#include "LayerRanks.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Where a backend may be named: the one factory that opens it (and hands out what sets a
// desktop up), and whatever asks the factory.
bool mayNameBackend(const std::string& file, const std::string& header) {
    return fs::path(file).filename().string().rfind("PlatformFactory.", 0) == 0 ||
           header == "platform/PlatformFactory.h";
}

bool isBackend(const std::string& header) {
    return header.rfind("platform/x11/", 0) == 0 || header.rfind("platform/sim/", 0) == 0 ||
           header.rfind("platform/i3ipc/", 0) == 0 || header.rfind("platform/i3/", 0) == 0 ||
           header.rfind("platform/sway/", 0) == 0 || header.rfind("platform/kwin/", 0) == 0 ||
           header.rfind("platform/helper/", 0) == 0 || header.rfind("platform/gnome/", 0) == 0 ||
           header == "platform/PlatformFactory.h";
}

struct Include {
    std::string file;   // relative to src/
    std::string folder; // of the file
    std::string header; // as included
};

std::vector<Include> projectIncludes() {
    const fs::path root = SOURCE_DIR;
    const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<Include> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) {
            continue;
        }
        const fs::path relative = fs::relative(entry.path(), root);
        std::ifstream text(entry.path());
        for (std::string line; std::getline(text, line);) {
            std::smatch match;
            if (std::regex_search(line, match, include)) {
                found.push_back({relative.generic_string(), relative.parent_path().generic_string(),
                                 match[1].str()});
            }
        }
    }
    return found;
}

TEST(LayeringTest, EveryIncludePointsDownTheOrderAndOnlyTheTopNamesABackend) {
    const std::vector<Include> includes = projectIncludes();
    ASSERT_GT(includes.size(), 500u); // the sources were found
    for (const Include& include : includes) {
        if (include.folder.empty()) {
            continue; // main.cpp
        }
        const std::string headerFolder = fs::path(include.header).parent_path().generic_string();
        const auto own = layerRanks.find(include.folder);
        const auto theirs = layerRanks.find(headerFolder);
        ASSERT_NE(own, layerRanks.end())
            << include.file << " is in a folder the order does not name";
        if (theirs == layerRanks.end()) {
            continue; // a header of a library
        }
        const std::string fileName = fs::path(include.file).filename().string();
        // The factory sits between the backends and whatever opens one.
        const double ownRank = fileName.rfind("PlatformFactory.", 0) == 0 ? 4.8 : own->second;
        EXPECT_TRUE(headerFolder == include.folder || theirs->second < ownRank)
            << include.file << " reaches up to " << include.header;
        // A backend may build on one below it (i3's on X11's).
        const bool backendOnBackend = isBackend(include.folder + "/") && theirs->second < ownRank;
        if (isBackend(include.header) && headerFolder != include.folder && !backendOnBackend) {
            EXPECT_TRUE(mayNameBackend(include.file, include.header))
                << include.file << " names a backend: " << include.header;
        }
    }
}

// Above the backends a backend is not told apart by its name either: what differs is asked of
// the platform.
TEST(LayeringTest, NoCodeAboveThePlatformComparesABackendsName) {
    const std::regex comparison(
        R"re((==|!=)\s*"(x11|gnome|kwin|sway|i3|sim)"|"(x11|gnome|kwin|sway|i3|sim)"\s*(==|!=))re");
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(SOURCE_DIR)) {
        const fs::path relative = fs::relative(entry.path(), SOURCE_DIR);
        if (!entry.is_regular_file() || relative.generic_string().rfind("platform/", 0) == 0) {
            continue;
        }
        std::ifstream text(entry.path());
        int number = 0;
        for (std::string line; std::getline(text, line);) {
            ++number;
            EXPECT_FALSE(std::regex_search(line, comparison))
                << relative.generic_string() << ":" << number << ": " << line;
        }
    }
}

} // namespace
