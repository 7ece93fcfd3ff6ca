#include "AudioStream.hpp"

#include <algorithm>

namespace UmberlinTools {
namespace {

constexpr int packetsPerSecond = 50;  // 20 ms
constexpr auto longestCatchUp = std::chrono::seconds(2);

}  // namespace

AudioStream::AudioStream(const UmberlinWire::AudioConfiguration& configuration, double clockOffsetMilliseconds,
                         SteadyTime start)
    : generator_(static_cast<int>(configuration.sampleRate), static_cast<int>(configuration.channelCount)),
      clockOffset_(static_cast<std::int64_t>(clockOffsetMilliseconds * 1'000'000.0)),
      start_(start),
      framesPerPacket_(std::max(1, generator_.sampleRate() / packetsPerSecond)) {}

UmberlinWire::AudioConfiguration AudioStream::configuration() const {
    return UmberlinWire::AudioConfiguration{
        .codec = UmberlinWire::AudioCodec::linearPCM16LittleEndian,
        .sampleRate = generator_.sampleRate(),
        .channelCount = generator_.channelCount(),
    };
}

SteadyTime AudioStream::timeOfFrame(std::int64_t frame) const {
    // 128-bit intermediate: frames times 10^9 overflows 64 bits after about a day at 192 kHz.
    const auto nanoseconds = static_cast<__int128>(frame) * 1'000'000'000 / generator_.sampleRate();
    return start_ + std::chrono::nanoseconds(static_cast<std::int64_t>(nanoseconds));
}

SteadyTime AudioStream::nextDueTime() const { return timeOfFrame(generator_.framesGenerated() + framesPerPacket_); }

void AudioStream::skipTo(SteadyTime now) {
    const auto framesUntilNow =
        static_cast<std::int64_t>(static_cast<__int128>(std::chrono::nanoseconds(now - start_).count()) *
                                  generator_.sampleRate() / 1'000'000'000);
    generator_.skip(std::max<std::int64_t>(0, framesUntilNow - framesPerPacket_ - generator_.framesGenerated()));
}

std::vector<AudioPacket> AudioStream::takeDue(SteadyTime now) {
    if (now - nextDueTime() > longestCatchUp) skipTo(now);
    std::vector<AudioPacket> due;
    while (nextDueTime() <= now) {
        const SteadyTime first = timeOfFrame(generator_.framesGenerated());
        const std::int64_t stamp =
            std::chrono::duration_cast<std::chrono::nanoseconds>(first.time_since_epoch() + clockOffset_).count();
        due.push_back(
            {static_cast<std::uint64_t>(std::max<std::int64_t>(0, stamp)), generator_.nextPacket(framesPerPacket_)});
    }
    return due;
}

}  // namespace UmberlinTools
