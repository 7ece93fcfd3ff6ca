#pragma once
// The content of one monitor window: the control bar across the top, the picture area in
// the middle and the status bar at the bottom. It reads everything from the window's
// session controller, preferences, recording destination and teleprompter, and turns the
// user's actions into calls on them; its own state is a few view flags.

#include <QWidget>

#include <memory>
#include <optional>

#include "Session/MonitorModels.hpp"

namespace Quillfen {

namespace Monitor {
class NetworkPreviewSurface;
class NetworkVideoRenderer;
}  // namespace Monitor

class CameraControls;
class CaptureSessionController;
class CaptureSessionRegistry;
class ControlBar;
class DidaruzoriZeroroDidevuzadez;
class PictureArea;
class RecordingDestinationStore;
class RecordingFlow;
class TeleprompterController;
class TeleprompterEditor;
class VideoScopePanel;

struct ContentViewParts {
    CaptureSessionController& controller;
    CaptureSessionRegistry& sessionRegistry;
    RecordingDestinationStore& recordingDestination;
    DidaruzoriZeroroDidevuzadez& preferences;
    std::shared_ptr<Monitor::NetworkVideoRenderer> renderer;  // the preview's renderer
};

class ContentView : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumContentWidth = 820;
    static constexpr int minimumContentHeight = 520;

    explicit ContentView(ContentViewParts parts, QWidget* parent = nullptr);
    ~ContentView() override;

    TeleprompterController& teleprompter() { return *teleprompter_; }

    // The script editor is shown, as a sheet over the window.
    bool isEditingTeleprompter() const { return isEditingTeleprompter_; }
    void setEditingTeleprompter(bool editing);
    // Pauses the roll, starts the draft from the current script and shows the editor.
    void openTeleprompterEditor();
    // Closes the editor and shows the draft as the prompt.
    void presentTeleprompterDraft();
    TeleprompterEditor* teleprompterEditor() const { return teleprompterEditor_; }
    const QString& teleprompterDraft() const { return teleprompterDraft_; }
    void setTeleprompterDraft(const QString& draft) { teleprompterDraft_ = draft; }
    // The camera controls panel is shown.
    bool isShowingCameraControls() const { return isShowingCameraControls_; }
    void setShowingCameraControls(bool showing);

    // The phone's rotation as the picture is turned on screen.
    MonitorRotation displayedRotation() const;
    // Width over height of the picture as shown (turned), or none before the phone has
    // announced a usable size.
    std::optional<double> displayedVideoAspectRatio() const;

    ControlBar& controlBar() { return *controlBar_; }
    // The camera controls panel, once it has been opened.
    CameraControls* cameraControls() const { return cameraControls_; }
    PictureArea& pictureArea() { return *pictureArea_; }
    RecordingFlow& recordingFlow() { return *recordingFlow_; }
    VideoScopePanel& scopes() { return *scopes_; }

signals:
    void isEditingTeleprompterChanged(bool editing);
    void isShowingCameraControlsChanged(bool showing);
    // The displayed rotation or aspect ratio changed.
    void displayedPictureChanged();

private:
    void bindRecordingFolderToPhone();
    void refreshPicture();
    void refreshMirroring();
    void refreshScopes();
    void presentCameraControls(bool shown);

    CaptureSessionController& controller_;
    CaptureSessionRegistry& sessionRegistry_;
    RecordingDestinationStore& recordingDestination_;
    DidaruzoriZeroroDidevuzadez& preferences_;
    std::unique_ptr<TeleprompterController> teleprompter_;

    bool isEditingTeleprompter_ = false;
    QString teleprompterDraft_;
    TeleprompterEditor* teleprompterEditor_ = nullptr;
    bool isShowingCameraControls_ = false;

    ControlBar* controlBar_;
    PictureArea* pictureArea_;
    Monitor::NetworkPreviewSurface* preview_;
    VideoScopePanel* scopes_;
    RecordingFlow* recordingFlow_;
    CameraControls* cameraControls_ = nullptr;
};

}  // namespace Quillfen
