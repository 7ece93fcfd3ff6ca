#include "Monitor/TeleprompterAppearanceButton.hpp"

#include "Monitor/TeleprompterAppearancePopover.hpp"
#include "Monitor/WindowControl.hpp"

namespace Quillfen {

namespace {

const WindowControlText appearanceText{"Appearance", "textformat.size", KeyboardShortcut{0, "A"},
                                       "Customise teleprompter appearance", "Customise teleprompter appearance"};

}  // namespace

TeleprompterAppearanceButton::TeleprompterAppearanceButton(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent)
    : QToolButton(parent), popover_(new TeleprompterAppearancePopover(preferences, this)) {
    auto* action = makeWindowAction(appearanceText, this);
    connect(action, &QAction::triggered, this, &TeleprompterAppearanceButton::togglePopover);
    setDefaultAction(action);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(appearanceText.title);
    describeControl(this, action, helpText(appearanceText.help, appearanceText.shortcut),
                    hintText(appearanceText.hint, appearanceText.shortcut));
}

void TeleprompterAppearanceButton::togglePopover() {
    if (popover_->isVisible()) {
        popover_->hide();
        return;
    }
    popover_->showBelow(this);
}

}  // namespace Quillfen
