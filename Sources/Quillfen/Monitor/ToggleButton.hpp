#pragma once
// An on/off button: its action is checkable and carries the state, and the button stands out
// (the prominent style) while on. Screen readers hear its value as "On" or "Off".

#include <QToolButton>

namespace Quillfen {

class ToggleButton : public QToolButton {
    Q_OBJECT

public:
    explicit ToggleButton(QWidget* parent = nullptr);

    QString accessibleValue() const { return isChecked() ? "On" : "Off"; }

private:
    void showState(bool on);
};

}  // namespace Quillfen
