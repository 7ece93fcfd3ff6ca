#pragma once
// What the session controller needs of the preview: a sink for compressed frames that drops
// what is queued on flush. The window provides the real one, which moves to its own thread
// for display.

#include "Reception/SampleBufferSink.hpp"

namespace Quillfen {

class NetworkVideoRenderer : public SampleBufferSink {};

}  // namespace Quillfen
