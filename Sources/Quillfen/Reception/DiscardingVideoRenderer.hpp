#pragma once
// The preview of a session that shows no picture: frames are dropped as they arrive.

#include "Reception/NetworkVideoRenderer.hpp"

namespace Quillfen {

class DiscardingVideoRenderer final : public NetworkVideoRenderer {
public:
    void enqueue(const Media::SampleBufferRef&) override {}
    void flush() override {}
};

}  // namespace Quillfen
