#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "UmberlinWire/WireProtocol.hpp"

namespace {

using namespace UmberlinWire;
namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::vector<std::string> lines;
    std::string errors;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class WireDumpTool : public testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("wire-dump-" + std::to_string(::getpid()) + "-" +
                                                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    // Runs the tool on `stream` given as a file, or through standard input.
    ToolRun run(const Bytes& stream, bool throughStandardInput = false) {
        const fs::path input = directory_ / "stream.umbr";
        std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(stream.data()), stream.size());
        const std::string source = throughStandardInput ? "< '" + input.string() + "'" : "'" + input.string() + "'";
        const std::string command = std::string("'") + WIRE_DUMP_PATH + "' " + source + " > '" +
                                    (directory_ / "out").string() + "' 2> '" + (directory_ / "err").string() + "'";
        const int status = std::system(command.c_str());
        ToolRun result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, readFile(directory_ / "err")};
        std::istringstream out(readFile(directory_ / "out"));
        for (std::string line; std::getline(out, line);) result.lines.push_back(line);
        return result;
    }

    fs::path directory_;
};

Bytes sampleStream() {
    const std::string bytes = readFile(SAMPLE_STREAM_PATH);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes jsonPacket(MessageType type, std::string_view document, std::uint32_t sequence) {
    return makePacket(type, Flags(), 0, sequence, Bytes(document.begin(), document.end()));
}

TEST_F(WireDumpTool, PrintsOneLinePerMessageWithRecordsOrDecodeErrors) {
    const ToolRun result = run(sampleStream());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.errors, "");
    ASSERT_EQ(result.lines.size(), 13u);
    EXPECT_EQ(
        result.lines[0].rfind(
            R"({"type":"hello","flags":0,"payloadLength":170,"presentationTimeNanoseconds":0,"sequenceNumber":0,"record":{)",
            0),
        0u)
        << result.lines[0];
    EXPECT_EQ(
        result.lines[6],
        R"({"type":"videoFrame","flags":1,"payloadLength":8,"presentationTimeNanoseconds":1000000000,"sequenceNumber":6})");
    EXPECT_EQ(
        result.lines[12],
        R"({"type":"status","flags":0,"payloadLength":21,"presentationTimeNanoseconds":0,"sequenceNumber":12,"decodeError":"DeviceStatus.batteryState is missing."})");
    EXPECT_EQ(run(sampleStream(), true).lines, result.lines);
}

TEST_F(WireDumpTool, ABadEndShowsTheCompleteMessagesThenFailsWithItsSentence) {
    const Bytes first = jsonPacket(MessageType::videoOrientation, R"({"rotationAngleDegrees":90})", 1);
    Bytes next = jsonPacket(MessageType::videoOrientation, R"({"rotationAngleDegrees":0})", 2);
    Bytes cut = first;
    cut.insert(cut.end(), next.begin(), next.end() - 1);
    next[4] = 9;  // version
    Bytes broken = first;
    broken.insert(broken.end(), next.begin(), next.end());

    for (const auto& [stream, sentence] : {std::pair{cut, "The stream ended inside a packet.\n"},
                                           std::pair{broken, "Wire protocol version 9 is unsupported.\n"}}) {
        const ToolRun result = run(stream);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.errors, sentence);
        ASSERT_EQ(result.lines.size(), 1u);
        EXPECT_NE(result.lines[0].find(R"("record":{"rotationAngleDegrees":90})"), std::string::npos);
    }
    const ToolRun empty = run(Bytes());
    EXPECT_EQ(empty.status, 0) << "an empty stream is fine";
    EXPECT_TRUE(empty.lines.empty());
}

}  // namespace
