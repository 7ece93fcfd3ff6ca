#include "AnnexBCopy.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "EventLog.hpp"
#include "MediaSupport/AnnexBUnits.hpp"

namespace UmberlinTools {

AnnexBCopy::AnnexBCopy(const std::string& path, int framesPerSecond)
    : path_(path), maximumWaiting_(static_cast<std::size_t>(framesPerSecond)) {
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor_ < 0)
        throw std::runtime_error("cannot write the Annex B copy to " + path + ": " + std::strerror(errno));
    writer_ = std::thread([this] { writeWaiting(); });
}

AnnexBCopy::~AnnexBCopy() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    writer_.join();
    ::close(descriptor_);
}

void AnnexBCopy::writeParameterSets(const std::vector<UmberlinWire::Bytes>& parameterSets) {
    queue(std::vector<UmberlinWire::ByteView>(parameterSets.begin(), parameterSets.end()));
}

void AnnexBCopy::writeFrame(UmberlinWire::ByteView accessUnit, int prefixLength, bool keyFrame) {
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        if (keyFrame) droppingToKeyFrame_ = false;
        if (!droppingToKeyFrame_ && waiting_.size() >= maximumWaiting_) droppingToKeyFrame_ = true;
        if (droppingToKeyFrame_) {
            ++dropped_;
            return;
        }
    }
    queue(splitLengthPrefixed(accessUnit, prefixLength));
}

void AnnexBCopy::queue(const std::vector<UmberlinWire::ByteView>& units) {
    UmberlinWire::Bytes bytes;
    for (const UmberlinWire::ByteView unit : units) {
        bytes.insert(bytes.end(), {0, 0, 0, 1});
        bytes.insert(bytes.end(), unit.begin(), unit.end());
    }
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        waiting_.push_back(std::move(bytes));
    }
    changed_.notify_all();
}

void AnnexBCopy::writeWaiting() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return finishing_ || !waiting_.empty(); });
        if (waiting_.empty()) break;
        const UmberlinWire::Bytes bytes = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        for (std::size_t written = 0; written < bytes.size();) {
            const ssize_t result = ::write(descriptor_, bytes.data() + written, bytes.size() - written);
            if (result < 0 && errno == EINTR) continue;
            if (result <= 0) {
                logEvent("the Annex B copy to " + path_ + " ended: " + std::strerror(errno));
                lock.lock();
                ended_ = true;
                waiting_.clear();
                return;
            }
            written += static_cast<std::size_t>(result);
        }
        lock.lock();
    }
    if (dropped_ > 0)
        logEvent("the Annex B copy's reader fell behind: " + std::to_string(dropped_) + " frame(s) left out");
}

}  // namespace UmberlinTools
