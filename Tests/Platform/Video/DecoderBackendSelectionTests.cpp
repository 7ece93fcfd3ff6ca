// Choosing the decoder through the hardware probe port, with a fake hardware decoder (this
// machine has no GPU): the stream is decoded whatever the hardware does, each picture says
// which decoder made it, and a hardware failure mid-stream loses no frame and shows no broken one.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Log/LogCapture.hpp"
#include "Support/SimulatorVideoSamples.hpp"
#include "Video/DecoderBackendSelection.hpp"
#include "Video/HevcDecoder.hpp"

namespace VideoTests {
namespace {

using Video::DecodingBackend;

// Decodes in software and marks its pictures as the hardware's; fails every unit from
// `failingUnit` on (never when negative).
class FakeHardwareDecoder final : public Video::PictureDecoder {
public:
    FakeHardwareDecoder(std::unique_ptr<Video::HevcDecoder> decoder, int failingUnit)
        : decoder_(std::move(decoder)), failingUnit_(failingUnit) {}

    bool decode(std::span<const std::uint8_t> unit, std::int64_t time,
                std::vector<Video::DecodedVideoFrameRef>& pictures) override {
        if (failingUnit_ >= 0 && unitsSeen_++ >= failingUnit_) return false;
        std::vector<Video::DecodedVideoFrameRef> decoded;
        if (!decoder_->decode(unit, time, decoded)) return false;
        for (const auto& picture : decoded) {
            pictures.push_back(Video::DecodedVideoFrame::referencing(picture->avFrame(), time, DecodingBackend::vaapi));
        }
        return true;
    }
    void flush() override { decoder_->flush(); }

private:
    std::unique_ptr<Video::HevcDecoder> decoder_;
    int failingUnit_;
    int unitsSeen_ = 0;
};

class FakeHardwareProbe final : public Video::HardwareDecodingProbe {
public:
    FakeHardwareProbe(bool offers, int failingUnit) : offers_(offers), failingUnit_(failingUnit) {}

    Video::HardwareDecoderOffer offer(std::span<const std::uint8_t> record) override {
        ++offersMade;
        if (!offers_) return {nullptr, "no graphics render node in /dev/dri"};
        return {std::make_unique<FakeHardwareDecoder>(Video::HevcDecoder::open(record), failingUnit_), {}};
    }

    int offersMade = 0;

private:
    bool offers_;
    int failingUnit_;
};

bool sameLuma(const Video::DecodedVideoFrame& left, const Video::DecodedVideoFrame& right) {
    for (int row = 0; row < left.height(); ++row) {
        if (std::memcmp(left.planeData(0) + row * left.planeStride(0), right.planeData(0) + row * right.planeStride(0),
                        left.planeWidth(0)) != 0) {
            return false;
        }
    }
    return true;
}

TEST(DecoderBackendSelectionTests, EveryFrameIsShownSoundFromTheDecoderTheHardwareAllows) {
    constexpr auto S = DecodingBackend::software;
    constexpr auto V = DecodingBackend::vaapi;
    struct Case {
        const char* name;
        bool offers;
        int failingUnit;
        std::vector<DecodingBackend> expected;
        const char* logged;
    };
    const Case cases[] = {
        {"no device", false, -1, {S, S, S, S}, "Decoding: software (no graphics render node in /dev/dri)."},
        {"hardware decodes", true, -1, {V, V, V, V}, "Decoding: VAAPI hardware."},
        {"hardware fails mid-stream", true, 2, {V, V, S, S}, "failed in the middle of the stream"},
        {"profile refused at the first frame", true, 0, {S, S, S, S}, "failed in the middle of the stream"},
    };
    const auto video = SimulatorTests::encodeSimulatorVideo({.width = 192, .height = 128, .frameCount = 4});
    std::vector<Video::DecodedVideoFrameRef> reference;  // the same frames decoded in software alone
    const auto decoder = Video::HevcDecoder::open(video.format->decoderConfigurationRecord());
    for (const auto& unit : video.accessUnits) decoder->decode(unit, 0, reference);
    ASSERT_EQ(reference.size(), video.samples.size());

    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        UmberlinPlatform::ScopedLogCapture log;
        auto probe = std::make_shared<FakeHardwareProbe>(testCase.offers, testCase.failingUnit);
        Video::DecoderBackendSelection selection(probe);
        ASSERT_TRUE(selection.open(video.format->decoderConfigurationRecord()));
        for (std::size_t index = 0; index < video.samples.size(); ++index) {
            std::vector<Video::DecodedVideoFrameRef> pictures;
            ASSERT_TRUE(selection.decode(video.samples[index], 1000 + index, pictures)) << index;
            ASSERT_EQ(pictures.size(), 1u) << index;
            EXPECT_EQ(pictures[0]->decodedBy(), testCase.expected[index]) << index;
            EXPECT_EQ(pictures[0]->presentationTimeNanoseconds(), 1000 + index);
            EXPECT_TRUE(sameLuma(*pictures[0], *reference[index])) << index;
        }
        EXPECT_TRUE(log.contains(testCase.logged));

        selection.flush();  // a new key frame of the same stream does not ask the hardware again
        std::vector<Video::DecodedVideoFrameRef> pictures;
        EXPECT_TRUE(selection.decode(video.samples[0], 0, pictures));
        EXPECT_EQ(probe->offersMade, 1);
        EXPECT_EQ(selection.backend(), testCase.expected.back());
    }
}

}  // namespace
}  // namespace VideoTests
