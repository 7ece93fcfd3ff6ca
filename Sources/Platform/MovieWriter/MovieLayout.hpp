// What a QuickTime file's own top-level boxes say about how it was left. The writer's movies are
// fragmented while recording and regular once finished:
//
//   regular:      ftyp | mdat | moov
//   fragmented:   ftyp | moov (with mvex) | moof mdat | moof mdat | ... | mfra
//   interrupted:  ftyp | moov (with mvex) | moof mdat | ... | moof md   (no mfra; maybe cut short)
//
// The fragment index (mfra) is the last thing the writer puts in a fragmented movie, so one
// without it was never finished.
#pragma once

#include <cstdint>
#include <filesystem>

namespace UmberlinPlatform {

struct MovieLayout {
    enum class Kind {
        notAMovie,           // no ftyp box first
        regular,             // one moov indexing every sample
        completeFragmented,  // fragments ending with their index
        interrupted,         // fragments and no index: the writer never finished it
    };
    Kind kind = Kind::notAMovie;
    // interrupted: the bytes from the start up to the end of the last whole fragment (moof and
    // its mdat), 0 when no fragment is whole or the moov is missing.
    std::uintmax_t completeLength = 0;
};

// Reads the top-level boxes of the file at `path` (and the moov's children); notAMovie when the
// file cannot be read.
MovieLayout readMovieLayout(const std::filesystem::path& path);

}  // namespace UmberlinPlatform
