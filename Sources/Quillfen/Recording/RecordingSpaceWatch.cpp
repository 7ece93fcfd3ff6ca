#include "Recording/RecordingSpaceWatch.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace Quillfen {

std::optional<StorageReading> readStorage(const std::filesystem::path& movie) {
    std::error_code error;
    const std::uintmax_t written = std::filesystem::file_size(movie, error);
    if (error) return std::nullopt;
    const std::filesystem::space_info space = std::filesystem::space(movie.parent_path(), error);
    if (error) return std::nullopt;
    return StorageReading{written, space.available};
}

namespace {

// Decimal units, as file managers show sizes: "512 KB", "45 MB", "12.3 GB".
std::string byteCountText(std::uintmax_t bytes) {
    char text[32];
    const double value = static_cast<double>(bytes);
    if (value < 1e6)
        std::snprintf(text, sizeof text, "%.0f KB", value / 1e3);
    else if (value < 1e9)
        std::snprintf(text, sizeof text, "%.0f MB", value / 1e6);
    else
        std::snprintf(text, sizeof text, "%.1f GB", value / 1e9);
    return text;
}

std::optional<std::string> timeLeftText(const RecordingSpace& space) {
    const auto seconds = space.secondsLeft();
    if (!seconds) return std::nullopt;
    if (*seconds < 60) return "less than a minute left";
    return "about " + std::to_string(static_cast<long long>(*seconds / 60)) + " min left";
}

}  // namespace

std::string recordingSpaceText(const RecordingSpace& space) {
    std::string text = byteCountText(space.writtenBytes) + " \u00B7 " + byteCountText(space.availableBytes) + " free";
    if (space.level != RecordingSpace::Level::plenty)
        if (const auto left = timeLeftText(space)) text += ", " + *left;
    return text;
}

std::string lowSpaceWarningSentence(const RecordingSpace& space) {
    const auto left = timeLeftText(space);
    return left ? "The recording disk is filling up: " + *left + "." : "The recording disk is filling up.";
}

RecordingSpaceMargins RecordingSpaceMargins::withMinimums(std::uintmax_t warningBytes, std::uintmax_t stopBytes) {
    RecordingSpaceMargins margins;
    margins.warningMinimumBytes = warningBytes;
    margins.stopMinimumBytes = stopBytes;
    return margins;
}

std::optional<double> RecordingSpace::secondsLeft() const {
    if (bytesPerSecond <= 0) return std::nullopt;
    return static_cast<double>(availableBytes) / bytesPerSecond;
}

RecordingSpaceWatch::RecordingSpaceWatch(std::shared_ptr<UmberlinPlatform::SerialQueue> queue, StorageProbe probe,
                                         RecordingSpaceMargins margins)
    : queue_(std::move(queue)), probe_(std::move(probe)), margins_(margins) {}

void RecordingSpaceWatch::watch(std::filesystem::path movie, std::function<void(const RecordingSpace&)> onSpace) {
    queue_->async([weak = weak_from_this(), movie = std::move(movie), onSpace = std::move(onSpace)]() mutable {
        const auto self = weak.lock();
        if (!self) return;
        if (self->nextReading_) self->nextReading_->cancel();
        self->movie_ = std::move(movie);
        self->onSpace_ = std::move(onSpace);
        self->firstWrittenBytes_.reset();
        self->readings_ = 0;
        self->readOnQueue(++self->generation_);
    });
}

void RecordingSpaceWatch::stop() {
    queue_->async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) return;
        ++self->generation_;
        self->onSpace_ = nullptr;
        if (self->nextReading_) self->nextReading_->cancel();
    });
}

void RecordingSpaceWatch::readOnQueue(std::uint64_t generation) {
    if (generation != generation_ || !onSpace_) return;
    nextReading_ = queue_->asyncAfter(interval, [weak = weak_from_this(), generation] {
        if (const auto self = weak.lock()) self->readOnQueue(generation);
    });
    const std::optional<StorageReading> reading = probe_(movie_);
    if (!reading) return;
    if (!firstWrittenBytes_) firstWrittenBytes_ = reading->writtenBytes;
    const double elapsed = readings_++ * std::chrono::duration<double>(interval).count();

    RecordingSpace space{reading->writtenBytes, reading->availableBytes, 0, RecordingSpace::Level::plenty};
    if (elapsed > 0 && reading->writtenBytes > *firstWrittenBytes_)
        space.bytesPerSecond = static_cast<double>(reading->writtenBytes - *firstWrittenBytes_) / elapsed;
    const auto margin = [&](double seconds, std::uintmax_t minimum) {
        return std::max(static_cast<double>(minimum), seconds * space.bytesPerSecond);
    };
    const double available = static_cast<double>(reading->availableBytes);
    const double stopMargin = margin(margins_.stopSeconds, margins_.stopMinimumBytes);
    const double warningMargin = margin(margins_.warningSeconds, margins_.warningMinimumBytes);
    if (stopMargin > 0 && available < stopMargin)
        space.level = RecordingSpace::Level::almostFull;
    else if (warningMargin > 0 && available < warningMargin)
        space.level = RecordingSpace::Level::low;
    onSpace_(space);
}

}  // namespace Quillfen
