#pragma once
// How much a recording has written and how much room its disk has left, read about once a second
// on a queue of its own (a slow or hung disk never holds up the main thread or the recorder), and
// what that room means: plenty, low (a warning), or almost full (time to stop the recording while
// it can still be finished properly).
//
// The margins follow the data rate: the warning comes with about five minutes left at the current
// rate (at least 2 GB), the stop with about thirty seconds left (at least 200 MB).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Dispatch/SerialQueue.hpp"

namespace Quillfen {

struct StorageReading {
    std::uintmax_t writtenBytes = 0;    // the movie's size
    std::uintmax_t availableBytes = 0;  // free space on its file system, for this user
};

// Reads the movie's size and its file system's free space; nothing when either cannot be read.
using StorageProbe = std::function<std::optional<StorageReading>(const std::filesystem::path& movie)>;
std::optional<StorageReading> readStorage(const std::filesystem::path& movie);

struct RecordingSpaceMargins {
    double warningSeconds = 300;
    std::uintmax_t warningMinimumBytes = 2'000'000'000;
    double stopSeconds = 30;
    std::uintmax_t stopMinimumBytes = 200'000'000;

    // No warning and no stop: a disk that fills up fails the recording.
    static RecordingSpaceMargins off() { return {0, 0, 0, 0}; }
    // The rate-bound margins with other minimums.
    static RecordingSpaceMargins withMinimums(std::uintmax_t warningBytes, std::uintmax_t stopBytes);
};

struct RecordingSpace {
    enum class Level { plenty, low, almostFull };

    std::uintmax_t writtenBytes = 0;
    std::uintmax_t availableBytes = 0;
    double bytesPerSecond = 0;  // average since the watch began; 0 until a second has passed
    Level level = Level::plenty;

    // The time the free space lasts at the current rate; nothing while the rate is unknown.
    std::optional<double> secondsLeft() const;

    friend bool operator==(const RecordingSpace&, const RecordingSpace&) = default;
};

// "45 MB · 12.3 GB free", and while the space is low ", about 4 min left".
std::string recordingSpaceText(const RecordingSpace& space);
// "The recording disk is filling up: about 4 min left." (or without the time while the rate is
// unknown).
std::string lowSpaceWarningSentence(const RecordingSpace& space);

class RecordingSpaceWatch : public std::enable_shared_from_this<RecordingSpaceWatch> {
public:
    static constexpr UmberlinPlatform::QueueDuration interval = std::chrono::seconds(1);

    RecordingSpaceWatch(std::shared_ptr<UmberlinPlatform::SerialQueue> queue, StorageProbe probe,
                        RecordingSpaceMargins margins);

    // Reads `movie`'s storage now and then every interval, telling `onSpace` each time, on the
    // watch's queue. Replaces any earlier watch. Unreadable moments are skipped.
    void watch(std::filesystem::path movie, std::function<void(const RecordingSpace&)> onSpace);
    // No more readings (one already running may still report).
    void stop();

private:
    void readOnQueue(std::uint64_t generation);

    std::shared_ptr<UmberlinPlatform::SerialQueue> queue_;
    StorageProbe probe_;
    RecordingSpaceMargins margins_;
    // On the queue only.
    std::uint64_t generation_ = 0;
    std::filesystem::path movie_;
    std::function<void(const RecordingSpace&)> onSpace_;
    std::optional<std::uintmax_t> firstWrittenBytes_;
    int readings_ = 0;
    UmberlinPlatform::WorkItemHandle nextReading_;
};

}  // namespace Quillfen
