#pragma once
// Recovery at start: every recording folder is searched for this system's movies that a crash,
// a kill or a power cut left unfinished, and each is rewritten in place as a regular movie (the
// movie writer's recovery does the file work). The monitor runs it off the main thread when it
// starts and shows the sentences on the window's recording line; umberlin-record prints them.
//
// Only files named as this system names its movies ("Umberlin ....mov") are looked at: another
// program's movie in the same folder is never touched, whatever state it is in.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "MovieWriter/MovieRecovery.hpp"

namespace Quillfen {

// One interrupted movie and what became of it.
struct InterruptedRecording {
    std::filesystem::path path;
    bool recovered = false;
    // "Recovered an interrupted recording: NAME (1 min 12 s)." or "An interrupted recording
    // could not be recovered: NAME (REASON). It was left as it was."
    std::string sentence;
};

// Looks at one movie file; the real one is UmberlinPlatform::recoverInterruptedMovie.
using InterruptedMovieRecoverer = std::function<UmberlinPlatform::MovieRecoveryResult(const std::filesystem::path&)>;

// The interrupted movies in `folders` (each folder once, missing ones skipped), in name order
// within a folder. Movies in use by another writer and finished movies are not listed.
std::vector<InterruptedRecording> recoverInterruptedRecordings(const std::vector<std::filesystem::path>& folders,
                                                               const InterruptedMovieRecoverer& recover);

// What the window's recording line shows after recovery (the sentences, one after another), and
// the recovered movie its reveal button shows (the last one); nothing when nothing was found.
struct RecoverySummary {
    std::string sentence;
    std::optional<std::filesystem::path> lastRecovered;
};
std::optional<RecoverySummary> summarizeRecovery(const std::vector<InterruptedRecording>& recordings);

// A recording's length as the sentences give it: "45 s", "1 min 12 s", "1 h 2 min".
std::string recordingLengthText(double seconds);

}  // namespace Quillfen
