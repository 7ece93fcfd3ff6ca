#include "Media/MediaTime.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Media {
namespace {

constexpr std::int32_t nanosecondScale = 1'000'000'000;
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();

MediaTime nanoseconds(std::int64_t value) { return MediaTime::make(value, nanosecondScale); }

TEST(MediaTimeConstruction, ConvertsToSecondsAndRejectsNonPositiveTimeScales) {
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{1'234'567'891}, std::int64_t{-5}, int64Max}) {
        EXPECT_EQ(nanoseconds(value).seconds(), static_cast<double>(value) / 1e9) << value;
    }
    EXPECT_EQ(MediaTime::make(1, 30).seconds(), 1.0 / 30.0);
    EXPECT_TRUE(MediaTime::make(1, 48000).isValid());
    EXPECT_FALSE(MediaTime::make(1, 0).isValid());
    EXPECT_FALSE(MediaTime::make(1, -30).isValid());
    EXPECT_TRUE(std::isnan(MediaTime::invalid().seconds()));
}

TEST(MediaTimeArithmetic, SameTimeScaleIsExact) {
    const MediaTime sum = nanoseconds(1'500'000'000) + nanoseconds(250);
    EXPECT_EQ(sum.value, 1'500'000'250);
    EXPECT_EQ(sum.timeScale, nanosecondScale);
    const MediaTime difference = nanoseconds(100) - nanoseconds(1'000);
    EXPECT_EQ(difference.value, -900);
    EXPECT_FALSE(difference.hasBeenRounded());
}

TEST(MediaTimeArithmetic, UsesTheLeastCommonMultipleWhenItFits) {
    const MediaTime sum = MediaTime::make(1, 30) + MediaTime::make(1, 48000);  // 1600/48000 + 1/48000
    EXPECT_EQ(sum.timeScale, 48000);
    EXPECT_EQ(sum.value, 1601);
    const MediaTime mixed = MediaTime::make(1, 48000) - MediaTime::make(1, 44100);  // lcm 7,056,000
    EXPECT_EQ(mixed.timeScale, 7'056'000);
    EXPECT_EQ(mixed.value, 147 - 160);
    EXPECT_FALSE(mixed.hasBeenRounded());
}

TEST(MediaTimeArithmetic, NanosecondsWithRateDurationsStayOnNanosecondsAndFlagRounding) {
    // Whole video frames and whole 10 ms of audio land exactly on nanoseconds.
    const MediaTime threeFrames = nanoseconds(2'000'000'000) + MediaTime::make(3, 30);
    EXPECT_EQ(threeFrames.timeScale, nanosecondScale);
    EXPECT_EQ(threeFrames.value, 2'100'000'000);
    EXPECT_FALSE(threeFrames.hasBeenRounded());
    const MediaTime tenMilliseconds = nanoseconds(5) + MediaTime::make(441, 44100);
    EXPECT_EQ(tenMilliseconds.value, 10'000'005);
    EXPECT_FALSE(tenMilliseconds.hasBeenRounded());

    // One frame at 30 fps is 33,333,333.33 ns: rounded, and said so.
    const MediaTime oneFrame = nanoseconds(0) + MediaTime::make(1, 30);
    EXPECT_EQ(oneFrame.value, 33'333'333);
    EXPECT_TRUE(oneFrame.hasBeenRounded());
    // 1024 samples at 48 kHz are 21,333,333.33 ns, two frames at 30 fps 66,666,666.67 ns.
    EXPECT_EQ((nanoseconds(0) + MediaTime::make(1024, 48000)).value, 21'333'333);
    EXPECT_EQ((nanoseconds(0) + MediaTime::make(2, 30)).value, 66'666'667);
    EXPECT_EQ((nanoseconds(0) + MediaTime::make(1, 48000) * 3).value, 62'500);
    EXPECT_EQ((nanoseconds(-1) - MediaTime::make(1, 30)).value, -33'333'334);
    // The flag travels with later results.
    EXPECT_TRUE((oneFrame + nanoseconds(1)).hasBeenRounded());
}

TEST(MediaTimeArithmetic, InvalidOperandsOverflowAndEpochMismatchGiveInvalid) {
    EXPECT_FALSE((MediaTime::invalid() + nanoseconds(1)).isValid());
    EXPECT_FALSE((nanoseconds(1) - MediaTime::invalid()).isValid());
    EXPECT_FALSE((nanoseconds(int64Max) + nanoseconds(1)).isValid());
    EXPECT_FALSE((nanoseconds(int64Max) + MediaTime::make(1, 30)).isValid());
    EXPECT_FALSE((MediaTime::make(int64Max, 48000) + MediaTime::make(1, 30)).isValid());  // lcm scale fits, value not
    EXPECT_FALSE((MediaTime::make(int64Max / 2, 30) * 3).isValid());
    MediaTime otherEpoch = nanoseconds(1);
    otherEpoch.epoch = 1;
    EXPECT_FALSE((otherEpoch + nanoseconds(1)).isValid());
    // The largest clamped wire time minus itself is fine.
    EXPECT_EQ((nanoseconds(int64Max) - nanoseconds(int64Max)).value, 0);
}

TEST(MediaTimeOrdering, ComparesExactlyAcrossTimeScales) {
    EXPECT_EQ(MediaTime::make(1, 30), MediaTime::make(1600, 48000));
    EXPECT_LT(nanoseconds(33'333'333), MediaTime::make(1, 30));
    EXPECT_GT(nanoseconds(33'333'334), MediaTime::make(1, 30));
    EXPECT_LT(MediaTime::make(-1, 44100), MediaTime::zero());
    // Values near the 64-bit limit compare without overflow.
    EXPECT_LT(nanoseconds(int64Max - 1), nanoseconds(int64Max));
    EXPECT_GT(MediaTime::make(int64Max, 30), nanoseconds(int64Max));
}

TEST(MediaTimeOrdering, InvalidTimesEqualEachOtherAndFollowEveryValidTime) {
    EXPECT_EQ(MediaTime::invalid(), MediaTime::make(5, 0));
    EXPECT_GT(MediaTime::invalid(), nanoseconds(int64Max));
    EXPECT_LT(nanoseconds(-int64Max), MediaTime::invalid());
    EXPECT_EQ(MediaTime::compare(MediaTime::invalid(), MediaTime::zero()), 1);
    MediaTime laterEpoch = nanoseconds(0);
    laterEpoch.epoch = 1;
    EXPECT_GT(laterEpoch, nanoseconds(int64Max));
}

}  // namespace
}  // namespace Media
