// A block of bytes owned by the block: created with its length (uninitialised, no bytes copied)
// and filled by copying bytes in. Sample buffers share blocks read-only; fill a block before
// handing it to a sample buffer and never change it afterwards.
#pragma once

#include "Media/MediaBytes.hpp"
#include "Media/MediaStatus.hpp"

#include <cstddef>
#include <memory>

namespace Media {

class BlockBuffer {
    struct ConstructionToken {};

public:
    // Fails with badLength for a length of zero and blockAllocationFailed when the memory
    // cannot be had.
    static Created<BlockBuffer> makeWithMemoryBlock(std::size_t length);

    // Copies `source` into the block at `offset`. badOffset when the offset lies past the end,
    // badLength when the bytes would run past the end; nothing is copied then. An empty source
    // copies nothing and succeeds.
    Status replaceDataBytes(ByteView source, std::size_t offset);

    std::size_t dataLength() const { return length_; }
    ByteView bytes() const { return {memory_.get(), length_}; }

    BlockBuffer(ConstructionToken, std::unique_ptr<std::uint8_t[]> memory, std::size_t length)
        : memory_(std::move(memory)), length_(length) {}

private:
    std::unique_ptr<std::uint8_t[]> memory_;
    std::size_t length_;
};

}  // namespace Media
