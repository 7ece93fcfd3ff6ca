// The threads of one factory's movie writers, owned and joined here rather than by each writer.
// A writer given up on (cancelled because its storage stalled) is released at once, without
// waiting for a write that may never return, while its thread stays owned here until it ends.
//
// Threads that have ended are joined whenever a new one starts, the rest when this goes away,
// all within one bounded wait: a thread still busy after that (stuck in storage, say) is named in
// the log and left to end on its own, so closing a window or quitting never hangs on a dead disk.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace UmberlinPlatform {

class MovieWriterThreads {
public:
    explicit MovieWriterThreads(std::chrono::milliseconds patience);
    MovieWriterThreads(const MovieWriterThreads&) = delete;
    MovieWriterThreads& operator=(const MovieWriterThreads&) = delete;
    ~MovieWriterThreads();

    // Runs `body` on a new thread owned here; `movie` names the thread's file in the log.
    void start(std::string movie, std::function<void()> body);

private:
    struct Ending;  // shared with the thread: whether its body has returned
    struct Owned {
        std::thread thread;
        std::shared_ptr<Ending> ending;
        std::string movie;
    };

    std::chrono::milliseconds patience_;
    std::mutex mutex_;
    std::vector<Owned> threads_;
};

}  // namespace UmberlinPlatform
