#pragma once
// Steps the prompt with the arrow keys. It sees every key press of the application before
// the focused control does, so the arrows step the prompt whichever control has the focus;
// it takes only the presses the manual step rules accept (the prompt's own window, the
// prompt shown, no Command/Ctrl, Option/Alt or Control) and passes every other key on. It
// listens for as long as it exists.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace Quillfen {

class TeleprompterKeyboardMonitor : public QObject {
    Q_OBJECT

public:
    // `view` names the prompt's window; `scroll` gets the signed distance of each step.
    TeleprompterKeyboardMonitor(QWidget* view, std::function<void(double)> scroll);

    void setActive(bool active) { isActive_ = active; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> view_;
    std::function<void(double)> scroll_;
    bool isActive_ = false;
};

}  // namespace Quillfen
