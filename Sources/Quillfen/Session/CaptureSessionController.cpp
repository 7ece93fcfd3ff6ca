#include "Session/CaptureSessionController.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "Reception/CameraAddress.hpp"
#include "Session/CameraExposurePresets.hpp"
#include "Session/PlatformWords.hpp"
#include "UmberlinWire/WireShownText.hpp"

namespace Quillfen {

using UmberlinWire::CameraControlCommand;
using UmberlinWire::CameraControlStatus;
using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;
using UmberlinWire::shownPhoneText;

namespace {

CaptureSource::Kind sourceKind(NetworkCameraService::Transport transport) {
    switch (transport) {
        case NetworkCameraService::Transport::wired:
            return CaptureSource::Kind::wiredCamera;
        case NetworkCameraService::Transport::address:
            return CaptureSource::Kind::addressedCamera;
        case NetworkCameraService::Transport::wireless:
            break;
    }
    return CaptureSource::Kind::wirelessCamera;
}

// Raises to the minimum first, then lowers to the maximum: with bounds the wrong way round,
// the maximum wins.
double clamp(double value, double minimum, double maximum) { return std::min(std::max(value, minimum), maximum); }

}  // namespace

CaptureSessionController::CaptureSessionController(CaptureSessionControllerParts parts, QObject* parent)
    : QObject(parent),
      streamReceiver_(std::move(parts.receiver)),
      streamRenderer_(std::move(parts.renderer)),
      streamRecorder_(std::move(parts.recorder)),
      sampleBufferSinks_{streamRecorder_, streamRenderer_},
      spaceWatch_(std::move(parts.spaceWatch)),
      postToMain_(std::move(parts.postToMain)) {
    configureStreamReceiver();
    configureStreamRecorder();
}

CaptureSessionController::~CaptureSessionController() {
    streamReceiver_->disconnect();
    if (spaceWatch_) spaceWatch_->stop();
}

CaptureSessionController::MainThreadHop CaptureSessionController::mainThreadHop() {
    return MainThreadHop{postToMain_, lifetime_, this};
}

// Called from the receiver's and the recorder's queues: it touches nothing of the controller
// there, so a controller released meanwhile is never read off the main thread.
void CaptureSessionController::MainThreadHop::operator()(std::function<void(CaptureSessionController&)> work,
                                                         bool ifSelected) const {
    post([alive = alive, controller = controller, work = std::move(work), ifSelected] {
        if (alive.expired()) return;
        if (ifSelected && !controller->selectedSourceKind()) return;
        work(*controller);
    });
}

// Media goes from the receiver's queue straight to the sample buffer sinks and the recorder;
// the rest reaches the controller on the main thread. What a phone may send many times a
// second (telemetry, camera status, orientation, audio) goes through one mailbox per kind, so
// a busy main thread holds at most one update of each; every other post first closes the
// mailboxes, so nothing sent after it is applied before it.
void CaptureSessionController::configureStreamReceiver() {
    NetworkCameraReceiver& receiver = *streamReceiver_;
    const MainThreadHop onMain = mainThreadHop();
    const std::weak_ptr<NetworkVideoRecorder> recorder = streamRecorder_;
    const auto mailboxes = std::make_shared<TelemetryMailboxes>(
        [onMain](UmberlinPlatform::Work deliver) {
            onMain([deliver = std::move(deliver)](CaptureSessionController&) { deliver(); }, true);
        },
        *this);
    const auto inOrder = [onMain, mailboxes](std::function<void(CaptureSessionController&)> work, bool ifSelected) {
        mailboxes->closeAll();
        onMain(std::move(work), ifSelected);
    };

    receiver.onServicesChanged = [inOrder](const std::vector<NetworkCameraService>& services) {
        inOrder(
            [services](CaptureSessionController& self) {
                self.streamServices_ = services;
                self.rebuildSources();
                self.selectPendingAddressSource();
            },
            false);
    };
    receiver.onStateChanged = [inOrder](const NetworkCameraReceiver::State& state) {
        inOrder(
            [state](CaptureSessionController& self) {
                if (self.selectedSourceKind()) {
                    self.handleReceiverState(state);
                } else if (state.kind() == NetworkCameraReceiver::State::Kind::failed) {
                    // Without a phone, only discovery can have failed: the user learns why no
                    // phone shows up instead of waiting for one.
                    self.assign(self.message_, state.text(), &CaptureSessionController::messageChanged);
                }
            },
            false);
    };
    receiver.onStreamInfoChanged = [inOrder](const UmberlinWire::Hello& hello) {
        inOrder([hello](CaptureSessionController& self) { self.handleStreamInfo(hello); }, true);
    };
    receiver.onOrientationChanged = [mailboxes](const UmberlinWire::VideoOrientation& orientation) {
        mailboxes->orientation.send(orientation.rotationAngleDegrees);
    };
    receiver.onDeviceStatusChanged = [mailboxes](const UmberlinWire::DeviceStatus& status) {
        mailboxes->deviceStatus.send(status);
    };
    receiver.onCameraControlStatusChanged = [mailboxes](const CameraControlStatus& status) {
        mailboxes->cameraControlStatus.send(status);
    };
    receiver.onFormatChanged = [sinks = sampleBufferSinks_] { sinks.flush(); };
    receiver.onAudioFormatChanged = [recorder](const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                               const UmberlinWire::AudioConfiguration&) {
        if (auto strong = recorder.lock()) strong->updateAudioFormat(format);
    };
    receiver.onFirstFrameReceived = [inOrder] {
        inOrder(
            [](CaptureSessionController& self) {
                // Composed first: an observer of isRunning may end the selection, and the
                // sentence must name the link of this source, not a default.
                std::string live = "Live over " + self.transportWord() + " \u00B7 " +
                                   self.streamDescription_.value_or("HEVC camera stream");
                self.assign(self.isRunning_, true, &CaptureSessionController::isRunningChanged);
                if (self.selectedSourceKind())
                    self.assign(self.message_, std::move(live), &CaptureSessionController::messageChanged);
            },
            true);
    };
    receiver.onSampleBuffer = [sinks = sampleBufferSinks_](const Media::SampleBufferRef& buffer) {
        sinks.enqueue(buffer);
    };
    receiver.onAudioSampleBuffer = [mailboxes, recorder](const Media::SampleBufferRef& buffer) {
        if (auto strong = recorder.lock()) strong->appendAudio(buffer);
        mailboxes->phoneAudioAvailable.send(true);
    };
    receiver.onAudioMeterChanged = [mailboxes](const AudioMeterReading& reading) {
        mailboxes->phoneAudioReading.send(reading);
    };
}

// Each `apply` runs inside a delivery that has checked the controller is alive.
CaptureSessionController::TelemetryMailboxes::TelemetryMailboxes(const UmberlinPlatform::PostToMain& deliverIfSelected,
                                                                 CaptureSessionController& self)
    : orientation(deliverIfSelected,
                  [&self](std::int64_t angle) {
                      self.assign(self.streamRotationAngleDegrees_, normalizedRotation(angle),
                                  &CaptureSessionController::streamRotationAngleDegreesChanged);
                  }),
      deviceStatus(deliverIfSelected,
                   [&self](UmberlinWire::DeviceStatus status) {
                       self.assign(self.deviceStatus_, std::optional(std::move(status)),
                                   &CaptureSessionController::deviceStatusChanged);
                   }),
      cameraControlStatus(deliverIfSelected,
                          [&self](CameraControlStatus status) {
                              self.assign(self.cameraControlStatus_, std::optional(std::move(status)),
                                          &CaptureSessionController::cameraControlStatusChanged);
                          }),
      phoneAudioAvailable(deliverIfSelected,
                          [&self](bool available) {
                              self.assign(self.phoneAudioAvailable_, available,
                                          &CaptureSessionController::phoneAudioAvailableChanged);
                          }),
      phoneAudioReading(deliverIfSelected, [&self](AudioMeterReading reading) {
          self.assign(self.phoneAudioReading_, reading, &CaptureSessionController::phoneAudioReadingChanged);
      }) {}

void CaptureSessionController::TelemetryMailboxes::closeAll() {
    orientation.close();
    deviceStatus.close();
    cameraControlStatus.close();
    phoneAudioAvailable.close();
    phoneAudioReading.close();
}

void CaptureSessionController::configureStreamRecorder() {
    NetworkVideoRecorder& recorder = *streamRecorder_;
    const MainThreadHop onMain = mainThreadHop();
    recorder.onStateChanged = [onMain](const NetworkVideoRecorder::State& state) {
        onMain([state](CaptureSessionController& self) { self.handleRecorderState(state); }, false);
    };
    recorder.onDurationChanged = [onMain](double seconds) {
        onMain(
            [seconds](CaptureSessionController& self) {
                self.assign(self.recordingDuration_, seconds, &CaptureSessionController::recordingDurationChanged);
            },
            false);
    };
    recorder.onFinished = [onMain](const std::filesystem::path& movie) {
        onMain(
            [movie](CaptureSessionController& self) {
                self.assign(self.lastRecordingURL_, std::optional(movie),
                            &CaptureSessionController::lastRecordingURLChanged);
                const std::string saved = "Saved " + movie.filename().string();
                self.assign(
                    self.recordingMessage_,
                    std::optional(self.recordingStoppedForLowSpace_ ? std::string(lowSpaceStopSentence) + " " + saved
                                                                    : saved),
                    &CaptureSessionController::recordingMessageChanged);
            },
            false);
    };
}

void CaptureSessionController::resetStream() {
    sampleBufferSinks_.flush();
    assign(isRunning_, false, &CaptureSessionController::isRunningChanged);
    streamDescription_.reset();
    clearSourceTelemetry();
}

void CaptureSessionController::handleReceiverState(const NetworkCameraReceiver::State& state) {
    using Kind = NetworkCameraReceiver::State::Kind;
    selectedConnectionEnded_ = state.kind() == Kind::browsing || state.kind() == Kind::idle;
    switch (state.kind()) {
        case Kind::connecting:
            assign(localNetworkAccessDenied_, false, &CaptureSessionController::localNetworkAccessDeniedChanged);
            assign(isRunning_, false, &CaptureSessionController::isRunningChanged);
            clearSourceTelemetry();
            assign(message_, "Connecting to " + shownPhoneText(state.text()) + " over " + transportWord() + "\u2026",
                   &CaptureSessionController::messageChanged);
            break;
        case Kind::connected:
            assign(localNetworkAccessDenied_, false, &CaptureSessionController::localNetworkAccessDeniedChanged);
            assign(isRunning_, false, &CaptureSessionController::isRunningChanged);
            assign(message_,
                   "Connected to " + shownPhoneText(state.text()) + " over " + transportWord() +
                       "; waiting for video\u2026",
                   &CaptureSessionController::messageChanged);
            break;
        case Kind::failed:
            assign(localNetworkAccessDenied_,
                   state.text().find(platformWords().localNetworkBlockedMarker) != std::string::npos,
                   &CaptureSessionController::localNetworkAccessDeniedChanged);
            resetStream();
            assign(message_, transportWord() + " camera error: " + state.text(),
                   &CaptureSessionController::messageChanged);
            break;
        case Kind::idle:
        case Kind::browsing:
            assign(localNetworkAccessDenied_, false, &CaptureSessionController::localNetworkAccessDeniedChanged);
            resetStream();
            assign(message_, std::string("Waiting for Umberlin Capture to broadcast\u2026"),
                   &CaptureSessionController::messageChanged);
            break;
    }
}

void CaptureSessionController::handleStreamInfo(const UmberlinWire::Hello& hello) {
    assign(connectedSourceID_, std::optional(hello.sourceID), &CaptureSessionController::connectedSourceIDChanged);
    assign(connectedDeviceName_, std::optional(hello.deviceName),
           &CaptureSessionController::connectedDeviceNameChanged);
    streamDescription_ = shownPhoneText(hello.deviceName) + " \u00B7 " + std::to_string(hello.width) + "\u00D7" +
                         std::to_string(hello.height) + " \u00B7 " + std::to_string(hello.framesPerSecond) + " fps";
    assign(sourceVideoDimensions_,
           std::optional(VideoDimensions{static_cast<double>(hello.width), static_cast<double>(hello.height)}),
           &CaptureSessionController::sourceVideoDimensionsChanged);
    assign(message_, std::string("Connected; waiting for the first video frame\u2026"),
           &CaptureSessionController::messageChanged);
}

void CaptureSessionController::handleRecorderState(const NetworkVideoRecorder::State& state) {
    using Kind = NetworkVideoRecorder::State::Kind;
    assign(recordingState_, state, &CaptureSessionController::recordingStateChanged);
    followRecordingSpace(state);
    switch (state.kind()) {
        case Kind::waitingForKeyFrame:
            assign(recordingMessage_, std::optional<std::string>("Waiting for the next keyframe\u2026"),
                   &CaptureSessionController::recordingMessageChanged);
            break;
        case Kind::recording:
            assign(recordingMessage_, std::optional<std::string>(), &CaptureSessionController::recordingMessageChanged);
            break;
        case Kind::finishing:
            assign(recordingMessage_, std::optional<std::string>("Finalizing recording\u2026"),
                   &CaptureSessionController::recordingMessageChanged);
            break;
        case Kind::failed:
            assign(recordingMessage_, std::optional("Recording failed: " + state.message()),
                   &CaptureSessionController::recordingMessageChanged);
            assign(recordingErrorMessage_, std::optional(state.message()),
                   &CaptureSessionController::recordingErrorMessageChanged);
            break;
        case Kind::idle:
            break;
    }
}

void CaptureSessionController::clearSourceTelemetry() {
    assign(sourceVideoDimensions_, std::optional<VideoDimensions>(),
           &CaptureSessionController::sourceVideoDimensionsChanged);
    assign(connectedSourceID_, std::optional<std::string>(), &CaptureSessionController::connectedSourceIDChanged);
    assign(connectedDeviceName_, std::optional<std::string>(), &CaptureSessionController::connectedDeviceNameChanged);
    assign(deviceStatus_, std::optional<UmberlinWire::DeviceStatus>(), &CaptureSessionController::deviceStatusChanged);
    assign(cameraControlStatus_, std::optional<CameraControlStatus>(),
           &CaptureSessionController::cameraControlStatusChanged);
    assign(phoneAudioAvailable_, false, &CaptureSessionController::phoneAudioAvailableChanged);
    assign(phoneAudioReading_, AudioMeterReading{}, &CaptureSessionController::phoneAudioReadingChanged);
    streamRecorder_->updateAudioFormat(nullptr);
    levelReferenceAttitude_.reset();
    assign(hasLevelReference_, false, &CaptureSessionController::hasLevelReferenceChanged);
}

// --- Sources and selection --------------------------------------------------------------

void CaptureSessionController::rebuildSources() {
    std::vector<CaptureSource> rebuilt;
    rebuilt.reserve(streamServices_.size());
    for (const NetworkCameraService& service : streamServices_)
        rebuilt.push_back(CaptureSource{service.id, service.claimID, service.name, sourceKind(service.transport)});
    assign(sources_, std::move(rebuilt), &CaptureSessionController::sourcesChanged);

    // An automatic selection follows the first entry (the wired one when there is one); a
    // user's choice stays as long as its source exists.
    if (selectedSourceID_ && std::any_of(sources_.begin(), sources_.end(), [&](const CaptureSource& source) {
            return source.id == *selectedSourceID_;
        })) {
        // Only to a source this window may take: following is no reason to refuse. A phone
        // that closed its connection and is listed again has come back, perhaps at a new
        // address; one that failed waits for a refresh, so a refusing phone is not retried.
        if (!selectionWasUserInitiated_ && sources_.front().id != *selectedSourceID_ &&
            isSourceAvailable(sources_.front().id))
            selectSource(sources_.front().id, false);
        else if (selectedConnectionEnded_)
            reconnectSelectedSource();
        return;
    }

    assign(selectedSourceID_, std::optional<std::string>(), &CaptureSessionController::selectedSourceIDChanged);
    selectionWasUserInitiated_ = false;
    resetStream();

    for (const CaptureSource& source : sources_) {
        if (isSourceAvailable(source.id)) {
            selectSource(source.id, false);
            return;
        }
    }
    streamReceiver_->disconnect();
    assign(
        message_,
        std::string(sources_.empty()
                        ? "Start 4K Broadcast in Umberlin Capture, then connect the phone over Wi-Fi or supported USB."
                        : "Every discovered phone is already in use by another Rezuvidodo window."),
        &CaptureSessionController::messageChanged);
}

bool CaptureSessionController::isSourceAvailable(const std::string& id) const {
    if (selectedSourceID_ == id) return true;
    const auto source =
        std::find_if(sources_.begin(), sources_.end(), [&](const CaptureSource& s) { return s.id == id; });
    if (source == sources_.end() || !sourceAvailabilityCheck) return true;
    return sourceAvailabilityCheck(source->claimID);
}

std::optional<std::string> CaptureSessionController::sourceClaimID(const std::string& id) const {
    const auto source =
        std::find_if(sources_.begin(), sources_.end(), [&](const CaptureSource& s) { return s.id == id; });
    if (source == sources_.end()) return std::nullopt;
    return source->claimID;
}

const NetworkCameraService* CaptureSessionController::findService(const std::string& id) const {
    const auto service = std::find_if(streamServices_.begin(), streamServices_.end(),
                                      [&](const NetworkCameraService& s) { return s.id == id; });
    return service == streamServices_.end() ? nullptr : &*service;
}

void CaptureSessionController::selectSource(const std::string& id, bool userInitiated) {
    if (selectedSourceID_ == id) return;
    const NetworkCameraService* service = findService(id);
    if (!service) return;
    if (!isSourceAvailable(id)) {
        assign(message_, std::string("That phone is already in use by another Rezuvidodo window."),
               &CaptureSessionController::messageChanged);
        return;
    }
    const NetworkCameraService chosen = *service;
    selectionWasUserInitiated_ = userInitiated;
    assign(selectedSourceID_, std::optional(id), &CaptureSessionController::selectedSourceIDChanged);
    assign(streamRotationAngleDegrees_, 0, &CaptureSessionController::streamRotationAngleDegreesChanged);
    resetStream();
    assign(message_,
           "Connecting to " + shownPhoneText(chosen.name) + " over " +
               std::string(Quillfen::transportWord(chosen.transport)) + "\u2026",
           &CaptureSessionController::messageChanged);
    connectReceiver(chosen);
}

void CaptureSessionController::connectReceiver(const NetworkCameraService& service) {
    selectedConnectionEnded_ = false;
    streamReceiver_->connect(service);
}

void CaptureSessionController::refreshSources() {
    streamReceiver_->refreshBrowsing();
    reconnectSelectedSource();
}

void CaptureSessionController::reconnectSelectedSource() {
    if (!selectedSourceID_) return;
    const NetworkCameraService* service = findService(*selectedSourceID_);
    if (!service) return;
    const NetworkCameraService chosen = *service;
    assign(isRunning_, false, &CaptureSessionController::isRunningChanged);
    assign(message_,
           "Reconnecting to " + shownPhoneText(chosen.name) + " over " +
               std::string(Quillfen::transportWord(chosen.transport)) + "\u2026",
           &CaptureSessionController::messageChanged);
    connectReceiver(chosen);
}

void CaptureSessionController::addAddressSource(const UmberlinPlatform::HostPortEndpoint& address) {
    streamReceiver_->addAddressService(address);
}

void CaptureSessionController::connectToAddress(const UmberlinPlatform::HostPortEndpoint& address) {
    const std::string id = addressCameraService(address).id;
    if (const NetworkCameraService* service = findService(id); service && selectedSourceID_ == id) {
        // Asked again for the phone already chosen: one that is live stays as it is, any other
        // is tried once more.
        selectionWasUserInitiated_ = true;
        if (isRunning_) return;
        const NetworkCameraService chosen = *service;
        connectReceiver(chosen);
        return;
    }
    pendingAddressSourceID_ = id;
    if (findService(id)) return selectPendingAddressSource();
    streamReceiver_->addAddressService(address);
}

void CaptureSessionController::selectPendingAddressSource() {
    if (!pendingAddressSourceID_ || !findService(*pendingAddressSourceID_)) return;
    const std::string id = *std::exchange(pendingAddressSourceID_, std::nullopt);
    if (selectedSourceID_ == id)
        selectionWasUserInitiated_ = true;  // the automatic choice already took it
    else
        selectSource(id, true);
}

void CaptureSessionController::applicationDidBecomeActive() {
    if (localNetworkAccessDenied_ || sources_.empty()) refreshSources();
}

void CaptureSessionController::endSelection() {
    assign(selectedSourceID_, std::optional<std::string>(), &CaptureSessionController::selectedSourceIDChanged);
    selectionWasUserInitiated_ = false;
    streamReceiver_->disconnect();
    resetStream();
}

// --- Derived state ----------------------------------------------------------------------

std::optional<CaptureSource::Kind> CaptureSessionController::selectedSourceKind() const {
    if (!selectedSourceID_) return std::nullopt;
    for (const CaptureSource& source : sources_)
        if (source.id == *selectedSourceID_) return source.kind;
    return std::nullopt;
}

std::string CaptureSessionController::transportWord() const {
    const CaptureSource::Kind kind = selectedSourceKind().value_or(CaptureSource::Kind::wirelessCamera);
    return std::string(CaptureSource{.id = {}, .claimID = {}, .name = {}, .kind = kind}.linkWord());
}

std::string CaptureSessionController::statusModeLabel() const {
    using Kind = NetworkVideoRecorder::State::Kind;
    if (recordingState_.kind() == Kind::waitingForKeyFrame || recordingState_.kind() == Kind::recording)
        return std::string(platformWords().recordingModeLabel);
    if (!selectedSourceKind()) return "Waiting for Umberlin Capture";
    return "Direct camera over " + transportWord() +
           (phoneAudioAvailable_ ? " \u00B7 phone audio ready" : " \u00B7 waiting for phone audio");
}

bool CaptureSessionController::canStartRecording() const {
    using Kind = NetworkVideoRecorder::State::Kind;
    return selectedSourceKind() && isRunning_ && phoneAudioAvailable_ &&
           (recordingState_.kind() == Kind::idle || recordingState_.kind() == Kind::failed);
}

std::string CaptureSessionController::phoneAudioInputName() const {
    if (deviceStatus_ && deviceStatus_->audioInputName) return shownPhoneText(*deviceStatus_->audioInputName);
    return "Phone microphone";
}

AudioMeterStatus CaptureSessionController::phoneAudioMeterStatus() const {
    const auto captureState = deviceStatus_ ? deviceStatus_->audioCaptureState : std::nullopt;
    if (captureState == UmberlinWire::AudioCaptureState::denied) return AudioMeterStatus::denied();
    if (captureState == UmberlinWire::AudioCaptureState::unavailable) return AudioMeterStatus::unavailable();
    return phoneAudioAvailable_ ? AudioMeterStatus::running() : AudioMeterStatus::waitingForPhone();
}

std::optional<std::string> CaptureSessionController::recordingStatusLabel() const {
    using Kind = NetworkVideoRecorder::State::Kind;
    switch (recordingState_.kind()) {
        case Kind::waitingForKeyFrame:
            return "ARMED";
        case Kind::recording: {
            const double whole =
                std::isfinite(recordingDuration_) ? std::max(0.0, std::trunc(recordingDuration_)) : 0.0;
            const auto seconds = static_cast<long long>(std::min(whole, 1e15));
            char label[48];
            std::snprintf(label, sizeof label, "REC %02lld:%02lld", seconds / 60, seconds % 60);
            if (!recordingSpace_) return std::string(label);
            return std::string(label) + " \u00B7 " + recordingSpaceText(*recordingSpace_);
        }
        case Kind::finishing:
            return "SAVING\u2026";
        case Kind::failed:
            return "RECORDING ERROR";
        case Kind::idle:
            return std::nullopt;
    }
    return std::nullopt;
}

// --- Recording and level ----------------------------------------------------------------

void CaptureSessionController::startRecording(const std::filesystem::path& to, int rotationAngleDegrees) {
    if (!canStartRecording()) return;
    assign(recordingDuration_, 0.0, &CaptureSessionController::recordingDurationChanged);
    recordingStoppedForLowSpace_ = false;
    assign(recordingMessage_, std::optional<std::string>(), &CaptureSessionController::recordingMessageChanged);
    assign(lastRecordingURL_, std::optional<std::filesystem::path>(),
           &CaptureSessionController::lastRecordingURLChanged);
    streamRecorder_->prepare(to, rotationAngleDegrees);
}

void CaptureSessionController::stopRecording() { streamRecorder_->stop(); }

void CaptureSessionController::setLevelReference() {
    if (!deviceStatus_ || !deviceStatus_->attitude) return;
    levelReferenceAttitude_ = deviceStatus_->attitude;
    assign(hasLevelReference_, true, &CaptureSessionController::hasLevelReferenceChanged);
}

void CaptureSessionController::showRecoveredRecordings(const RecoverySummary& summary) {
    using Kind = NetworkVideoRecorder::State::Kind;
    if (recordingState_.kind() != Kind::idle && recordingState_.kind() != Kind::failed) return;
    if (summary.lastRecovered)
        assign(lastRecordingURL_, summary.lastRecovered, &CaptureSessionController::lastRecordingURLChanged);
    assign(recordingMessage_, std::optional(summary.sentence), &CaptureSessionController::recordingMessageChanged);
}

void CaptureSessionController::dismissRecordingError() {
    assign(recordingErrorMessage_, std::optional<std::string>(),
           &CaptureSessionController::recordingErrorMessageChanged);
}

// --- Camera control ---------------------------------------------------------------------

void CaptureSessionController::sendCameraCommand(const CameraControlStatus& changed,
                                                 const CameraControlCommand& command) {
    assign(cameraControlStatus_, std::optional(changed), &CaptureSessionController::cameraControlStatusChanged);
    streamReceiver_->sendCameraControlCommand(command);
}

void CaptureSessionController::sendExposure(CameraControlStatus changed) {
    const auto& state = changed.state;
    sendCameraCommand(changed, CameraControlCommand{
                                   .requestStatus = false,
                                   .exposureMode = state.exposureMode,
                                   .exposureBiasEV = state.exposureBiasEV,
                                   .iso = state.iso,
                                   .exposureDurationSeconds = state.exposureDurationSeconds,
                               });
}

void CaptureSessionController::setCameraFocusMode(CameraFocusMode mode) {
    if (!cameraControlStatus_) return;
    const auto& capabilities = cameraControlStatus_->capabilities;
    if (!(mode == CameraFocusMode::automatic ? capabilities.supportsAutoFocus : capabilities.supportsFocusLock)) return;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.focusMode = mode;
    changed.state.isAdjustingFocus = false;
    changed.state.isManualFocus = false;
    sendCameraCommand(changed, CameraControlCommand{.requestStatus = false, .focusMode = mode});
}

void CaptureSessionController::setCameraFocusLensPosition(double position) {
    if (!cameraControlStatus_ || !cameraControlStatus_->capabilities.supportsManualFocus) return;
    const double lensPosition = clamp(position, 0, 1);
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.focusMode = CameraFocusMode::locked;
    changed.state.lensPosition = lensPosition;
    changed.state.isAdjustingFocus = false;
    changed.state.isManualFocus = true;
    sendCameraCommand(changed,
                      CameraControlCommand{
                          .requestStatus = false, .focusMode = CameraFocusMode::locked, .lensPosition = lensPosition});
}

void CaptureSessionController::refocusCamera(double x, double y) {
    if (!cameraControlStatus_) return;
    const auto& state = cameraControlStatus_->state;
    if (!cameraControlStatus_->capabilities.supportsFocusPoint || !state.focusMode || state.isManualFocus == true)
        return;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.isAdjustingFocus = true;
    changed.state.isManualFocus = false;
    sendCameraCommand(changed, CameraControlCommand{.requestStatus = false,
                                                    .focusMode = state.focusMode,
                                                    .focusPointX = clamp(x, 0, 1),
                                                    .focusPointY = clamp(y, 0, 1)});
}

void CaptureSessionController::setCameraExposureMode(CameraExposureMode mode) {
    if (!cameraControlStatus_) return;
    const auto& capabilities = cameraControlStatus_->capabilities;
    if (mode == CameraExposureMode::locked && !capabilities.supportsExposureLock) return;
    if (mode == CameraExposureMode::manual && !capabilities.supportsManualExposure) return;
    CameraControlStatus changed = *cameraControlStatus_;
    auto& state = changed.state;
    state.exposureMode = mode;
    if (mode == CameraExposureMode::manual) {
        // Manual exposure starts from the standard values nearest to what the camera uses now.
        if (capabilities.minimumISO && capabilities.maximumISO) {
            const auto values = ExposurePresets::supportedISOValues(*capabilities.minimumISO, *capabilities.maximumISO);
            if (!values.empty()) state.iso = values[ExposurePresets::nearestIndex(state.iso, values)];
        }
        if (capabilities.minimumExposureDurationSeconds && capabilities.maximumExposureDurationSeconds) {
            const auto values = ExposurePresets::supportedShutterDurations(
                *capabilities.minimumExposureDurationSeconds, *capabilities.maximumExposureDurationSeconds);
            if (!values.empty())
                state.exposureDurationSeconds =
                    values[ExposurePresets::nearestIndex(state.exposureDurationSeconds, values)];
        }
    }
    state.isAdjustingExposure = mode == CameraExposureMode::automatic;
    sendExposure(changed);
}

void CaptureSessionController::setCameraExposureBias(double bias) {
    if (!cameraControlStatus_ || !cameraControlStatus_->capabilities.supportsExposureCompensation) return;
    const auto& capabilities = cameraControlStatus_->capabilities;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.exposureBiasEV = clamp(bias, capabilities.minimumExposureBiasEV, capabilities.maximumExposureBiasEV);
    changed.state.isAdjustingExposure = changed.state.exposureMode == CameraExposureMode::automatic;
    sendExposure(changed);
}

void CaptureSessionController::setCameraISO(double iso) {
    if (!cameraControlStatus_) return;
    const auto& capabilities = cameraControlStatus_->capabilities;
    if (cameraControlStatus_->state.exposureMode != CameraExposureMode::manual || !capabilities.minimumISO ||
        !capabilities.maximumISO)
        return;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.exposureMode = CameraExposureMode::manual;
    changed.state.iso = clamp(iso, *capabilities.minimumISO, *capabilities.maximumISO);
    changed.state.isAdjustingExposure = false;
    sendExposure(changed);
}

void CaptureSessionController::setCameraExposureDuration(double seconds) {
    if (!cameraControlStatus_) return;
    const auto& capabilities = cameraControlStatus_->capabilities;
    if (cameraControlStatus_->state.exposureMode != CameraExposureMode::manual ||
        !capabilities.minimumExposureDurationSeconds || !capabilities.maximumExposureDurationSeconds)
        return;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.exposureMode = CameraExposureMode::manual;
    changed.state.exposureDurationSeconds =
        clamp(seconds, *capabilities.minimumExposureDurationSeconds, *capabilities.maximumExposureDurationSeconds);
    changed.state.isAdjustingExposure = false;
    sendExposure(changed);
}

void CaptureSessionController::resetCameraExposureToAuto() {
    if (!cameraControlStatus_) return;
    CameraControlStatus changed = *cameraControlStatus_;
    changed.state.exposureMode = CameraExposureMode::automatic;
    changed.state.exposureBiasEV = 0;
    changed.state.isAdjustingExposure = true;
    sendExposure(changed);
}

}  // namespace Quillfen
