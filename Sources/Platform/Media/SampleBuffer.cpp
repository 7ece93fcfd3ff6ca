#include "Media/SampleBuffer.hpp"

#include <algorithm>
#include <new>

namespace Media {

namespace {

bool isEntryCountValid(std::size_t entries, std::int64_t sampleCount) {
    return entries == 0 || entries == 1 || static_cast<std::int64_t>(entries) == sampleCount;
}

// Bytes all samples need, or nothing when that overflows.
std::optional<std::uint64_t> bytesNeeded(std::span<const std::size_t> sampleSizes, std::int64_t sampleCount) {
    std::uint64_t total = 0;
    if (sampleSizes.size() == 1) {
        if (__builtin_mul_overflow(std::uint64_t{sampleSizes[0]}, static_cast<std::uint64_t>(sampleCount), &total)) {
            return std::nullopt;
        }
        return total;
    }
    for (const std::size_t size : sampleSizes) {
        if (__builtin_add_overflow(total, std::uint64_t{size}, &total)) {
            return std::nullopt;
        }
    }
    return total;
}

}  // namespace

SampleBuffer::SampleBuffer(ConstructionToken, std::shared_ptr<const BlockBuffer> dataBuffer,
                           std::shared_ptr<const FormatDescription> formatDescription, std::int64_t sampleCount,
                           std::vector<SampleTimingInfo> timing, std::vector<std::size_t> sampleSizes,
                           std::optional<std::vector<SampleAttachments>> attachments)
    : dataBuffer_(std::move(dataBuffer)),
      formatDescription_(std::move(formatDescription)),
      sampleCount_(sampleCount),
      timing_(std::move(timing)),
      sampleSizes_(std::move(sampleSizes)),
      attachments_(std::move(attachments)) {}

Created<SampleBuffer> SampleBuffer::makeReady(std::shared_ptr<const BlockBuffer> dataBuffer,
                                              std::shared_ptr<const FormatDescription> formatDescription,
                                              std::int64_t sampleCount, std::span<const SampleTimingInfo> timing,
                                              std::span<const std::size_t> sampleSizes) {
    if (!dataBuffer) {
        return createdFailure<SampleBuffer>(StatusCode::missingDataBuffer);
    }
    if (sampleCount < 1 || !isEntryCountValid(timing.size(), sampleCount) ||
        !isEntryCountValid(sampleSizes.size(), sampleCount)) {
        return createdFailure<SampleBuffer>(StatusCode::invalidEntryCount);
    }
    const auto needed = bytesNeeded(sampleSizes, sampleCount);
    if (!needed || *needed > dataBuffer->dataLength()) {
        return createdFailure<SampleBuffer>(StatusCode::sizesExceedData);
    }
    try {
        return {StatusCode::success,
                std::make_shared<SampleBuffer>(ConstructionToken{}, std::move(dataBuffer), std::move(formatDescription),
                                               sampleCount, std::vector<SampleTimingInfo>(timing.begin(), timing.end()),
                                               std::vector<std::size_t>(sampleSizes.begin(), sampleSizes.end()),
                                               std::nullopt)};
    } catch (const std::bad_alloc&) {
        return createdFailure<SampleBuffer>(StatusCode::sampleAllocationFailed);
    }
}

Created<SampleBuffer> SampleBuffer::makeCopyWithNewTiming(std::span<const SampleTimingInfo> timing) const {
    if (!isEntryCountValid(timing.size(), sampleCount_)) {
        return createdFailure<SampleBuffer>(StatusCode::invalidEntryCount);
    }
    try {
        return {StatusCode::success,
                std::make_shared<SampleBuffer>(ConstructionToken{}, dataBuffer_, formatDescription_, sampleCount_,
                                               std::vector<SampleTimingInfo>(timing.begin(), timing.end()),
                                               sampleSizes_, attachments_)};
    } catch (const std::bad_alloc&) {
        return createdFailure<SampleBuffer>(StatusCode::sampleAllocationFailed);
    }
}

std::shared_ptr<const VideoFormatDescription> SampleBuffer::videoFormatDescription() const {
    if (!formatDescription_ || formatDescription_->mediaType() != MediaType::video) {
        return nullptr;
    }
    return std::static_pointer_cast<const VideoFormatDescription>(formatDescription_);
}

std::shared_ptr<const AudioFormatDescription> SampleBuffer::audioFormatDescription() const {
    if (!formatDescription_ || formatDescription_->mediaType() != MediaType::audio) {
        return nullptr;
    }
    return std::static_pointer_cast<const AudioFormatDescription>(formatDescription_);
}

MediaTime SampleBuffer::presentationTimeStamp() const {
    if (timing_.empty()) {
        return MediaTime::invalid();
    }
    // Invalid times order after valid ones, so the earliest valid time wins.
    return std::min_element(timing_.begin(), timing_.end(),
                            [](const auto& left, const auto& right) {
                                return left.presentationTimeStamp < right.presentationTimeStamp;
                            })
        ->presentationTimeStamp;
}

MediaTime SampleBuffer::decodeTimeStamp() const {
    return timing_.empty() ? MediaTime::invalid() : timing_.front().decodeTimeStamp;
}

MediaTime SampleBuffer::duration() const {
    if (timing_.empty()) {
        return MediaTime::invalid();
    }
    if (timing_.size() == 1) {
        return timing_.front().duration * sampleCount_;
    }
    MediaTime total = MediaTime::zero();
    for (const auto& entry : timing_) {
        total = total + entry.duration;
    }
    return total;
}

Status SampleBuffer::sampleTimingInfo(std::int64_t index, SampleTimingInfo& timing) const {
    if (index < 0 || index >= sampleCount_) {
        return StatusCode::sampleIndexOutOfRange;
    }
    if (timing_.empty()) {
        return StatusCode::noSampleTiming;
    }
    if (timing_.size() != 1 || index == 0) {
        timing = timing_[static_cast<std::size_t>(timing_.size() == 1 ? 0 : index)];
        return StatusCode::success;
    }
    const SampleTimingInfo& shared = timing_.front();
    const auto advanced = [&](const MediaTime& start) {
        return start.isValid() ? start + shared.duration * index : start;
    };
    const SampleTimingInfo derived{shared.duration, advanced(shared.presentationTimeStamp),
                                   advanced(shared.decodeTimeStamp)};
    if (derived.presentationTimeStamp.isValid() != shared.presentationTimeStamp.isValid() ||
        derived.decodeTimeStamp.isValid() != shared.decodeTimeStamp.isValid()) {
        return StatusCode::timeNotRepresentable;
    }
    timing = derived;
    return StatusCode::success;
}

std::size_t SampleBuffer::sampleSize(std::int64_t index) const {
    if (index < 0 || index >= sampleCount_ || sampleSizes_.empty()) {
        return 0;
    }
    return sampleSizes_.size() == 1 ? sampleSizes_.front() : sampleSizes_[static_cast<std::size_t>(index)];
}

std::size_t SampleBuffer::totalSampleSize() const {
    return static_cast<std::size_t>(bytesNeeded(sampleSizes_, sampleCount_).value_or(0));
}

std::vector<SampleAttachments>* SampleBuffer::sampleAttachments(bool createIfNecessary) {
    if (!attachments_ && createIfNecessary) {
        attachments_.emplace(static_cast<std::size_t>(sampleCount_));
    }
    return attachments_ ? &*attachments_ : nullptr;
}

const std::vector<SampleAttachments>* SampleBuffer::sampleAttachments() const {
    return attachments_ ? &*attachments_ : nullptr;
}

bool SampleBuffer::isKeyFrame() const {
    return !attachments_ || attachments_->empty() || !attachments_->front().notSync.value_or(false);
}

}  // namespace Media
