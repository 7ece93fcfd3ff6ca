#pragma once
// The preview of a session that has no window: frames are dropped as they arrive.

#include "Reception/NetworkVideoRenderer.hpp"

namespace UmberlinRecord {

class DiscardingVideoRenderer final : public Quillfen::NetworkVideoRenderer {
public:
    void enqueue(const Media::SampleBufferRef&, bool) override {}
    void flush() override {}
};

}  // namespace UmberlinRecord
