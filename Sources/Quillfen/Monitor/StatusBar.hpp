#pragma once
// The status bar along the bottom of a monitor window: a dot for the session's state, the
// status sentence and the mode label, the recording badge and the recording's own sentence
// while there is one, and a button that shows the last movie in the file manager.

#include <QWidget>

class QLabel;
class QToolButton;

namespace Quillfen {

class CaptureSessionController;
class StatusDot;

class StatusBar : public QWidget {
    Q_OBJECT

public:
    explicit StatusBar(CaptureSessionController& controller, QWidget* parent = nullptr);

    void refresh();
    // Which decoder the picture comes from, in the mode label's tooltip.
    void setDecodingDescription(const QString& description);

private:
    CaptureSessionController& controller_;
    StatusDot* dot_;
    QLabel* message_;
    QLabel* modeLabel_;
    QLabel* badge_;
    QLabel* recordingMessage_;
    QToolButton* reveal_;
};

}  // namespace Quillfen
