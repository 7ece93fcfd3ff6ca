#include "Reception/AudioMeter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace Quillfen {
namespace {

std::vector<std::uint8_t> pcm(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes;
    for (const std::int16_t sample : samples) {
        const auto bits = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> constant(std::int16_t sample, std::size_t count = 480) {
    return pcm(std::vector<std::int16_t>(count, sample));
}

double dbfs(double amplitude) { return 20 * std::log10(amplitude); }

TEST(AudioMeterProcessor, ChunkWithoutAWholeSampleChangesNothing) {
    AudioMeterProcessor meter;
    ASSERT_TRUE(meter.consumePCM16LittleEndian(constant(16384), 1.0));
    const AudioMeterProcessor before = meter;

    const std::vector<std::uint8_t> oneByte{0x7F};
    EXPECT_FALSE(meter.consumePCM16LittleEndian(oneByte, 2.0));
    EXPECT_FALSE(meter.consumePCM16LittleEndian({}, 3.0));
    EXPECT_EQ(meter, before);
}

TEST(AudioMeterProcessor, TrailingOddByteIsIgnored) {
    auto bytes = constant(1000, 3);
    bytes.push_back(0x80);  // would be the low half of a loud sample
    AudioMeterProcessor withOddByte;
    AudioMeterProcessor withoutOddByte;
    const auto reading = withOddByte.consumePCM16LittleEndian(bytes, 1.0);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading, withoutOddByte.consumePCM16LittleEndian(constant(1000, 3), 1.0));
    EXPECT_NEAR(reading->levelDBFS, dbfs(1000.0 / 32768), 1e-9);
}

TEST(AudioMeterProcessor, SilenceAndFullScale) {
    AudioMeterProcessor quiet;
    EXPECT_EQ(quiet.consumePCM16LittleEndian(constant(0), 1.0), (AudioMeterReading{-60, -60, false}));

    AudioMeterProcessor loud;
    EXPECT_EQ(loud.consumePCM16LittleEndian(constant(-32768), 1.0), (AudioMeterReading{0, 0, true}));
}

TEST(AudioMeterProcessor, ClipsFromWithinOneThousandthOfFullScale) {
    for (const std::int16_t sample : {32735, -32735}) {
        AudioMeterProcessor meter;
        EXPECT_FALSE(meter.consumePCM16LittleEndian(pcm({sample}), 1.0)->isClipping) << sample;
    }
    for (const std::int16_t sample : {32736, -32736, 32767}) {
        AudioMeterProcessor meter;
        EXPECT_TRUE(meter.consumePCM16LittleEndian(pcm({0, 0, sample, 0}), 1.0)->isClipping) << sample;
    }
}

TEST(AudioMeterProcessor, MeasuresEveryLengthAndPosition) {
    // The sum and peak are gathered in blocks with a tail; every sample must count once.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> quietSample(-3000, 3000);
    for (std::size_t count = 1; count <= 70; ++count) {
        for (std::size_t loudAt = 0; loudAt < count; loudAt += 5) {
            std::vector<std::int16_t> samples(count);
            for (auto& sample : samples) sample = static_cast<std::int16_t>(quietSample(random));
            samples[loudAt] = -20000;
            double sum = 0;
            for (const auto sample : samples) sum += (sample / 32768.0) * (sample / 32768.0);

            AudioMeterProcessor meter;
            const auto reading = meter.consumePCM16LittleEndian(pcm(samples), 1.0);
            ASSERT_TRUE(reading);
            EXPECT_NEAR(reading->levelDBFS, std::max(dbfs(std::sqrt(sum / count)), -60.0), 1e-9) << count;
            EXPECT_NEAR(reading->peakDBFS, dbfs(20000.0 / 32768), 1e-9) << count << " " << loudAt;
        }
    }
}

TEST(AudioMeterProcessor, LevelRisesAtOnceAndFallsAt24DecibelsPerSecond) {
    AudioMeterProcessor meter;
    const double loud = meter.consumePCM16LittleEndian(constant(16384), 1.0)->levelDBFS;
    EXPECT_NEAR(loud, dbfs(0.5), 1e-9);

    EXPECT_NEAR(meter.consumePCM16LittleEndian(constant(0), 1.1)->levelDBFS, loud - 2.4, 1e-9);

    // After a long gap the fall is what 0.25 s would give, not the whole gap.
    EXPECT_NEAR(meter.consumePCM16LittleEndian(constant(0), 6.1)->levelDBFS, loud - 2.4 - 6, 1e-9);

    // A louder chunk shows at once.
    EXPECT_NEAR(meter.consumePCM16LittleEndian(constant(32767), 6.2)->levelDBFS, dbfs(32767.0 / 32768), 1e-9);
}

TEST(AudioMeterProcessor, PeakHoldsForOneAndAQuarterSecondsThenFallsAt18DecibelsPerSecond) {
    AudioMeterProcessor meter;
    EXPECT_EQ(meter.consumePCM16LittleEndian(constant(-32768), 1.0)->peakDBFS, 0);
    EXPECT_EQ(meter.consumePCM16LittleEndian(constant(0), 2.2)->peakDBFS, 0);  // still held
    EXPECT_NEAR(meter.consumePCM16LittleEndian(constant(0), 2.3)->peakDBFS, -1.8, 1e-9);
    EXPECT_NEAR(meter.consumePCM16LittleEndian(constant(0), 2.4)->peakDBFS, -3.6, 1e-9);

    // The falling marker never drops below the peak of the chunk in hand.
    const double chunkPeak = dbfs(26000.0 / 32768);  // about -2.0 dBFS
    EXPECT_NEAR(meter.consumePCM16LittleEndian(pcm({0, 26000}), 2.45)->peakDBFS, chunkPeak, 1e-9);
}

TEST(AudioMeterProcessor, HigherPeakRestartsTheHold) {
    AudioMeterProcessor meter;
    meter.consumePCM16LittleEndian(constant(8192), 1.0);
    EXPECT_EQ(meter.consumePCM16LittleEndian(constant(16384), 2.0)->peakDBFS, dbfs(0.5));
    EXPECT_EQ(meter.peakHoldUntil, 3.25);
    EXPECT_EQ(meter.consumePCM16LittleEndian(constant(0), 3.2)->peakDBFS, dbfs(0.5));
}

TEST(AudioMeterProcessor, PublishesAtMostThirtyTimesASecond) {
    AudioMeterProcessor meter;
    ASSERT_TRUE(meter.consumePCM16LittleEndian(constant(16384), 1.0));

    // Too soon to publish, yet the ballistics still move.
    EXPECT_FALSE(meter.consumePCM16LittleEndian(constant(0), 1.01));
    EXPECT_NEAR(meter.displayedLevelDBFS, dbfs(0.5) - 0.24, 1e-9);
    EXPECT_EQ(meter.lastMeterTime, 1.01);
    EXPECT_EQ(meter.lastPublishTime, 1.0);

    EXPECT_FALSE(meter.consumePCM16LittleEndian(constant(0), 1.03));
    const auto reading = meter.consumePCM16LittleEndian(constant(0), 1.04);
    ASSERT_TRUE(reading);
    EXPECT_NEAR(reading->levelDBFS, dbfs(0.5) - 0.96, 1e-9);
    EXPECT_EQ(meter.lastPublishTime, 1.04);
}

TEST(AudioMeterProcessor, ClockSurprisesNeitherStallNorPoisonTheMeter) {
    AudioMeterProcessor meter;
    meter.consumePCM16LittleEndian(constant(16384), 10.0);
    // A clock stepping back counts as no time passed; an unusable time is ignored.
    EXPECT_FALSE(meter.consumePCM16LittleEndian(constant(0), 5.0));
    EXPECT_NEAR(meter.displayedLevelDBFS, dbfs(0.5), 1e-9);
    const AudioMeterProcessor before = meter;
    EXPECT_FALSE(meter.consumePCM16LittleEndian(constant(0), std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(meter.consumePCM16LittleEndian(constant(0), std::numeric_limits<double>::infinity()));
    EXPECT_EQ(meter, before);
    const auto reading = meter.consumePCM16LittleEndian(constant(0), 20.0);
    ASSERT_TRUE(reading);
    EXPECT_TRUE(std::isfinite(reading->levelDBFS));
    EXPECT_TRUE(std::isfinite(reading->peakDBFS));
    EXPECT_GE(reading->levelDBFS, -60);
}

TEST(AudioMeterScale, SegmentIndex) {
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    for (const double level : {-60.0, -80.0, notANumber}) EXPECT_EQ(AudioMeterScale::segmentIndex(level), std::nullopt);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-59.9), 0);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-54), 0);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-53.9), 1);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-30), 4);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-29.9), 5);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-3), 13);
    EXPECT_EQ(AudioMeterScale::segmentIndex(-2.9), 14);
    EXPECT_EQ(AudioMeterScale::segmentIndex(0), 14);
    EXPECT_EQ(AudioMeterScale::segmentIndex(3), 14);
    EXPECT_EQ(AudioMeterScale::segmentIndex(std::numeric_limits<double>::infinity()), 14);
}

TEST(AudioMeterStatus, SpokenLevelsAreWholeDecibels) {
    EXPECT_EQ(AudioMeterStatus::running().accessibilityValue(-12.4), "-12 decibels full scale");
    EXPECT_EQ(AudioMeterStatus::running().accessibilityValue(-0.3), "0 decibels full scale");
    EXPECT_EQ(AudioMeterStatus::denied().accessibilityValue(-20), "phone mic access off");
}

}  // namespace
}  // namespace Quillfen
