// The controller's part in keeping a recording's disk from filling up: it reads the disk while the
// recorder writes a movie, warns when the room runs low, and stops the recording with the normal
// finish while there is still room to finish it.
#include "Log/DiagnosticLog.hpp"
#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

void CaptureSessionController::followRecordingSpace(const NetworkVideoRecorder::State& state) {
    if (!spaceWatch_) return;
    if (state.kind() == NetworkVideoRecorder::State::Kind::recording) {
        if (watchedMovie_ == state.movie()) return;
        watchedMovie_ = state.movie();
        const MainThreadHop onMain = mainThreadHop();
        spaceWatch_->watch(state.movie(), [onMain](const RecordingSpace& space) {
            onMain([space](CaptureSessionController& self) { self.handleRecordingSpace(space); }, false);
        });
        return;
    }
    if (!watchedMovie_) return;
    watchedMovie_.reset();
    spaceWatch_->stop();
    assign(recordingSpace_, std::optional<RecordingSpace>(), &CaptureSessionController::recordingSpaceChanged);
}

void CaptureSessionController::handleRecordingSpace(const RecordingSpace& space) {
    if (recordingState_.kind() != NetworkVideoRecorder::State::Kind::recording || recordingStoppedForLowSpace_) return;
    assign(recordingSpace_, std::optional(space), &CaptureSessionController::recordingSpaceChanged);
    switch (space.level) {
        case RecordingSpace::Level::almostFull:
            recordingStoppedForLowSpace_ = true;
            UmberlinPlatform::logLine("[Umberlin recording] Stopping the recording: " +
                                      std::to_string(space.availableBytes) + " bytes left on its disk");
            assign(recordingMessage_, std::optional<std::string>(lowSpaceStopSentence),
                   &CaptureSessionController::recordingMessageChanged);
            stopRecording();
            break;
        case RecordingSpace::Level::low:
            assign(recordingMessage_, std::optional(lowSpaceWarningSentence(space)),
                   &CaptureSessionController::recordingMessageChanged);
            break;
        case RecordingSpace::Level::plenty:
            assign(recordingMessage_, std::optional<std::string>(), &CaptureSessionController::recordingMessageChanged);
            break;
    }
}

}  // namespace Quillfen
