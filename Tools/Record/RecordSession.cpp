#include "RecordSession.hpp"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <iostream>

#include "Log/DiagnosticLog.hpp"
#include "Reception/CameraAddress.hpp"
#include "Recording/InterruptedRecordingRecovery.hpp"

namespace UmberlinRecord {
namespace {

using Quillfen::CaptureSessionController;
using RecorderKind = Quillfen::NetworkVideoRecorder::State::Kind;

// The folder named on the command line, handed to the store as if the user had picked it.
class CommandLineFolder final : public Quillfen::RecordingFolderPicker {
public:
    explicit CommandLineFolder(std::optional<std::filesystem::path> folder) : folder_(std::move(folder)) {}
    void pickFolder(const Quillfen::RecordingFolderPickerRequest&, Completion completion) override {
        completion(folder_);
    }

private:
    std::optional<std::filesystem::path> folder_;
};

void printLine(std::ostream& out, const std::string& line) { out << line << std::endl; }

constexpr const char* noFolderSentence = "Choose a recording folder before starting a recording.";
constexpr const char* allPhonesTakenSentence = "Every discovered phone is already in use by another Rezuvidodo window.";

}  // namespace

RecordSession::RecordSession(RecordOptions options, std::shared_ptr<CaptureSessionController> controller,
                             Quillfen::CaptureSessionRegistry& registry, QSettings& defaults, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      controller_(std::move(controller)),
      registry_(registry),
      defaults_(defaults) {
    QSettings* settings = &defaults;
    if (options_.folder) {
        // The folder is for this run only: keep it out of the preferences the monitor shares.
        static QTemporaryDir privateSettingsFolder;
        runSettings_ =
            std::make_unique<QSettings>(privateSettingsFolder.filePath("umberlin-record.ini"), QSettings::IniFormat);
        runSettings_->clear();
        settings = runSettings_.get();
    }
    destination_ = std::make_unique<Quillfen::RecordingDestinationStore>(
        *settings, std::make_shared<CommandLineFolder>(options_.folder));
    waitTimer_.setSingleShot(true);
    recordTimer_.setSingleShot(true);
}

void RecordSession::start() {
    if (options_.list) return startListing();
    const bool allRecovered = recoverInterruptedMovies();
    if (options_.recoverOnly) return finish(allRecovered ? 0 : 1);
    startRecordingRun();
}

bool RecordSession::recoverInterruptedMovies() {
    std::vector<std::filesystem::path> folders = Quillfen::RecordingDestinationStore::knownRecordingFolders(defaults_);
    if (options_.folder) folders.insert(folders.begin(), *options_.folder);
    const auto found = Quillfen::recoverInterruptedRecordings(folders, UmberlinPlatform::recoverInterruptedMovie);
    bool allRecovered = true;
    for (const Quillfen::InterruptedRecording& recording : found) {
        printLine(recording.recovered ? std::cout : std::cerr, recording.sentence);
        allRecovered = allRecovered && recording.recovered;
    }
    if (options_.recoverOnly && found.empty()) printLine(std::cout, "No interrupted recordings were found.");
    return allRecovered;
}

void RecordSession::startListing() {
    registry_.registerController(controller_, true);
    connect(&waitTimer_, &QTimer::timeout, this, [this] {
        for (const Quillfen::CaptureSource& source : controller_->sources()) {
            printLine(std::cout, source.displayName() + " (" + std::string(source.linkWord()) + ")");
        }
        if (controller_->sources().empty()) printLine(std::cerr, "No phone was found.");
        finish(0);
    });
    waitTimer_.start(std::chrono::milliseconds(static_cast<long long>(options_.waitSeconds * 1000)));
}

void RecordSession::startRecordingRun() {
    if (options_.folder) {
        useFolderForThisRun();
        if (phase_ == Phase::done) return;
    }
    auto& controller = *controller_;
    connect(&controller, &CaptureSessionController::messageChanged, this, &RecordSession::printMessage);
    connect(&controller, &CaptureSessionController::recordingMessageChanged, this,
            &RecordSession::printRecordingMessage);
    for (auto signal :
         {&CaptureSessionController::isRunningChanged, &CaptureSessionController::phoneAudioAvailableChanged,
          &CaptureSessionController::recordingStateChanged, &CaptureSessionController::selectedSourceIDChanged})
        connect(&controller, signal, this, &RecordSession::startRecordingWhenPossible);
    connect(&controller, &CaptureSessionController::recordingStateChanged, this, &RecordSession::followRecordingState);
    // Queued, so that the "Saved ..." sentence published with the movie is printed before its path.
    connect(&controller, &CaptureSessionController::lastRecordingURLChanged, this, &RecordSession::followSavedMovie,
            Qt::QueuedConnection);
    connect(&controller, &CaptureSessionController::isRunningChanged, this, [this] {
        if (phase_ != Phase::waitingForPhone && phase_ != Phase::done && !controller_->isRunning())
            connectionLost_ = true;
    });
    connect(&controller, &CaptureSessionController::connectedSourceIDChanged, this, [this] {
        const auto& sourceID = controller_->connectedSourceID();
        if (!sourceID) return destination_->unbind();
        const auto& name = controller_->connectedDeviceName();
        destination_->bind(QString::fromStdString(*sourceID),
                           name ? std::optional(QString::fromStdString(*name)) : std::nullopt);
    });
    connect(&waitTimer_, &QTimer::timeout, this, &RecordSession::giveUpWaiting);
    // The take's time runs from its first movie to its end, across the movies it continues in.
    connect(&recordTimer_, &QTimer::timeout, this, [this] {
        if (phase_ == Phase::waitingForPhone && !savedMovies_.empty()) return finish(0);
        if (phase_ != Phase::recording) return;
        phase_ = Phase::stopping;
        controller_->stopRecording();
    });

    printMessage();
    // A phone given by its address is the only one: no looking for others on the network.
    registry_.registerController(controller_, !options_.address);
    if (options_.address) controller_->connectToAddress(*Quillfen::parseCameraAddress(*options_.address));
    if (options_.source) restrictToNamedSource();
    waitTimer_.start(std::chrono::milliseconds(static_cast<long long>(options_.waitSeconds * 1000)));
}

void RecordSession::useFolderForThisRun() {
    destination_->chooseDirectory();
    if (destination_->errorMessage()) return fail(destination_->errorMessage()->toStdString());
    if (!destination_->directoryURL())
        return fail("The recording folder " + options_.folder->string() + " cannot be used.");
}

// Automatic selection then only ever picks the named phone.
void RecordSession::restrictToNamedSource() {
    auto registryCheck = controller_->sourceAvailabilityCheck;
    controller_->sourceAvailabilityCheck = [this, registryCheck](const std::string& claimID) {
        const auto& sources = controller_->sources();
        const bool named = std::any_of(sources.begin(), sources.end(), [&](const Quillfen::CaptureSource& source) {
            return source.claimID == claimID && source.name == *options_.source;
        });
        return named && (!registryCheck || registryCheck(claimID));
    };
    controller_->rebuildSources();
}

// Once the run has failed or ended, nothing more is printed: its last sentence stays last.
void RecordSession::printMessage() {
    if (phase_ == Phase::done) return;
    const std::string& message = controller_->message();
    if (options_.source && message == allPhonesTakenSentence && !namedSourceListed()) {
        // The other phones are only left alone, not in use.
        return printLine(std::cout, "Waiting for a phone named \"" + *options_.source + "\"\u2026");
    }
    printLine(std::cout, message);
}

void RecordSession::printRecordingMessage() {
    if (phase_ == Phase::done) return;
    if (const auto& message = controller_->recordingMessage()) printLine(std::cout, *message);
}

bool RecordSession::namedSourceListed() const {
    const auto& sources = controller_->sources();
    return std::any_of(sources.begin(), sources.end(),
                       [&](const Quillfen::CaptureSource& source) { return source.name == *options_.source; });
}

void RecordSession::startRecordingWhenPossible() {
    if (phase_ != Phase::waitingForPhone || !controller_->canStartRecording()) return;
    const auto url = destination_->nextRecordingURL(QDateTime::currentDateTime());
    if (!url) {
        const std::string sentence = destination_->errorMessage().value_or(noFolderSentence).toStdString();
        if (sentence == noFolderSentence)
            return fail(
                "Choose a recording folder before starting a recording: run umberlin-record with "
                "--folder DIR, or choose one in Umberlin Rezuvidodo.");
        return fail(sentence);
    }
    waitTimer_.stop();
    phase_ = Phase::recording;
    movieStarted_ = false;
    controller_->startRecording(*url, controller_->streamRotationAngleDegrees());
}

void RecordSession::followRecordingState() {
    if (phase_ != Phase::recording && phase_ != Phase::stopping) return;
    const auto& state = controller_->recordingState();
    switch (state.kind()) {
        case RecorderKind::recording:
            movieStarted_ = true;
            if (options_.seconds && !takeStarted_ && phase_ == Phase::recording) {
                takeStarted_ = true;
                recordTimer_.start(std::chrono::milliseconds(static_cast<long long>(*options_.seconds * 1000)));
            }
            break;
        case RecorderKind::failed:
            fail("Recording failed: " + state.message());
            break;
        case RecorderKind::idle:
            // A movie that was written is reported through followSavedMovie; here only one that
            // never got its file.
            if (!movieStarted_) endMovieWithoutFile();
            break;
        case RecorderKind::waitingForKeyFrame:
        case RecorderKind::finishing:
            break;
    }
}

void RecordSession::endMovieWithoutFile() {
    if (connectionLost_) return fail(controller_->message());
    if (phase_ == Phase::stopping) {
        if (savedMovies_.empty()) return fail("Stopped before the recording started.");
        return finish(0);
    }
    continueTake();  // disarmed by a format change before its first key frame
}

void RecordSession::followSavedMovie() {
    const auto& movie = controller_->lastRecordingURL();
    if (!movie || (phase_ != Phase::recording && phase_ != Phase::stopping)) return;
    savedMovies_.push_back(*movie);
    movieStarted_ = false;
    // A take that ended early keeps its movie and says why last.
    const bool endedEarly = connectionLost_ || controller_->recordingStoppedForLowSpace();
    if (connectionLost_) printLine(std::cerr, controller_->message());
    if (controller_->recordingStoppedForLowSpace())
        printLine(std::cerr, Quillfen::CaptureSessionController::lowSpaceStopSentence);
    printLine(std::cout, movie->string());
    if (endedEarly) return finish(1);
    if (phase_ == Phase::stopping) return finish(0);
    continueTake();
}

// The movie ended without the user asking (the phone changed its format): the take goes on in
// a new movie with the next file name, or fails if none can start within the wait.
void RecordSession::continueTake() {
    phase_ = Phase::waitingForPhone;
    waitTimer_.start(std::chrono::milliseconds(static_cast<long long>(options_.waitSeconds * 1000)));
    startRecordingWhenPossible();
}

void RecordSession::giveUpWaiting() {
    if (phase_ != Phase::waitingForPhone) return;
    if (options_.source && !namedSourceListed()) return fail("No phone named \"" + *options_.source + "\" was found.");
    fail(controller_->message());
}

void RecordSession::requestStop() {
    switch (phase_) {
        case Phase::waitingForPhone:
            if (!savedMovies_.empty()) return finish(0);  // between two movies of a take
            return fail("Stopped before the recording started.");
        case Phase::recording:
            phase_ = Phase::stopping;
            recordTimer_.stop();
            controller_->stopRecording();
            return;
        case Phase::stopping:
        case Phase::done:
            return;
    }
}

void RecordSession::fail(const std::string& sentence) {
    if (phase_ == Phase::done) return;
    UmberlinPlatform::flushDiagnosticLog();
    printLine(std::cerr, sentence);
    finish(1);
}

void RecordSession::finish(int status) {
    if (phase_ == Phase::done) return;
    phase_ = Phase::done;
    waitTimer_.stop();
    recordTimer_.stop();
    registry_.stopAll([this, status] { emit finished(status); });
}

}  // namespace UmberlinRecord
