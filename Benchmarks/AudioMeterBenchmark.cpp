// Cost of metering phone audio per sample, for the packet size the phone sends (10 ms of
// 48 kHz stereo) and for one-second blocks, next to a plain copy of the same bytes (the
// least any pass over them can cost). Also counts heap allocations inside the timed loop.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <random>
#include <vector>

#include "Reception/AudioMeter.hpp"

namespace {

std::atomic<std::size_t> allocationCount{0};

}  // namespace

// Not inlined, so that GCC does not mistake the replaced pair for a mismatched one.
[[gnu::noinline]] void* operator new(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

constexpr int sampleRate = 48000;
constexpr int channelCount = 2;

// A 1 kHz tone at about -12 dBFS with a little noise, interleaved stereo, little-endian.
std::vector<std::uint8_t> stereoTone(int frames) {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> noise(-200, 200);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(frames) * channelCount * 2);
    for (int frame = 0; frame < frames; ++frame) {
        const double tone = 8000 * std::sin(2 * std::numbers::pi * 1000 * frame / sampleRate);
        for (int channel = 0; channel < channelCount; ++channel) {
            const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(tone + noise(random)));
            bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
        }
    }
    return bytes;
}

void reportPerSample(benchmark::State& state, std::size_t samplesPerCall, std::size_t allocations) {
    const auto samples = static_cast<double>(state.iterations()) * static_cast<double>(samplesPerCall);
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    state.counters["seconds_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocations_per_call"] =
        static_cast<double>(allocations) /
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void meterChunks(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    const auto chunk = stereoTone(frames);
    const double chunkSeconds = static_cast<double>(frames) / sampleRate;
    Quillfen::AudioMeterProcessor meter;
    double now = 1;

    const std::size_t allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        auto reading = meter.consumePCM16LittleEndian(chunk, now);
        benchmark::DoNotOptimize(reading);
        now += chunkSeconds;
    }
    reportPerSample(state, chunk.size() / 2, allocationCount.load() - allocationsBefore);
}

void copyChunks(benchmark::State& state) {
    const auto chunk = stereoTone(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> destination(chunk.size());

    const std::size_t allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        std::memcpy(destination.data(), chunk.data(), chunk.size());
        benchmark::ClobberMemory();
    }
    reportPerSample(state, chunk.size() / 2, allocationCount.load() - allocationsBefore);
}

// 480 frames: one 10 ms packet; 48000 frames: one second.
BENCHMARK(meterChunks)->Arg(480)->Arg(48000);
BENCHMARK(copyChunks)->Arg(480)->Arg(48000);

}  // namespace

int main(int argc, char** argv) {
    // A count of zero means something only if the counting operator new is the one in use.
    const std::size_t allocationsBefore = allocationCount.load();
    std::vector<int> probe(1);
    benchmark::DoNotOptimize(probe.data());
    if (allocationCount.load() == allocationsBefore) {
        std::fprintf(stderr, "operator new is not being counted\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
