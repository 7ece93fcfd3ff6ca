#include "Media/BlockBuffer.hpp"

#include <cstring>
#include <new>

namespace Media {

Created<BlockBuffer> BlockBuffer::makeWithMemoryBlock(std::size_t length) {
    if (length == 0) {
        return createdFailure<BlockBuffer>(StatusCode::badLength);
    }
    // Default-initialised: the bytes are written once, by replaceDataBytes, and never zeroed first.
    std::unique_ptr<std::uint8_t[]> memory(new (std::nothrow) std::uint8_t[length]);
    if (!memory) {
        return createdFailure<BlockBuffer>(StatusCode::blockAllocationFailed);
    }
    try {
        return {StatusCode::success, std::make_shared<BlockBuffer>(ConstructionToken{}, std::move(memory), length)};
    } catch (const std::bad_alloc&) {
        return createdFailure<BlockBuffer>(StatusCode::blockAllocationFailed);
    }
}

Status BlockBuffer::replaceDataBytes(ByteView source, std::size_t offset) {
    if (offset > length_) {
        return StatusCode::badOffset;
    }
    if (source.size() > length_ - offset) {
        return StatusCode::badLength;
    }
    if (!source.empty()) {
        std::memcpy(memory_.get() + offset, source.data(), source.size());
    }
    return StatusCode::success;
}

}  // namespace Media
