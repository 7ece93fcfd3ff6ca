// What the receiver costs between the socket and the preview: one received chunk of video
// frames, cut by the parser, wrapped into sample buffers and handed to a callback, against
// the bound of copying the same bytes once. Frame sizes span a small 720p delta frame to a
// 4K key frame, delivered in receives of at most 1 MiB.
#include "MediaSupport/HevcEncoder.hpp"
#include "Reception/NetworkCameraReceiver.hpp"
#include "Support/FakeNetworkConnection.hpp"
#include "Support/ManualSerialQueue.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using UmberlinWire::Bytes;
using UmberlinWire::MessageType;

// One chunk holding as many whole frames of `frameSize` bytes as fit in a 1 MiB receive (at least one).
Bytes chunkOfFrames(std::size_t frameSize) {
    const Bytes frame = UmberlinWire::makePacket(MessageType::videoFrame, {}, 0, 0, Bytes(frameSize, 0x5a));
    const std::size_t count =
        std::max<std::size_t>(1, Quillfen::NetworkCameraReceiver::maximumReceiveLength / frame.size());
    Bytes chunk;
    for (std::size_t i = 0; i < count; ++i) chunk.insert(chunk.end(), frame.begin(), frame.end());
    return chunk;
}

void receiveVideoFrames(benchmark::State& state) {
    auto queue = std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.benchmarks.network-camera");
    UmberlinPlatform::FakeNetworkConnectionFactory connections;
    auto receiver = Quillfen::NetworkCameraReceiver::make({
        .queue = queue,
        .makeBrowser = {},
        .makeConnection = connections.factory(),
        .uptimeSeconds = [] { return 1.0; },
    });
    std::size_t frames = 0;
    receiver->onSampleBuffer = [&](const Media::SampleBufferRef& buffer) {
        benchmark::DoNotOptimize(buffer.get());
        ++frames;
    };
    receiver->connect({.id = "camera:Bench.local:lo",
                       .claimID = "camera:Bench.local",
                       .name = "Bench",
                       .endpoint = UmberlinPlatform::HostPortEndpoint{"127.0.0.1", 1},
                       .interface = {},
                       .transport = Quillfen::NetworkCameraService::Transport::wireless});
    queue->runAllReady();
    auto& connection = connections.latest();
    connection.reportState(UmberlinPlatform::ConnectionState::ready());
    queue->runAllReady();

    const UmberlinTools::HevcEncoder encoder({.width = 64, .height = 48});
    const UmberlinWire::VideoConfiguration configuration{.codec = UmberlinWire::Codec::hevc,
                                                         .width = 64,
                                                         .height = 48,
                                                         .nalUnitHeaderLength = 4,
                                                         .parameterSets = encoder.parameterSets()};
    connection.deliver(
        UmberlinWire::makePacket(MessageType::videoConfiguration, {}, 0, 0, UmberlinWire::encode(configuration)));
    queue->runAllReady();

    const Bytes chunk = chunkOfFrames(static_cast<std::size_t>(state.range(0)));
    constexpr std::size_t receiveLength = Quillfen::NetworkCameraReceiver::maximumReceiveLength;
    for (auto _ : state) {
        for (std::size_t offset = 0; offset < chunk.size(); offset += receiveLength) {
            const auto end =
                chunk.begin() + static_cast<std::ptrdiff_t>(std::min(chunk.size(), offset + receiveLength));
            connection.deliver(Bytes(chunk.begin() + static_cast<std::ptrdiff_t>(offset), end));
            queue->runAllReady();
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(chunk.size()));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

void copyChunkOnce(benchmark::State& state) {
    const Bytes chunk = chunkOfFrames(static_cast<std::size_t>(state.range(0)));
    Bytes target(chunk.size());
    for (auto _ : state) {
        std::memcpy(target.data(), chunk.data(), chunk.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(chunk.size()));
}

BENCHMARK(receiveVideoFrames)->Arg(2'000)->Arg(30'000)->Arg(250'000)->Arg(2'000'000);
BENCHMARK(copyChunkOnce)->Arg(2'000)->Arg(30'000)->Arg(250'000)->Arg(2'000'000);

}  // namespace

BENCHMARK_MAIN();
