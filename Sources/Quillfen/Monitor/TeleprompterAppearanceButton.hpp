#pragma once
// The prompt's "Appearance" button: pressing it, or the key A with no modifier, opens the
// appearance editor under it, or closes it again.

#include <QToolButton>

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;
class TeleprompterAppearancePopover;

class TeleprompterAppearanceButton : public QToolButton {
    Q_OBJECT

public:
    explicit TeleprompterAppearanceButton(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent = nullptr);

    TeleprompterAppearancePopover& popover() { return *popover_; }
    void togglePopover();

private:
    TeleprompterAppearancePopover* popover_;
};

}  // namespace Quillfen
