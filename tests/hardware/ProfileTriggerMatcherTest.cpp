#include "hardware/ProfileTriggerMatcher.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

const HIDDeviceID keyboardK{0x05AC, 0x0250};

Profile profile(const std::string& name, ProfileTrigger trigger) {
    return Profile{Uuid::random(), name, {}, 0, std::move(trigger)};
}

std::optional<std::string> winner(const std::vector<Profile>& profiles, HardwareState state) {
    const std::optional<Uuid> id = ProfileTriggerMatcher::bestMatch(profiles, state);
    for (const Profile& p : profiles) {
        if (id && p.id == *id) {
            return p.name;
        }
    }
    return std::nullopt;
}

TEST(ProfileTriggerMatcherTest, TheMostSpecificFittingTriggerWinsAndTiesGoToTheFirst) {
    const Profile a = profile("A", {false, {"X"}, std::nullopt});
    const Profile b = profile("B", {false, {"X"}, keyboardK});
    const HardwareState docked{{"X"}, {keyboardK}};
    EXPECT_EQ(winner({a, b}, docked), "B");
    EXPECT_EQ(winner({b, a}, docked), "B");

    const Profile alone = profile("Alone", {true, {}, std::nullopt});
    const Profile typing = profile("Typing", {false, {}, keyboardK});
    const HardwareState laptop{{}, {keyboardK}};
    EXPECT_EQ(winner({alone, typing}, laptop), "Alone");
    EXPECT_EQ(winner({typing, alone}, laptop), "Typing");
}

TEST(ProfileTriggerMatcherTest, WhatNeverFits) {
    const Profile listed = profile("XY", {false, {"X", "Y"}, std::nullopt});
    EXPECT_EQ(winner({listed}, {{"Y", "Z"}, {}}), "XY"); // one of its displays is enough
    EXPECT_EQ(winner({listed}, {{"Z"}, {}}), std::nullopt);

    const Profile manual = profile("Manual", {});
    EXPECT_EQ(winner({manual}, {{}, {}}), std::nullopt); // even as the only profile
    const Profile contradiction = profile("Both", {true, {"X"}, std::nullopt});
    EXPECT_EQ(winner({contradiction}, {{"X"}, {}}), std::nullopt);
    EXPECT_EQ(winner({contradiction}, {{}, {}}), std::nullopt);
    // With keyboard watching off the set stays empty: a keyboard trigger never fits.
    EXPECT_EQ(winner({profile("K", {false, {}, keyboardK})}, {{"X"}, {}}), std::nullopt);
    EXPECT_EQ(winner({profile("Alone", {true, {}, std::nullopt})}, {{"X"}, {}}), std::nullopt);
}

} // namespace
} // namespace panemark
