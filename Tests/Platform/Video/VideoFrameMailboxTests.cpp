// The hand-over to the screen: the newest picture wins, and the screen is woken once per
// empty slot, never once per picture.

#include <gtest/gtest.h>

#include "Support/SimulatorVideoSamples.hpp"
#include "Video/HevcDecoder.hpp"
#include "Video/VideoFrameMailbox.hpp"

namespace VideoTests {
namespace {

std::vector<Video::DecodedVideoFrameRef> decodedPictures(int count) {
    const auto video = SimulatorTests::encodeSimulatorVideo({.width = 64, .height = 64, .frameCount = count});
    const auto decoder = Video::HevcDecoder::open(video.format->decoderConfigurationRecord());
    std::vector<Video::DecodedVideoFrameRef> pictures;
    for (const auto& sample : video.samples) decoder->decode(sample->dataBuffer()->bytes(), 0, pictures);
    return pictures;
}

TEST(VideoFrameMailboxTests, TheNewestPictureReplacesAnUncollectedOneAndOnlyAnEmptySlotWakesTheScreen) {
    const auto pictures = decodedPictures(3);
    ASSERT_EQ(pictures.size(), 3u);
    Video::VideoFrameMailbox mailbox;
    int wakeUps = 0;
    mailbox.setWaker(&wakeUps, [&] { ++wakeUps; });

    for (const auto& picture : pictures) mailbox.deliver(picture);
    EXPECT_EQ(wakeUps, 1);
    EXPECT_EQ(mailbox.skippedFrames(), 2u);
    EXPECT_EQ(mailbox.collect(), pictures[2]);
    EXPECT_FALSE(mailbox.collect());

    mailbox.deliver(pictures[0]);
    mailbox.deliver(nullptr);  // removing the picture is no skipped frame
    EXPECT_EQ(wakeUps, 2);
    EXPECT_EQ(mailbox.skippedFrames(), 2u);

    int otherScreen = 0;
    mailbox.removeWaker(&otherScreen);  // not the owner: nothing changes
    mailbox.collect();
    mailbox.deliver(pictures[1]);
    EXPECT_EQ(wakeUps, 3);
    mailbox.removeWaker(&wakeUps);
    mailbox.collect();
    mailbox.deliver(pictures[2]);
    EXPECT_EQ(wakeUps, 3);
}

}  // namespace
}  // namespace VideoTests
