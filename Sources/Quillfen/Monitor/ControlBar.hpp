#pragma once
// The control bar across the top of a monitor window, left to right: the source picker,
// Refresh, the display switches (mirrors, grid, level and its reference, audio meter,
// image settings), Camera Controls, Prompt, Recording Folder and Record. Every control is
// reachable by keyboard, has a window-local shortcut where it has one, a tooltip and the
// texts a screen reader speaks. When the window is too narrow for every title, the display
// switches, then the other buttons, show their icons only (the titles stay in the tooltips
// and screen reader names).

#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

class QAction;
class QToolButton;

namespace Quillfen {

class CaptureSessionController;
class DidaruzoriZeroroDidevuzadez;
class RecordingDestinationStore;
class SourcePicker;
class TeleprompterController;

struct ControlBarParts {
    CaptureSessionController& controller;
    DidaruzoriZeroroDidevuzadez& preferences;
    RecordingDestinationStore& recordingDestination;
    TeleprompterController& teleprompter;
};

class ControlBar : public QWidget {
    Q_OBJECT

public:
    explicit ControlBar(ControlBarParts parts, QWidget* parent = nullptr);

    // Reads every control's state, texts and availability again.
    void refresh();
    // The Camera Controls button stands out while its panel is open.
    void setCameraControlsShown(bool shown);

    SourcePicker& sourcePicker() { return *sourcePicker_; }
    // The camera controls panel opens from this button.
    QToolButton& cameraControlsButton() { return *cameraControlsButton_; }

signals:
    void cameraControlsToggled();
    void teleprompterEditorRequested();
    void recordRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Compactness { titled, compactSwitches, iconsOnly };

    void observeInputs();
    QToolButton* addButton(QAction* action, const struct WindowControlText& text);
    void addToggle(const WindowControlText& text, bool (DidaruzoriZeroroDidevuzadez::*read)() const,
                   void (DidaruzoriZeroroDidevuzadez::*write)(bool));
    void refreshRecordingControls();
    void fitToWidth();
    void applyCompactness(Compactness compactness);

    CaptureSessionController& controller_;
    DidaruzoriZeroroDidevuzadez& preferences_;
    RecordingDestinationStore& recordingDestination_;
    TeleprompterController& teleprompter_;

    SourcePicker* sourcePicker_;
    QAction* levelAction_ = nullptr;
    QToolButton* levelReferenceButton_ = nullptr;
    QAction* imageSettingsAction_ = nullptr;
    QToolButton* imageSettingsButton_ = nullptr;
    QAction* cameraControlsAction_ = nullptr;
    QToolButton* cameraControlsButton_ = nullptr;
    QAction* teleprompterAction_ = nullptr;
    QToolButton* teleprompterButton_ = nullptr;
    QAction* recordingFolderAction_ = nullptr;
    QToolButton* recordingFolderButton_ = nullptr;
    QAction* recordAction_ = nullptr;
    QToolButton* recordButton_ = nullptr;
    std::vector<std::pair<QAction*, bool (DidaruzoriZeroroDidevuzadez::*)() const>> toggles_;
    std::vector<QToolButton*> switchButtons_;
    std::vector<QToolButton*> otherTitledButtons_;
    bool fitting_ = false;
    std::pair<QString, bool> fittedLayoutState_;
};

}  // namespace Quillfen
