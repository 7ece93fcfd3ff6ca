// Brings a picture decoded into a VAAPI surface back to memory as the three planes the preview
// draws. Drivers hand surfaces out semi-planar (NV12, P010: the two chroma planes interleaved);
// those are laid out as three planes of the same depth by libswscale, sample for sample.
#pragma once

#include <cstdint>

#include "Video/DecodedVideoFrame.hpp"

struct SwsContext;

namespace Video {

class HardwareFrameDownload {
public:
    HardwareFrameDownload() = default;
    ~HardwareFrameDownload();
    HardwareFrameDownload(const HardwareFrameDownload&) = delete;
    HardwareFrameDownload& operator=(const HardwareFrameDownload&) = delete;

    // Nothing when `surfaceFrame` is not on a VAAPI surface or cannot be brought back whole.
    DecodedVideoFrameRef download(const AVFrame& surfaceFrame, std::int64_t presentationTimeNanoseconds);

private:
    SwsContext* planarizer_ = nullptr;
};

}  // namespace Video
