#pragma once
// One headless recording, driven by the same session controller, registry and recording
// folder as a monitor window: it finds the phone, waits until picture and sound are live,
// records, stops after the requested time or on a stop signal, and waits for the movie to
// be finalised. Every status sentence the window would show is printed as it changes. A movie
// that ends without being asked to (the phone changed its format) is continued in a new one.

#include <QObject>
#include <QSettings>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <vector>

#include "RecordOptions.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/CaptureSessionRegistry.hpp"

namespace UmberlinRecord {

class RecordSession : public QObject {
    Q_OBJECT

public:
    RecordSession(RecordOptions options, std::shared_ptr<Quillfen::CaptureSessionController> controller,
                  Quillfen::CaptureSessionRegistry& registry, QSettings& defaults, QObject* parent = nullptr);

    void start();
    // A stop signal: a recording is finished and kept; before one has started, the run ends.
    void requestStop();

signals:
    // The run is over; the process should exit with `status`.
    void finished(int status);

private:
    void startListing();
    // Recovery at start in every folder this run knows; false when a movie could not be recovered.
    bool recoverInterruptedMovies();
    void startRecordingRun();
    void useFolderForThisRun();
    void restrictToNamedSource();
    void printMessage();
    void printRecordingMessage();
    bool namedSourceListed() const;
    void startRecordingWhenPossible();
    void followRecordingState();
    void followSavedMovie();
    void endMovieWithoutFile();
    void continueTake();
    void giveUpWaiting();
    void fail(const std::string& sentence);
    // Stops every session and reports `status` once the recorders are at rest.
    void finish(int status);

    enum class Phase { waitingForPhone, recording, stopping, done };

    RecordOptions options_;
    std::shared_ptr<Quillfen::CaptureSessionController> controller_;
    Quillfen::CaptureSessionRegistry& registry_;
    QSettings& defaults_;
    std::unique_ptr<QSettings> runSettings_;  // a private store when --folder is given
    std::unique_ptr<Quillfen::RecordingDestinationStore> destination_;
    QTimer waitTimer_;
    QTimer recordTimer_;
    Phase phase_ = Phase::waitingForPhone;
    bool connectionLost_ = false;
    bool takeStarted_ = false;   // the first movie has its file; --seconds counts from there
    bool movieStarted_ = false;  // the current movie has its file
    std::vector<std::filesystem::path> savedMovies_;
};

}  // namespace UmberlinRecord
