// The one-slot hand-over from the decoder's thread to the screen. The decoder delivers each
// new picture into the slot, replacing one the screen has not collected yet (a skipped
// frame), so the screen always draws the newest picture and no backlog of old ones can build
// up. The screen is woken only when a delivery finds the slot empty: while a wake-up is on
// its way, later deliveries just replace the picture it will collect.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "Video/DecodedVideoFrame.hpp"

namespace Video {

class VideoFrameMailbox {
public:
    // Any thread. A null frame asks the screen to remove its picture (the preview goes black).
    void deliver(DecodedVideoFrameRef frame);

    // Any thread, normally the screen's: what was delivered last, and the slot is empty again;
    // nothing when nothing was delivered since the last collection.
    std::optional<DecodedVideoFrameRef> collect();

    // Pictures delivered (decoded), and those replaced before the screen collected them.
    std::uint64_t deliveredFrames() const;
    std::uint64_t skippedFrames() const;

    // The screen that `owner` stands for is woken by `wake`, which must only post a wake-up
    // (it runs on the delivering thread, with the mailbox locked). A new owner replaces the
    // old one; removeWaker forgets the waker only if `owner` still holds it, and once it
    // returns, `wake` is never called again.
    void setWaker(const void* owner, std::function<void()> wake);
    void removeWaker(const void* owner);

private:
    mutable std::mutex mutex_;
    std::optional<DecodedVideoFrameRef> slot_;
    std::uint64_t deliveredFrames_ = 0;
    std::uint64_t skippedFrames_ = 0;
    const void* wakerOwner_ = nullptr;
    std::function<void()> wake_;
};

}  // namespace Video
