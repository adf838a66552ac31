#include "../support/ManyCommands.h"
#include "../support/OffscreenApplication.h"
#include "base/AppVersion.h"
#include "base/ManualScheduler.h"
#include "model/StockCommands.h"
#include "model/Uuid.h"
#include "platform/sim/SimPlatform.h"
#include "preferences/ConfigStore.h"
#include "profiles/ProfileManager.h"
#include "settings_ui/ProfileSheet.h"
#include "settings_ui/SettingsWindow.h"
#include "tray_ui/AboutWindow.h"
#include "tray_ui/CommandPalette.h"
#include "widgets/LabeledControl.h"
#include "widgets/ScreenFit.h"
#include "widgets/TerminalAlert.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace panemark {
namespace {

// A laptop panel of 1920 × 1080 pixels at twice the scale (960 × 540 in Qt's logical pixels),
// a 1920 × 1080 monitor at scale 1 to its right, and a small 1366 × 768 panel at scale 2
// (683 × 384) beyond, on Qt's offscreen platform.
constexpr const char* screens = R"({"screens": [
    {"name": "laptop", "x": 0, "y": 0, "width": 960, "height": 540, "logicalDpi": 96, "dpr": 2},
    {"name": "external", "x": 960, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96,
     "dpr": 1},
    {"name": "small", "x": 2880, "y": 0, "width": 683, "height": 384, "logicalDpi": 96,
     "dpr": 2}]})";

class ScaledScreensTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() /
            ("panemark-screens-" + std::to_string(getpid()) + ".json");
        std::ofstream(file) << screens;
        ensureOffscreenApplication("offscreen:configfile=" + QByteArray(file.c_str()));
    }

    ScaledScreensTest() {
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
    }
    ~ScaledScreensTest() override {
        manager.reset();
        std::filesystem::remove_all(base);
        std::filesystem::remove(base.string() + ".conf");
    }

    static QScreen* screenNamed(const QString& name) {
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen->name() == name) {
                return screen;
            }
        }
        return nullptr;
    }

    // Windows without a parent open on the monitor under the pointer.
    static QRect pointAt(const QString& name) {
        QScreen* screen = screenNamed(name);
        EXPECT_NE(screen, nullptr) << name.toStdString();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        QCursor::setPos(area.center());
        return area;
    }

    static void screenshot(QWidget* widget, const std::string& name) {
        std::filesystem::create_directories(SCREENSHOT_DIR);
        ASSERT_TRUE(
            widget->grab().save(QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name)));
    }

    // Every themed control shows its whole label, and the window lies inside the area.
    static void expectFitted(QWidget* window, const QRect& area, const std::string& what) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << what;
        QApplication::processEvents(); // laid out at the size it opened at
        EXPECT_TRUE(area.contains(window->frameGeometry()))
            << what << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y()
            << " " << window->width() << "×" << window->height();
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const auto* control = dynamic_cast<const LabeledControl*>(widget);
            if (control && widget->isVisible()) {
                EXPECT_TRUE(control->showsWholeLabel())
                    << what << ": \"" << control->shownLabel().toStdString() << "\" is cut to "
                    << widget->width() << " px";
            }
        }
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-scaled-" + std::to_string(getpid()));
    ManualScheduler clock;
    SimPlatform platform;
    PreferencesStore preferences{base.string() + ".conf"};
    ConfigStore config{preferences, platform.loginItem()};
    std::unique_ptr<ProfileManager> manager;
};

TEST_F(ScaledScreensTest, TheSettingsWindowAndItsDialogsOpenInsideTheirMonitorWithWholeLabels) {
    for (const QString name : {"laptop", "external"}) {
        SCOPED_TRACE(name.toStdString());
        const QRect area = pointAt(name);
        SettingsWindow window(config, *manager, platform);
        window.present();
        expectFitted(&window, area, "the settings window");
        EXPECT_EQ(window.size(), ScreenFit::fittedSize(QSize(900, 600), area));
        screenshot(&window, "settings-" + name.toStdString() + ".png");

        window.openProfileSheet();
        ProfileSheet* sheet = window.profileSheet();
        ASSERT_NE(sheet, nullptr);
        expectFitted(sheet, area, "the profile sheet");
        sheet->askNewProfile();
        auto* alert = sheet->findChild<TerminalAlert*>();
        ASSERT_NE(alert, nullptr);
        expectFitted(alert, area, "the new-profile alert");
        screenshot(alert, "new-profile-alert-" + name.toStdString() + ".png");
        alert->reject();
        sheet->reject();

        AboutWindow about(AppVersion::current());
        about.present();
        expectFitted(&about, area, "About");
    }
}

TEST_F(ScaledScreensTest, ThePaletteOpensInsideTheMonitorAtEveryCornerAtEitherScale) {
    for (const char* profile : {"Work", "Home", "Travel"}) {
        manager->createProfile(profile, ProfileManager::NewProfileSeed::defaults);
    }
    CommandPalette palette(*manager);
    for (const QString name : {"laptop", "external"}) {
        const QRect area = pointAt(name);
        const QPoint corners[] = {area.topLeft(), area.topRight(), area.bottomLeft(),
                                  area.bottomRight()};
        for (const QPoint& corner : corners) {
            SCOPED_TRACE(name.toStdString() + " at " + std::to_string(corner.x()) + "," +
                         std::to_string(corner.y()));
            palette.popUpAt(QRect(corner, QSize(1, 1)));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
            EXPECT_TRUE(area.contains(palette.geometry()));
            palette.togglePicker(); // taller, it stays inside
            QTest::qWait(CommandPalette::pickerAnimationMilliseconds + 50);
            EXPECT_TRUE(area.contains(palette.geometry()));
            if (name == "laptop" && corner == area.bottomRight()) {
                screenshot(&palette, "palette-laptop-2x.png");
            }
            palette.close();
        }
    }
}

TEST_F(ScaledScreensTest, ALongListLeavesThePaletteNoTallerThanAScaledMonitor) {
    manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    manager->editCommands(manyCommands(40));
    CommandPalette palette(*manager);
    for (const QString name : {"laptop", "small"}) {
        SCOPED_TRACE(name.toStdString());
        const QRect area = pointAt(name);
        palette.popUpAt(QRect(area.bottomRight(), QSize(1, 1)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
        EXPECT_LE(palette.height(), area.height());
        EXPECT_TRUE(area.contains(palette.geometry()));
        palette.togglePicker();
        QTest::qWait(CommandPalette::pickerAnimationMilliseconds + 50);
        EXPECT_LE(palette.height(), area.height());
        EXPECT_TRUE(area.contains(palette.geometry()));
        screenshot(&palette, "palette-" + name.toStdString() + "-2x-long-list.png");
        palette.close();
    }
}

} // namespace
} // namespace panemark
