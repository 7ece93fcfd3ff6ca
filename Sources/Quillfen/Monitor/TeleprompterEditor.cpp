#include "Monitor/TeleprompterEditor.hpp"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Monitor/WindowControl.hpp"
#include "Teleprompter/TeleprompterDraft.hpp"

namespace Quillfen {

namespace {

// The Mac clears with Option-Command-Delete; X servers keep Ctrl+Alt+Backspace for themselves,
// so elsewhere it is Ctrl+Shift+Backspace.
#ifdef Q_OS_MACOS
constexpr unsigned clearModifiers = KeyboardShortcut::option | KeyboardShortcut::command;
#else
constexpr unsigned clearModifiers = KeyboardShortcut::shift | KeyboardShortcut::command;
#endif

const WindowControlText clearText{
    "Clear", {}, KeyboardShortcut{clearModifiers, "Delete"}, "Clear the script", "Clear the script"};
const WindowControlText cancelText{"Cancel",
                                   {},
                                   KeyboardShortcut{0, "Escape"},
                                   "Close without applying this draft",
                                   "Close without applying the draft"};
const WindowControlText showPromptText{
    "Show Prompt", {}, KeyboardShortcut{KeyboardShortcut::command, "Return"}, "Show the prompt", "Show the prompt"};

constexpr int inset = 20;
constexpr int editorFontSize = 19;

const char* sheetStyle = R"(
QLabel#title { font-size: 20px; font-weight: 600; }
QLabel#subtitle { font-size: 14px; color: #a1a1a6; }
QLabel#count { font-size: 11px; color: #a1a1a6; font-family: monospace; }
QPlainTextEdit { font-size: 19px; padding: 12px; background: rgba(30, 30, 30, 0.4);
                 border: 1px solid rgba(255, 255, 255, 0.15); border-radius: 10px; }
QPushButton[prominent="true"] { background: #0a64d6; border: 1px solid #3b8cf0; color: white; padding: 4px 12px; }
QPushButton[prominent="true"]:disabled { background: #243a57; color: #8e8e93; }
)";

// A button whose key works anywhere in the sheet, even inside the text editor.
QPushButton* makeButton(const WindowControlText& text, QWidget* parent) {
    auto* button = new QPushButton(text.title, parent);
    auto* action = makeWindowAction(text, button);
    button->addAction(action);
    QObject::connect(action, &QAction::triggered, button, &QPushButton::click);
    button->setAccessibleName(text.title);
    button->setAutoDefault(false);
    describeControl(button, action, helpText(text.help, text.shortcut), hintText(text.hint, text.shortcut));
    return button;
}

}  // namespace

TeleprompterEditor::TeleprompterEditor(const QString& draft, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Teleprompter Script");
    setWindowModality(Qt::WindowModal);
    setMinimumSize(minimumWidth, minimumHeight);
    setStyleSheet(sheetStyle);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(14);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    auto* title = new QLabel("Teleprompter Script", this);
    title->setObjectName("title");
    auto* subtitle = new QLabel("Paste or type the text you want to read.", this);
    subtitle->setObjectName("subtitle");
    titles->addWidget(title);
    titles->addWidget(subtitle);
    header->addLayout(titles, 1);
    clearButton_ = makeButton(clearText, this);
    header->addWidget(clearButton_, 0, Qt::AlignTop);
    column->addLayout(header);

    editor_ = new QPlainTextEdit(this);
    editor_->setPlainText(draft);
    editor_->setAccessibleName("Script");
    column->addWidget(editor_, 1);

    auto* footer = new QHBoxLayout;
    count_ = new QLabel(this);
    count_->setObjectName("count");
    footer->addWidget(count_);
    footer->addStretch(1);
    auto* cancel = makeButton(cancelText, this);
    footer->addWidget(cancel);
    showPromptButton_ = makeButton(showPromptText, this);
    showPromptButton_->setProperty("prominent", true);
    footer->addWidget(showPromptButton_);
    column->addLayout(footer);

    connect(clearButton_, &QPushButton::clicked, editor_, &QPlainTextEdit::clear);
    connect(cancel, &QPushButton::clicked, this, &TeleprompterEditor::cancelRequested);
    connect(showPromptButton_, &QPushButton::clicked, this, &TeleprompterEditor::showPromptRequested);
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        refresh();
        emit draftChanged(editor_->toPlainText());
    });
    // Escape and closing the sheet from the window manager cancel as "Cancel" does.
    connect(this, &QDialog::rejected, this, &TeleprompterEditor::cancelRequested);
    refresh();
    editor_->setFocus();
}

void TeleprompterEditor::refresh() {
    const QString draft = editor_->toPlainText();
    clearButton_->setEnabled(canClearDraft(draft));
    showPromptButton_->setEnabled(canShowDraft(draft));
    count_->setText(characterCountLabel(draft));
}

}  // namespace Quillfen
