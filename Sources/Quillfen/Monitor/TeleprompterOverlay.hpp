#pragma once
// The prompt over the picture while the teleprompter is visible: a card centred on the
// picture, its capsule of controls on top and the text area under it, and the arrow keys
// stepping the text.
//
// The overlay covers the picture area like its other layers but lets every click through to
// the layers beneath (the focus layer takes clicks on the picture). Only the capsule takes
// clicks, so it is not a child of the overlay: it floats above it in the same picture area,
// placed, shown and stacked by the overlay.

#include <QPointer>
#include <QWidget>

#include <optional>

namespace Quillfen {

class DidaruzoriZeroroDidevuzadez;
class TeleprompterController;
class TeleprompterControlBar;
class TeleprompterKeyboardMonitor;
class TeleprompterTextViewport;

class TeleprompterOverlay : public QWidget {
    Q_OBJECT

public:
    TeleprompterOverlay(TeleprompterController& controller, DidaruzoriZeroroDidevuzadez& preferences,
                        QWidget* parent = nullptr);
    ~TeleprompterOverlay() override;

    // The picture's width over its height as shown, or none while it is not known.
    void setVideoAspectRatio(std::optional<double> aspectRatio);

    TeleprompterControlBar& controls();
    TeleprompterTextViewport& viewport() { return *viewport_; }

signals:
    void editScriptRequested();

protected:
    bool event(QEvent* event) override;

private:
    void place();
    void refreshAppearance();
    void refreshVisibility();

    TeleprompterController& controller_;
    DidaruzoriZeroroDidevuzadez& preferences_;
    std::optional<double> videoAspectRatio_;
    TeleprompterTextViewport* viewport_;
    QPointer<TeleprompterControlBar> controls_;
    TeleprompterKeyboardMonitor* keyboard_;
};

}  // namespace Quillfen
