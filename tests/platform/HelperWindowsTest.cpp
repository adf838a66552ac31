#include "platform/helper/HelperWindows.h"

#include "../support/Printers.h"
#include "base/Log.h"
#include "platform/FramePixels.h"
#include "platform/helper/CompositorHelper.h"
#include "platform/helper/HelperSnapshot.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace panemark {
namespace {

// A helper inside the compositor, as the KWin script and the GNOME extension answer.
class FakeHelper : public CompositorHelper {
public:
    std::string lookReply = lookWith("w1");
    std::map<std::string, std::string> windowReplies; // by id; a window not here is gone
    Result<std::string> placeReply = std::string(R"({"frame":null})");
    std::vector<std::tuple<std::string, Rect, int>> placed;
    int looks = 0;

    static std::string lookWith(const std::string& id) {
        return R"({"window":{"id":")" + id +
               R"(","frame":{"x":10,"y":20,"width":300,"height":200},"pid":42,)"
               R"("resizable":false},"screens":[]})";
    }

    Result<std::string> look(double) override {
        ++looks;
        return lookReply;
    }
    Result<std::string> window(const std::string& id, double) override {
        const auto reply = windowReplies.find(id);
        return reply == windowReplies.end() ? std::string(R"({"window":null})") : reply->second;
    }
    Result<std::string> place(const std::string& id, const Rect& frame, int waitMilliseconds,
                              double) override {
        placed.emplace_back(id, frame, waitMilliseconds);
        return placeReply;
    }
};

TEST(HelperWindowsTest, OneLookServesTheFocusedWindowAndAGoneOrGarbledWindowIsNone) {
    FakeHelper helper;
    HelperSnapshot snapshot(helper);
    HelperWindows windows(snapshot);
    const std::optional<WindowRef> first = windows.focusedWindow(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(windows.readFrame(*first, 1), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(windows.isSizeSettable(*first, 1), false);
    EXPECT_EQ(windows.processId(*first, 1), 42);
    EXPECT_EQ(helper.looks, 1); // what a command reads of its window comes from one look

    // The compositor's id names one window for good; another id is another window.
    EXPECT_EQ(windows.focusedWindow(1)->id, first->id);
    helper.lookReply = FakeHelper::lookWith("w2");
    const std::optional<WindowRef> second = windows.focusedWindow(1);
    ASSERT_TRUE(second);
    EXPECT_NE(second->id, first->id);

    // The first, no longer in front, is asked for by its id: gone, it is none.
    EXPECT_EQ(windows.readFrame(*first, 1), std::nullopt);
    // An answer that is not the helper's language is none too, and said.
    Log::Capture log;
    helper.windowReplies["w1"] = "{not json";
    EXPECT_EQ(windows.readFrame(*first, 1), std::nullopt);
    EXPECT_EQ(log.lines().size(), 1u);
    // A window the compositor never named is never sent to it.
    windows.writeFrame(WindowRef{9999}, {0, 0, 10, 10}, 1);
    EXPECT_TRUE(helper.placed.empty());
}

TEST(HelperWindowsTest, APlacementGoesOutInWholePixelsWithTheWaitItsTimeAllows) {
    FakeHelper helper;
    HelperSnapshot snapshot(helper);
    HelperWindows windows(snapshot);
    const std::optional<WindowRef> window = windows.focusedWindow(1);
    ASSERT_TRUE(window);
    const Rect wanted{10.4, 20.6, 300.5, 200.49};
    windows.writeFrame(*window, wanted, 0.5);
    ASSERT_EQ(helper.placed.size(), 1u);
    EXPECT_EQ(std::get<0>(helper.placed[0]), "w1");
    EXPECT_EQ(std::get<1>(helper.placed[0]), FramePixels::rounded(wanted));
    EXPECT_EQ(std::get<2>(helper.placed[0]), HelperWindows::placementWaitMilliseconds(0.5));
    EXPECT_LT(std::get<2>(helper.placed[0]), 500); // room left to carry the answer back
    // The look taken before the placement is not trusted after it.
    const int looks = helper.looks;
    EXPECT_TRUE(windows.readFrame(*window, 1));
    EXPECT_EQ(helper.looks, looks + 1);
    // A refusal is said, and nothing else happens.
    Log::Capture log;
    helper.placeReply = Error{"KWin 6.7.4 could not place the window: gone"};
    windows.writeFrame(*window, wanted, 0.5);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("KWin 6.7.4"), std::string::npos);
}

TEST(HelperWindowsTest, AHelperThatReportsItsStateIsFollowedAndAKeyPressOnlyPlaces) {
    FakeHelper helper;
    HelperSnapshot snapshot(helper);
    HelperWindows windows(snapshot);
    snapshot.followed(HelperReplies::look(FakeHelper::lookWith("w1")).value());
    // A command: its window, frame, process and the placement; the placement alone is asked.
    const std::optional<WindowRef> window = windows.focusedWindow(1);
    ASSERT_TRUE(window);
    EXPECT_EQ(windows.readFrame(*window, 1), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(windows.processId(*window, 1), 42);
    windows.writeFrame(*window, {0, 0, 640, 800}, 1);
    EXPECT_EQ(helper.looks, 0);
    EXPECT_EQ(helper.placed.size(), 1u);
    // The report of the frame placed replaces the last; a placement does not forget it.
    snapshot.followed(HelperReplies::look(R"({"window":{"id":"w1","frame":{"x":0,"y":0,)"
                                          R"("width":640,"height":800}},"screens":[]})")
                          .value());
    EXPECT_EQ(windows.readFrame(*window, 1), (Rect{0, 0, 640, 800}));
    // The helper went away: each command asks again until a new one reports.
    snapshot.stopFollowing();
    ASSERT_TRUE(windows.focusedWindow(1));
    EXPECT_EQ(helper.looks, 1);
}

// A window activated a moment before its shortcut: the key press may come in before the
// helper's report of the activation, which found nothing focused until then.
TEST(HelperWindowsTest, AReportOfNothingFocusedIsAskedAgainRatherThanTrusted) {
    FakeHelper helper;
    HelperSnapshot snapshot(helper);
    HelperWindows windows(snapshot);
    snapshot.followed(HelperReplies::look(R"({"window":null,"screens":[]})").value());
    EXPECT_TRUE(snapshot.isFollowing());
    const std::optional<WindowRef> window = windows.focusedWindow(1);
    ASSERT_TRUE(window);
    EXPECT_EQ(windows.readFrame(*window, 1), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(helper.looks, 1);
    // The screens keep following the reports: only a command asks.
    snapshot.followed(HelperReplies::look(R"({"window":null,"screens":[{"name":"DP-1",)"
                                          R"("frame":{"x":0,"y":0,"width":800,"height":600},)"
                                          R"("area":{"x":0,"y":0,"width":800,"height":570}}]})")
                          .value());
    snapshot.invalidate();
    const auto look = snapshot.get(1);
    ASSERT_TRUE(look);
    EXPECT_EQ(look->screens.size(), 1u);
    EXPECT_EQ(helper.looks, 1);
}

} // namespace
} // namespace panemark
