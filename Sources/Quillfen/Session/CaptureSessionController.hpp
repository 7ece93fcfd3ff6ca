#pragma once
// One monitor window's session: which phone it shows, every status sentence it displays,
// and the single entry point for its recording and camera-control actions. It owns the
// window's receiver, preview renderer and recorder for as long as it lives.
//
// All of its state lives on the main thread. Media buffers never come here: the receiver's
// callbacks hand video frames, on the receiver's queue, straight to the controller's sample
// buffer sinks (the recorder and the renderer) and phone audio to the recorder; everything
// else is posted to the main thread.
//
// Errors in the application: the protocol library throws typed errors and the platform ports
// return results; the receiver and the recorder catch or read both, together with their own
// NetworkCameraError and RecordingError, at the edge of the work item on their queue and turn
// them into their State (failed, with the sentence to show). This controller turns those
// states into its published sentences. Nothing thrown leaves a queue's work item.

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dispatch/SerialQueue.hpp"
#include "Reception/AudioMeter.hpp"
#include "Reception/NetworkCameraReceiver.hpp"
#include "Reception/NetworkVideoRenderer.hpp"
#include "Reception/SampleBufferSink.hpp"
#include "Recording/InterruptedRecordingRecovery.hpp"
#include "Recording/NetworkVideoRecorder.hpp"
#include "Recording/RecordingSpaceWatch.hpp"
#include "Session/LatestValueMailbox.hpp"
#include "Session/MonitorModels.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

// The width and height the phone announces for its stream.
struct VideoDimensions {
    double width;
    double height;

    friend bool operator==(const VideoDimensions&, const VideoDimensions&) = default;
};

struct CaptureSessionControllerParts {
    std::shared_ptr<NetworkCameraReceiver> receiver;
    std::shared_ptr<NetworkVideoRenderer> renderer;
    std::shared_ptr<NetworkVideoRecorder> recorder;
    // Reads the recording's disk while recording; none: no readings and no low-space stop.
    std::shared_ptr<RecordingSpaceWatch> spaceWatch;
    // Runs work later on the main thread, in order.
    UmberlinPlatform::PostToMain postToMain;
};

class CaptureSessionController : public QObject {
    Q_OBJECT

public:
    static constexpr const char* initialMessage = "Start Umberlin Capture, then connect by USB or Wi-Fi.";
    static constexpr const char* lowSpaceStopSentence = "Recording stopped: the disk is almost full.";

    explicit CaptureSessionController(CaptureSessionControllerParts parts, QObject* parent = nullptr);
    ~CaptureSessionController() override;

    // Published state; each has a change signal of the same name + "Changed".
    const std::vector<CaptureSource>& sources() const { return sources_; }
    const std::optional<std::string>& selectedSourceID() const { return selectedSourceID_; }
    bool isRunning() const { return isRunning_; }
    const std::string& message() const { return message_; }
    bool localNetworkAccessDenied() const { return localNetworkAccessDenied_; }
    int streamRotationAngleDegrees() const { return streamRotationAngleDegrees_; }
    const std::optional<VideoDimensions>& sourceVideoDimensions() const { return sourceVideoDimensions_; }
    const std::optional<std::string>& connectedSourceID() const { return connectedSourceID_; }
    const std::optional<std::string>& connectedDeviceName() const { return connectedDeviceName_; }
    const std::optional<UmberlinWire::DeviceStatus>& deviceStatus() const { return deviceStatus_; }
    const std::optional<UmberlinWire::CameraControlStatus>& cameraControlStatus() const { return cameraControlStatus_; }
    bool phoneAudioAvailable() const { return phoneAudioAvailable_; }
    const AudioMeterReading& phoneAudioReading() const { return phoneAudioReading_; }
    bool hasLevelReference() const { return hasLevelReference_; }
    const NetworkVideoRecorder::State& recordingState() const { return recordingState_; }
    double recordingDuration() const { return recordingDuration_; }
    const std::optional<std::filesystem::path>& lastRecordingURL() const { return lastRecordingURL_; }
    const std::optional<std::string>& recordingMessage() const { return recordingMessage_; }
    const std::optional<std::string>& recordingErrorMessage() const { return recordingErrorMessage_; }
    // The recording's size and its disk's free space, while recording and once read.
    const std::optional<RecordingSpace>& recordingSpace() const { return recordingSpace_; }
    // The last recording was stopped because its disk was almost full.
    bool recordingStoppedForLowSpace() const { return recordingStoppedForLowSpace_; }

    // Derived state.
    std::optional<CaptureSource::Kind> selectedSourceKind() const;
    std::string statusModeLabel() const;
    bool canStartRecording() const;
    std::string phoneAudioInputName() const;
    AudioMeterStatus phoneAudioMeterStatus() const;
    std::optional<std::string> recordingStatusLabel() const;
    const std::optional<UmberlinWire::DeviceAttitude>& levelReferenceAttitude() const {
        return levelReferenceAttitude_;
    }

    // The window's actions.
    void selectSource(const std::string& id, bool userInitiated);
    void refreshSources();
    void applicationDidBecomeActive();
    // Lists the phone at `address` beside the discovered ones, for the automatic choice.
    void addAddressSource(const UmberlinPlatform::HostPortEndpoint& address);
    // Lists the phone at `address` and selects it as the user's choice (unless another
    // window has it); asked again for the selected one while it is not live, connects to it
    // once more.
    void connectToAddress(const UmberlinPlatform::HostPortEndpoint& address);
    bool isSourceAvailable(const std::string& id) const;
    std::optional<std::string> sourceClaimID(const std::string& id) const;
    void startRecording(const std::filesystem::path& to, int rotationAngleDegrees);
    // Stops the recording (or disarms it); the movie is finalised on the recorder's queue.
    void stopRecording();
    // Takes the phone's current attitude as level; nothing without one.
    void setLevelReference();
    void dismissRecordingError();
    // What recovery at start found: its sentence on the recording line and the recovered movie
    // behind the reveal button. Ignored while a recording is under way (its line comes first).
    void showRecoveredRecordings(const RecoverySummary& summary);

    // Camera control: each does nothing without a camera status or the capability it needs,
    // shows the change at once and sends one command to the phone.
    void setCameraExposureMode(UmberlinWire::CameraExposureMode mode);
    void setCameraExposureBias(double bias);
    void setCameraISO(double iso);
    void setCameraExposureDuration(double seconds);
    void resetCameraExposureToAuto();
    void setCameraFocusMode(UmberlinWire::CameraFocusMode mode);
    void setCameraFocusLensPosition(double position);
    void refocusCamera(double x, double y);

    // Used by the session registry.
    std::function<bool(const std::string& claimID)> sourceAvailabilityCheck;
    void rebuildSources();
    void clearSourceTelemetry();
    void endSelection();  // drops the selection and the connection, as when the window closes
    NetworkCameraReceiver& streamReceiver() { return *streamReceiver_; }
    NetworkVideoRecorder& streamRecorder() { return *streamRecorder_; }
    NetworkVideoRenderer& streamRenderer() { return *streamRenderer_; }

signals:
    void sourcesChanged();
    void selectedSourceIDChanged();
    void isRunningChanged();
    void messageChanged();
    void localNetworkAccessDeniedChanged();
    void streamRotationAngleDegreesChanged();
    void sourceVideoDimensionsChanged();
    void connectedSourceIDChanged();
    void connectedDeviceNameChanged();
    void deviceStatusChanged();
    void cameraControlStatusChanged();
    void phoneAudioAvailableChanged();
    void phoneAudioReadingChanged();
    void hasLevelReferenceChanged();
    void recordingStateChanged();
    void recordingDurationChanged();
    void lastRecordingURLChanged();
    void recordingMessageChanged();
    void recordingErrorMessageChanged();
    void recordingSpaceChanged();

private:
    struct Lifetime {};

    // Runs work on the main thread unless the controller is gone by then; `ifSelected` also
    // skips it while nothing valid is selected.
    struct MainThreadHop {
        UmberlinPlatform::PostToMain post;
        std::weak_ptr<Lifetime> alive;
        CaptureSessionController* controller;
        void operator()(std::function<void(CaptureSessionController&)> work, bool ifSelected) const;
    };

    // The receiver's frequent updates, one mailbox per kind (used on the receiver's queue).
    // `deliverIfSelected` posts a delivery that runs only while the controller lives and a
    // source is selected.
    struct TelemetryMailboxes {
        TelemetryMailboxes(const UmberlinPlatform::PostToMain& deliverIfSelected, CaptureSessionController& self);
        void closeAll();

        LatestValueMailbox<std::int64_t> orientation;
        LatestValueMailbox<UmberlinWire::DeviceStatus> deviceStatus;
        LatestValueMailbox<UmberlinWire::CameraControlStatus> cameraControlStatus;
        LatestValueMailbox<bool> phoneAudioAvailable;
        LatestValueMailbox<AudioMeterReading> phoneAudioReading;
    };

    MainThreadHop mainThreadHop();
    void configureStreamReceiver();
    void configureStreamRecorder();

    // Forgets the current stream: the sinks flush (the recorder ends its movie, the preview
    // drops its frames), nothing is running, and the phone's description and telemetry are gone.
    void resetStream();
    void handleReceiverState(const NetworkCameraReceiver::State& state);
    void handleStreamInfo(const UmberlinWire::Hello& hello);
    void handleRecorderState(const NetworkVideoRecorder::State& state);
    // Starts or stops the space readings as the recorder's state changes.
    void followRecordingSpace(const NetworkVideoRecorder::State& state);
    void handleRecordingSpace(const RecordingSpace& space);
    const NetworkCameraService* findService(const std::string& id) const;
    void connectReceiver(const NetworkCameraService& service);
    // Connects again to the selected phone as it is listed now (its address may be new).
    void reconnectSelectedSource();
    void selectPendingAddressSource();
    std::string transportWord() const;

    // Shows `changed` at once and sends `command` (the callers check that a status exists).
    void sendCameraCommand(const UmberlinWire::CameraControlStatus& changed,
                           const UmberlinWire::CameraControlCommand& command);
    // Shows `changed` and sends an exposure command carrying all four of its exposure fields.
    void sendExposure(UmberlinWire::CameraControlStatus changed);

    // Sets a published field and announces the change, if it is one.
    template <typename T> void assign(T& field, T value, void (CaptureSessionController::*changed)()) {
        if (field == value) return;
        field = std::move(value);
        (this->*changed)();
    }

    std::shared_ptr<NetworkCameraReceiver> streamReceiver_;
    std::shared_ptr<NetworkVideoRenderer> streamRenderer_;
    std::shared_ptr<NetworkVideoRecorder> streamRecorder_;
    // Where the receiver's video goes, each sink getting every frame: the recorder, then the
    // preview. Another consumer of the frames is one more entry here.
    const SampleBufferSinks sampleBufferSinks_;
    std::shared_ptr<RecordingSpaceWatch> spaceWatch_;
    UmberlinPlatform::PostToMain postToMain_;
    std::shared_ptr<Lifetime> lifetime_ = std::make_shared<Lifetime>();

    std::vector<CaptureSource> sources_;
    std::optional<std::string> selectedSourceID_;
    bool isRunning_ = false;
    std::string message_ = initialMessage;
    bool localNetworkAccessDenied_ = false;
    int streamRotationAngleDegrees_ = 0;
    std::optional<VideoDimensions> sourceVideoDimensions_;
    std::optional<std::string> connectedSourceID_;
    std::optional<std::string> connectedDeviceName_;
    std::optional<UmberlinWire::DeviceStatus> deviceStatus_;
    std::optional<UmberlinWire::CameraControlStatus> cameraControlStatus_;
    bool phoneAudioAvailable_ = false;
    AudioMeterReading phoneAudioReading_;
    bool hasLevelReference_ = false;
    NetworkVideoRecorder::State recordingState_ = NetworkVideoRecorder::State::idle();
    double recordingDuration_ = 0;
    std::optional<std::filesystem::path> lastRecordingURL_;
    std::optional<std::string> recordingMessage_;
    std::optional<std::string> recordingErrorMessage_;
    std::optional<RecordingSpace> recordingSpace_;
    bool recordingStoppedForLowSpace_ = false;
    std::optional<std::filesystem::path> watchedMovie_;

    std::vector<NetworkCameraService> streamServices_;
    bool selectionWasUserInitiated_ = false;
    // The selected phone's connection ended without a failure (the phone closed it): the next
    // change of the phone list that still holds it (the phone advertising itself again, maybe
    // at a new address) connects to it again.
    bool selectedConnectionEnded_ = false;
    // A phone the user asked for by address, selected as soon as the receiver lists it.
    std::optional<std::string> pendingAddressSourceID_;
    std::optional<std::string> streamDescription_;
    std::optional<UmberlinWire::DeviceAttitude> levelReferenceAttitude_;
};

}  // namespace Quillfen
