#include "MovieWriter/MovieRecovery.hpp"

#include "MovieWriter/MovieDefragmenter.hpp"
#include "MovieWriter/MovieFileLock.hpp"
#include "MovieWriter/MovieLayout.hpp"
#include "MovieWriter/MovieWriterErrors.hpp"

#include <cctype>

namespace UmberlinPlatform {

namespace {

// "No space left on device" as a phrase inside a sentence.
std::string lowerCasePhrase(std::string text) {
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        !std::isupper(static_cast<unsigned char>(text[1]))) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    while (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

}  // namespace

MovieRecoveryResult recoverInterruptedMovie(const std::filesystem::path& path) {
    using Outcome = MovieRecoveryResult::Outcome;
    const std::optional<MovieFileLock> lock = MovieFileLock::tryAcquire(path);
    if (!lock) {
        std::error_code error;
        return {std::filesystem::is_regular_file(path, error) ? Outcome::inUse : Outcome::notInterrupted, 0, {}};
    }
    const MovieLayout layout = readMovieLayout(path);
    if (layout.kind != MovieLayout::Kind::interrupted) {
        return {};
    }
    if (layout.completeLength == 0) {
        return {Outcome::unrecoverable, 0, "no whole part of it reached the disk"};
    }
    // The lock is held across the rename, so no other recovery starts on the same file meanwhile.
    const RegularMovieRewrite rewrite = rewriteAsRegularMovie(path, layout.completeLength);
    if (rewrite.result < 0) {
        const MovieWriterError error = makeMovieWriterError(MovieWriterErrorCode::cannotFinishFile, rewrite.result);
        return {Outcome::unrecoverable, 0,
                lowerCasePhrase(error.underlyingError ? error.underlyingError->localizedDescription
                                                      : error.localizedDescription)};
    }
    return {Outcome::recovered, rewrite.durationSeconds, {}};
}

}  // namespace UmberlinPlatform
