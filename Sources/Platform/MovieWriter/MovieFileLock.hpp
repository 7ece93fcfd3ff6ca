// An advisory lock (flock) on a movie file, held by the process that writes the movie from
// before its first byte until the movie is complete, rewrite included. Recovery at start takes
// the same lock before it looks at a file, so it never touches a movie that is still being
// written. The kernel drops the lock with the process, so a crash, a kill or a power cut never
// leaves a stale lock behind (a side file would).
#pragma once

#include <filesystem>
#include <optional>

namespace UmberlinPlatform {

class MovieFileLock {
public:
    // For the writer: opens (creating it if needed) the file at `path` and waits for the lock,
    // which recovery holds only while it looks at a file. Nothing, with `errorNumber` set, when
    // the file cannot be opened.
    static std::optional<MovieFileLock> acquireForWriting(const std::filesystem::path& path, int& errorNumber);
    // For recovery: the lock on the existing file at `path`, or nothing while another writer holds
    // it, or when `path` no longer names the file that was opened (it was replaced meanwhile).
    static std::optional<MovieFileLock> tryAcquire(const std::filesystem::path& path);

    MovieFileLock(MovieFileLock&& other) noexcept;
    MovieFileLock& operator=(MovieFileLock&& other) noexcept;
    MovieFileLock(const MovieFileLock&) = delete;
    MovieFileLock& operator=(const MovieFileLock&) = delete;
    ~MovieFileLock();

    // False once the file has no name left in the file system: it, or its folder, was deleted.
    bool stillLinked() const;
    // The open file, for calls that act on the file as a whole (fdatasync).
    int descriptor() const { return descriptor_; }

private:
    explicit MovieFileLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};

}  // namespace UmberlinPlatform
