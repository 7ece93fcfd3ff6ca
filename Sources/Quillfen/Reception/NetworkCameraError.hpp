#pragma once
// The receiver's own failures while turning phone messages into media. what() is the
// sentence the window shows.

#include <cstdint>
#include <exception>
#include <string>

namespace Quillfen {

class NetworkCameraError : public std::exception {
public:
    enum class Case {
        cannotCreateFormatDescription,
        cannotCreateAudioFormatDescription,
        cannotCreateBlockBuffer,
        cannotCopyFrame,
        cannotCopyAudioFrame,
        cannotCreateSampleBuffer,
        cannotCreateAudioSampleBuffer,
        invalidVideoConfiguration,
        invalidAudioConfiguration,
        invalidAudioFrame,
    };

    // The first seven cases carry the media layer's status code.
    static NetworkCameraError cannotCreateFormatDescription(std::int32_t status);
    static NetworkCameraError cannotCreateAudioFormatDescription(std::int32_t status);
    // Also used for audio payloads: there is one block-creation failure for both.
    static NetworkCameraError cannotCreateBlockBuffer(std::int32_t status);
    static NetworkCameraError cannotCopyFrame(std::int32_t status);
    static NetworkCameraError cannotCopyAudioFrame(std::int32_t status);
    static NetworkCameraError cannotCreateSampleBuffer(std::int32_t status);
    static NetworkCameraError cannotCreateAudioSampleBuffer(std::int32_t status);
    static NetworkCameraError invalidVideoConfiguration();
    static NetworkCameraError invalidAudioConfiguration();
    static NetworkCameraError invalidAudioFrame();

    Case errorCase() const { return case_; }
    // The status code; 0 for the cases without one.
    std::int32_t status() const { return status_; }
    const std::string& errorDescription() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    friend bool operator==(const NetworkCameraError& a, const NetworkCameraError& b) {
        return a.case_ == b.case_ && a.status_ == b.status_;
    }

private:
    NetworkCameraError(Case errorCase, std::int32_t status);

    Case case_;
    std::int32_t status_;
    std::string description_;
};

}  // namespace Quillfen
