// One opened decoder for one stream: access units in decoding order, pictures out.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Video/DecodedVideoFrame.hpp"

namespace Video {

class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;

    // Decodes one access unit and appends the pictures it completes. False when the decoder
    // rejects the unit or makes a picture that cannot be drawn; the decoder then needs a flush
    // and a key frame to give sound pictures again.
    virtual bool decode(std::span<const std::uint8_t> accessUnit, std::int64_t presentationTimeNanoseconds,
                        std::vector<DecodedVideoFrameRef>& pictures) = 0;

    // Forgets every reference picture; the next unit must be a key frame.
    virtual void flush() = 0;
};

}  // namespace Video
