#include "UmberlinWire/WireShownText.hpp"

#include <algorithm>
#include <optional>

namespace UmberlinWire {
namespace {

struct DecodedCharacter {
    char32_t codePoint;
    std::size_t length;
};

// The UTF-8 character at the start of `text`, or nothing when it is not well-formed
// (overlong forms, surrogates and values above U+10FFFF included).
std::optional<DecodedCharacter> decodeCharacter(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return DecodedCharacter{lead, 1};
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) return std::nullopt;
    for (std::size_t index = 1; index < length; ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if ((byte & 0xC0) != 0x80) return std::nullopt;
        codePoint = codePoint << 6 | (byte & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return std::nullopt;
    return DecodedCharacter{codePoint, length};
}

bool actsOnATerminal(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) || codePoint == 0x2028 || codePoint == 0x2029;
}

}  // namespace

std::string shownPhoneText(std::string_view text, std::size_t longestCharacters) {
    std::string shown;
    shown.reserve(std::min(text.size(), longestCharacters * 4) + 3);
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters == longestCharacters) return shown + "\u2026";
        const auto character = decodeCharacter(text);
        if (!character) {
            shown += "\uFFFD";
            text.remove_prefix(1);
        } else {
            if (actsOnATerminal(character->codePoint))
                shown += '?';
            else
                shown.append(text.substr(0, character->length));
            text.remove_prefix(character->length);
        }
        ++characters;
    }
    return shown;
}

}  // namespace UmberlinWire
