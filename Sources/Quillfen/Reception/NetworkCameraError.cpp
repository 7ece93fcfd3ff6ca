#include "Reception/NetworkCameraError.hpp"

namespace Quillfen {
namespace {

std::string describe(NetworkCameraError::Case errorCase, std::int32_t status) {
    using Case = NetworkCameraError::Case;
    const std::string code = "(" + std::to_string(status) + ").";
    switch (errorCase) {
        case Case::cannotCreateFormatDescription:
            return "The HEVC format could not be created " + code;
        case Case::cannotCreateAudioFormatDescription:
            return "The phone audio format could not be created " + code;
        case Case::cannotCreateBlockBuffer:
            return "A compressed video buffer could not be created " + code;
        case Case::cannotCopyFrame:
            return "A compressed video frame could not be copied " + code;
        case Case::cannotCopyAudioFrame:
            return "A phone audio frame could not be copied " + code;
        case Case::cannotCreateSampleBuffer:
            return "A display sample could not be created " + code;
        case Case::cannotCreateAudioSampleBuffer:
            return "A phone audio sample could not be created " + code;
        case Case::invalidVideoConfiguration:
            return "The phone sent an invalid HEVC configuration.";
        case Case::invalidAudioConfiguration:
            return "The phone sent an invalid audio configuration.";
        case Case::invalidAudioFrame:
            return "The phone sent an invalid PCM audio frame.";
    }
    return {};
}

}  // namespace

NetworkCameraError::NetworkCameraError(Case errorCase, std::int32_t status)
    : case_(errorCase), status_(status), description_(describe(errorCase, status)) {}

NetworkCameraError NetworkCameraError::cannotCreateFormatDescription(std::int32_t status) {
    return {Case::cannotCreateFormatDescription, status};
}
NetworkCameraError NetworkCameraError::cannotCreateAudioFormatDescription(std::int32_t status) {
    return {Case::cannotCreateAudioFormatDescription, status};
}
NetworkCameraError NetworkCameraError::cannotCreateBlockBuffer(std::int32_t status) {
    return {Case::cannotCreateBlockBuffer, status};
}
NetworkCameraError NetworkCameraError::cannotCopyFrame(std::int32_t status) { return {Case::cannotCopyFrame, status}; }
NetworkCameraError NetworkCameraError::cannotCopyAudioFrame(std::int32_t status) {
    return {Case::cannotCopyAudioFrame, status};
}
NetworkCameraError NetworkCameraError::cannotCreateSampleBuffer(std::int32_t status) {
    return {Case::cannotCreateSampleBuffer, status};
}
NetworkCameraError NetworkCameraError::cannotCreateAudioSampleBuffer(std::int32_t status) {
    return {Case::cannotCreateAudioSampleBuffer, status};
}
NetworkCameraError NetworkCameraError::invalidVideoConfiguration() { return {Case::invalidVideoConfiguration, 0}; }
NetworkCameraError NetworkCameraError::invalidAudioConfiguration() { return {Case::invalidAudioConfiguration, 0}; }
NetworkCameraError NetworkCameraError::invalidAudioFrame() { return {Case::invalidAudioFrame, 0}; }

}  // namespace Quillfen
