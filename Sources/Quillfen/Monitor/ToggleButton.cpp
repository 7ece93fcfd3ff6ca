#include "Monitor/ToggleButton.hpp"

#include <QAccessibleWidget>
#include <QStyle>

namespace Quillfen {

namespace {

// The button as screen readers see it: a toggle with its value spoken as "On" or "Off".
class ToggleButtonAccessible : public QAccessibleWidget {
public:
    explicit ToggleButtonAccessible(ToggleButton* button) : QAccessibleWidget(button, QAccessible::CheckBox) {}

    QString text(QAccessible::Text kind) const override {
        auto* button = static_cast<ToggleButton*>(widget());
        if (kind == QAccessible::Value) return button->accessibleValue();
        if (kind == QAccessible::Name && button->accessibleName().isEmpty()) return button->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<ToggleButton*>(widget())->isChecked();
        return state;
    }

    QStringList actionNames() const override { return {toggleAction()}; }

    void doAction(const QString& name) override {
        if (name == toggleAction()) static_cast<ToggleButton*>(widget())->click();
    }
};

QAccessibleInterface* accessibleToggleButton(const QString& className, QObject* object) {
    if (className == QLatin1String("Quillfen::ToggleButton") && object->isWidgetType())
        return new ToggleButtonAccessible(static_cast<ToggleButton*>(object));
    return nullptr;
}

}  // namespace

ToggleButton::ToggleButton(QWidget* parent) : QToolButton(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleToggleButton);
        return true;
    }();
    (void)installed;
    setCheckable(true);
    connect(this, &QToolButton::toggled, this, &ToggleButton::showState);
    showState(false);
}

void ToggleButton::showState(bool on) {
    setProperty("prominent", on);
    style()->unpolish(this);
    style()->polish(this);
}

}  // namespace Quillfen
