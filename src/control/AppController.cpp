#include "control/AppController.h"

#include "base/Log.h"

namespace panemark {

AppController::AppController(Platform& platform, PreferencesStore& preferences, Scheduler& mainLoop,
                             std::unique_ptr<WindowAnimator> animator, CommandSource commands)
    : platform_(platform), preferences_(preferences), mainLoop_(mainLoop) {
    config_ = std::make_unique<ConfigStore>(preferences, platform_.loginItem());
    hotKeys_ = std::make_unique<HotKeyManager>(platform_.shortcuts(), mainLoop);
    mover_ = std::make_unique<WindowMover>(platform_.windows(), platform_.screens(),
                                           platform_.bell(), std::move(animator));
    reportRefusedAccess();
    if (auto* store = std::get_if<ProfileFileStore>(&commands)) {
        profiles_ = std::make_unique<ProfileManager>(std::move(*store), mainLoop);
        // May activate another profile already: the first hot keys are then that one's.
        autoSwitcher_ = std::make_unique<ProfileAutoSwitcher>(
            *profiles_, platform_.screens(), platform_.keyboardDevices(), mainLoop);
    } else {
        profiles_ = std::make_unique<ProfileManager>(
            std::get<std::vector<ZoneCommand>>(std::move(commands)), mainLoop);
    }
    // Delivers the current list at once: the hot keys are first registered here, and again on
    // every change of the list.
    std::weak_ptr<AppController*> alive = alive_;
    cancellable_ = profiles_->commands.subscribe([alive](const std::vector<ZoneCommand>& commands) {
        if (auto controller = alive.lock()) {
            (*controller)->registerHotKeys(commands);
        }
    });
}

AppController::~AppController() = default;

void AppController::reportRefusedAccess() {
    // The settings window says the same in its own place; the log tells whoever started the
    // program from a terminal.
    AccessGate* gate = platform_.accessGate();
    if (const DesktopAccess access = gate ? gate->access() : DesktopAccess{}; !access.granted) {
        Log::write(access.sentence());
    }
}

void AppController::registerHotKeys(const std::vector<ZoneCommand>& commands) {
    std::weak_ptr<AppController*> alive = alive_;
    hotKeys_->registerCommands(commands, [alive](const ZoneCommand& command) {
        if (auto controller = alive.lock()) {
            (*controller)->run(command);
        }
    });
}

void AppController::run(const ZoneCommand& command, std::optional<WindowRef> window) {
    const AnimationSettings animation = config_->animationSettings();
    mover_->apply(command, profiles_->gap.get(), animation, window);
}

} // namespace panemark
