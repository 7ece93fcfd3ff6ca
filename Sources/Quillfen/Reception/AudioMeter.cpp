#include "Reception/AudioMeter.hpp"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>

namespace Quillfen {

namespace {

constexpr double floorDBFS = -60;
constexpr double releaseDBPerSecond = 24;
constexpr double peakHoldSeconds = 1.25;
constexpr double peakFallDBPerSecond = 18;
// After a gap in the stream the meter falls as if only this much time had passed.
constexpr double longestElapsedSeconds = 0.25;
constexpr double publishIntervalSeconds = 1.0 / 30.0;
constexpr double clippingAmplitude = 0.999;
constexpr double fullScale = 32768;

struct SampleStatistics {
    std::uint64_t sumOfSquares = 0;  // in squared sample units; at most 2^30 per sample
    std::int32_t peakMagnitude = 0;  // 0...32768
};

std::int16_t sampleAt(const std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::int16_t sample;
        std::memcpy(&sample, bytes, sizeof sample);
        return sample;
    } else {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
    }
}

std::uint32_t square(std::int16_t sample) {
    const std::int32_t value = sample;
    return static_cast<std::uint32_t>(value * value);
}

// One pass in integers, so the sums are exact and the compiler can vectorise the loop
// without reassociating floating-point additions. Each block of 16 samples feeds 8 lanes
// that keep their own sum, minimum and maximum, combined once at the end; a lane adds two
// squares at a time (at most 2^31, which still fits 32 bits) before widening to 64 bits.
SampleStatistics measureSamples(const std::uint8_t* bytes, std::size_t sampleCount) {
    constexpr std::size_t lanes = 8;
    constexpr std::size_t blockSize = 2 * lanes;
    std::array<std::uint64_t, lanes> sums{};
    std::array<std::int16_t, lanes> lows{};
    std::array<std::int16_t, lanes> highs{};

    std::size_t index = 0;
    for (; index + blockSize <= sampleCount; index += blockSize) {
        const std::uint8_t* block = bytes + 2 * index;
        // Kept as a loop so that it becomes one vector step; unrolled, GCC vectorises
        // across blocks instead, which is about twice as slow.
#pragma GCC unroll 1
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            const std::int16_t first = sampleAt(block + 2 * lane);
            const std::int16_t second = sampleAt(block + 2 * (lane + lanes));
            sums[lane] += square(first) + square(second);
            lows[lane] = std::min(lows[lane], std::min(first, second));
            highs[lane] = std::max(highs[lane], std::max(first, second));
        }
    }
    for (; index < sampleCount; ++index) {
        const std::int16_t sample = sampleAt(bytes + 2 * index);
        sums[0] += square(sample);
        lows[0] = std::min(lows[0], sample);
        highs[0] = std::max(highs[0], sample);
    }

    SampleStatistics statistics;
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        statistics.sumOfSquares += sums[lane];
        statistics.peakMagnitude = std::max(
            {statistics.peakMagnitude, -static_cast<std::int32_t>(lows[lane]), static_cast<std::int32_t>(highs[lane])});
    }
    return statistics;
}

// An amplitude (1 = full scale) in dBFS, limited to -60...0; silence and anything that
// is not a finite positive number read as -60.
double decibelsFullScale(double amplitude) {
    if (!(amplitude > 0) || !std::isfinite(amplitude)) return floorDBFS;
    return std::min(std::max(20 * std::log10(amplitude), floorDBFS), 0.0);
}

}  // namespace

std::optional<std::string_view> AudioMeterStatus::meterLabel() const {
    switch (kind_) {
        case Kind::waitingForPhone:
            return "WAITING FOR PHONE AUDIO";
        case Kind::running:
            return std::nullopt;
        case Kind::denied:
            return "PHONE MIC ACCESS OFF";
        case Kind::unavailable:
            return "PHONE AUDIO UNAVAILABLE";
        case Kind::failed:
            return "PHONE AUDIO ERROR";
    }
    return std::nullopt;
}

std::string AudioMeterStatus::accessibilityValue(double levelDBFS) const {
    if (const auto label = meterLabel()) {
        std::string spoken(*label);
        std::transform(spoken.begin(), spoken.end(), spoken.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return spoken;
    }
    // Readings stay within -60...0; anything else is shown at the nearest end of the scale.
    const double level = std::isnan(levelDBFS) ? floorDBFS : std::clamp(levelDBFS, floorDBFS, 0.0);
    const long wholeDecibels = std::lround(level);
    return std::to_string(wholeDecibels) + " decibels full scale";
}

namespace AudioMeterScale {

std::optional<int> segmentIndex(double forDBFS) {
    if (!(forDBFS > segmentBoundaries.front())) return std::nullopt;
    if (!(forDBFS < segmentBoundaries.back())) return segmentCount - 1;
    for (int index = 0; index < segmentCount - 1; ++index) {
        if (forDBFS <= segmentBoundaries[static_cast<std::size_t>(index) + 1]) return index;
    }
    return segmentCount - 1;
}

}  // namespace AudioMeterScale

std::optional<AudioMeterReading> AudioMeterProcessor::consumePCM16LittleEndian(std::span<const std::uint8_t> data,
                                                                               double now) {
    const std::size_t sampleCount = data.size() / 2;
    // An unusable time would stop the ballistics or the publishing for good.
    if (sampleCount == 0 || !std::isfinite(now)) return std::nullopt;

    const SampleStatistics statistics = measureSamples(data.data(), sampleCount);
    const double meanSquare =
        static_cast<double>(statistics.sumOfSquares) / (fullScale * fullScale) / static_cast<double>(sampleCount);
    const double peak = statistics.peakMagnitude / fullScale;
    const double level = decibelsFullScale(std::sqrt(meanSquare));
    const double peakLevel = decibelsFullScale(peak);

    double elapsed = 0;
    if (lastMeterTime > 0 && now - lastMeterTime >= 0) elapsed = std::min(now - lastMeterTime, longestElapsedSeconds);
    lastMeterTime = now;

    displayedLevelDBFS = std::max(level, displayedLevelDBFS - releaseDBPerSecond * elapsed);

    if (heldPeakDBFS <= peakLevel) {
        heldPeakDBFS = peakLevel;
        peakHoldUntil = now + peakHoldSeconds;
    } else if (peakHoldUntil < now) {
        heldPeakDBFS = std::max(peakLevel, heldPeakDBFS - peakFallDBPerSecond * elapsed);
    }

    if (!(now - lastPublishTime >= publishIntervalSeconds)) return std::nullopt;
    lastPublishTime = now;
    return AudioMeterReading{displayedLevelDBFS, heldPeakDBFS, peak >= clippingAmplitude};
}

}  // namespace Quillfen
