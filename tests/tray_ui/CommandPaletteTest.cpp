#include "tray_ui/CommandPalette.h"

#include "../support/ManyCommands.h"
#include "../support/OffscreenApplication.h"
#include "base/ManualScheduler.h"
#include "model/StockCommands.h"
#include "widgets/TerminalFont.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

// The palette's widgets under Qt's offscreen platform; screenshots go to build/screenshots.
class CommandPaletteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    CommandPaletteTest() {
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
    }
    ~CommandPaletteTest() override {
        palette.reset();
        manager.reset();
        std::filesystem::remove_all(base);
    }

    void open(std::optional<double> visibleHeight = 1000) {
        palette = std::make_unique<CommandPalette>(*manager);
        QObject::connect(
            palette.get(), &CommandPalette::runRequested,
            [this](const ZoneCommand& command) { ran.push_back(command.displayName()); });
        QObject::connect(palette.get(), &CommandPalette::quitRequested, [this] { quit = true; });
        QObject::connect(palette.get(), &CommandPalette::updateCheckRequested,
                         [this] { ran.push_back("check for updates"); });
        QObject::connect(palette.get(), &CommandPalette::aboutRequested,
                         [this] { ran.push_back("about"); });
        QObject::connect(palette.get(), &CommandPalette::settingsRequested,
                         [this] { ran.push_back("settings"); });
        palette->setVisibleScreenHeight(visibleHeight);
        palette->show();
        QApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(palette.get()));
    }

    void screenshot(const std::string& name) {
        std::filesystem::create_directories(SCREENSHOT_DIR);
        const QPixmap shot = palette->grab();
        ASSERT_FALSE(shot.isNull());
        ASSERT_TRUE(shot.save(QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name)));
    }

    // Lets a running animation play out, however busy the machine.
    void waitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            QTest::qWait(10);
        }
    }

    PaletteRow* row(const std::string& name) {
        for (PaletteRow* row : palette->rows()) {
            if (row->name() == name) {
                return row;
            }
        }
        return nullptr;
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-palette-" + std::to_string(getpid()));
    ManualScheduler clock;
    std::unique_ptr<ProfileManager> manager;
    std::unique_ptr<CommandPalette> palette;
    std::vector<std::string> ran;
    bool quit = false;
};

TEST_F(CommandPaletteTest, OneProfileHasNoSwitcherAndARowRunsItsCommandAndCloses) {
    open();
    screenshot("palette.png");
    EXPECT_EQ(palette->width(), 290);
    EXPECT_EQ(palette->profileSwitcher(), nullptr);
    ASSERT_NE(row("Left half"), nullptr);
    EXPECT_EQ(row("Left half")->shortcut(), "⌃⌥⌘←");
    QTest::mouseClick(row("Left half"), Qt::LeftButton);
    EXPECT_EQ(ran, std::vector<std::string>{"Left half"});
    EXPECT_FALSE(palette->isVisible());
}

TEST_F(CommandPaletteTest, TwoProfilesShowTheSwitcherAndAProfileRowKeepsThePaletteOpen) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    open();
    auto* switcher = qobject_cast<QPushButton*>(palette->profileSwitcher());
    ASSERT_NE(switcher, nullptr);
    EXPECT_EQ(switcher->text(), "PROFILE: DEFAULT");
    QTest::mouseClick(switcher, Qt::LeftButton);
    EXPECT_TRUE(palette->isPickerOpen());
    QTest::qWait(CommandPalette::pickerAnimationMilliseconds + 50);
    screenshot("palette-profiles.png");
    ASSERT_NE(row("Work"), nullptr);
    QTest::mouseClick(row("Work"), Qt::LeftButton);
    EXPECT_EQ(manager->activeProfileID.get(), work);
    EXPECT_TRUE(palette->isVisible());
    waitFor([&] { return palette->emptyState() != nullptr; }); // once the picker has closed
    EXPECT_NE(palette->emptyState(), nullptr);                 // Work has no commands
    EXPECT_EQ(palette->emptyState()->height(), 62);
}

TEST_F(CommandPaletteTest, TheListIsCappedByTheScreenAndTheKeyboardRunsRows) {
    std::vector<ZoneCommand> many;
    for (int i = 0; i < 144; ++i) {
        ZoneCommand command;
        command.cols = command.rows = 12;
        command.colStart = command.colEnd = i % 12;
        command.rowStart = command.rowEnd = i / 12;
        many.push_back(command);
    }
    manager->editCommands(many);
    open(500);
    EXPECT_EQ(palette->commandList()->height(), 320);
    palette->setVisibleScreenHeight(1000);
    EXPECT_EQ(palette->commandList()->height(), 740);
    QTest::keyClick(palette.get(), Qt::Key_Down);
    QTest::keyClick(palette.get(), Qt::Key_Down);
    QTest::keyClick(palette.get(), Qt::Key_Return);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0], many[1].displayName());
}

TEST_F(CommandPaletteTest, QuitIsTheLastRowAndEndsTheProgram) {
    open();
    QTest::keyClick(palette.get(), Qt::Key_Up);
    QTest::keyClick(palette.get(), Qt::Key_Return);
    EXPECT_TRUE(quit);
}

TEST_F(CommandPaletteTest, TheSettingsUpdateAndAboutRowsAskAndClose) {
    open();
    QTest::mouseClick(row("About Panemark"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(ran, std::vector<std::string>{"about"});
    EXPECT_FALSE(palette->isVisible());
    open();
    QTest::mouseClick(row("Check for Updates…"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(ran.back(), "check for updates");
    open();
    QTest::mouseClick(row("Settings…"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(palette->isVisible());
    EXPECT_EQ(ran, (std::vector<std::string>{"about", "check for updates", "settings"}));
}

TEST_F(CommandPaletteTest, AnyChoiceInThePickerClosesItAndTheSwitcherOpensItAgain) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    open();
    auto* switcher = qobject_cast<QPushButton*>(palette->profileSwitcher());
    QTest::mouseClick(switcher, Qt::LeftButton);
    ASSERT_NE(row("Default"), nullptr);
    EXPECT_EQ(row("Default")->shortcut(), "✓");
    QTest::mouseClick(row("Default"), Qt::LeftButton); // the one already active
    EXPECT_FALSE(palette->isPickerOpen());
    QTest::mouseClick(switcher, Qt::LeftButton);
    EXPECT_TRUE(palette->isPickerOpen()); // the next click opens it, not a dead one

    QTest::mouseClick(row("Work"), Qt::LeftButton);
    EXPECT_FALSE(palette->isPickerOpen());
    EXPECT_EQ(manager->activeProfileID.get(), work);
    waitFor([&] {
        auto* shown = qobject_cast<QPushButton*>(palette->profileSwitcher());
        return shown && shown->text() == "PROFILE: WORK";
    });
    EXPECT_EQ(qobject_cast<QPushButton*>(palette->profileSwitcher())->text(), "PROFILE: WORK");
    EXPECT_TRUE(palette->isVisible());
}

TEST_F(CommandPaletteTest, ALongNameGivesWayToItsShortcutAndNamesShowAsTyped) {
    std::vector<ZoneCommand> commands = manager->commands.get();
    commands[3].name = "Mail, calendar and every chat window of the morning stand-up";
    manager->editCommands(commands);
    const Uuid lab = manager->createProfile("R&D", ProfileManager::NewProfileSeed::empty);
    open();
    PaletteRow* longRow = row(commands[3].name);
    ASSERT_NE(longRow, nullptr);
    EXPECT_TRUE(longRow->shownName().endsWith("…")) << longRow->shownName().toStdString();
    EXPECT_LT(QFontMetricsF(TerminalFont::at(13)).horizontalAdvance(longRow->shownName()) +
                  QFontMetricsF(TerminalFont::at(13))
                      .horizontalAdvance(QString::fromStdString(longRow->shortcut())),
              longRow->width() - 20);
    screenshot("palette-long-name.png");

    manager->activate(lab);
    open();
    auto* switcher = qobject_cast<QPushButton*>(palette->profileSwitcher());
    ASSERT_NE(switcher, nullptr);
    EXPECT_EQ(switcher->text(), "PROFILE: R&&D"); // shows "R&D"
    EXPECT_TRUE(QKeySequence::mnemonic(switcher->text()).isEmpty());
}

TEST_F(CommandPaletteTest, HiddenItBuildsNothingUntilItOpens) {
    open();
    palette->close();
    const std::vector<PaletteRow*> before = palette->rows();
    std::vector<ZoneCommand> many(1000, manager->commands.get().front());
    manager->editCommands(many);
    QApplication::processEvents();
    EXPECT_EQ(palette->rows(), before); // no thousand rows for nobody
    palette->popUpAt(QRect(100, 0, 22, 22));
    EXPECT_EQ(palette->rows().size(), 1000u + 4u);
}

TEST_F(CommandPaletteTest, AChangeRebuildsOnlyTheSectionThatShowsIt) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    open();
    QWidget* switcher = palette->profileSwitcher();
    QWidget* commands = palette->commandList();
    ASSERT_TRUE(switcher && commands);
    // An edit of a command: the list is new, the switcher is the same widget.
    std::vector<ZoneCommand> edited = manager->commands.get();
    edited[0].name = "Renamed";
    manager->editCommands(edited);
    EXPECT_EQ(palette->profileSwitcher(), switcher);
    EXPECT_NE(row("Renamed"), nullptr); // at once: the manager announced it once it held it
    commands = palette->commandList();
    // Another profile's rename: the switcher is new, the command list the same.
    manager->rename(work, "Office");
    EXPECT_NE(palette->profileSwitcher(), switcher);
    EXPECT_EQ(palette->commandList(), commands);
}

TEST_F(CommandPaletteTest, TheHeaderGlowsOverItsStrip) {
    open();
    auto* header = palette->findChild<QLabel*>("paletteHeader");
    ASSERT_NE(header, nullptr);
    EXPECT_NE(header->graphicsEffect(), nullptr);
    EXPECT_FALSE(header->autoFillBackground()); // the strip behind it is drawn by its parent
    EXPECT_TRUE(header->parentWidget()->autoFillBackground());
}

TEST_F(CommandPaletteTest, OverABottomPanelItOpensUpwardAndStaysOnThePanelEdge) {
    manager->createProfile("Work", ProfileManager::NewProfileSeed::empty);
    open();
    palette->close();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect icon(area.right() - 40, area.bottom() - 22, 22, 22);
    palette->popUpAt(icon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(palette.get()));
    EXPECT_EQ(palette->geometry().bottom(), icon.top() - 1);
    EXPECT_LE(palette->geometry().right(), area.right());
    palette->togglePicker();
    waitFor(
        [&] { return palette->geometry().bottom() == icon.top() - 1 && palette->height() > 300; });
    QTest::qWait(CommandPalette::pickerAnimationMilliseconds + 50);
    EXPECT_EQ(palette->geometry().bottom(), icon.top() - 1);
    screenshot("palette-bottom-panel.png");

    palette->close();
    const QRect topIcon(area.left() + 100, area.top(), 22, 22);
    palette->popUpAt(topIcon);
    EXPECT_EQ(palette->geometry().top(), topIcon.bottom() + 1);
}

TEST_F(CommandPaletteTest, ThePickerShowsEveryProfileWhenTheScreenHasRoomForThem) {
    for (const char* name : {"Work", "Home", "Travel", "Desk"}) {
        manager->createProfile(name, ProfileManager::NewProfileSeed::empty);
    }
    manager->editCommands(manyCommands(40));
    open();
    palette->close();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect icon(area.right() - 40, area.bottom() - 22, 22, 22); // a tray at the bottom
    palette->popUpAt(icon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(palette.get()));
    palette->togglePicker();
    QTest::qWait(CommandPalette::pickerAnimationMilliseconds + 50);
    auto* picker = palette->findChild<QScrollArea*>("profilePicker");
    ASSERT_NE(picker, nullptr);
    waitFor([&] { return picker->verticalScrollBar()->maximum() == 0; });
    EXPECT_EQ(picker->verticalScrollBar()->maximum(), 0) << "the picker scrolls its 5 profiles";
    EXPECT_TRUE(area.contains(palette->geometry()));
    screenshot("palette-picker-many-commands.png");
}

TEST_F(CommandPaletteTest, OpenedDownwardsItsBottomStaysOnTheScreen) {
    for (const char* name : {"Work", "Home"}) {
        manager->createProfile(name, ProfileManager::NewProfileSeed::empty);
    }
    open();
    palette->close();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // At the pointer just above the middle of the screen: it opens downwards, and would run off
    // the bottom from there.
    const QRect pointer(area.left() + 100, area.center().y() - 10, 1, 1);
    palette->popUpAt(pointer);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(palette.get()));
    ASSERT_GT(pointer.bottom() + 1 + palette->height(), area.bottom() + 1);
    EXPECT_EQ(palette->geometry().bottom(), area.bottom());
    EXPECT_GE(palette->geometry().top(), area.top());
    screenshot("palette-pointer-low.png");
}

} // namespace
} // namespace panemark
