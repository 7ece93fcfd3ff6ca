// libavcodec's HEVC decoder, fed as the phone sends: the parameter sets as an hvcC record, and
// each access unit exactly as received (NAL units behind 1- to 4-byte length prefixes).
//
// Set for the least delay: slice threads only (each frame thread would hold back one whole
// frame), so a stream without B-frames gives each picture back from the call that decoded it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "Video/DecodedVideoFrame.hpp"

struct AVCodecContext;

namespace Video {

class HevcDecoder {
    struct ConstructionToken {};

public:
    // Nothing when libavcodec cannot open a decoder for the record or finds no picture size in it.
    static std::unique_ptr<HevcDecoder> open(std::span<const std::uint8_t> hevcConfigurationRecord);

    explicit HevcDecoder(ConstructionToken, AVCodecContext* context);
    ~HevcDecoder();
    HevcDecoder(const HevcDecoder&) = delete;
    HevcDecoder& operator=(const HevcDecoder&) = delete;

    // Decodes one access unit and appends the pictures it completes. False when the decoder
    // rejects the unit or makes a picture that cannot be drawn; the decoder then needs a flush
    // and a key frame to give sound pictures again.
    bool decode(std::span<const std::uint8_t> accessUnit, std::int64_t presentationTimeNanoseconds,
                std::vector<DecodedVideoFrameRef>& pictures);

    // Gives back the pictures still held at the end of a stream; the decoder takes no more
    // units until flush().
    bool drain(std::vector<DecodedVideoFrameRef>& pictures);

    // Forgets every reference picture; the next unit must be a key frame.
    void flush();

private:
    bool receivePictures(std::vector<DecodedVideoFrameRef>& pictures);

    AVCodecContext* context_;
};

}  // namespace Video
