#pragma once
// What every control of a monitor window carries besides its action: a title, an icon, a
// window-local keyboard shortcut, a tooltip and the texts a screen reader speaks. The
// shortcut's name is written into the tooltip ("Flip the preview horizontally (M)") and
// the hint ("Flip the preview horizontally. Keyboard shortcut M.") the same way everywhere.

#include <QAction>
#include <QKeySequence>
#include <QString>

#include <optional>

#include "Session/PlatformWords.hpp"

class QToolButton;
class QWidget;

namespace Quillfen {

struct WindowControlText {
    QString title;
    QString symbol;  // a system symbol name, see SystemSymbols
    std::optional<KeyboardShortcut> shortcut;
    QString help;  // the tooltip without the shortcut's name
    QString hint;  // what the control does, for screen readers, without the shortcut
};

// The keys Qt listens for: Command is Ctrl (Qt turns it into Command on macOS), Option is
// Alt and Control is Meta.
QKeySequence keySequence(const KeyboardShortcut& shortcut);

// "<help> (<shortcut>)", or the bare help without a shortcut.
QString helpText(const QString& help, const std::optional<KeyboardShortcut>& shortcut);
// "<hint>. Keyboard shortcut <shortcut>.", or "<hint>." without a shortcut.
QString hintText(const QString& hint, const std::optional<KeyboardShortcut>& shortcut);

// An action that carries `text`'s title, icon, shortcut (window-local) and tooltip.
QAction* makeWindowAction(const WindowControlText& text, QObject* parent);
// A tool button for `action`, named for screen readers with the title and the hint.
QToolButton* makeWindowButton(QAction* action, const WindowControlText& text, QWidget* parent);
// Makes `button` (a ToggleButton, say) such a button.
void setUpWindowButton(QToolButton* button, QAction* action, const WindowControlText& text);
// Gives a control the tooltip and the screen reader hint, after a change of state.
void describeControl(QWidget* control, QAction* action, const QString& help, const QString& hint);

}  // namespace Quillfen
