// Turns a finished fragmented movie into a regular one (one moov indexing every sample) with the
// same samples byte for byte, so the finished file is what every player and editor expects:
// durations in the movie header, an edit list honoured by every reader.
//
// The fragmented file stays in place until the regular one is complete beside it (in a hidden
// file in the same folder), which then replaces it in one rename. If anything fails on the way,
// the fragmented movie, already complete and playable, is kept.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace UmberlinPlatform {

struct RegularMovieRewrite {
    int result = 0;              // 0, or a negative FFmpeg error code (the movie is then left as it was)
    double durationSeconds = 0;  // of the regular movie
};

// Rewrites the movie at `path`. With `usableLength`, only the file's first bytes up to there are
// read: the whole fragments of a movie whose writer died, without the cut-off fragment behind them.
RegularMovieRewrite rewriteAsRegularMovie(const std::filesystem::path& path,
                                          std::optional<std::uintmax_t> usableLength = std::nullopt);

}  // namespace UmberlinPlatform
