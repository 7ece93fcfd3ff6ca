#include "Monitor/RecordingFlow.hpp"

#include <QDateTime>
#include <QMessageBox>
#include <QWidget>

#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

namespace {

std::optional<QString> qText(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return QString::fromStdString(*text);
}

}  // namespace

RecordingFlow::RecordingFlow(CaptureSessionController& controller, RecordingDestinationStore& recordingDestination,
                             QWidget* window, std::function<int()> displayedRotationDegrees)
    : QObject(window),
      controller_(controller),
      recordingDestination_(recordingDestination),
      window_(window),
      displayedRotationDegrees_(std::move(displayedRotationDegrees)) {
    connect(&recordingDestination_, &RecordingDestinationStore::errorMessageChanged, this, [this] {
        showAlert(recordingFolderAlert_, "Recording Folder", recordingDestination_.errorMessage(),
                  [this] { recordingDestination_.clearErrorMessage(); });
    });
    connect(&controller_, &CaptureSessionController::recordingErrorMessageChanged, this, [this] {
        showAlert(recordingFailedAlert_, "Recording Failed", qText(controller_.recordingErrorMessage()), [this] {
            controller_.dismissRecordingError();
            controller_.streamRecorder().resetFailure();
        });
    });
}

void RecordingFlow::record() {
    using Kind = NetworkVideoRecorder::State::Kind;
    const Kind kind = controller_.recordingState().kind();
    if (kind == Kind::waitingForKeyFrame || kind == Kind::recording) {
        controller_.stopRecording();
        return;
    }
    if (!recordingDestination_.directoryURL()) {
        QPointer<RecordingFlow> flow(this);
        recordingDestination_.chooseDirectory([flow] {
            if (flow) flow->start();
        });
        return;
    }
    start();
}

void RecordingFlow::start() {
    const auto movie = recordingDestination_.nextRecordingURL(QDateTime::currentDateTime());
    if (movie) controller_.startRecording(*movie, displayedRotationDegrees_());
}

void RecordingFlow::showAlert(QPointer<QMessageBox>& alert, const QString& title, const std::optional<QString>& message,
                              std::function<void()> onDismissal) {
    if (!message) {
        // Cleared elsewhere: the alert goes without dismissing anything.
        if (alert) {
            alert->disconnect(this);
            alert->close();
            alert->deleteLater();
        }
        return;
    }
    if (alert) {
        alert->setText(*message);
        return;
    }
    alert = new QMessageBox(QMessageBox::Warning, title, *message, QMessageBox::Ok, window_);
    alert->setTextFormat(Qt::PlainText);
    alert->setDefaultButton(QMessageBox::Ok);
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::finished, this, [onDismissal = std::move(onDismissal)] { onDismissal(); });
    alert->open();
}

}  // namespace Quillfen
