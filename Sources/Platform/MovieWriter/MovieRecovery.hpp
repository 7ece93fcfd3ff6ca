// Recovery of a movie whose writer died (a crash, kill -9, a power cut): its fragments are on
// disk but the index that ends a fragmented movie is not. The movie is rewritten in place as a
// regular movie from its whole fragments, the way a finished recording is (see
// MovieDefragmenter); a fragment cut off by the crash is left out.
//
// A movie is touched only under its writer's lock (MovieFileLock), so one that another process is
// still writing is left alone. A movie that cannot be rewritten stays as it was.
#pragma once

#include <filesystem>
#include <string>

namespace UmberlinPlatform {

struct MovieRecoveryResult {
    enum class Outcome {
        notInterrupted,  // a finished movie, or not a movie: left alone
        inUse,           // another writer holds it: left alone
        recovered,       // rewritten in place as a regular movie
        unrecoverable,   // interrupted, but left as it was; `reason` says why
    };
    Outcome outcome = Outcome::notInterrupted;
    double durationSeconds = 0;  // recovered: of the regular movie
    std::string reason;          // unrecoverable: a lower-case phrase ("no space left on device")
};

MovieRecoveryResult recoverInterruptedMovie(const std::filesystem::path& path);

}  // namespace UmberlinPlatform
