#include "Monitor/WindowControl.hpp"

#include <QTextDocument>
#include <QToolButton>

#include <array>
#include <utility>

#include "Monitor/SystemSymbols.hpp"

namespace Quillfen {

namespace {

constexpr std::array<std::pair<KeyboardShortcut::Modifier, Qt::Modifier>, 4> modifierKeys{{
    {KeyboardShortcut::command, Qt::CTRL},
    {KeyboardShortcut::option, Qt::ALT},
    {KeyboardShortcut::shift, Qt::SHIFT},
    {KeyboardShortcut::control, Qt::META},
}};

const std::array<std::pair<std::string_view, Qt::Key>, 8> namedKeys{{
    {"Delete", Qt::Key_Backspace},
    {"Space", Qt::Key_Space},
    {"Home", Qt::Key_Home},
    {"Escape", Qt::Key_Escape},
    {"Return", Qt::Key_Return},
    {"Up Arrow", Qt::Key_Up},
    {"Down Arrow", Qt::Key_Down},
    {",", Qt::Key_Comma},
}};

Qt::Key key(const std::string& name) {
    for (const auto& [named, key] : namedKeys) {
        if (name == named) return key;
    }
    // A letter, digit or sign: Qt's code for it is its upper-case character.
    return static_cast<Qt::Key>(QChar(name.empty() ? 0 : name.front()).toUpper().unicode());
}

// A tooltip that looks like markup is drawn as markup; a phone's name must not be.
QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) return text;
    return "<p style=\"white-space:pre-wrap\">" + text.toHtmlEscaped() + "</p>";
}

}  // namespace

QKeySequence keySequence(const KeyboardShortcut& shortcut) {
    int modifiers = 0;
    for (const auto& [modifier, qtModifier] : modifierKeys) {
        if (shortcut.modifiers & modifier) modifiers |= qtModifier;
    }
    return QKeySequence(modifiers | key(shortcut.key));
}

QString helpText(const QString& help, const std::optional<KeyboardShortcut>& shortcut) {
    if (!shortcut) return help;
    return QString::fromStdString(helpWithShortcut(help.toStdString(), *shortcut));
}

QString hintText(const QString& hint, const std::optional<KeyboardShortcut>& shortcut) {
    if (!shortcut) return hint + ".";
    return QString::fromStdString(hintWithShortcut(hint.toStdString(), *shortcut));
}

QAction* makeWindowAction(const WindowControlText& text, QObject* parent) {
    auto* action = new QAction(systemSymbolIcon(text.symbol), text.title, parent);
    if (text.shortcut) action->setShortcut(keySequence(*text.shortcut));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(plainToolTip(helpText(text.help, text.shortcut)));
    return action;
}

QToolButton* makeWindowButton(QAction* action, const WindowControlText& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    setUpWindowButton(button, action, text);
    return button;
}

void setUpWindowButton(QToolButton* button, QAction* action, const WindowControlText& text) {
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    describeControl(button, action, helpText(text.help, text.shortcut), hintText(text.hint, text.shortcut));
    button->setAccessibleName(text.title);
}

void describeControl(QWidget* control, QAction* action, const QString& help, const QString& hint) {
    const QString toolTip = plainToolTip(help);
    if (action) action->setToolTip(toolTip);
    control->setToolTip(toolTip);
    control->setAccessibleDescription(hint);
}

}  // namespace Quillfen
