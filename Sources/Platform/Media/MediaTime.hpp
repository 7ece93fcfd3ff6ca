// A rational media time: value / timeScale seconds, as used for presentation times (time scale
// 1,000,000,000: nanoseconds) and durations (time scale = frame or sample rate).
//
// Arithmetic across time scales is exact whenever the result can be held:
// - same time scale: the values are added;
// - otherwise the result uses the least common multiple of the two time scales when that fits
//   in 32 bits; if it does not (1,000,000,000 with 48,000, 44,100 or 30 all exceed it), the
//   result uses the larger time scale, exactly when the sum lands on it, and otherwise rounded
//   half away from zero with the hasBeenRounded flag set, so rounding is never silent.
// - An invalid operand, operands of different epochs, or a value that leaves the signed 64-bit
//   range gives an invalid time.
//
// Ordering (compare and the operators) is exact for every pair of valid times, by cross
// multiplication; a larger epoch is later. Invalid times equal each other and are later than
// every valid time, so sorting stays well defined.
#pragma once

#include <compare>
#include <cstdint>

namespace Media {

struct MediaTime {
    static constexpr std::uint32_t validFlag = 1;
    static constexpr std::uint32_t hasBeenRoundedFlag = 2;

    std::int64_t value = 0;
    std::int32_t timeScale = 0;
    std::uint32_t flags = 0;
    std::int64_t epoch = 0;

    // value / timeScale seconds; a time scale of zero or less gives an invalid time.
    static MediaTime make(std::int64_t value, std::int32_t timeScale);
    static MediaTime invalid() { return {}; }
    static MediaTime zero() { return make(0, 1); }

    bool isValid() const { return (flags & validFlag) != 0; }
    bool hasBeenRounded() const { return (flags & hasBeenRoundedFlag) != 0; }

    // value / timeScale as a double; NaN when invalid.
    double seconds() const;

    // -1, 0 or 1 (see the ordering above).
    static int compare(const MediaTime& left, const MediaTime& right);
    friend std::weak_ordering operator<=>(const MediaTime& left, const MediaTime& right);
    friend bool operator==(const MediaTime& left, const MediaTime& right) { return compare(left, right) == 0; }
};

MediaTime operator+(const MediaTime& left, const MediaTime& right);
MediaTime operator-(const MediaTime& left, const MediaTime& right);
// The time `count` times as long (used for the length of many equal samples).
MediaTime operator*(const MediaTime& time, std::int64_t count);

}  // namespace Media
