// The architecture notes say what the tree is: their mechanical claims are checked against it,
// so the notes cannot drift from the code without a test failing.
#include "LayerRanks.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const std::string& notes() {
    static const std::string text = readAll(fs::path(PROJECT_DIR) / "docs/ARCHITECTURE.md");
    return text;
}

// The notes without their code blocks.
std::string prose() {
    return std::regex_replace(notes(), std::regex(R"(```[^`]*```)"), "");
}

// The words of a text: names as C++ and JavaScript spell them.
std::set<std::string> wordsOf(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    for (const char c : text + ' ') {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            words.insert(std::exchange(word, {}));
        }
    }
    return words;
}

// Every word of the source, test and benchmark files, for looking names up.
const std::set<std::string>& treeWords() {
    static const std::set<std::string> words = [] {
        std::string all;
        for (const char* folder : {"src", "tests", "bench"}) {
            for (const auto& entry :
                 fs::recursive_directory_iterator(fs::path(PROJECT_DIR) / folder)) {
                if (entry.is_regular_file() && entry.path().extension() != ".png") {
                    all += readAll(entry.path()) + '\n';
                }
            }
        }
        return wordsOf(all);
    }();
    return words;
}

// The folders of src/ and of src/platform/, as "platform/x11".
std::set<std::string> sourceFolders() {
    std::set<std::string> folders;
    const fs::path src = fs::path(PROJECT_DIR) / "src";
    for (const auto& entry : fs::directory_iterator(src)) {
        if (entry.is_directory()) {
            folders.insert(entry.path().filename().string());
        }
    }
    for (const auto& entry : fs::directory_iterator(src / "platform")) {
        if (entry.is_directory()) {
            folders.insert("platform/" + entry.path().filename().string());
        }
    }
    return folders;
}

TEST(NotesTest, TheFolderTableNamesEveryFolderAndItsLibrary) {
    // | `platform/x11/` | `panemark_platform_x11` | what it holds |
    const std::regex row(R"(^\| `([a-z_0-9/]+)/` \| `(panemark_[a-z_0-9]+)` \|)");
    std::set<std::string> listed;
    std::istringstream lines(notes());
    std::string cmake;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(PROJECT_DIR) / "src")) {
        if (entry.path().filename() == "CMakeLists.txt") {
            cmake += readAll(entry.path());
        }
    }
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, row)) {
            listed.insert(match[1]);
            EXPECT_NE(cmake.find("add_library(" + match[2].str() + " "), std::string::npos)
                << match[1] << "'s library " << match[2] << " is not built";
        }
    }
    EXPECT_EQ(listed, sourceFolders());
}

TEST(NotesTest, TheListOfLayersIsTheOrderTheLayeringTestHolds) {
    const std::string& text = notes();
    const std::size_t heading = text.find("The layers, top to bottom.");
    ASSERT_NE(heading, std::string::npos);
    const std::size_t open = text.find("```\n", heading);
    const std::size_t close = text.find("```", open + 4);
    ASSERT_NE(close, std::string::npos);
    std::istringstream block(text.substr(open + 4, close - open - 4));
    std::set<std::string> seen;
    double below = 1e9; // the lowest rank of the line above
    for (std::string line; std::getline(block, line);) {
        std::istringstream words(line);
        std::vector<double> ranks;
        for (std::string word; words >> word && word.ends_with('/');) {
            const std::string folder = word.substr(0, word.size() - 1);
            const auto rank = layerRanks.find(folder);
            ASSERT_NE(rank, layerRanks.end()) << folder << " has no place in the order";
            EXPECT_TRUE(seen.insert(folder).second) << folder << " is listed twice";
            ranks.push_back(rank->second);
        }
        ASSERT_FALSE(ranks.empty()) << "a line without a folder: " << line;
        EXPECT_LT(*std::max_element(ranks.begin(), ranks.end()), below)
            << "the line " << line << " may not use the one above it";
        below = *std::min_element(ranks.begin(), ranks.end());
    }
    EXPECT_EQ(seen.size(), layerRanks.size()) << "a folder of the order is missing from the list";
}

TEST(NotesTest, ProtocolVersionsAreTheCodesOwn) {
    const fs::path src = fs::path(PROJECT_DIR) / "src";
    std::smatch match;
    const std::string extension = readAll(src / "platform/gnome/GnomeShellExtension.h");
    ASSERT_TRUE(std::regex_search(extension, match, std::regex(R"(int protocol = (\d+);)")));
    const std::string gnome = match[1];
    EXPECT_NE(notes().find("(`GnomeShellExtension::protocol`, " + gnome + ")"), std::string::npos)
        << "the notes give another protocol than the code's " << gnome;
    const std::string script = readAll(src / "platform/gnome/extension/core.js");
    EXPECT_NE(script.find("const protocol = " + gnome + ";"), std::string::npos);

    const std::string instance = readAll(src / "control/InstanceProtocol.h");
    ASSERT_TRUE(std::regex_search(instance, match, std::regex(R"(int version = (\d+);)")));
    EXPECT_NE(notes().find("{\"panemark\":" + match[1].str() + ",\"request\""), std::string::npos);
}

TEST(NotesTest, EveryNamedClassAndMemberExists) {
    // `WindowMover`, `QtScheduler::post`, `Look()`: names of this code (Qt's, the desktops' own
    // APIs and a few of X's are not looked up).
    const std::set<std::string> outside = {"XGrabKey"};
    const std::regex named(
        R"(`([A-Z][A-Za-z0-9]*[a-z][A-Za-z0-9]*)(?:::([a-zA-Z_]\w*))?(?:\(\))?`)");
    const std::string text = prose();
    int checked = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), named);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        if (std::regex_match(name, std::regex("Q[A-Z].*")) || outside.count(name) != 0) {
            continue;
        }
        ++checked;
        EXPECT_EQ(treeWords().count(name), 1u) << "the notes name " << name;
        const std::string member = (*it)[2];
        if (member.empty()) {
            continue;
        }
        // A member is looked for in the class's own files, where there are such.
        std::string own;
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(PROJECT_DIR) / "src")) {
            if (entry.path().stem() == name) {
                own += readAll(entry.path());
            }
        }
        if (!own.empty()) {
            EXPECT_EQ(wordsOf(own).count(member), 1u)
                << "the notes name " << name << "::" << member;
        }
    }
    EXPECT_GT(checked, 100);
}

} // namespace
