// The real hardware decoding probe: VAAPI through libavcodec's hardware device API, on the
// first DRM render node (renderD128, ...) in the device folder. The device is opened at the
// first offer and kept for the probe's life; a folder without a usable node is looked at once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "Video/HardwareDecodingProbe.hpp"

struct AVBufferRef;

namespace Video {

class VaapiDecodingProbe final : public HardwareDecodingProbe {
public:
    explicit VaapiDecodingProbe(std::filesystem::path deviceFolder = "/dev/dri");
    ~VaapiDecodingProbe() override;
    VaapiDecodingProbe(const VaapiDecodingProbe&) = delete;
    VaapiDecodingProbe& operator=(const VaapiDecodingProbe&) = delete;

    HardwareDecoderOffer offer(std::span<const std::uint8_t> hevcConfigurationRecord) override;

private:
    bool openDevice();

    std::filesystem::path deviceFolder_;
    std::optional<std::string> deviceFailure_;  // set once opening the device failed
    AVBufferRef* device_ = nullptr;
    std::string deviceName_;
};

}  // namespace Video
