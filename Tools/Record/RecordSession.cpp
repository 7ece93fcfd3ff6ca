#include "RecordSession.hpp"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <iostream>

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

}  // namespace

RecordSession::RecordSession(RecordOptions options, std::shared_ptr<CaptureSessionController> controller,
                             Quillfen::CaptureSessionRegistry& registry, QSettings& defaults, QObject* parent)
    : QObject(parent), options_(std::move(options)), controller_(std::move(controller)), registry_(registry) {
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
    if (options_.list)
        startListing();
    else
        startRecordingRun();
}

void RecordSession::startListing() {
    registry_.registerController(controller_, true);
    connect(&waitTimer_, &QTimer::timeout, this, [this] {
        for (const Quillfen::CaptureSource& source : controller_->sources()) {
            const char* link = source.kind == Quillfen::CaptureSource::Kind::wiredCamera ? "USB" : "Wi-Fi";
            printLine(std::cout, source.displayName() + " (" + link + ")");
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
    connect(&controller, &CaptureSessionController::lastRecordingURLChanged, this, &RecordSession::followRecordingState,
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
    connect(&recordTimer_, &QTimer::timeout, this, [this] {
        if (phase_ != Phase::recording) return;
        phase_ = Phase::stopping;
        controller_->stopRecording();
    });

    printMessage();
    registry_.registerController(controller_, true);
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

void RecordSession::printMessage() { printLine(std::cout, controller_->message()); }

void RecordSession::printRecordingMessage() {
    if (const auto& message = controller_->recordingMessage()) printLine(std::cout, *message);
}

void RecordSession::startRecordingWhenPossible() {
    if (phase_ != Phase::waitingForPhone || !controller_->canStartRecording()) return;
    const auto url = destination_->nextRecordingURL(QDateTime::currentDateTime());
    if (!url) return fail(destination_->errorMessage().value_or("No recording folder is set.").toStdString());
    waitTimer_.stop();
    phase_ = Phase::recording;
    controller_->startRecording(*url, controller_->streamRotationAngleDegrees());
}

void RecordSession::followRecordingState() {
    if (phase_ != Phase::recording && phase_ != Phase::stopping) return;
    const auto& state = controller_->recordingState();
    switch (state.kind()) {
        case RecorderKind::recording:
            if (options_.seconds && !recordTimer_.isActive() && phase_ == Phase::recording)
                recordTimer_.start(std::chrono::milliseconds(static_cast<long long>(*options_.seconds * 1000)));
            break;
        case RecorderKind::failed:
            finish(1);  // the recorder's sentence has been printed as the recording message
            break;
        case RecorderKind::idle:
            if (const auto& movie = controller_->lastRecordingURL()) {
                if (connectionLost_) printLine(std::cerr, controller_->message());
                printLine(std::cout, movie->string());
                finish(connectionLost_ ? 1 : 0);
            } else if (connectionLost_) {
                fail(controller_->message());
            }
            break;
        case RecorderKind::waitingForKeyFrame:
        case RecorderKind::finishing:
            break;
    }
}

void RecordSession::giveUpWaiting() {
    if (phase_ != Phase::waitingForPhone) return;
    if (options_.source) {
        const auto& sources = controller_->sources();
        const bool listed = std::any_of(sources.begin(), sources.end(), [&](const Quillfen::CaptureSource& source) {
            return source.name == *options_.source;
        });
        if (!listed) return fail("No phone named \"" + *options_.source + "\" was found.");
    }
    fail(controller_->message());
}

void RecordSession::requestStop() {
    switch (phase_) {
        case Phase::waitingForPhone:
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
