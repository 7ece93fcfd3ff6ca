#pragma once
// A session's parts on the system's own services, for every front end that meets a real
// phone (the monitor's windows, umberlin-record): a receiver that finds phones through DNS-SD
// and connects over TCP, a recorder that writes movies with FFmpeg on its own thread, and a
// watch on the recording's disk.

#include <memory>

#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

// `renderer` is the front end's preview (one that drops frames when there is no window).
CaptureSessionControllerParts makeSystemCaptureSessionParts(std::shared_ptr<NetworkVideoRenderer> renderer,
                                                            UmberlinPlatform::PostToMain postToMain,
                                                            RecordingSpaceMargins spaceMargins = {});

}  // namespace Quillfen
