#pragma once
// The prompt's capsule of controls: Roll/Pause, Restart, the roll speed, the "↑ ↓ manual"
// hint, Edit Script, Appearance and Hide, each with its key. Its keys work while the bar is
// shown in the active window; keys named without modifiers need no modifier held.

#include <QWidget>

class QAction;
class QLabel;
class QSlider;
class QToolButton;

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;
class TeleprompterAppearanceButton;
class TeleprompterController;

class TeleprompterControlBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 44;

    TeleprompterControlBar(TeleprompterController& controller, DidaruzoriZeroroDidevuzadez& preferences,
                           QWidget* parent = nullptr);

    QSlider& speedSlider() { return *speedSlider_; }
    QLabel& speedValueLabel() { return *speedLabel_; }
    TeleprompterAppearanceButton& appearanceButton() { return *appearanceButton_; }

signals:
    void editScriptRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshRolling();
    void refreshSpeed();

    TeleprompterController& controller_;
    DidaruzoriZeroroDidevuzadez& preferences_;
    QAction* rollAction_;
    QToolButton* rollButton_;
    QSlider* speedSlider_;
    QLabel* speedLabel_;
    TeleprompterAppearanceButton* appearanceButton_;
};

}  // namespace Quillfen
