// A small HEVC encoder (libx265 through libavcodec) that produces the stream a phone sends:
// parameter sets on their own, and access units of length-prefixed NAL units.
//
// Use:
//   UmberlinTools::HevcEncoder encoder({.width = 1280, .height = 720});
//   auto parameterSets = encoder.parameterSets();          // VPS, SPS, PPS
//   UmberlinTools::PlanarPicture& picture = encoder.nextPicture();
//   ...paint picture.planes[0..2]...
//   for (auto& frame : encoder.encode(presentationTimeNanoseconds)) { send(frame); }
//   ...
//   for (auto& frame : encoder.flush()) { send(frame); }   // the encoder is finished after this
//
// Settings are low latency: no B-frames, no look-ahead (x265 "zerolatency"), preset "ultrafast",
// a key frame every keyFrameInterval frames and no scene-cut key frames, parameter sets only in
// parameterSets() (never inside frames), no encoder-information SEI. Frames come out in input
// order; with zero latency each encode() call normally returns exactly its own frame.
#pragma once

#include "UmberlinWire/WireProtocol.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace UmberlinTools {

struct HevcEncoderSettings {
    int width = 1920;                  // even, at least 16
    int height = 1080;                 // even, at least 16
    int framesPerSecond = 30;          // 1...240
    int bitDepth = 8;                  // 8 or 10 (Main or Main 10)
    int keyFrameInterval = 30;         // frames from one key frame to the next, at least 1
    std::int64_t bitRate = 6'000'000;  // bits per second
    int nalUnitHeaderLength = 4;       // bytes in each NAL unit's big-endian length prefix, 1...4
};

// The picture to paint before the next encode(), 4:2:0. Samples are one byte for 8-bit streams
// and two bytes (little-endian, values 0...1023) for 10-bit streams. planes[1] and planes[2]
// (U, V) have (width + 1) / 2 by (height + 1) / 2 samples. Strides are in bytes.
struct PlanarPicture {
    std::array<std::uint8_t*, 3> planes{};
    std::array<int, 3> strides{};
    int width = 0;
    int height = 0;
    int bytesPerSample = 1;
};

struct EncodedFrame {
    UmberlinWire::Bytes accessUnit;  // NAL units, each behind its length in nalUnitHeaderLength bytes
    bool keyFrame = false;
    std::int64_t presentationTimeNanoseconds = 0;
};

class HevcEncoder {
public:
    // Throws std::invalid_argument for settings outside the ranges above and std::runtime_error
    // when libavcodec has no usable libx265 encoder for them.
    explicit HevcEncoder(const HevcEncoderSettings& settings);
    ~HevcEncoder();
    HevcEncoder(const HevcEncoder&) = delete;
    HevcEncoder& operator=(const HevcEncoder&) = delete;

    const HevcEncoderSettings& settings() const;

    // VPS, SPS and PPS, in that order, as raw NAL units (no start codes, no length prefixes).
    const std::vector<UmberlinWire::Bytes>& parameterSets() const;

    // The picture that the next encode() submits; its contents are kept from the previous frame.
    PlanarPicture& nextPicture();

    // Submits nextPicture() with the given time and returns the frames that are ready.
    // Throws std::runtime_error when encoding fails, and std::length_error when a NAL unit is too
    // long for the configured length prefix.
    std::vector<EncodedFrame> encode(std::int64_t presentationTimeNanoseconds);

    // Drains the encoder; afterwards encode() throws std::logic_error.
    std::vector<EncodedFrame> flush();

private:
    struct Codec;
    std::unique_ptr<Codec> codec;
};

}  // namespace UmberlinTools
