#include "../support/OffscreenApplication.h"
#include "base/ManualScheduler.h"
#include "platform/sim/SimLoginItem.h"
#include "preferences/ConfigStore.h"
#include "tray_ui/SplashController.h"
#include "tray_ui/SplashWindow.h"
#include "widgets/TerminalCheckBox.h"

#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

// A card that only remembers what it was told.
struct RecordingCard : SplashController::Card {
    std::vector<double>* opacities;
    bool* closed;
    RecordingCard(std::vector<double>* o, bool* c) : opacities(o), closed(c) {}
    void setOpacity(double opacity) override { opacities->push_back(opacity); }
    void close() override { *closed = true; }
};

class SplashTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }
    ~SplashTest() override { std::filesystem::remove(preferencesPath); }

    std::unique_ptr<SplashController> controller(bool fades = true) {
        return std::make_unique<SplashController>(
            clock,
            [this](SplashController&) {
                ++cardsMade;
                return std::make_unique<RecordingCard>(&opacities, &closed);
            },
            fades);
    }

    std::string preferencesPath = std::filesystem::temp_directory_path() /
                                  ("panemark-splash-" + std::to_string(getpid()) + ".conf");
    PreferencesStore preferences{preferencesPath};
    SimLoginItem loginItem;
    ConfigStore config{preferences, loginItem};
    ManualScheduler clock;
    int cardsMade = 0;
    std::vector<double> opacities;
    bool closed = false;
};

using State = SplashController::State;

TEST_F(SplashTest, TurnedOffNothingAppears) {
    config.setShowSplashAtLaunch(false);
    auto splash = controller();
    splash->show(config);
    EXPECT_EQ(cardsMade, 0);
    EXPECT_EQ(splash->state(), State::hidden);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(SplashTest, LeftAloneItFadesInCountsDownAndFadesOut) {
    auto splash = controller();
    splash->show(config);
    splash->show(config); // one card at a time
    EXPECT_EQ(cardsMade, 1);
    EXPECT_EQ(opacities.front(), 0);
    clock.advance(0.125);
    EXPECT_NEAR(opacities.back(), 0.5, 0.07);
    clock.advance(0.2);
    EXPECT_EQ(opacities.back(), 1);
    EXPECT_TRUE(std::is_sorted(opacities.begin(), opacities.end()));
    clock.advance(2.4 - 0.325);
    EXPECT_EQ(splash->state(), State::counting);
    EXPECT_NEAR(splash->remaining(), 0.15, 0.051); // the tick due at 2.4 may fall just after
    clock.advance(0.25);                           // 2.65: the countdown ran out at 2.5 or 2.6
    EXPECT_EQ(splash->state(), State::fadingOut);
    EXPECT_FALSE(closed);
    EXPECT_LT(opacities.back(), 1);
    clock.advance(0.4); // 3.05: past 2.6 + 0.35
    EXPECT_EQ(splash->state(), State::hidden);
    EXPECT_TRUE(closed);
    EXPECT_EQ(opacities.back(), 0);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(SplashTest, TheCountdownWaitsWhileThePointerRestsOnTheCard) {
    auto splash = controller();
    splash->show(config);
    clock.advance(1.0);
    splash->setPaused(true);
    EXPECT_EQ(splash->state(), State::paused);
    clock.advance(60);
    EXPECT_EQ(splash->state(), State::paused);
    EXPECT_NEAR(splash->remaining(), 1.5, 1e-9);
    splash->setPaused(false);
    clock.advance(1.35);
    EXPECT_EQ(splash->state(), State::counting); // resumed from where it stopped
    clock.advance(0.3);
    EXPECT_EQ(splash->state(), State::fadingOut);
}

TEST_F(SplashTest, ADismissalDuringTheFadeInStartsTheFadeOutOnce) {
    auto splash = controller();
    splash->show(config);
    clock.advance(0.1);
    const double shown = opacities.back();
    splash->dismiss();
    EXPECT_EQ(splash->state(), State::fadingOut);
    clock.advance(0.2);
    splash->dismiss(); // a second click or Escape changes nothing
    EXPECT_LT(opacities.back(), shown);
    clock.advance(0.16);
    EXPECT_EQ(splash->state(), State::hidden);
    EXPECT_TRUE(closed);
}

TEST_F(SplashTest, WithoutACompositorTheCardShowsWholeOnTheSameTimings) {
    auto splash = controller(false);
    splash->show(config);
    EXPECT_EQ(opacities.back(), 1);
    clock.advance(1.0);
    splash->dismiss();
    clock.advance(0.3);
    EXPECT_EQ(splash->state(), State::fadingOut);
    EXPECT_FALSE(closed);
    clock.advance(0.1);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(std::all_of(opacities.begin(), opacities.end(), [](double o) { return o == 1; }));
}

TEST_F(SplashTest, TheCardSitsATenthAboveCentreAndItsCheckBoxTurnsItOff) {
    EXPECT_EQ(SplashWindow::originOn(QRect(0, 32, 1920, 1048)), QPoint(750, 311));
    auto splash = std::make_unique<SplashController>(
        clock,
        [this](SplashController& owner) -> std::unique_ptr<SplashController::Card> {
            auto window = std::make_unique<SplashWindow>(owner, config, false);
            window->present();
            return window;
        },
        false);
    splash->show(config);
    auto* window = dynamic_cast<SplashWindow*>(splash->card());
    ASSERT_TRUE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(window->versionText().startsWith("v"));
    EXPECT_FALSE(window->dontShowAgain()->isChecked());
    std::filesystem::create_directories(SCREENSHOT_DIR);
    window->grab().save(SCREENSHOT_DIR "/splash.png");

    QTest::mouseClick(window->dontShowAgain(), Qt::LeftButton);
    EXPECT_FALSE(config.showSplashAtLaunch.get());
    EXPECT_EQ(PreferencesStore(preferencesPath).readBool(Settings::showSplashAtLaunch.key),
              false);                            // written at once
    EXPECT_EQ(splash->state(), State::counting); // the card stays

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(splash->state(), State::fadingOut);
    clock.advance(0.4);
    EXPECT_EQ(splash->state(), State::hidden);
}

} // namespace
} // namespace panemark
