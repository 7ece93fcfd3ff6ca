// A decoded picture as the decoder made it: planar Y'CbCr (4:2:0 from a phone, 8 or 10 bits),
// with the colour matrix and range to turn it into RGB. The planes are libavcodec's own
// reference-counted buffers: frames are handed to the screen without copying a sample.
#pragma once

#include <cstdint>
#include <memory>

#include "Video/DecodingBackend.hpp"

struct AVFrame;

namespace Video {

enum class ColorMatrix { bt601, bt709 };
// Limited ("video") range: Y' from 16 to 235 at 8 bits; full range: 0 to 255.
enum class ColorRange { limited, full };

class DecodedVideoFrame;
using DecodedVideoFrameRef = std::shared_ptr<const DecodedVideoFrame>;

class DecodedVideoFrame {
    struct ConstructionToken {};

public:
    // Takes a reference to `frame`'s buffers. Nothing when the frame is not three-plane planar
    // Y'CbCr of 8 to 16 bits a sample, the only kinds the preview draws.
    static DecodedVideoFrameRef referencing(const AVFrame& frame, std::int64_t presentationTimeNanoseconds,
                                            DecodingBackend decodedBy);

    int width() const;
    int height() const;
    int bitDepth() const { return bitDepth_; }
    int bytesPerSample() const { return bitDepth_ > 8 ? 2 : 1; }
    // Chroma planes are width >> shift (rounded up) wide and height >> shift high.
    int chromaShiftX() const { return chromaShiftX_; }
    int chromaShiftY() const { return chromaShiftY_; }
    int planeWidth(int plane) const;
    int planeHeight(int plane) const;
    // Plane 0 is Y', 1 is Cb, 2 is Cr; samples of more than 8 bits are 16-bit little-endian.
    const std::uint8_t* planeData(int plane) const;
    int planeStride(int plane) const;  // bytes from one row to the next

    ColorMatrix colorMatrix() const { return colorMatrix_; }
    ColorRange colorRange() const { return colorRange_; }
    std::int64_t presentationTimeNanoseconds() const { return presentationTimeNanoseconds_; }
    DecodingBackend decodedBy() const { return decodedBy_; }

    const AVFrame& avFrame() const { return *frame_; }

    DecodedVideoFrame(ConstructionToken, std::shared_ptr<AVFrame> frame, int bitDepth, int chromaShiftX,
                      int chromaShiftY, ColorMatrix matrix, ColorRange range, std::int64_t presentationTimeNanoseconds,
                      DecodingBackend decodedBy);

private:
    std::shared_ptr<AVFrame> frame_;
    int bitDepth_;
    int chromaShiftX_;
    int chromaShiftY_;
    ColorMatrix colorMatrix_;
    ColorRange colorRange_;
    std::int64_t presentationTimeNanoseconds_;
    DecodingBackend decodedBy_;
};

}  // namespace Video
