#include "MediaSupport/AnnexBUnits.hpp"

#include <stdexcept>
#include <string>

namespace UmberlinTools {

namespace {

// Position just past the next 00 00 01 at or after `from`, or stream.size() when none.
// `codeStart` receives where those three bytes begin; the extra zero of a four-byte start code
// is removed with the other trailing zeros of the unit before it.
std::size_t nextStartCode(UmberlinWire::ByteView stream, std::size_t from, std::size_t& codeStart) {
    for (std::size_t index = from; index + 2 < stream.size(); ++index) {
        if (stream[index] == 0 && stream[index + 1] == 0 && stream[index + 2] == 1) {
            codeStart = index;
            return index + 3;
        }
    }
    codeStart = stream.size();
    return stream.size();
}

}  // namespace

std::vector<UmberlinWire::ByteView> splitAnnexB(UmberlinWire::ByteView stream) {
    std::vector<UmberlinWire::ByteView> units;
    std::size_t codeStart = 0;
    std::size_t unitStart = nextStartCode(stream, 0, codeStart);
    while (unitStart < stream.size()) {
        std::size_t nextCodeStart = 0;
        const std::size_t nextUnitStart = nextStartCode(stream, unitStart, nextCodeStart);
        std::size_t unitEnd = nextCodeStart;
        // Trailing zero bytes belong to no unit (they pad the stream before the next start code).
        while (unitEnd > unitStart && stream[unitEnd - 1] == 0) {
            --unitEnd;
        }
        if (unitEnd > unitStart) {
            units.push_back(stream.subspan(unitStart, unitEnd - unitStart));
        }
        unitStart = nextUnitStart;
    }
    return units;
}

int hevcNalUnitType(UmberlinWire::ByteView nalUnit) {
    if (nalUnit.empty()) {
        return -1;
    }
    return (nalUnit[0] >> 1) & 0x3f;
}

bool isHevcParameterSet(UmberlinWire::ByteView nalUnit) {
    const int type = hevcNalUnitType(nalUnit);
    return type == hevcVpsNalUnitType || type == hevcSpsNalUnitType || type == hevcPpsNalUnitType;
}

std::vector<UmberlinWire::ByteView> splitLengthPrefixed(UmberlinWire::ByteView accessUnit, int prefixLength) {
    if (prefixLength < 1 || prefixLength > 4) {
        throw std::invalid_argument("The NAL unit length prefix must be 1 to 4 bytes long, not " +
                                    std::to_string(prefixLength) + ".");
    }
    const auto prefix = static_cast<std::size_t>(prefixLength);
    std::vector<UmberlinWire::ByteView> units;
    for (std::size_t offset = 0; offset < accessUnit.size();) {
        if (accessUnit.size() - offset < prefix) throw std::invalid_argument("A NAL unit length is cut short.");
        std::size_t length = 0;
        for (std::size_t index = 0; index < prefix; ++index) length = (length << 8) | accessUnit[offset + index];
        offset += prefix;
        if (accessUnit.size() - offset < length)
            throw std::invalid_argument("A NAL unit runs past the end of its access unit.");
        units.push_back(accessUnit.subspan(offset, length));
        offset += length;
    }
    return units;
}

void appendLengthPrefixed(UmberlinWire::Bytes& accessUnit, UmberlinWire::ByteView nalUnit, int prefixLength) {
    if (prefixLength < 1 || prefixLength > 4) {
        throw std::invalid_argument("The NAL unit length prefix must be 1 to 4 bytes long, not " +
                                    std::to_string(prefixLength) + ".");
    }
    const std::uint64_t limit = (std::uint64_t{1} << (8 * prefixLength)) - 1;
    if (nalUnit.size() > limit) {
        throw std::length_error("A NAL unit of " + std::to_string(nalUnit.size()) + " bytes does not fit a " +
                                std::to_string(prefixLength) + "-byte length prefix (at most " + std::to_string(limit) +
                                " bytes).");
    }
    for (int shift = 8 * (prefixLength - 1); shift >= 0; shift -= 8) {
        accessUnit.push_back(static_cast<std::uint8_t>(nalUnit.size() >> shift));
    }
    accessUnit.insert(accessUnit.end(), nalUnit.begin(), nalUnit.end());
}

}  // namespace UmberlinTools
