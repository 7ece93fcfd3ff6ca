// The port to the platform's hardware video decoder: asked once per stream whether it can
// decode that stream, it offers an opened decoder or says why not.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "Video/PictureDecoder.hpp"

namespace Video {

struct HardwareDecoderOffer {
    std::unique_ptr<PictureDecoder> decoder;  // nothing when the hardware cannot take the stream
    std::string reason;                       // why not, for the log
};

class HardwareDecodingProbe {
public:
    virtual ~HardwareDecodingProbe() = default;

    // The stream is described by its HEVC decoder configuration record (hvcC). Pictures from
    // an offered decoder are in memory, marked DecodingBackend::vaapi; it fails a unit rather
    // than give a picture that is not sound.
    virtual HardwareDecoderOffer offer(std::span<const std::uint8_t> hevcConfigurationRecord) = 0;
};

}  // namespace Video
