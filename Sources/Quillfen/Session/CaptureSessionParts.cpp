#include "Session/CaptureSessionParts.hpp"

namespace Quillfen {

CaptureSessionControllerParts makeSystemCaptureSessionParts(std::shared_ptr<NetworkVideoRenderer> renderer,
                                                            UmberlinPlatform::PostToMain postToMain) {
    return CaptureSessionControllerParts{
        .receiver = NetworkCameraReceiver::make(),
        .renderer = std::move(renderer),
        .recorder = NetworkVideoRecorder::create(systemNetworkVideoRecorderPorts()),
        .postToMain = std::move(postToMain),
    };
}

}  // namespace Quillfen
