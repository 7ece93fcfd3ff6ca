#pragma once
// Carries updates of one kind (telemetry, camera status, orientation, meter readings) from a
// producer's serial queue to the main thread so that a busy main thread never piles them up:
// while one delivery waits on the main queue, a newer value replaces the waiting one instead
// of posting again, and the delivery applies the newest. However fast the phone sends, at most
// one delivery per mailbox waits.
//
// Order against the producer's other posts: `close()` makes the next value start a delivery
// of its own. The producer calls it before it posts anything that must stay in order with
// these values (a connection state, say), so a value sent after that post is never applied
// before it.
//
//   producer queue                 slot              main thread
//   send(a) -- posts delivery --> [a]
//   send(b) ------------------->  [b]   (no post)
//                                 [ ] <-- delivery takes b, applies it
//   send(c) -- slot was taken: new slot, posts another delivery

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

#include "Dispatch/SerialQueue.hpp"

namespace Quillfen {

template <typename T> class LatestValueMailbox {
public:
    using Apply = std::function<void(T)>;

    // `post` runs a delivery later on the main thread; `apply` is given each delivered value
    // there.
    LatestValueMailbox(UmberlinPlatform::PostToMain post, Apply apply)
        : post_(std::move(post)), apply_(std::move(apply)) {}

    // On the producer's queue only.
    void send(T value) {
        auto fresh = std::make_shared<T>(std::move(value));
        // A slot whose delivery has not run yet still holds a value: replacing it is enough.
        if (open_ && open_->exchange(fresh)) return;
        open_ = std::make_shared<Slot>(std::move(fresh));
        post_([slot = open_, apply = apply_] {
            if (auto value = slot->exchange(nullptr)) apply(std::move(*value));
        });
    }

    // On the producer's queue only: the next value goes in a delivery posted after now.
    void close() { open_.reset(); }

private:
    using Slot = std::atomic<std::shared_ptr<T>>;

    UmberlinPlatform::PostToMain post_;
    Apply apply_;
    std::shared_ptr<Slot> open_;  // the slot of the latest delivery posted
};

}  // namespace Quillfen
