// The real movie writer: libavformat's QuickTime muxer and libavcodec's AAC encoder, run on a
// writer thread of its own so that the caller (the recorder's queue) never waits for the disk or
// the encoder. Appends only queue the buffer; an input is "ready for more media data" while its
// queue has room, so storage that cannot keep up shows as an input that is not ready instead of
// a caller that blocks.
//
// Video samples are written byte for byte (3-byte length prefixes widened to 4, which movie files
// require, the NAL units unchanged). A failure of the disk or the encoder turns the writer's
// status to failed with the error; the file keeps every fragment written before it.
#pragma once

#include "MovieWriter/MovieWriter.hpp"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>

namespace UmberlinPlatform {

// Makes what was written to the open file `descriptor` durable; 0, or the errno of the failure.
// The writer calls it on its thread after each fragment, before the next one is written.
using MovieFileSync = std::function<int(int descriptor)>;

// fdatasync.
int syncFileData(int descriptor);

struct FfmpegMovieWriterOptions {
    // Buffers each input may have waiting for the writer thread before it stops being ready:
    // about two seconds of 30 fps video, and of 20 ms audio buffers.
    std::size_t videoQueueLimit = 60;
    std::size_t audioQueueLimit = 100;
    // Finished movies are rewritten as regular movies (see MovieDefragmenter); off leaves them
    // fragmented.
    bool rewriteAsRegularMovieOnFinish = true;
    // How long the end of the factory (and of every writer it made) waits for writer threads
    // still busy, such as one stuck on stalled storage, before it names them in the log and
    // leaves them (see MovieWriterThreads).
    std::chrono::milliseconds shutdownPatience = std::chrono::seconds(2);
    // Nothing leaves fragments to the system's own write-back (for measuring what syncing costs).
    MovieFileSync syncFile = syncFileData;
};

// A factory for writers with `options`. The factory and its writers share the writers' threads:
// once the factory and every writer it made are gone, they are joined, or left past shutdownPatience.
MovieWriterFactory makeFfmpegMovieWriterFactory(FfmpegMovieWriterOptions options = {});

}  // namespace UmberlinPlatform
