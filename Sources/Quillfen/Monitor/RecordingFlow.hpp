#pragma once
// The window's side of recording: what the Record button does, and the two alerts that
// report recording problems ("Recording Folder" and "Recording Failed").
//
// Record stops a recording that is armed or running. Otherwise it makes sure the window
// has a recording folder (asking the user for one first when it has none), takes the next
// movie name from the folder and starts the recording turned as the picture is shown.

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QWidget;

namespace Quillfen {

class CaptureSessionController;
class RecordingDestinationStore;

class RecordingFlow : public QObject {
    Q_OBJECT

public:
    // `window` holds the alerts; `displayedRotationDegrees` gives 0, 90, 180 or 270.
    RecordingFlow(CaptureSessionController& controller, RecordingDestinationStore& recordingDestination,
                  QWidget* window, std::function<int()> displayedRotationDegrees);

    void record();

    // The alert on screen, if any.
    QMessageBox* recordingFolderAlert() const { return recordingFolderAlert_; }
    QMessageBox* recordingFailedAlert() const { return recordingFailedAlert_; }

private:
    void start();
    void showAlert(QPointer<QMessageBox>& alert, const QString& title, const std::optional<QString>& message,
                   std::function<void()> onDismissal);

    CaptureSessionController& controller_;
    RecordingDestinationStore& recordingDestination_;
    QWidget* window_;
    std::function<int()> displayedRotationDegrees_;
    QPointer<QMessageBox> recordingFolderAlert_;
    QPointer<QMessageBox> recordingFailedAlert_;
};

}  // namespace Quillfen
