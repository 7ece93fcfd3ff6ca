#pragma once
// A 5x7 pixel font for the test picture: digits, capital letters and a few signs.

#include <array>
#include <cstdint>
#include <optional>

namespace UmberlinTools {

inline constexpr int glyphWidth = 5;
inline constexpr int glyphHeight = 7;

// Rows top to bottom; bit 4 is the leftmost pixel.
using Glyph = std::array<std::uint8_t, glyphHeight>;

// The glyph of a character; lower-case letters use the capital's. Nothing for characters the
// font lacks.
std::optional<Glyph> glyphFor(char character);

}  // namespace UmberlinTools
