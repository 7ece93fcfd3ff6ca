// Throughput of UmberlinWireStreamParser::append against memcpy of the same bytes in the same
// chunks. memcpy is the floor: the parser must copy every payload into the message that owns
// it. After the run, a summary prints each case's time relative to memcpy and how the time
// of the tiny-packet and audio cases grows with the chunk size (2.0 per doubling = linear).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "UmberlinWire/WireProtocol.hpp"

namespace {

using namespace UmberlinWire;

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

// A stream of `byteCount` bytes made of packets with `payloadSize`-byte payloads; the last
// packet may be cut short, as a chunk boundary cuts it.
Bytes makeStream(MessageType type, std::size_t payloadSize, std::size_t byteCount) {
    Bytes payload(payloadSize);
    for (std::size_t i = 0; i < payloadSize; ++i) payload[i] = static_cast<std::uint8_t>(i * 131);
    Bytes stream;
    stream.reserve(byteCount + headerSize + payloadSize);
    for (std::uint32_t sequence = 0; stream.size() < byteCount; ++sequence) {
        const Bytes packet = makePacket(type, Flags(), sequence * 20'833'333ull, sequence, payload);
        stream.insert(stream.end(), packet.begin(), packet.end());
    }
    stream.resize(byteCount);
    return stream;
}

struct Case {
    std::string name;
    MessageType type;
    std::size_t payloadSize;
    std::size_t streamSize;
    std::size_t chunkSize;
};

// 4K HEVC frames of about 200 KB; 48 kHz stereo PCM in 2 KiB packets (about 10.7 ms each);
// header-only packets, the worst case per byte.
const std::vector<Case> cases{
    {"video200KB/chunk1MiB", MessageType::videoFrame, 200'000, 16 * MiB, 1 * MiB},
    {"audio2KiB/chunk512KiB", MessageType::audioFrame, 2 * KiB, 512 * KiB, 512 * KiB},
    {"audio2KiB/chunk1MiB", MessageType::audioFrame, 2 * KiB, 1 * MiB, 1 * MiB},
    {"audio2KiB/chunk2MiB", MessageType::audioFrame, 2 * KiB, 2 * MiB, 2 * MiB},
    {"tiny24B/chunk512KiB", MessageType::status, 0, 512 * KiB, 512 * KiB},
    {"tiny24B/chunk1MiB", MessageType::status, 0, 1 * MiB, 1 * MiB},
    {"tiny24B/chunk2MiB", MessageType::status, 0, 2 * MiB, 2 * MiB},
    {"audio2KiB/byteByByte", MessageType::audioFrame, 2 * KiB, 64 * KiB, 1},
};

// Feeds the whole stream to a fresh parser, one chunk per call.
void parseStream(benchmark::State& state, const Case& c) {
    const Bytes stream = makeStream(c.type, c.payloadSize, c.streamSize);
    const ByteView all(stream);
    for (auto _ : state) {
        UmberlinWireStreamParser parser;
        std::size_t messageCount = 0;
        for (std::size_t offset = 0; offset < all.size(); offset += c.chunkSize)
            messageCount += parser.append(all.subspan(offset, std::min(c.chunkSize, all.size() - offset))).size();
        benchmark::DoNotOptimize(messageCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

// Copies the same chunks into one warm buffer.
void copyStream(benchmark::State& state, const Case& c) {
    const Bytes stream = makeStream(c.type, c.payloadSize, c.streamSize);
    Bytes destination(c.chunkSize);
    for (auto _ : state) {
        for (std::size_t offset = 0; offset < stream.size(); offset += c.chunkSize) {
            std::memcpy(destination.data(), stream.data() + offset, std::min(c.chunkSize, stream.size() - offset));
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(destination.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

// The console table as usual, then the comparison. With repetitions the medians are compared.
class ComparingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (single || median) seconds_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nParser time relative to memcpy of the same chunks:\n");
        for (const Case& c : cases) {
            const double* parser = find("WireParser/" + c.name);
            const double* copy = find("Memcpy/" + c.name);
            if (parser && copy) std::printf("  %-24s %8.2fx\n", c.name.c_str(), *parser / *copy);
        }
        std::printf("Parser time growth when the chunk doubles (2.00 = linear):\n");
        for (const char* family : {"audio2KiB", "tiny24B"}) {
            const std::string prefix = std::string("WireParser/") + family;
            const double* half = find(prefix + "/chunk512KiB");
            const double* one = find(prefix + "/chunk1MiB");
            const double* two = find(prefix + "/chunk2MiB");
            if (half && one && two)
                std::printf("  %-10s 512KiB->1MiB %.2f, 1MiB->2MiB %.2f\n", family, *one / *half, *two / *one);
        }
    }

private:
    const double* find(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? nullptr : &found->second;
    }

    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(("WireParser/" + c.name).c_str(), parseStream, c)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Memcpy/" + c.name).c_str(), copyStream, c)->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ComparingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
