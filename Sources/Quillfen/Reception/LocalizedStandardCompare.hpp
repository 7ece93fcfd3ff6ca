#pragma once
// Orders names the way a file browser lists them: letter case is ignored and runs of
// digits compare by their numeric value, so "Phone 2" comes before "Phone 10".

#include <compare>
#include <string_view>

namespace Quillfen {

// Compares two UTF-8 names. Case folding covers ASCII, Latin-1, Greek and Cyrillic
// letters; other characters compare by code point. Names that differ only in letter
// case or in leading zeros of a number are equivalent.
std::weak_ordering localizedStandardCompare(std::string_view a, std::string_view b);

}  // namespace Quillfen
