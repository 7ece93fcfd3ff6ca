// Reads finished movies back with tools independent of the writer: ffprobe (JSON), ffmpeg's
// per-packet checksums and decoded audio, and a small reader of the movie's own boxes.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace MovieWriterTests {

// Standard output of a command run by the shell; fails the test when it exits non-zero.
std::string runCommand(const std::string& command);
std::string quoted(const std::filesystem::path& path);

// ffprobe -show_streams -show_format as JSON.
nlohmann::json probeMovie(const std::filesystem::path& path);

// The MD5 of each packet of the first video stream, in file order, as ffmpeg's framemd5 says.
std::vector<std::string> videoPacketChecksums(const std::filesystem::path& path);
std::string md5Hex(const std::vector<std::uint8_t>& bytes);

// The first audio stream decoded to mono 16-bit samples at `sampleRate`, from the movie's zero.
std::vector<std::int16_t> decodedAudio(const std::filesystem::path& path, int sampleRate);

// The nine matrix values of every track header (tkhd), in track order.
std::vector<std::array<std::int32_t, 9>> trackMatrices(const std::filesystem::path& path);

// The four-character types of the file's top-level boxes, in order.
std::vector<std::string> topLevelBoxes(const std::filesystem::path& path);

}  // namespace MovieWriterTests
