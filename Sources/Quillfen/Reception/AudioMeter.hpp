#pragma once
// Level metering of the phone's microphone: raw PCM chunks in, meter readings out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Quillfen {

// What the LED meter shows: the displayed RMS level and the held peak, both in dBFS
// within -60...0, and whether the chunk that produced the reading came near full scale.
struct AudioMeterReading {
    double levelDBFS = -60;
    double peakDBFS = -60;
    bool isClipping = false;

    friend bool operator==(const AudioMeterReading&, const AudioMeterReading&) = default;
};

// Whether there is anything to meter at all.
class AudioMeterStatus {
public:
    enum class Kind { waitingForPhone, running, denied, unavailable, failed };

    static AudioMeterStatus waitingForPhone() { return AudioMeterStatus(Kind::waitingForPhone); }
    static AudioMeterStatus running() { return AudioMeterStatus(Kind::running); }
    static AudioMeterStatus denied() { return AudioMeterStatus(Kind::denied); }
    static AudioMeterStatus unavailable() { return AudioMeterStatus(Kind::unavailable); }
    static AudioMeterStatus failed(std::string text) { return AudioMeterStatus(Kind::failed, std::move(text)); }

    Kind kind() const { return kind_; }
    // The error text of a failed status; empty for every other case.
    const std::string& failureText() const { return failureText_; }

    // The text the meter shows instead of its LED bar; nothing while running.
    std::optional<std::string_view> meterLabel() const;
    // What assistive technology reads out for the meter, given the current level.
    std::string accessibilityValue(double levelDBFS) const;

    friend bool operator==(const AudioMeterStatus&, const AudioMeterStatus&) = default;

private:
    explicit AudioMeterStatus(Kind kind, std::string text = {}) : kind_(kind), failureText_(std::move(text)) {}

    Kind kind_;
    std::string failureText_;
};

inline constexpr std::string_view audioMeterAccessibilityLabel = "Microphone level";

// The meter's LED segments: 6 dB steps up to -30 dBFS, then 3 dB steps up to full scale.
namespace AudioMeterScale {

inline constexpr std::array<double, 16> segmentBoundaries{-60, -54, -48, -42, -36, -30, -27, -24,
                                                          -21, -18, -15, -12, -9,  -6,  -3,  0};
inline constexpr int segmentCount = static_cast<int>(segmentBoundaries.size()) - 1;

// The segment (0...14) that a level falls in; nothing when no segment is lit
// (at or below -60 dBFS, or not a number).
std::optional<int> segmentIndex(double forDBFS);

}  // namespace AudioMeterScale

// Turns chunks of 16-bit little-endian PCM into readings with meter ballistics: an instant
// rise, a release of 24 dB/s, a peak marker held for 1.25 s that then falls at 18 dB/s,
// and at most 30 published readings per second. Times are seconds of a monotonic clock.
struct AudioMeterProcessor {
    double displayedLevelDBFS = -60;
    double heldPeakDBFS = -60;
    double peakHoldUntil = 0;
    double lastMeterTime = 0;
    double lastPublishTime = 0;

    // Interleaved channels are metered together. A trailing odd byte is ignored; a chunk
    // without a whole sample, or a time that is not a finite number, changes nothing.
    // Returns a reading when one is due.
    std::optional<AudioMeterReading> consumePCM16LittleEndian(std::span<const std::uint8_t> data, double now);

    friend bool operator==(const AudioMeterProcessor&, const AudioMeterProcessor&) = default;
};

}  // namespace Quillfen
