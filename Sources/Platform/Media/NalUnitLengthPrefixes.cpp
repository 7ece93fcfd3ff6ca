#include "Media/NalUnitLengthPrefixes.hpp"

#include <cstdint>

namespace Media {

std::optional<Bytes> resizeNalUnitLengthPrefixes(ByteView accessUnit, int fromLength, int toLength) {
    if (fromLength < 1 || fromLength > 4 || toLength < 1 || toLength > 4) {
        return std::nullopt;
    }
    const std::uint64_t largestUnit = (std::uint64_t{1} << (8 * toLength)) - 1;
    Bytes resized;
    resized.reserve(accessUnit.size() + accessUnit.size() / 64 + 16);
    std::size_t offset = 0;
    while (offset < accessUnit.size()) {
        if (accessUnit.size() - offset < static_cast<std::size_t>(fromLength)) {
            return std::nullopt;
        }
        std::uint64_t length = 0;
        for (int index = 0; index < fromLength; ++index) {
            length = (length << 8) | accessUnit[offset + index];
        }
        offset += fromLength;
        if (length > accessUnit.size() - offset || length > largestUnit) {
            return std::nullopt;
        }
        for (int shift = 8 * (toLength - 1); shift >= 0; shift -= 8) {
            resized.push_back(static_cast<std::uint8_t>(length >> shift));
        }
        resized.insert(resized.end(), accessUnit.begin() + offset, accessUnit.begin() + offset + length);
        offset += length;
    }
    return resized;
}

}  // namespace Media
