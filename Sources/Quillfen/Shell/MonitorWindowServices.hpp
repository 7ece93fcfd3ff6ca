#pragma once
// What the application hands every monitor window: the shared registry and default folder,
// the settings, and how a window's session reaches the phones.

#include <QSettings>

#include <functional>
#include <memory>

#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/CaptureSessionRegistry.hpp"

namespace Quillfen {

// A window's receiver and recorder (with the posting to the main thread); the preview's
// renderer is the window's own.
using SessionPartsFactory =
    std::function<CaptureSessionControllerParts(std::shared_ptr<NetworkVideoRenderer> renderer)>;

struct MonitorWindowServices {
    CaptureSessionRegistry& sessionRegistry;
    RecordingDestinationStore& defaultRecordingDestination;
    QSettings& defaults;
    SessionPartsFactory makeSessionParts;
};

}  // namespace Quillfen
