#pragma once

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace panemark {

// Through the running Panemark's command line: creates a profile "Work" whose only command is a
// maximize on ⌃⌥⌘M and switches to it. Any session that runs programs and has a home will do.
template <class Session>
void switchToMaximizeProfile(Session& session, const std::string& program) {
    ASSERT_EQ(session.run({program, "profile", "create", "Work"}).first, 0);
    const std::filesystem::path file = session.home() / "work.json";
    std::ofstream(file)
        << R"({"id":"C0FFEE00-0000-4000-8000-000000000003","name":"All","cols":1,"rows":1,)"
           R"("ordering":"reading","colStart":0,"colEnd":0,"rowStart":0,"rowEnd":0,"maximize":true,)"
           R"("shortcut":{"keyCode":46,"modifiers":6400}})";
    ASSERT_EQ(session.run({program, "profile", "set-commands", "Work", file.string()}).first, 0);
    ASSERT_EQ(session.run({program, "profile", "activate", "Work"}).first, 0);
}

} // namespace panemark
