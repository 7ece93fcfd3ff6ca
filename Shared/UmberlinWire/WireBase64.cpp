#include "UmberlinWire/WireBase64.hpp"

#include <array>

namespace UmberlinWire {
namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t notInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodingTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(notInAlphabet);
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}
constexpr auto decodingTable = makeDecodingTable();

}  // namespace

std::string base64Encode(ByteView bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text.push_back(alphabet[(group >> shift) & 0x3F]);
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        const std::uint32_t group = (bytes[i] << 16) | (left == 2 ? bytes[i + 1] << 8 : 0);
        text.push_back(alphabet[(group >> 18) & 0x3F]);
        text.push_back(alphabet[(group >> 12) & 0x3F]);
        text.push_back(left == 2 ? alphabet[(group >> 6) & 0x3F] : '=');
        text.push_back('=');
    }
    return text;
}

std::optional<Bytes> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;

    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool lastGroup = i + 4 == text.size();
        const std::size_t symbols = lastGroup ? 4 - padding : 4;
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            std::uint8_t sextet = 0;
            if (j < symbols) {
                sextet = decodingTable[static_cast<unsigned char>(text[i + j])];
                if (sextet == notInAlphabet) return std::nullopt;
            }
            group = (group << 6) | sextet;
        }
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (symbols > 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (symbols > 3) bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return bytes;
}

}  // namespace UmberlinWire
