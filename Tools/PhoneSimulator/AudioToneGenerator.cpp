#include "AudioToneGenerator.hpp"

#include <cmath>
#include <numbers>

namespace UmberlinTools {
namespace {

constexpr double cycleSeconds = 8.0;
constexpr double clippingBurst = -1.0;

double decibelsToAmplitude(double decibels) { return std::pow(10.0, decibels / 20.0); }

}  // namespace

AudioToneGenerator::AudioToneGenerator(int sampleRate, int channelCount)
    : sampleRate_(sampleRate), channelCount_(channelCount) {}

double AudioToneGenerator::amplitudeAt(double seconds) {
    const double t = std::fmod(seconds, cycleSeconds);
    if (t < 2.0) return decibelsToAmplitude(-50.0 + 44.0 * t / 2.0);
    if (t < 3.0) return 0.0;
    if (t < 3.5) return clippingBurst;
    if (t < 6.0) return decibelsToAmplitude(-20.0 + 6.0 * std::sin(2.0 * std::numbers::pi * 0.5 * (t - 3.5)));
    return decibelsToAmplitude(-6.0 - 44.0 * (t - 6.0) / 2.0);
}

UmberlinWire::Bytes AudioToneGenerator::nextPacket(int frameCount) {
    UmberlinWire::Bytes packet;
    packet.reserve(static_cast<std::size_t>(frameCount) * channelCount_ * 2);
    for (int frame = 0; frame < frameCount; ++frame) {
        const std::int64_t index = framesGenerated_ + frame;
        const double seconds = static_cast<double>(index) / sampleRate_;
        const double amplitude = amplitudeAt(seconds);
        for (int channel = 0; channel < channelCount_; ++channel) {
            const double frequency = 440.0 * (1.0 + 0.5 * channel);
            const double wave = std::sin(2.0 * std::numbers::pi * frequency * seconds);
            std::int16_t sample = 0;
            if (amplitude == clippingBurst) {
                sample = wave >= 0 ? std::int16_t{32767} : std::int16_t{-32768};
            } else {
                sample = static_cast<std::int16_t>(std::lround(wave * amplitude * 32767.0));
            }
            const auto bits = static_cast<std::uint16_t>(sample);
            packet.push_back(static_cast<std::uint8_t>(bits & 0xFF));
            packet.push_back(static_cast<std::uint8_t>(bits >> 8));
        }
    }
    framesGenerated_ += frameCount;
    return packet;
}

}  // namespace UmberlinTools
