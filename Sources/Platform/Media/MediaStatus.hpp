// Status codes of the media containers. Like every platform port, the media containers throw
// nothing: each creating operation returns a Status (0 on success) together with the object or
// nothing, and callers turn a failure into their own error case that carries the number. The
// values follow the ranges of the platform media framework these containers stand in for, so
// logs read the same on every platform.
#pragma once

#include <cstdint>
#include <memory>

namespace Media {

using Status = std::int32_t;

namespace StatusCode {
inline constexpr Status success = 0;
// Byte blocks.
inline constexpr Status blockAllocationFailed = -12701;  // no memory for the block
inline constexpr Status badOffset = -12703;              // an offset past the end of the block
inline constexpr Status badLength = -12704;              // a length of zero, or running past the end
// Format descriptions.
inline constexpr Status invalidFormatParameter = -12710;  // not HEVC parameter sets, or a bad field
inline constexpr Status formatAllocationFailed = -12711;
inline constexpr Status unreadableParameterSets = -12712;  // the HEVC decoder cannot read them
// Sample buffers.
inline constexpr Status sampleAllocationFailed = -12730;
inline constexpr Status missingDataBuffer = -12731;
inline constexpr Status sampleIndexOutOfRange = -12733;
inline constexpr Status invalidEntryCount = -12735;  // no samples, or timing or size entries not 0, 1 or one per sample
inline constexpr Status noSampleTiming = -12736;     // the buffer carries no timing entries
inline constexpr Status sizesExceedData = -12737;    // the samples need more bytes than the block has
inline constexpr Status timeNotRepresentable = -12738;  // a derived time leaves the 64-bit range
}  // namespace StatusCode

// What a creating operation gives back: a status and, on success only, the new object.
template <typename Object> struct Created {
    Status status = StatusCode::success;
    std::shared_ptr<Object> object;

    bool succeeded() const { return status == StatusCode::success && object != nullptr; }
};

template <typename Object> Created<Object> createdFailure(Status status) { return Created<Object>{status, nullptr}; }

}  // namespace Media
