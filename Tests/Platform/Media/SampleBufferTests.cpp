#include "Media/AudioFormatDescription.hpp"
#include "Media/BlockBuffer.hpp"
#include "Media/SampleBuffer.hpp"

#include <gtest/gtest.h>

#include <array>

namespace Media {
namespace {

constexpr std::int32_t nanosecondScale = 1'000'000'000;

AudioStreamBasicDescription pcm16(double sampleRate, std::uint32_t channels) {
    return {sampleRate,
            audioFormatLinearPcm,
            audioFormatFlagIsSignedInteger | audioFormatFlagIsPacked,
            2 * channels,
            1,
            2 * channels,
            channels,
            16,
            0};
}

std::shared_ptr<const BlockBuffer> filledBlock(const Bytes& bytes) {
    auto created = BlockBuffer::makeWithMemoryBlock(bytes.size());
    EXPECT_TRUE(created.succeeded());
    EXPECT_EQ(created.object->replaceDataBytes(bytes, 0), StatusCode::success);
    return created.object;
}

TEST(BlockBuffer, CopiesBytesInWithinItsLengthAndReportsEveryOtherCase) {
    auto created = BlockBuffer::makeWithMemoryBlock(6);
    ASSERT_TRUE(created.succeeded());
    BlockBuffer& block = *created.object;
    EXPECT_EQ(block.dataLength(), 6u);
    EXPECT_EQ(block.replaceDataBytes(Bytes{1, 2, 3, 4}, 0), StatusCode::success);
    EXPECT_EQ(block.replaceDataBytes(Bytes{9, 9}, 4), StatusCode::success);
    EXPECT_EQ(block.replaceDataBytes(Bytes{7, 7}, 5), StatusCode::badLength);
    EXPECT_EQ(block.replaceDataBytes(Bytes{7}, 7), StatusCode::badOffset);
    EXPECT_EQ(block.replaceDataBytes(Bytes{}, 6), StatusCode::success);
    EXPECT_EQ(Bytes(block.bytes().begin(), block.bytes().end()), (Bytes{1, 2, 3, 4, 9, 9}));

    const auto empty = BlockBuffer::makeWithMemoryBlock(0);
    EXPECT_EQ(empty.status, StatusCode::badLength);
    EXPECT_EQ(empty.object, nullptr);
}

TEST(SampleBuffer, HoldsOneVideoSampleWithItsTimingAndAttachments) {
    const Bytes payload{0, 0, 0, 2, 0x26, 0x01};
    const auto block = filledBlock(payload);
    const SampleTimingInfo timing{MediaTime::make(1, 30), MediaTime::make(5'000'000'000, nanosecondScale),
                                  MediaTime::invalid()};
    const std::size_t size = payload.size();
    auto created = SampleBuffer::makeReady(block, nullptr, 1, {&timing, 1}, {&size, 1});
    ASSERT_TRUE(created.succeeded());
    SampleBuffer& buffer = *created.object;
    EXPECT_EQ(buffer.dataBuffer(), block);
    EXPECT_EQ(buffer.sampleCount(), 1);
    EXPECT_EQ(buffer.presentationTimeStamp(), MediaTime::make(5, 1));
    EXPECT_FALSE(buffer.decodeTimeStamp().isValid());
    EXPECT_EQ(buffer.duration(), MediaTime::make(1, 30));
    EXPECT_EQ(buffer.sampleSize(0), payload.size());
    EXPECT_EQ(buffer.totalSampleSize(), payload.size());
    EXPECT_EQ(buffer.videoFormatDescription(), nullptr);

    EXPECT_EQ(std::as_const(buffer).sampleAttachments(), nullptr);
    EXPECT_EQ(buffer.sampleAttachments(false), nullptr);
    auto* attachments = buffer.sampleAttachments(true);
    ASSERT_NE(attachments, nullptr);
    ASSERT_EQ(attachments->size(), 1u);
    (*attachments)[0].displayImmediately = true;
    (*attachments)[0].notSync = true;
    EXPECT_EQ(buffer.sampleAttachments(false), attachments);
    EXPECT_EQ((*std::as_const(buffer).sampleAttachments())[0], (SampleAttachments{true, true}));
}

TEST(SampleBuffer, RefusesInconsistentSamples) {
    const auto block = filledBlock(Bytes(8, 0));
    const SampleTimingInfo timing{};
    const std::array<std::size_t, 2> twoSizes{4, 4};
    const std::size_t tooLarge = 9;
    const std::size_t five = 5;
    EXPECT_EQ(SampleBuffer::makeReady(nullptr, nullptr, 1, {}, {}).status, StatusCode::missingDataBuffer);
    EXPECT_EQ(SampleBuffer::makeReady(block, nullptr, 0, {}, {}).status, StatusCode::invalidEntryCount);
    EXPECT_EQ(SampleBuffer::makeReady(block, nullptr, 3, {}, twoSizes).status, StatusCode::invalidEntryCount);
    EXPECT_EQ(SampleBuffer::makeReady(block, nullptr, 1, {}, {&tooLarge, 1}).status, StatusCode::sizesExceedData);
    EXPECT_EQ(SampleBuffer::makeReady(block, nullptr, 2, {&timing, 1}, {&five, 1}).status, StatusCode::sizesExceedData);
    const std::size_t huge = std::size_t{1} << 62;
    EXPECT_EQ(SampleBuffer::makeReady(block, nullptr, 8, {}, {&huge, 1}).status, StatusCode::sizesExceedData);
    EXPECT_TRUE(SampleBuffer::makeReady(block, nullptr, 2, {}, twoSizes).succeeded());
}

TEST(SampleBuffer, ManyPcmFramesShareOneTimingEntry) {
    const auto format = AudioFormatDescription::make(pcm16(48000, 2));
    ASSERT_TRUE(format.succeeded());
    const auto block = filledBlock(Bytes(4 * 480, 0));
    const SampleTimingInfo timing{MediaTime::make(1, 48000), MediaTime::make(2'000'000'000, nanosecondScale),
                                  MediaTime::invalid()};
    const std::size_t bytesPerFrame = 4;
    const auto created = SampleBuffer::makeReady(block, format.object, 480, {&timing, 1}, {&bytesPerFrame, 1});
    ASSERT_TRUE(created.succeeded());
    const SampleBuffer& buffer = *created.object;
    EXPECT_EQ(buffer.audioFormatDescription(), format.object);
    EXPECT_EQ(buffer.videoFormatDescription(), nullptr);
    EXPECT_EQ(buffer.duration(), MediaTime::make(10, 1000));
    EXPECT_EQ(buffer.totalSampleSize(), 4u * 480);
    EXPECT_EQ(buffer.sampleSize(479), 4u);
    EXPECT_EQ(buffer.sampleSize(480), 0u);

    SampleTimingInfo read;
    ASSERT_EQ(buffer.sampleTimingInfo(0, read), StatusCode::success);
    EXPECT_EQ(read.presentationTimeStamp, MediaTime::make(2, 1));
    EXPECT_EQ(read.duration, MediaTime::make(1, 48000));
    ASSERT_EQ(buffer.sampleTimingInfo(240, read), StatusCode::success);
    EXPECT_EQ(read.presentationTimeStamp, MediaTime::make(2005, 1000));
    EXPECT_FALSE(read.decodeTimeStamp.isValid());
    EXPECT_EQ(buffer.sampleTimingInfo(480, read), StatusCode::sampleIndexOutOfRange);
    EXPECT_EQ(buffer.sampleTimingInfo(-1, read), StatusCode::sampleIndexOutOfRange);

    const auto untimed = SampleBuffer::makeReady(block, format.object, 480, {}, {&bytesPerFrame, 1});
    ASSERT_TRUE(untimed.succeeded());
    EXPECT_EQ(untimed.object->sampleTimingInfo(0, read), StatusCode::noSampleTiming);
    EXPECT_FALSE(untimed.object->presentationTimeStamp().isValid());
    EXPECT_FALSE(untimed.object->duration().isValid());
}

TEST(SampleBuffer, CopyWithNewTimingSharesBytesAndOwnsItsAttachments) {
    const Bytes payload{0, 0, 0, 2, 0x02, 0x01};
    const SampleTimingInfo timing{MediaTime::make(1, 30), MediaTime::make(7'000'000'000, nanosecondScale),
                                  MediaTime::invalid()};
    const std::size_t size = payload.size();
    auto original = SampleBuffer::makeReady(filledBlock(payload), nullptr, 1, {&timing, 1}, {&size, 1});
    ASSERT_TRUE(original.succeeded());
    (*original.object->sampleAttachments(true))[0] = SampleAttachments{true, true};

    const SampleTimingInfo rebased{timing.duration, timing.presentationTimeStamp - MediaTime::make(6, 1),
                                   MediaTime::invalid()};
    auto copy = original.object->makeCopyWithNewTiming({&rebased, 1});
    ASSERT_TRUE(copy.succeeded());
    EXPECT_EQ(copy.object->presentationTimeStamp(), MediaTime::make(1, 1));
    EXPECT_EQ(copy.object->duration(), MediaTime::make(1, 30));
    EXPECT_EQ(copy.object->dataBuffer(), original.object->dataBuffer());
    EXPECT_EQ(copy.object->dataBuffer()->bytes().data(), original.object->dataBuffer()->bytes().data());
    EXPECT_EQ(copy.object->sampleSize(0), payload.size());
    EXPECT_EQ(original.object->presentationTimeStamp(), MediaTime::make(7, 1));

    // Changing the copy's attachments leaves the original (which the preview may hold) alone.
    (*copy.object->sampleAttachments(false))[0].displayImmediately.reset();
    EXPECT_EQ((*original.object->sampleAttachments(false))[0], (SampleAttachments{true, true}));
    EXPECT_EQ((*copy.object->sampleAttachments(false))[0], (SampleAttachments{std::nullopt, true}));

    const std::array<SampleTimingInfo, 2> twoEntries{rebased, rebased};
    EXPECT_EQ(original.object->makeCopyWithNewTiming(twoEntries).status, StatusCode::invalidEntryCount);
}

TEST(AudioFormatDescription, IsEqualOnlyToTheSameStreamDescription) {
    const auto stereo = AudioFormatDescription::make(pcm16(48000, 2)).object;
    EXPECT_EQ(stereo->streamBasicDescription(), pcm16(48000, 2));
    EXPECT_EQ(*stereo, *AudioFormatDescription::make(pcm16(48000, 2)).object);
    EXPECT_FALSE(*stereo == *AudioFormatDescription::make(pcm16(44100, 2)).object);
}

TEST(AudioFormatDescription, RejectsDescriptionsThatDescribeNoPlayableStream) {
    auto noChannels = pcm16(48000, 2);
    noChannels.channelsPerFrame = 0;
    auto frameTooSmall = pcm16(48000, 2);
    frameTooSmall.bytesPerFrame = frameTooSmall.bytesPerPacket = 2;
    auto twoFramesPerPacket = pcm16(48000, 2);
    twoFramesPerPacket.framesPerPacket = 2;
    for (const auto& description :
         {pcm16(0, 2), pcm16(-48000, 2), pcm16(std::numeric_limits<double>::quiet_NaN(), 2),
          pcm16(std::numeric_limits<double>::infinity(), 2), noChannels, frameTooSmall, twoFramesPerPacket}) {
        const auto created = AudioFormatDescription::make(description);
        EXPECT_EQ(created.status, StatusCode::invalidFormatParameter);
        EXPECT_EQ(created.object, nullptr);
    }
}

}  // namespace
}  // namespace Media
