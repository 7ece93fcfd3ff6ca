// How payloads become sample buffers: timing, attachments and the one copy of the bytes.

#include <limits>

#include "Reception/NetworkCameraError.hpp"
#include "Reception/NetworkCameraMediaBuilders.hpp"
#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

using Media::MediaTime;
using UmberlinWire::Bytes;

constexpr std::int32_t nanoseconds = 1'000'000'000;

class NetworkCameraMediaBuildersTests : public ::testing::Test {
protected:
    const std::shared_ptr<const Media::VideoFormatDescription> format = makeFormatDescription(videoConfiguration());
    const Bytes accessUnit{0, 0, 0, 3, 0x26, 0x01, 0xAF};
};

TEST_F(NetworkCameraMediaBuildersTests, AVideoSampleHoldsACopyOfThePayload) {
    const auto buffer = makeSampleBuffer(accessUnit, format, 42, 30, true);
    EXPECT_EQ(buffer->sampleCount(), 1);
    EXPECT_EQ(buffer->totalSampleSize(), accessUnit.size());
    const auto bytes = buffer->dataBuffer()->bytes();
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), accessUnit);
    EXPECT_NE(bytes.data(), accessUnit.data());
    EXPECT_EQ(buffer->videoFormatDescription(), format);
    EXPECT_EQ(buffer->presentationTimeStamp(), MediaTime::make(42, nanoseconds));
    EXPECT_FALSE(buffer->decodeTimeStamp().isValid());
}

TEST_F(NetworkCameraMediaBuildersTests, OnlyNonKeyFramesAreMarkedNotSync) {
    const auto key = makeSampleBuffer(accessUnit, format, 0, 30, true);
    const auto delta = makeSampleBuffer(accessUnit, format, 0, 30, false);
    ASSERT_NE(key->sampleAttachments(), nullptr);
    ASSERT_NE(delta->sampleAttachments(), nullptr);
    EXPECT_EQ(key->sampleAttachments()->front(), (Media::SampleAttachments{.displayImmediately = true, .notSync = {}}));
    EXPECT_EQ(delta->sampleAttachments()->front(),
              (Media::SampleAttachments{.displayImmediately = true, .notSync = true}));
}

TEST_F(NetworkCameraMediaBuildersTests, TimesBeyondTheMediaRangeAreClamped) {
    const auto latest = makeSampleBuffer(accessUnit, format, std::numeric_limits<std::uint64_t>::max(), 30, true);
    EXPECT_EQ(latest->presentationTimeStamp(), MediaTime::make(std::numeric_limits<std::int64_t>::max(), nanoseconds));

    const auto fastest = makeSampleBuffer(accessUnit, format, 0, std::int64_t{1} << 40, true);
    EXPECT_EQ(fastest->duration(), MediaTime::make(1, std::numeric_limits<std::int32_t>::max()));
    const auto negative = makeSampleBuffer(accessUnit, format, 0, -24, true);
    EXPECT_EQ(negative->duration(), MediaTime::make(1, 1));
}

TEST_F(NetworkCameraMediaBuildersTests, AnAudioBufferHoldsWholeFramesAtTheSampleRate) {
    const UmberlinWire::AudioConfiguration configuration{
        .codec = UmberlinWire::AudioCodec::linearPCM16LittleEndian, .sampleRate = 44100, .channelCount = 3};
    const auto audioFormat = makeAudioFormatDescription(configuration);
    const Bytes payload(6 * 100, 0x11);
    const auto buffer =
        makeAudioSampleBuffer(payload, configuration, audioFormat, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(buffer->sampleCount(), 100);
    EXPECT_EQ(buffer->sampleSize(0), 6u);
    EXPECT_EQ(buffer->totalSampleSize(), payload.size());
    EXPECT_EQ(buffer->duration(), MediaTime::make(100, 44100));
    EXPECT_EQ(buffer->presentationTimeStamp(), MediaTime::make(std::numeric_limits<std::int64_t>::max(), nanoseconds));
    EXPECT_EQ(buffer->sampleAttachments(), nullptr);

    try {
        makeAudioSampleBuffer(Bytes(7, 0), configuration, audioFormat, 0);
        FAIL() << "a partial frame must be refused";
    } catch (const NetworkCameraError& error) {
        EXPECT_EQ(error, NetworkCameraError::invalidAudioFrame());
    }
}

TEST(NetworkCameraErrorTests, StatusesArePrintedInPlainDecimal) {
    EXPECT_STREQ(NetworkCameraError::cannotCreateFormatDescription(-12710).what(),
                 "The HEVC format could not be created (-12710).");
    EXPECT_STREQ(NetworkCameraError::cannotCreateAudioFormatDescription(7).what(),
                 "The phone audio format could not be created (7).");
    EXPECT_STREQ(NetworkCameraError::cannotCreateBlockBuffer(-12701).what(),
                 "A compressed video buffer could not be created (-12701).");
    EXPECT_STREQ(NetworkCameraError::cannotCopyFrame(-12704).what(),
                 "A compressed video frame could not be copied (-12704).");
    EXPECT_STREQ(NetworkCameraError::cannotCopyAudioFrame(-1).what(), "A phone audio frame could not be copied (-1).");
    EXPECT_STREQ(NetworkCameraError::cannotCreateSampleBuffer(-2147483647 - 1).what(),
                 "A display sample could not be created (-2147483648).");
    EXPECT_STREQ(NetworkCameraError::cannotCreateAudioSampleBuffer(-12731).what(),
                 "A phone audio sample could not be created (-12731).");
}

}  // namespace
}  // namespace Quillfen::Testing
