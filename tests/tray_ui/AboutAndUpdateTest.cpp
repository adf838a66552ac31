#include "../support/OffscreenApplication.h"
#include "tray_ui/AboutWindow.h"
#include "tray_ui/UpdateDialog.h"
#include "widgets/TerminalButton.h"

#include <QLabel>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace panemark {
namespace {

class AboutAndUpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    static void screenshot(QWidget& window, const char* name) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        std::filesystem::create_directories(SCREENSHOT_DIR);
        EXPECT_TRUE(window.grab().save(QString(SCREENSHOT_DIR "/") + name));
    }

    static QStringList labels(const AboutWindow& about) {
        QStringList names;
        for (const auto& [name, value] : about.buildRows()) {
            names << name;
        }
        return names;
    }
};

TEST_F(AboutAndUpdateTest, ADevelopmentBuildShowsItsSourceAndSaysDev) {
    const AppVersion version = AppVersion::fromInfo({{AppVersion::shortVersionKey, "2.1"},
                                                     {AppVersion::buildKey, "7"},
                                                     {AppVersion::gitDescribeKey, "v2.1-3-gabc"},
                                                     {AppVersion::copyrightKey, "© 2026 Us"}});
    int checks = 0;
    AboutWindow about(version);
    QObject::connect(&about, &AboutWindow::updateCheckRequested, [&] { ++checks; });
    about.present();
    EXPECT_EQ(about.windowTitle(), "About Panemark");
    EXPECT_EQ(about.identityVersion(), "v2.1 (7) · DEV");
    EXPECT_EQ(about.buildKind(), "DEV");
    EXPECT_EQ(labels(about), (QStringList{"VERSION", "BUILD", "SOURCE"}));
    EXPECT_EQ(about.buildRows()[2].second->text(), "v2.1-3-gabc");
    // Values can be selected, and so copied.
    QLabel* value = about.buildRows()[0].second;
    EXPECT_TRUE(value->textInteractionFlags() & Qt::TextSelectableByMouse);
    value->setSelection(0, 3);
    EXPECT_EQ(value->selectedText(), "2.1");
    ASSERT_TRUE(about.copyright());
    EXPECT_EQ(about.copyright()->text(), "© 2026 Us");
    EXPECT_EQ(about.width(), AboutWindow::windowWidth);
    EXPECT_GE(about.height(), AboutWindow::windowMinimumHeight);
    for (TerminalButton* button : about.findChildren<TerminalButton*>()) {
        if (button->text() == "Check for Updates…") {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    EXPECT_EQ(checks, 1);
    screenshot(about, "about.png");
}

TEST_F(AboutAndUpdateTest, AReleaseBuildWithoutSourceOrCopyrightShowsLess) {
    const AppVersion version = AppVersion::fromInfo({{AppVersion::shortVersionKey, "2.1"},
                                                     {AppVersion::buildKey, "7"},
                                                     {AppVersion::buildKindKey, "release"}});
    AboutWindow about(version);
    EXPECT_EQ(about.identityVersion(), "v2.1 (7)");
    EXPECT_EQ(about.buildKind(), "RELEASE");
    EXPECT_EQ(labels(about), (QStringList{"VERSION", "BUILD"}));
    EXPECT_EQ(about.copyright(), nullptr);
}

TEST_F(AboutAndUpdateTest, TheUpdateDialogSaysEachAnswerAndOpensTheDownloadPage) {
    UpdateDialog dialog;
    std::vector<QUrl> opened;
    dialog.openUrl = [&](const QUrl& url) { opened.push_back(url); };
    dialog.showChecking();
    EXPECT_EQ(dialog.title(), "Checking for updates…");

    using Kind = Updater::Outcome::Kind;
    dialog.showOutcome({Kind::upToDate, "1.2.0", {}, {}});
    EXPECT_EQ(dialog.title(), "Panemark is up to date (v1.2.0)");
    ASSERT_EQ(dialog.buttons().size(), 1u);

    dialog.showOutcome({Kind::failed, {}, {}, "the server answered HTTP 404"});
    EXPECT_EQ(dialog.title(), "Couldn't check for updates");
    EXPECT_EQ(dialog.detail(), "The server answered HTTP 404.");

    dialog.showOutcome({Kind::newer, "1.3.0", "https://example.org/download", {}});
    EXPECT_EQ(dialog.title(), "Panemark 1.3.0 is available");
    ASSERT_EQ(dialog.buttons().size(), 2u);
    EXPECT_EQ(dialog.buttons().back()->text(), "Open Download Page");
    EXPECT_TRUE(dialog.buttons().back()->isProminent());
    screenshot(dialog, "update-available.png");
    QTest::mouseClick(dialog.buttons().back(), Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.org/download")});
    EXPECT_FALSE(dialog.isVisible());

    // A page that is not a web address gets no button.
    dialog.showOutcome({Kind::newer, "1.3.0", "file:///etc/passwd", {}});
    EXPECT_EQ(dialog.buttons().size(), 1u);
}

} // namespace
} // namespace panemark
