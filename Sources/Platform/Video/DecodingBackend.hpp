// Which decoder made a picture: libavcodec in software, or the graphics hardware through VAAPI.
#pragma once

#include <string_view>

namespace Video {

enum class DecodingBackend { software, vaapi };

// What the window tells an operator about it.
constexpr std::string_view decodingBackendDescription(DecodingBackend backend) {
    return backend == DecodingBackend::vaapi ? "Decoding: VAAPI hardware" : "Decoding: software";
}

}  // namespace Video
