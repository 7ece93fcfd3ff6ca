#include "MovieWriter/MovieLayout.hpp"

#include <array>
#include <fstream>
#include <optional>
#include <string>

namespace UmberlinPlatform {

namespace {

struct BoxHeader {
    std::string type;
    std::uintmax_t payload = 0;  // where the contents start
    std::uintmax_t end = 0;      // where the next box starts
};

std::uint64_t bigEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int index = 0; index < count; ++index) {
        value = (value << 8) | bytes[index];
    }
    return value;
}

// The box at `offset`, or nothing when its header or contents run past `limit`.
std::optional<BoxHeader> readBox(std::ifstream& file, std::uintmax_t offset, std::uintmax_t limit) {
    std::array<unsigned char, 16> header{};
    if (limit < offset + 8) {
        return std::nullopt;
    }
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(reinterpret_cast<char*>(header.data()), 8)) {
        return std::nullopt;
    }
    BoxHeader box;
    box.type.assign(reinterpret_cast<const char*>(header.data() + 4), 4);
    std::uint64_t size = bigEndian(header.data(), 4);
    box.payload = offset + 8;
    if (size == 1) {  // a 64-bit size follows the type
        if (limit < offset + 16 || !file.read(reinterpret_cast<char*>(header.data() + 8), 8)) {
            return std::nullopt;
        }
        size = bigEndian(header.data() + 8, 8);
        box.payload = offset + 16;
    } else if (size == 0) {  // runs to the end of the file
        size = limit - offset;
    }
    if (size < box.payload - offset || size > limit - offset) {
        return std::nullopt;
    }
    box.end = offset + size;
    return box;
}

bool containsChild(std::ifstream& file, const BoxHeader& parent, const char* type) {
    std::uintmax_t offset = parent.payload;
    while (const auto child = readBox(file, offset, parent.end)) {
        if (child->type == type) {
            return true;
        }
        offset = child->end;
    }
    return false;
}

}  // namespace

MovieLayout readMovieLayout(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    if (error || !file) {
        return {};
    }
    bool sawMovieHeader = false;
    bool fragmented = false;
    bool sawIndex = false;
    bool fragmentOpen = false;  // a moof waiting for its mdat
    std::uintmax_t completeLength = 0;
    std::uintmax_t offset = 0;
    while (const auto box = readBox(file, offset, fileSize)) {
        if (offset == 0 && box->type != "ftyp") {
            return {};
        }
        if (box->type == "moov") {
            sawMovieHeader = true;
            fragmented = fragmented || containsChild(file, *box, "mvex");
        } else if (box->type == "moof") {
            fragmented = true;
            fragmentOpen = true;
        } else if (box->type == "mdat" && fragmentOpen && sawMovieHeader) {
            fragmentOpen = false;
            completeLength = box->end;
        } else if (box->type == "mfra") {
            sawIndex = true;
        }
        offset = box->end;
    }
    if (offset == 0) {
        return {};
    }
    if (sawMovieHeader && !fragmented) {
        return {MovieLayout::Kind::regular, 0};
    }
    if (fragmented && sawIndex) {
        return {MovieLayout::Kind::completeFragmented, 0};
    }
    // Fragments without their index, or a movie cut short before its first fragment.
    return {MovieLayout::Kind::interrupted, completeLength};
}

}  // namespace UmberlinPlatform
