// Turns a finished fragmented movie into a regular one (one moov indexing every sample) with the
// same samples byte for byte, so the finished file is what every player and editor expects:
// durations in the movie header, an edit list honoured by every reader.
//
// The fragmented file stays in place until the regular one is complete beside it (in a hidden
// file in the same folder), which then replaces it in one rename. If anything fails on the way,
// the fragmented movie, already complete and playable, is kept.
#pragma once

#include <filesystem>

namespace UmberlinPlatform {

// 0 on success, or a negative FFmpeg error code (the fragmented movie is then left as it was).
int rewriteAsRegularMovie(const std::filesystem::path& path);

}  // namespace UmberlinPlatform
