#include "Session/CaptureSessionParts.hpp"

#include "Dispatch/ThreadSerialQueue.hpp"

namespace Quillfen {

CaptureSessionControllerParts makeSystemCaptureSessionParts(std::shared_ptr<NetworkVideoRenderer> renderer,
                                                            UmberlinPlatform::PostToMain postToMain,
                                                            RecordingSpaceMargins spaceMargins) {
    return CaptureSessionControllerParts{
        .receiver = NetworkCameraReceiver::make(),
        .renderer = std::move(renderer),
        .recorder = NetworkVideoRecorder::make(systemNetworkVideoRecorderPorts()),
        .spaceWatch = std::make_shared<RecordingSpaceWatch>(
            UmberlinPlatform::makeSerialQueue("org.umberlin.rezuvidodo.recording-space"), readStorage, spaceMargins),
        .postToMain = std::move(postToMain),
    };
}

}  // namespace Quillfen
