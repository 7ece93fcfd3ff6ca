#include "MovieWriter/MovieFileLock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace UmberlinPlatform {

std::optional<MovieFileLock> MovieFileLock::acquireForWriting(const std::filesystem::path& path, int& errorNumber) {
    // Non-blocking only so that opening a pipe in the movie's place does not wait for a writer.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        errorNumber = errno;
        return std::nullopt;
    }
    MovieFileLock lock(descriptor);
    while (::flock(descriptor, LOCK_EX) != 0) {
        if (errno != EINTR) {
            // A file system without locks still records; recovery then cannot tell a live movie.
            break;
        }
    }
    return lock;
}

std::optional<MovieFileLock> MovieFileLock::tryAcquire(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) {
        return std::nullopt;
    }
    MovieFileLock lock(descriptor);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        return std::nullopt;
    }
    // A writer that finished between our open and our lock has renamed its regular movie over
    // the file we opened: what we hold is no longer what the name shows.
    struct stat opened {};
    struct stat named {};
    if (::fstat(descriptor, &opened) != 0 || ::stat(path.c_str(), &named) != 0 || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino || !S_ISREG(opened.st_mode)) {
        return std::nullopt;
    }
    return lock;
}

MovieFileLock::MovieFileLock(MovieFileLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

MovieFileLock& MovieFileLock::operator=(MovieFileLock&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

MovieFileLock::~MovieFileLock() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);  // releases the lock
    }
}

bool MovieFileLock::stillLinked() const {
    struct stat status {};
    return ::fstat(descriptor_, &status) != 0 || status.st_nlink > 0;
}

}  // namespace UmberlinPlatform
