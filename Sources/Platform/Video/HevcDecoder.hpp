// libavcodec's HEVC decoder, fed as the phone sends: the parameter sets as an hvcC record, and
// each access unit exactly as received (NAL units behind 1- to 4-byte length prefixes).
//
// Set for the least delay: slice threads only (each frame thread would hold back one whole
// frame), so a stream without B-frames gives each picture back from the call that decoded it.
//
// With a VAAPI device the pictures are decoded into the device's surfaces and brought back to
// memory; such a decoder decodes in hardware or fails, never silently in software.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "Video/DecodedVideoFrame.hpp"
#include "Video/PictureDecoder.hpp"

struct AVBufferRef;
struct AVCodecContext;

namespace Video {

class HardwareFrameDownload;

class HevcDecoder final : public PictureDecoder {
    struct ConstructionToken {};

public:
    // Nothing when libavcodec cannot open a decoder for the record or finds no picture size in it.
    static std::unique_ptr<HevcDecoder> open(std::span<const std::uint8_t> hevcConfigurationRecord);
    // The same on `vaapiDevice` (an AVHWDeviceContext reference); nothing also when the device
    // cannot hold the stream's pictures (its chroma format or bit depth).
    static std::unique_ptr<HevcDecoder> openOnVaapi(std::span<const std::uint8_t> hevcConfigurationRecord,
                                                    AVBufferRef& vaapiDevice);

    HevcDecoder(ConstructionToken, AVCodecContext* context);
    ~HevcDecoder() override;
    HevcDecoder(const HevcDecoder&) = delete;
    HevcDecoder& operator=(const HevcDecoder&) = delete;

    bool decode(std::span<const std::uint8_t> accessUnit, std::int64_t presentationTimeNanoseconds,
                std::vector<DecodedVideoFrameRef>& pictures) override;

    // Gives back the pictures still held at the end of a stream; the decoder takes no more
    // units until flush().
    bool drain(std::vector<DecodedVideoFrameRef>& pictures);

    void flush() override;

private:
    bool receivePictures(std::vector<DecodedVideoFrameRef>& pictures);

    AVCodecContext* context_;
    std::unique_ptr<HardwareFrameDownload> download_;  // only on a VAAPI device
};

}  // namespace Video
