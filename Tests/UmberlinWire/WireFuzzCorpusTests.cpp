// Replays the kept fuzzing corpus through the same checks as the libFuzzer targets, so every
// input that once found a fault, and every hand-made edge case, runs in every build.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "Fuzz/WireFuzzChecks.hpp"

namespace {

namespace fs = std::filesystem;
using UmberlinWire::Bytes;
using UmberlinWire::ByteView;

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `check` on every file of one corpus folder; returns how many files there were.
template <typename Check> std::size_t replayCorpus(const char* folder, Check check) {
    const fs::path directory = fs::path(UMBERLIN_FUZZ_CORPUS_DIR) / folder;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const Bytes input = readFile(file);
        try {
            check(ByteView(input));
        } catch (const std::exception& failure) {
            ADD_FAILURE() << file.filename() << ": " << failure.what();
        }
    }
    return files.size();
}

TEST(WireFuzzCorpusTests, StreamParserKeepsItsInvariantsOnEveryCorpusInput) {
    EXPECT_GT(replayCorpus("parser", UmberlinWire::FuzzChecks::checkStreamParser), 10u);
}

TEST(WireFuzzCorpusTests, PayloadDecodersRoundTripEveryCorpusInputTheyAccept) {
    EXPECT_GT(replayCorpus("payloads", UmberlinWire::FuzzChecks::checkPayloadDecoders), 10u);
}

}  // namespace
