#include "Recording/InterruptedRecordingRecovery.hpp"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace Quillfen {

namespace {

// The names RecordingDestinationStore gives movies; a leading dot would be a writer's temporary file.
bool isOwnMovieName(const std::string& name) {
    return name.starts_with("Umberlin ") && name.ends_with(".mov") && name.size() > 13;
}

std::vector<std::filesystem::path> ownMoviesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> movies;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code statusError;
        if (isOwnMovieName(entry->path().filename().string()) && entry->is_regular_file(statusError) &&
            !entry->is_symlink(statusError)) {
            movies.push_back(entry->path());
        }
    }
    std::sort(movies.begin(), movies.end());
    return movies;
}

std::filesystem::path sameFolderKey(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(folder, error);
    return error ? folder.lexically_normal() : canonical;
}

}  // namespace

std::string recordingLengthText(double seconds) {
    const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    if (whole < 60) return std::to_string(whole) + " s";
    if (whole < 3600) return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) + " min";
}

std::vector<InterruptedRecording> recoverInterruptedRecordings(const std::vector<std::filesystem::path>& folders,
                                                               const InterruptedMovieRecoverer& recover) {
    using Outcome = UmberlinPlatform::MovieRecoveryResult::Outcome;
    std::vector<InterruptedRecording> found;
    std::vector<std::filesystem::path> searched;
    for (const std::filesystem::path& folder : folders) {
        const std::filesystem::path key = sameFolderKey(folder);
        if (std::find(searched.begin(), searched.end(), key) != searched.end()) continue;
        searched.push_back(key);
        for (const std::filesystem::path& movie : ownMoviesIn(folder)) {
            const UmberlinPlatform::MovieRecoveryResult result = recover(movie);
            const std::string name = movie.filename().string();
            if (result.outcome == Outcome::recovered) {
                found.push_back({movie, true,
                                 "Recovered an interrupted recording: " + name + " (" +
                                     recordingLengthText(result.durationSeconds) + ")."});
            } else if (result.outcome == Outcome::unrecoverable) {
                found.push_back({movie, false,
                                 "An interrupted recording could not be recovered: " + name + " (" + result.reason +
                                     "). It was left as it was."});
            }
        }
    }
    return found;
}

std::optional<RecoverySummary> summarizeRecovery(const std::vector<InterruptedRecording>& recordings) {
    if (recordings.empty()) return std::nullopt;
    RecoverySummary summary;
    for (const InterruptedRecording& recording : recordings) {
        if (!summary.sentence.empty()) summary.sentence += " ";
        summary.sentence += recording.sentence;
        if (recording.recovered) summary.lastRecovered = recording.path;
    }
    return summary;
}

}  // namespace Quillfen
