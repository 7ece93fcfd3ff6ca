#pragma once
// Text that came from a phone, made fit to be shown: in a sentence, a log line or a terminal it
// must read as text and never act. Control characters (C0, C1, DEL) and the Unicode line and
// paragraph separators become "?", bytes that are not UTF-8 become U+FFFD, and text longer than
// `longestCharacters` characters is cut there and ends with "…".

#include <cstddef>
#include <string>
#include <string_view>

namespace UmberlinWire {

inline constexpr std::size_t longestShownPhoneText = 120;

std::string shownPhoneText(std::string_view text, std::size_t longestCharacters = longestShownPhoneText);

}  // namespace UmberlinWire
