#include "Reception/LocalizedStandardCompare.hpp"

#include <cstddef>
#include <cstdint>

namespace Quillfen {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one code point at `position` and advances past it. A byte that does not start a
// well-formed sequence stands for itself, shifted above the Unicode range so that it
// still orders consistently.
char32_t nextCodePoint(std::string_view text, std::size_t& position) {
    const auto lead = static_cast<std::uint8_t>(text[position]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++position;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    }
    if (length == 0 || position + length > text.size()) {
        ++position;
        return 0x110000 + lead;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto continuation = static_cast<std::uint8_t>(text[position + i]);
        if ((continuation & 0xC0) != 0x80) {
            ++position;
            return 0x110000 + lead;
        }
        value = (value << 6) | (continuation & 0x3F);
    }
    position += length;
    return value;
}

char32_t foldCase(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;     // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic capitals
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic capitals with marks
    return c;
}

// Compares the digit runs starting at the two positions by value and advances past them.
std::weak_ordering compareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && isDigit(a[i + 1])) ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && isDigit(b[j + 1])) ++j;
    std::size_t endA = i;
    std::size_t endB = j;
    while (endA < a.size() && isDigit(a[endA])) ++endA;
    while (endB < b.size() && isDigit(b[endB])) ++endB;
    // Without leading zeros, a longer run is a larger number.
    auto order = (endA - i) <=> (endB - j);
    if (order == 0) order = a.substr(i, endA - i).compare(b.substr(j, endB - j)) <=> 0;
    i = endA;
    j = endB;
    return order;
}

}  // namespace

std::weak_ordering localizedStandardCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            if (const auto order = compareNumbers(a, i, b, j); order != 0) return order;
            continue;
        }
        const char32_t left = foldCase(nextCodePoint(a, i));
        const char32_t right = foldCase(nextCodePoint(b, j));
        if (left != right) return left <=> right;
    }
    if (i < a.size()) return std::weak_ordering::greater;
    if (j < b.size()) return std::weak_ordering::less;
    return std::weak_ordering::equivalent;
}

}  // namespace Quillfen
