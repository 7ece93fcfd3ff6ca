#include "Video/VideoFrameMailbox.hpp"

namespace Video {

void VideoFrameMailbox::deliver(DecodedVideoFrameRef frame) {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = !slot_.has_value();
    if (frame) ++deliveredFrames_;
    if (!wasEmpty && *slot_ && frame) ++skippedFrames_;
    slot_ = std::move(frame);
    if (wasEmpty && wake_) wake_();
}

std::optional<DecodedVideoFrameRef> VideoFrameMailbox::collect() {
    std::lock_guard lock(mutex_);
    std::optional<DecodedVideoFrameRef> content;
    content.swap(slot_);
    return content;
}

std::uint64_t VideoFrameMailbox::deliveredFrames() const {
    std::lock_guard lock(mutex_);
    return deliveredFrames_;
}

std::uint64_t VideoFrameMailbox::skippedFrames() const {
    std::lock_guard lock(mutex_);
    return skippedFrames_;
}

void VideoFrameMailbox::setWaker(const void* owner, std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wakerOwner_ = owner;
    wake_ = std::move(wake);
}

void VideoFrameMailbox::removeWaker(const void* owner) {
    std::lock_guard lock(mutex_);
    if (wakerOwner_ != owner) return;
    wakerOwner_ = nullptr;
    wake_ = nullptr;
}

}  // namespace Video
