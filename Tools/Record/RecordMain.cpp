// umberlin-record: records a phone running Umberlin Capture without a window.

#include <QCoreApplication>
#include <QSettings>

#include <iostream>

#include "Reception/DiscardingVideoRenderer.hpp"
#include "RecordOptions.hpp"
#include "RecordSession.hpp"
#include "Session/AppIdentity.hpp"
#include "Session/CaptureSessionParts.hpp"
#include "Session/StopSignalNotifier.hpp"

int main(int argc, char** argv) {
    const auto parsed = UmberlinRecord::parseRecordOptions(argc, argv);
    if (std::holds_alternative<UmberlinRecord::HelpRequested>(parsed)) {
        std::cout << UmberlinRecord::recordUsage;
        return 0;
    }
    if (const auto* error = std::get_if<UmberlinRecord::UsageError>(&parsed)) {
        std::cerr << error->message << "\n\n" << UmberlinRecord::recordUsage;
        return 2;
    }

    QCoreApplication application(argc, argv);
    Quillfen::applyApplicationIdentity();
    QSettings defaults;

    const auto& options = std::get<UmberlinRecord::RecordOptions>(parsed);
    const auto margins =
        options.warningMarginBytes == 0 && options.stopMarginBytes == 0
            ? Quillfen::RecordingSpaceMargins::off()
            : Quillfen::RecordingSpaceMargins::withMinimums(options.warningMarginBytes, options.stopMarginBytes);
    const auto postToMain = Quillfen::qtPostToMain();
    Quillfen::CaptureSessionRegistry registry(postToMain);
    auto controller = std::make_shared<Quillfen::CaptureSessionController>(Quillfen::makeSystemCaptureSessionParts(
        std::make_shared<Quillfen::DiscardingVideoRenderer>(), postToMain, margins));

    UmberlinRecord::RecordSession session(options, controller, registry, defaults);
    Quillfen::StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &Quillfen::StopSignalNotifier::stopRequested, &session,
                     &UmberlinRecord::RecordSession::requestStop);
    QObject::connect(&session, &UmberlinRecord::RecordSession::finished, &application, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    session.start();
    return application.exec();
}
