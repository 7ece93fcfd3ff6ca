#include "Media/MediaTime.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>

namespace Media {

namespace {

using Wide = __int128;

bool fitsInt64(Wide value) {
    return value >= std::numeric_limits<std::int64_t>::min() && value <= std::numeric_limits<std::int64_t>::max();
}

MediaTime withFlags(MediaTime time, std::uint32_t extraFlags) {
    time.flags |= extraFlags;
    return time;
}

// left + sign * right, following the time-scale rules described in the header.
MediaTime combine(const MediaTime& left, const MediaTime& right, int sign) {
    if (!left.isValid() || !right.isValid() || left.epoch != right.epoch) {
        return MediaTime::invalid();
    }
    const std::uint32_t rounded = (left.flags | right.flags) & MediaTime::hasBeenRoundedFlag;
    const auto withEpoch = [&](MediaTime time) {
        time.epoch = left.epoch;
        return withFlags(time, rounded);
    };
    if (left.timeScale == right.timeScale) {
        const Wide sum = Wide{left.value} + sign * Wide{right.value};
        return fitsInt64(sum) ? withEpoch(MediaTime::make(static_cast<std::int64_t>(sum), left.timeScale))
                              : MediaTime::invalid();
    }
    const std::int64_t common = std::lcm(std::int64_t{left.timeScale}, std::int64_t{right.timeScale});
    // At most 2^63 * 2^31 each, so the exact numerator over `common` fits 128 bits.
    const Wide numerator =
        Wide{left.value} * (common / left.timeScale) + sign * Wide{right.value} * (common / right.timeScale);
    if (common <= std::numeric_limits<std::int32_t>::max()) {
        return fitsInt64(numerator)
                   ? withEpoch(MediaTime::make(static_cast<std::int64_t>(numerator), static_cast<std::int32_t>(common)))
                   : MediaTime::invalid();
    }
    const std::int32_t larger = std::max(left.timeScale, right.timeScale);
    const Wide scaled = numerator * larger;  // below 2^126
    Wide quotient = scaled / common;
    const Wide remainder = scaled % common;
    std::uint32_t roundedNow = 0;
    if (remainder != 0) {
        roundedNow = MediaTime::hasBeenRoundedFlag;
        const Wide magnitude = remainder < 0 ? -remainder : remainder;
        if (2 * magnitude >= common) {
            quotient += scaled < 0 ? -1 : 1;
        }
    }
    if (!fitsInt64(quotient)) {
        return MediaTime::invalid();
    }
    return withFlags(withEpoch(MediaTime::make(static_cast<std::int64_t>(quotient), larger)), roundedNow);
}

}  // namespace

MediaTime MediaTime::make(std::int64_t value, std::int32_t timeScale) {
    if (timeScale <= 0) {
        return invalid();
    }
    return MediaTime{value, timeScale, validFlag, 0};
}

double MediaTime::seconds() const {
    if (!isValid()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(value) / static_cast<double>(timeScale);
}

int MediaTime::compare(const MediaTime& left, const MediaTime& right) {
    if (!left.isValid() || !right.isValid()) {
        return left.isValid() == right.isValid() ? 0 : (left.isValid() ? -1 : 1);
    }
    if (left.epoch != right.epoch) {
        return left.epoch < right.epoch ? -1 : 1;
    }
    const Wide leftScaled = Wide{left.value} * right.timeScale;
    const Wide rightScaled = Wide{right.value} * left.timeScale;
    return leftScaled < rightScaled ? -1 : (leftScaled > rightScaled ? 1 : 0);
}

std::weak_ordering operator<=>(const MediaTime& left, const MediaTime& right) {
    const int order = MediaTime::compare(left, right);
    return order < 0 ? std::weak_ordering::less
                     : (order > 0 ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}

MediaTime operator+(const MediaTime& left, const MediaTime& right) { return combine(left, right, 1); }

MediaTime operator-(const MediaTime& left, const MediaTime& right) { return combine(left, right, -1); }

MediaTime operator*(const MediaTime& time, std::int64_t count) {
    if (!time.isValid()) {
        return MediaTime::invalid();
    }
    const Wide product = Wide{time.value} * count;
    if (!fitsInt64(product)) {
        return MediaTime::invalid();
    }
    MediaTime result = time;
    result.value = static_cast<std::int64_t>(product);
    return result;
}

}  // namespace Media
