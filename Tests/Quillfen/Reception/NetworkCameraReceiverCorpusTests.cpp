// The wire fuzzing corpus fed through the whole receiver, as hostile phones would send it:
// whatever arrives, the receiver must not crash, and it ends either still connected or
// failed with a sentence the user can read.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

namespace fs = std::filesystem;
using UmberlinWire::Bytes;
using UmberlinWire::MessageType;

struct CorpusFile {
    std::string name;
    Bytes bytes;
};

// The stream a parser corpus input carries: its first byte (modulo 8) says how many chunk
// lengths for the fuzzer follow before the stream itself.
Bytes parserStream(const Bytes& input) {
    if (input.empty()) return {};
    const std::size_t lengthCount = std::min<std::size_t>(input[0] % 8, input.size() - 1);
    return Bytes(input.begin() + 1 + static_cast<std::ptrdiff_t>(lengthCount), input.end());
}

std::vector<CorpusFile> corpus(const char* folder) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(fs::path(UMBERLIN_FUZZ_CORPUS_DIR) / folder))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<CorpusFile> files;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        files.push_back({path.filename().string(), Bytes(std::istreambuf_iterator<char>(in), {})});
    }
    return files;
}

// A receiver on a fake connection that takes hostile input and is checked after each piece.
class HostilePhone {
public:
    // A fresh connection, reported ready, with an empty stream behind it.
    void reconnect() { connection_ = &harness_.connectReady(service_); }

    bool isConnected() const { return harness_.lastState() == State::connected(service_.name); }

    // Delivers `bytes` in pieces of `chunkSize` until they are all in or the receiver has
    // ended the connection.
    void deliver(const Bytes& bytes, std::size_t chunkSize) {
        for (std::size_t offset = 0; offset < bytes.size() && connection_->hasPendingReceive(); offset += chunkSize) {
            const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), offset + chunkSize));
            harness_.deliver(*connection_, Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset), end));
        }
    }

    // Connected, or failed with something to show the user; true when still connected.
    bool expectConnectedOrExplained(const std::string& input) const {
        const State state = harness_.lastState();
        if (state.kind() == State::Kind::failed) {
            EXPECT_FALSE(state.text().empty()) << input;
            return false;
        }
        EXPECT_EQ(state, State::connected(service_.name)) << input;
        return true;
    }

private:
    ReceiverHarness harness_;
    const NetworkCameraService service_ = cameraService("Hostile Phone", wifiInterface());
    FakeNetworkConnection* connection_ = nullptr;
};

TEST(NetworkCameraReceiverCorpusTests, EveryParserCorpusStreamInAnyChunkingEndsConnectedOrExplained) {
    const auto files = corpus("parser");
    ASSERT_GT(files.size(), 10u);
    HostilePhone phone;
    int stillConnected = 0;
    int failed = 0;
    for (const std::size_t chunkSize : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{1'048'576}}) {
        for (const auto& file : files) {
            phone.reconnect();  // a partial packet left by the last input must not shift this one
            phone.deliver(parserStream(file.bytes), chunkSize);
            const bool connected =
                phone.expectConnectedOrExplained(file.name + " in chunks of " + std::to_string(chunkSize));
            ++(connected ? stillConnected : failed);
        }
    }
    // The corpus holds both streams the receiver takes and streams it must refuse.
    EXPECT_GT(stillConnected, 0);
    EXPECT_GT(failed, 0);
}

TEST(NetworkCameraReceiverCorpusTests, EveryPayloadCorpusInputAsEveryMessageTypeEndsConnectedOrExplained) {
    const auto files = corpus("payloads");
    ASSERT_GT(files.size(), 10u);
    // Valid formats first, so media payloads reach the sample-buffer builders and the meter.
    const Bytes formats = joined(
        {jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
         jsonPacket(MessageType::audioConfiguration,
                    UmberlinWire::AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 48000, 2})});
    HostilePhone phone;
    int stillConnected = 0;
    int failed = 0;
    for (std::uint8_t raw = 1; raw <= 9; ++raw) {
        const MessageType type = *UmberlinWire::messageTypeFromRawValue(raw);
        for (const auto& file : files) {
            // Whole packets keep the stream aligned, so the connection is reused until an input ends it.
            if (!phone.isConnected()) phone.reconnect();
            phone.deliver(joined({formats, phonePacket(type, file.bytes, 1'000)}), 1'048'576);
            const bool connected =
                phone.expectConnectedOrExplained(file.name + " as " + std::string(UmberlinWire::caseName(type)));
            ++(connected ? stillConnected : failed);
        }
    }
    EXPECT_GT(stillConnected, 0);
    EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace Quillfen::Testing
