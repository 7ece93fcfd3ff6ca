// What wrapping a received payload costs: block + one copy + sample buffer + attachments,
// against the bound of copying the same bytes (with and without allocating), and what the
// recorder's timing-only copies and a format change cost.
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using namespace Media;

constexpr std::int32_t nanosecondScale = 1'000'000'000;

std::shared_ptr<SampleBuffer> wrapPayload(const Bytes& payload, std::int64_t presentationNanoseconds) {
    auto block = BlockBuffer::makeWithMemoryBlock(payload.size());
    block.object->replaceDataBytes(payload, 0);
    const SampleTimingInfo timing{MediaTime::make(1, 30), MediaTime::make(presentationNanoseconds, nanosecondScale),
                                  MediaTime::invalid()};
    const std::size_t size = payload.size();
    auto buffer = SampleBuffer::makeReady(block.object, nullptr, 1, {&timing, 1}, {&size, 1}).object;
    auto& attachments = (*buffer->sampleAttachments(true))[0];
    attachments.displayImmediately = true;
    attachments.notSync = true;
    return buffer;
}

void wrapVideoPayload(benchmark::State& state) {
    const Bytes payload(static_cast<std::size_t>(state.range(0)), 0x5a);
    std::int64_t time = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(wrapPayload(payload, time += 33'333'333));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void allocateAndCopyOnly(benchmark::State& state) {
    const Bytes payload(static_cast<std::size_t>(state.range(0)), 0x5a);
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[payload.size()]);
        std::memcpy(copy.get(), payload.data(), payload.size());
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void copyOnly(benchmark::State& state) {
    const Bytes payload(static_cast<std::size_t>(state.range(0)), 0x5a);
    Bytes target(payload.size());
    for (auto _ : state) {
        std::memcpy(target.data(), payload.data(), payload.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void copyWithNewTiming(benchmark::State& state) {
    const auto buffer = wrapPayload(Bytes(200'000, 0x5a), 5'000'000'000);
    const SampleTimingInfo rebased{MediaTime::make(1, 30), MediaTime::make(1'000'000'000, nanosecondScale),
                                   MediaTime::invalid()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer->makeCopyWithNewTiming({&rebased, 1}));
    }
}

void makeHevcFormatDescription(benchmark::State& state) {
    const int height = static_cast<int>(state.range(0));
    const UmberlinTools::HevcEncoder encoder({.width = height * 16 / 9, .height = height});
    for (auto _ : state) {
        benchmark::DoNotOptimize(VideoFormatDescription::makeFromHevcParameterSets(encoder.parameterSets(), 4));
    }
}

// Payloads: a small P-frame, a typical 1080p key frame, a large 4K key frame.
BENCHMARK(wrapVideoPayload)->Arg(16'000)->Arg(200'000)->Arg(1'000'000);
BENCHMARK(allocateAndCopyOnly)->Arg(16'000)->Arg(200'000)->Arg(1'000'000);
BENCHMARK(copyOnly)->Arg(16'000)->Arg(200'000)->Arg(1'000'000);
BENCHMARK(copyWithNewTiming);
BENCHMARK(makeHevcFormatDescription)->Arg(1080)->Arg(2160)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
