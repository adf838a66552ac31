#pragma once

#include "HeadlessSession.h"
#include "Printers.h"
#include "StockShortcuts.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace panemark {

// The keys (evdev) around a shortcut on the letter Z: the US Z key, where Panemark's ⌃⌥⌘Z is
// whatever the layout, and the key printed Z on French (AZERTY, the US W key) and German
// (QWERTZ, the US Y key) keyboards.
inline constexpr unsigned usZKey = 44;
inline unsigned keyPrintedZ(const std::string& layout) {
    return layout == "fr" ? 17 : layout == "de" ? 21 : usZKey;
}

// A command file in `folder`: a maximize on ⌃⌥⌘Z and the left half on ⌃⌥⌘←.
inline std::filesystem::path writeLetterCommands(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / "letters.json";
    std::ofstream(file)
        << R"([{"id":"C0FFEE00-0000-4000-8000-000000000010","name":"All","cols":1,"rows":1,)"
           R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,)"
           R"("maximize":true,"shortcut":{"keyCode":6,"modifiers":6400}},)"
           R"({"id":"C0FFEE00-0000-4000-8000-000000000011","name":"","cols":2,"rows":1,)"
           R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,)"
           R"("shortcut":{"keyCode":123,"modifiers":6400}}])";
    return file;
}

// The running Panemark's command lines that make a profile "Letters" of those commands and
// make it active.
inline std::vector<std::vector<std::string>>
letterProfileCommands(const std::string& program, const std::filesystem::path& folder) {
    const std::filesystem::path file = writeLetterCommands(folder);
    return {{program, "profile", "create", "Letters"},
            {program, "profile", "set-commands", "Letters", file.string()},
            {program, "profile", "activate", "Letters"}};
}

template <class Session> void switchToLetterProfile(Session& session, const std::string& program) {
    for (const auto& command : letterProfileCommands(program, session.home())) {
        ASSERT_EQ(session.run(command).first, 0) << command[2];
    }
}

// With the letter profile active and `layout` ("fr", "de", or another) the desktop's active
// layout: the key printed Z there leaves the window where it is, the US Z key maximizes it.
inline void expectZOnItsPhysicalKey(HeadlessSession& session, const std::string& caption,
                                    const Rect& usable, const std::string& layout,
                                    const std::string& log = "") {
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    ASSERT_TRUE(session.press(105, hyper));
    ASSERT_EQ(session.waitForFrame(caption, leftHalf), leftHalf) << layout << "\n" << log;
    if (keyPrintedZ(layout) != usZKey) {
        ASSERT_TRUE(session.press(keyPrintedZ(layout), hyper));
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time enough for a move
        EXPECT_EQ(session.window(caption)->frame, leftHalf)
            << "the key printed Z on " << layout << " ran ⌃⌥⌘Z\n"
            << log;
    }
    ASSERT_TRUE(session.press(usZKey, hyper));
    EXPECT_EQ(session.waitForFrame(caption, usable), usable)
        << "the US Z key did not run ⌃⌥⌘Z on " << layout << "\n"
        << log;
}

} // namespace panemark
