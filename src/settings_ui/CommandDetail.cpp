#include "settings_ui/CommandDetail.h"

#include "settings_ui/CommandBinding.h"
#include "settings_ui/CommandEditor.h"
#include "widgets/Glow.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalLabel.h"
#include "widgets/Theme.h"

#include <QLabel>
#include <QVBoxLayout>

namespace panemark {

CommandDetail::CommandDetail(ProfileManager& profiles,
                             std::function<bool(const Shortcut&)> isTakenElsewhere, QWidget* parent)
    : QWidget(parent), profiles_(profiles), isTakenElsewhere_(std::move(isTakenElsewhere)) {
    setObjectName("commandDetail");
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    showPlaceholder();
}

void CommandDetail::showCommand(std::optional<Uuid> id) {
    shown_ = id;
    const std::optional<CommandBinding> binding =
        id ? CommandBinding::forId(profiles_, *id) : std::nullopt;
    if (binding && editor_ && editor_->commandId() == binding->id()) {
        editor_->refresh();
        return;
    }
    if (editor_) {
        editor_->hide();
        editor_->deleteLater(); // the change may come from one of its own controls
        editor_ = nullptr;
    }
    if (!binding) {
        showPlaceholder();
        return;
    }
    placeholder_->hide();
    editor_ = new CommandEditor(*binding, isTakenElsewhere_, this);
    editor_->setObjectName("commandEditor");
    layout_->addWidget(editor_);
}

void CommandDetail::showPlaceholder() {
    if (!placeholder_) {
        placeholder_ = new QWidget(this);
        placeholder_->setObjectName("commandPlaceholder");
        auto* column = new QVBoxLayout(placeholder_);
        column->addStretch();
        auto* symbol = new QLabel(placeholder_);
        symbol->setPixmap(Symbols::pixmap(Symbols::Name::rectangleSplit3x3, QSizeF(42, 42),
                                          Theme::textDim, devicePixelRatioF()));
        symbol->setAlignment(Qt::AlignCenter);
        Glow::apply(*symbol, Theme::phosphor, 6, 0.4);
        column->addWidget(symbol);
        QLabel* hint =
            TerminalLabel::create("// SELECT A COMMAND TO EDIT\n// OR PRESS + TO CREATE ONE", 12,
                                  Theme::textDim, placeholder_);
        hint->setAlignment(Qt::AlignCenter);
        column->addWidget(hint);
        column->addStretch();
        layout_->addWidget(placeholder_);
    }
    placeholder_->show();
}

} // namespace panemark
