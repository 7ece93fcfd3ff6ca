#include "MovieWriter/MovieWriterThreads.hpp"

#include <condition_variable>

#include "Log/DiagnosticLog.hpp"

namespace UmberlinPlatform {

struct MovieWriterThreads::Ending {
    std::mutex mutex;
    std::condition_variable ended;
    bool hasEnded = false;

    void markEnded() {
        std::lock_guard lock(mutex);
        hasEnded = true;
        ended.notify_all();
    }
    bool waitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex);
        return ended.wait_until(lock, deadline, [this] { return hasEnded; });
    }
    bool hasEndedNow() {
        std::lock_guard lock(mutex);
        return hasEnded;
    }
};

MovieWriterThreads::MovieWriterThreads(std::chrono::milliseconds patience) : patience_(patience) {}

MovieWriterThreads::~MovieWriterThreads() {
    const auto deadline = std::chrono::steady_clock::now() + patience_;
    for (Owned& owned : threads_) {
        if (owned.thread.get_id() == std::this_thread::get_id()) {
            // The last owner let go from this thread's own completion. It cannot wait for
            // itself; it ends as soon as that completion returns.
            owned.thread.detach();
        } else if (owned.ending->waitUntil(deadline)) {
            owned.thread.join();
        } else {
            logLine("[Umberlin recording] Stopped waiting for the writer of " + owned.movie +
                    ": its storage does not answer. The file closes when a write returns.");
            owned.thread.detach();
        }
    }
}

void MovieWriterThreads::start(std::string movie, std::function<void()> body) {
    auto ending = std::make_shared<Ending>();
    std::thread thread([body = std::move(body), ending] {
        body();
        ending->markEnded();
    });
    std::lock_guard lock(mutex_);
    std::erase_if(threads_, [](Owned& owned) {
        if (!owned.ending->hasEndedNow()) return false;
        owned.thread.join();
        return true;
    });
    threads_.push_back({std::move(thread), std::move(ending), std::move(movie)});
}

}  // namespace UmberlinPlatform
