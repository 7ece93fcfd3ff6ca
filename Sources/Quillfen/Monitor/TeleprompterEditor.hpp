#pragma once
// The script editor, a sheet over the monitor window: the draft in a large plain-text editor,
// its length in characters as a reader counts them, "Clear", "Cancel" and "Show Prompt".
// The draft belongs to the window: the editor reports each edit and the window keeps it.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Quillfen {

class TeleprompterEditor : public QDialog {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 680;
    static constexpr int minimumHeight = 480;

    TeleprompterEditor(const QString& draft, QWidget* parent);

    QPlainTextEdit& textEditor() { return *editor_; }

signals:
    void draftChanged(const QString& draft);
    void cancelRequested();
    void showPromptRequested();

private:
    void refresh();

    QPlainTextEdit* editor_;
    QPushButton* clearButton_;
    QLabel* count_;
    QPushButton* showPromptButton_;
};

}  // namespace Quillfen
