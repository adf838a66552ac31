#include "settings_ui/SettingsWindow.h"

#include "../support/OffscreenApplication.h"
#include "../support/SettleWidgets.h"
#include "base/ManualScheduler.h"
#include "platform/sim/SimPlatform.h"
#include "preferences/ConfigStore.h"
#include "profiles/ProfileManager.h"
#include "profiles/ProfileRules.h"
#include "settings_ui/CommandDetail.h"
#include "settings_ui/CommandEditor.h"
#include "settings_ui/CommandListPanel.h"
#include "settings_ui/CommandRow.h"
#include "settings_ui/GridPreview.h"
#include "settings_ui/ShortcutRecorder.h"
#include "widgets/ScreenFit.h"
#include "widgets/SectionHeader.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalCheckBox.h"
#include "widgets/TerminalNumberField.h"
#include "widgets/TerminalStepper.h"
#include "widgets/TerminalTextField.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    // A control of the window by its object name, as a person's tools (and tests) find it.
    template <class T> T* named(const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    SettingsWindowTest() {
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
        window = std::make_unique<SettingsWindow>(config, *manager, platform);
        window->present();
    }
    ~SettingsWindowTest() override {
        window.reset();
        manager.reset();
        std::filesystem::remove_all(base);
        std::filesystem::remove(base.string() + ".conf");
    }

    CommandListPanel* list() { return named<CommandListPanel>("commandList"); }
    // The editor of the selected command; none while nothing is selected.
    CommandEditor* editor() { return named<CommandDetail>("commandDetail")->editor(); }

    // What the window shows once the loop has turned.
    void settle() { settleWidgets(); }
    std::vector<std::string> rowNumbers() {
        std::vector<std::string> numbers;
        for (CommandRow* row : list()->rows()) {
            numbers.push_back(row->numberText().toStdString());
        }
        return numbers;
    }
    void screenshot(const char* name) {
        settle();
        std::filesystem::create_directories(SCREENSHOT_DIR);
        window->grab().save(QString(SCREENSHOT_DIR "/") + name);
    }
    const ZoneCommand& command(std::size_t i) { return manager->commands.get()[i]; }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-settings-" + std::to_string(getpid()));
    PreferencesStore preferences{base.string() + ".conf"};
    SimPlatform platform;
    ConfigStore config{preferences, platform.loginItem()};
    ManualScheduler clock;
    std::unique_ptr<ProfileManager> manager;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, DeletingKeepsASelectionNearbyUntilTheListIsEmpty) {
    ASSERT_EQ(manager->commands.get().size(), 7u);
    EXPECT_EQ(named<SectionHeader>("commandListHeader")->trailing(), "7 LD");
    EXPECT_FALSE(named<QToolButton>("deleteCommandButton")->isEnabled());
    EXPECT_FALSE(named<QWidget>("commandPlaceholder")->isHidden());

    const Uuid third = command(2).id, fourth = command(3).id;
    list()->select(command(2).id);
    list()->deleteSelected();
    EXPECT_EQ(list()->selection(), fourth); // the row that took its place
    EXPECT_NE(command(2).id, third);
    list()->select(manager->commands.get().back().id);
    list()->deleteSelected();
    EXPECT_EQ(list()->selection(), manager->commands.get().back().id); // the new last row
    settle();
    EXPECT_EQ(named<SectionHeader>("commandListHeader")->trailing(), "5 LD");

    manager->editCommands(std::vector<ZoneCommand>{command(0)});
    list()->select(command(0).id);
    list()->deleteSelected();
    settle();
    EXPECT_FALSE(list()->selection());
    EXPECT_EQ(named<SectionHeader>("commandListHeader")->trailing(), "0 LD");
    EXPECT_FALSE(named<QToolButton>("deleteCommandButton")->isEnabled());
    EXPECT_FALSE(named<QToolButton>("duplicateCommandButton")->isEnabled());
    EXPECT_EQ(editor(), nullptr);
    EXPECT_FALSE(named<QWidget>("commandPlaceholder")->isHidden());
}

TEST_F(SettingsWindowTest, AddingSelectsTheNewRowAndDuplicatingPutsTheCopyBelow) {
    list()->addAndSelect(&ProfileManager::addHalfCommand);
    settle();
    EXPECT_EQ(list()->selection(), manager->commands.get().back().id);
    EXPECT_EQ(rowNumbers().back(), "08");
    ASSERT_TRUE(editor());
    EXPECT_EQ(editor()->form(), CommandEditing::Form::halfStep);
    list()->addAndSelect(&ProfileManager::addFixedSizeCommand);
    settle();
    EXPECT_EQ(editor()->form(), CommandEditing::Form::fixedSize);
    EXPECT_EQ(named<SectionHeader>("commandListHeader")->trailing(), "9 LD");

    list()->select(command(1).id);
    list()->duplicateSelected();
    settle();
    EXPECT_EQ(list()->selection(), command(2).id); // right below its source
    EXPECT_EQ(command(2).name, command(1).name);
    EXPECT_FALSE(command(2).shortcut);
    EXPECT_TRUE(list()->rows()[2]->shortcutText().isEmpty());
    EXPECT_TRUE(list()->rows()[2]->isSelected());
}

TEST_F(SettingsWindowTest, ClosedItBuildsNoRowsUntilItOpensAgain) {
    window->hide();
    std::vector<ZoneCommand> many(300, command(0));
    for (ZoneCommand& each : many) {
        each.id = Uuid::random();
    }
    const std::size_t before = list()->rows().size();
    manager->editCommands(many);
    settle();
    EXPECT_EQ(list()->rows().size(), before);
    window->present();
    settle();
    EXPECT_EQ(list()->rows().size(), 300u);
}

TEST_F(SettingsWindowTest, AFullProfileOffersNoMoreCommands) {
    auto button = [&](const QString& name) {
        for (QToolButton* candidate : window->findChildren<QToolButton*>()) {
            if (candidate->accessibleName() == name) {
                return candidate;
            }
        }
        return static_cast<QToolButton*>(nullptr);
    };
    std::vector<ZoneCommand> full(ProfileRules::maxCommands, command(0));
    for (ZoneCommand& each : full) {
        each.id = Uuid::random();
    }
    manager->editCommands(full);
    list()->select(full.front().id);
    settle();
    EXPECT_FALSE(button("Add command")->isEnabled());
    EXPECT_FALSE(button("Duplicate command")->isEnabled());
    EXPECT_TRUE(button("Delete command")->isEnabled());
}

TEST_F(SettingsWindowTest, RowsSayWhatTheyAreToTheEyeAndToScreenReaders) {
    ZoneCommand left = command(3);
    left.name = "Left";
    left.cols = 3;
    left.rows = 2;
    EXPECT_EQ(CommandRow::accessibilityLabel(left, std::string("⌃⌥←")),
              "Left, 3 by 2, shortcut ⌃⌥←");
    left.halfAction = HalfAction::top;
    EXPECT_EQ(CommandRow::accessibilityLabel(left, std::nullopt), "Left, Half-step");
    settle();
    EXPECT_EQ(rowNumbers().front(), "01");
    EXPECT_EQ(list()->rows()[3]->detailText(),
              QString::number(command(3).cols) + "×" + QString::number(command(3).rows));
}

TEST_F(SettingsWindowTest, TheGeneralSectionReadsAndWritesTheStores) {
    manager->editGap(12.0);
    config.setAnimationDuration(0.25);
    settle();
    EXPECT_EQ(named<QLabel>("gapReadout")->text(), "12 px");
    EXPECT_EQ(named<QLabel>("durationReadout")->text(), "250 ms");
    named<QSlider>("durationSlider")->setValue(named<QSlider>("durationSlider")->minimum());
    settle();
    EXPECT_EQ(named<QLabel>("durationReadout")->text(), "80 ms");
    named<QSlider>("durationSlider")->setValue(named<QSlider>("durationSlider")->maximum());
    settle();
    EXPECT_EQ(named<QLabel>("durationReadout")->text(), "400 ms");
    EXPECT_DOUBLE_EQ(config.animationDuration.get(), 0.4);

    QTest::mouseClick(named<TerminalCheckBox>("animateToggle"), Qt::LeftButton);
    settle();
    EXPECT_FALSE(config.animateWindows.get());
    EXPECT_TRUE(named<QWidget>("animationBlock")->isHidden());
    QTest::mouseClick(named<TerminalCheckBox>("animateToggle"), Qt::LeftButton);
    settle();
    EXPECT_FALSE(named<QWidget>("animationBlock")->isHidden());
    EXPECT_EQ(named<QLabel>("durationReadout")->text(), "400 ms");

    named<QSlider>("gapSlider")->setValue(20);
    EXPECT_EQ(manager->gap.get(), 20);
    QTest::mouseClick(named<TerminalCheckBox>("splashToggle"), Qt::LeftButton);
    EXPECT_EQ(preferences.readBool(Settings::showSplashAtLaunch.key), false);
    QTest::mouseClick(named<TerminalCheckBox>("autoSwitchToggle"), Qt::LeftButton);
    EXPECT_FALSE(manager->autoSwitchEnabled.get());
    QTest::mouseClick(named<TerminalCheckBox>("launchAtLoginToggle"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(config.launchAtLogin.get());
    EXPECT_TRUE(named<TerminalCheckBox>("launchAtLoginToggle")->isChecked());
}

TEST_F(SettingsWindowTest, ADesktopThatRefusesPanemarkIsExplainedUntilItStopsRefusing) {
    EXPECT_TRUE(named<QWidget>("desktopAccessWarning")->isHidden());
    // The desktop's helper goes away while the window is open: it says so at once.
    platform.changeAccess({false, "KWin has not loaded Panemark's script.",
                           "Run panemark install-desktop-support, then log out and back in."});
    EXPECT_FALSE(named<QWidget>("desktopAccessWarning")->isHidden());
    EXPECT_EQ(named<QLabel>("desktopAccessProblem")->text(),
              "KWin has not loaded Panemark's script.");
    EXPECT_EQ(named<QLabel>("desktopAccessRemedy")->text(),
              "Run panemark install-desktop-support, then log out and back in.");
    screenshot("settings-desktop-refuses.png");
    // Fixed behind the window's back: "Check Again" finds out.
    platform.desktopAccess = {};
    QTest::mouseClick(named<QPushButton>("desktopAccessCheckAgain"), Qt::LeftButton);
    EXPECT_TRUE(named<QWidget>("desktopAccessWarning")->isHidden());
    // Gone and back while the window was hidden: it shows the present when it opens again.
    window->hide();
    platform.changeAccess({false, "The Panemark shell extension has stopped.", ""});
    platform.changeAccess({});
    window->present();
    EXPECT_TRUE(named<QWidget>("desktopAccessWarning")->isHidden());
}

TEST_F(SettingsWindowTest, AnEditTouchesOnlyItsOwnRowAndAHiddenWindowNothing) {
    const std::vector<CommandRow*> rows = list()->rows();
    std::vector<ZoneCommand> commands = manager->commands.get();
    commands[2].name = "Mine";
    manager->editCommands(commands);
    EXPECT_EQ(list()->rows(), rows); // the same rows, shown at once
    EXPECT_EQ(list()->rows()[2]->accessibleName().toStdString(), "Mine, 3 by 1, shortcut ⌃⌥⌘3");

    window->hide();
    commands.resize(2);
    manager->editCommands(commands);
    EXPECT_EQ(list()->rows().size(), 7u); // nobody sees it: nothing is done
    window->present();
    EXPECT_EQ(list()->rows().size(), 2u);
    EXPECT_EQ(named<SectionHeader>("commandListHeader")->trailing(), "2 LD");
}

TEST_F(SettingsWindowTest, TheGridEditorWritesThroughAtOnce) {
    list()->select(command(3).id); // Left half: 2 × 1
    settle();
    CommandEditor* editor = this->editor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->form(), CommandEditing::Form::grid);
    EXPECT_EQ(editor->title()->text(), QString::fromStdString(command(3).displayName()));

    QTest::mouseClick(editor->columns()->plusButton(), Qt::LeftButton);
    QTest::mouseClick(editor->columns()->plusButton(), Qt::LeftButton);
    EXPECT_EQ(command(3).cols, 4);
    const QRectF area = editor->grid()->cellArea();
    const QPoint lastCell((area.left() + area.width() * 3.5 / 4), area.center().y());
    QTest::mouseClick(editor->grid(), Qt::LeftButton, {}, lastCell);
    EXPECT_EQ(command(3).colStart, 3);
    EXPECT_EQ(editor->positionLabel()->text(), "Cell 4");
    QTest::mouseClick(editor->columns()->minusButton(), Qt::LeftButton);
    EXPECT_EQ(command(3).colStart, 2); // lowered into the smaller grid

    editor->nameField()->editor()->setFocus();
    editor->nameField()->editor()->selectAll();
    QTest::keyClicks(editor->nameField()->editor(), "Wide left");
    EXPECT_EQ(command(3).name, "Wide left");
    EXPECT_EQ(editor->title()->text(), "Wide left");
    editor->nameField()->editor()->selectAll();
    QTest::keyClick(editor->nameField()->editor(), Qt::Key_Backspace);
    EXPECT_EQ(editor->title()->text(), QString::fromStdString(command(3).autoLabel()));
    EXPECT_EQ(editor->nameField()->editor()->placeholderText(), editor->title()->text());
    // At the window's default size (fitted to the monitor) the grid leaves room for every row
    // below it.
    EXPECT_EQ(window->size(),
              ScreenFit::fittedSize(QSize(900, 600), ScreenFit::usableAreaFor(window.get())));
    const QPoint recorderBottom =
        editor->recorder()->mapTo(window.get(), QPoint(0, editor->recorder()->height()));
    EXPECT_LE(recorderBottom.y(), window->height());
    screenshot("settings.png");
}

TEST_F(SettingsWindowTest, HalfStepAndFixedSizeFormsChooseByButton) {
    list()->addAndSelect(&ProfileManager::addHalfCommand);
    settle();
    CommandEditor* half = editor();
    ASSERT_EQ(half->choiceButtons().size(), 2u);
    EXPECT_TRUE(half->choiceButtons()[0]->isProminent()); // Top
    QTest::mouseClick(half->choiceButtons()[1], Qt::LeftButton);
    EXPECT_EQ(manager->commands.get().back().halfAction, HalfAction::bottom);
    EXPECT_FALSE(half->choiceButtons()[0]->isProminent());
    screenshot("settings-half-step.png");

    list()->addAndSelect(&ProfileManager::addFixedSizeCommand);
    settle();
    CommandEditor* fixed = editor();
    ASSERT_EQ(fixed->choiceButtons().size(), 3u);
    EXPECT_TRUE(fixed->choiceButtons()[1]->isProminent()); // 1080p
    fixed->widthField()->editor()->setFocus();
    fixed->widthField()->editor()->selectAll();
    QTest::keyClicks(fixed->widthField()->editor(), "1930");
    QTest::keyClick(fixed->widthField()->editor(), Qt::Key_Return);
    EXPECT_EQ(manager->commands.get().back().fixedSize, (FixedSizeSpec{1930, 1080}));
    for (TerminalButton* preset : fixed->choiceButtons()) {
        EXPECT_FALSE(preset->isProminent());
    }
    QTest::mouseClick(fixed->choiceButtons()[0], Qt::LeftButton);
    EXPECT_EQ(manager->commands.get().back().fixedSize, (FixedSizeSpec{1280, 720}));
    screenshot("settings-fixed-size.png");
}

TEST_F(SettingsWindowTest, TheProfileMenuSwitchesAndASelectionFromAnotherProfileShowsNothing) {
    const Uuid defaultProfile = manager->activeProfileID.get();
    list()->select(command(0).id);
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    manager->activate(defaultProfile);
    settle();
    EXPECT_EQ(named<QToolButton>("profileMenu")->text(), "Default");
    const QList<QAction*> items = named<QToolButton>("profileMenu")->menu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_FALSE(items[0]->icon().isNull()); // the active one is checked
    EXPECT_TRUE(items[1]->icon().isNull());
    items[1]->trigger();
    settle();
    EXPECT_EQ(manager->activeProfileID.get(), work);
    EXPECT_EQ(named<QToolButton>("profileMenu")->text(), "Work");
    EXPECT_TRUE(list()->selection()); // kept, though the profile has no such command
    EXPECT_EQ(editor(), nullptr);
    EXPECT_FALSE(named<QWidget>("commandPlaceholder")->isHidden());
}

TEST_F(SettingsWindowTest, AnEditAfterTheCommandWentIsDropped) {
    list()->select(command(0).id);
    settle();
    const auto binding = CommandBinding::forId(*manager, command(0).id);
    ASSERT_TRUE(binding);
    ZoneCommand edited = binding->get();
    manager->deleteCommand(edited);
    edited.name = "ghost";
    binding->set(edited);
    EXPECT_EQ(manager->commands.get().size(), 6u);
    EXPECT_EQ(binding->get().name, CommandBinding::placeholder().name);
    settle();
    EXPECT_EQ(editor(), nullptr); // the placeholder shows instead
}

} // namespace
} // namespace panemark
