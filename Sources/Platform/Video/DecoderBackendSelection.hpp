// Which decoder a stream is decoded with: the hardware decoder where the probe offers one for
// the stream, libavcodec in software otherwise. When the hardware decoder fails in the middle
// of a stream, the stream goes on in software from that very frame: the units since the last
// key frame (kept while decoding in hardware) are decoded again in software, and only the
// failed unit's picture is shown. The hardware is not asked again until a new stream opens.
// Each choice is logged with its reason.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Media/SampleBuffer.hpp"
#include "Video/DecodingBackend.hpp"
#include "Video/HardwareDecodingProbe.hpp"

namespace Video {

class DecoderBackendSelection {
public:
    explicit DecoderBackendSelection(std::shared_ptr<HardwareDecodingProbe> hardware);

    // A decoder for the stream `hevcConfigurationRecord` describes. False when none opens.
    bool open(const std::vector<std::uint8_t>& hevcConfigurationRecord);

    // As PictureDecoder::decode, for the sample's access unit; after open().
    bool decode(const Media::SampleBufferRef& sample, std::int64_t presentationTimeNanoseconds,
                std::vector<DecodedVideoFrameRef>& pictures);
    void flush();

    DecodingBackend backend() const { return backend_; }

private:
    bool openSoftware();
    bool continueInSoftware(std::int64_t presentationTimeNanoseconds, std::vector<DecodedVideoFrameRef>& pictures);

    std::shared_ptr<HardwareDecodingProbe> hardware_;
    std::vector<std::uint8_t> configurationRecord_;
    std::unique_ptr<PictureDecoder> decoder_;
    DecodingBackend backend_ = DecodingBackend::software;
    // In hardware: the units from the last key frame up to the current one.
    std::vector<Media::SampleBufferRef> sinceKeyFrame_;
};

}  // namespace Video
