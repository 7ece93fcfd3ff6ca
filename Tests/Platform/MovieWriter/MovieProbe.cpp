#include "MovieProbe.hpp"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/md5.h>
}

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace MovieWriterTests {

namespace {

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint64_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset, int size) {
    std::uint64_t value = 0;
    for (int index = 0; index < size; ++index) {
        value = (value << 8) | bytes.at(offset + index);
    }
    return value;
}

struct Box {
    std::string type;
    std::size_t payload;  // offset of the contents
    std::size_t end;
};

std::vector<Box> childBoxes(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end) {
    std::vector<Box> boxes;
    std::size_t offset = begin;
    while (offset + 8 <= end) {
        std::uint64_t size = bigEndian(bytes, offset, 4);
        std::size_t header = 8;
        if (size == 1) {
            size = bigEndian(bytes, offset + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = end - offset;
        }
        if (size < header || offset + size > end) {
            break;  // a box cut short (a file that was killed while writing)
        }
        boxes.push_back({std::string(bytes.begin() + offset + 4, bytes.begin() + offset + 8), offset + header,
                         offset + static_cast<std::size_t>(size)});
        offset += size;
    }
    return boxes;
}

}  // namespace

std::string quoted(const std::filesystem::path& path) {
    std::string text = "'";
    for (char character : path.string()) {
        text += character == '\'' ? std::string("'\\''") : std::string(1, character);
    }
    return text + "'";
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, count);
    }
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << command;
    return output;
}

nlohmann::json probeMovie(const std::filesystem::path& path) {
    return nlohmann::json::parse(
        runCommand("ffprobe -v error -print_format json -show_streams -show_format " + quoted(path)));
}

std::vector<std::string> videoPacketChecksums(const std::filesystem::path& path) {
    std::istringstream lines(runCommand("ffmpeg -v error -i " + quoted(path) + " -map 0:v:0 -c copy -f framemd5 -"));
    std::vector<std::string> checksums;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != '#') {
            checksums.push_back(line.substr(line.rfind(',') + 1));
            checksums.back().erase(0, checksums.back().find_first_not_of(' '));
        }
    }
    return checksums;
}

std::string md5Hex(const std::vector<std::uint8_t>& bytes) {
    std::uint8_t digest[16];
    av_md5_sum(digest, bytes.data(), static_cast<int>(bytes.size()));
    char text[33];
    for (int index = 0; index < 16; ++index) {
        std::snprintf(text + 2 * index, 3, "%02x", digest[index]);
    }
    return text;
}

std::vector<std::int16_t> decodedAudio(const std::filesystem::path& path, int sampleRate) {
    const std::string raw = runCommand("ffmpeg -v error -i " + quoted(path) + " -map 0:a:0 -ac 1 -ar " +
                                       std::to_string(sampleRate) + " -f s16le -");
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

std::vector<std::array<std::int32_t, 9>> trackMatrices(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    std::vector<std::array<std::int32_t, 9>> matrices;
    for (const Box& top : childBoxes(bytes, 0, bytes.size())) {
        if (top.type != "moov") {
            continue;
        }
        for (const Box& track : childBoxes(bytes, top.payload, top.end)) {
            if (track.type != "trak") {
                continue;
            }
            for (const Box& header : childBoxes(bytes, track.payload, track.end)) {
                if (header.type != "tkhd") {
                    continue;
                }
                // Version 0: flags, created, modified, track id, reserved, duration (4 bytes each);
                // then 8 reserved, layer, group, volume, reserved (8), and the matrix.
                const int version = bytes.at(header.payload);
                const std::size_t matrix = header.payload + (version == 1 ? 52 : 40);
                std::array<std::int32_t, 9> values{};
                for (int index = 0; index < 9; ++index) {
                    values[index] = static_cast<std::int32_t>(bigEndian(bytes, matrix + 4 * index, 4));
                }
                matrices.push_back(values);
            }
        }
    }
    return matrices;
}

std::vector<std::string> topLevelBoxes(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    std::vector<std::string> types;
    for (const Box& box : childBoxes(bytes, 0, bytes.size())) {
        types.push_back(box.type);
    }
    return types;
}

}  // namespace MovieWriterTests
