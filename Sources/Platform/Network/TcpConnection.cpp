#include "Network/TcpConnection.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <mutex>
#include <thread>

#include "Network/NetworkErrors.hpp"
#include "Network/SocketAddress.hpp"

namespace UmberlinPlatform {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PendingReceive {
    std::size_t minimum;
    std::size_t maximum;
    NetworkConnection::ReceiveCompletion completion;
    Bytes received;
};

struct PendingSend {
    Bytes content;
    std::size_t offset = 0;
    NetworkConnection::SendCompletion completion;
};

enum class Phase { connecting, ready, failed };

// The part of a connection shared with its I/O thread. Fields under `mutex` are touched by
// the owner's threads and the I/O thread; the rest belongs to the I/O thread alone.
class ConnectionCore : public std::enable_shared_from_this<ConnectionCore> {
public:
    ConnectionCore(NetworkEndpoint endpoint, NetworkParameters parameters)
        : endpoint_(std::move(endpoint)),
          parameters_(std::move(parameters)),
          wakeDescriptor_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

    ~ConnectionCore() {
        if (socket_ >= 0) ::close(socket_);
        if (wakeDescriptor_ >= 0) ::close(wakeDescriptor_);
    }

    std::mutex mutex;
    NetworkConnection::StateHandler stateHandler;
    std::weak_ptr<SerialQueue> queue;
    std::optional<NetworkPath> path;
    std::optional<PendingReceive> receive;
    std::deque<PendingSend> sends;
    bool cancelRequested = false;
    bool shutdownRequested = false;  // the owner is gone: stop without reporting anything

    void wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(wakeDescriptor_, &one, sizeof one);
    }

    void post(Work work) {
        std::shared_ptr<SerialQueue> target;
        {
            std::lock_guard lock(mutex);
            target = queue.lock();
        }
        if (target) target->async(std::move(work));
    }

    void postState(ConnectionState state) {
        post([core = shared_from_this(), state = std::move(state)] {
            NetworkConnection::StateHandler handler;
            {
                std::lock_guard lock(core->mutex);
                handler = core->stateHandler;
            }
            if (handler) handler(state);
        });
    }

    void postReceive(NetworkConnection::ReceiveCompletion completion, std::optional<Bytes> data, bool isComplete,
                     std::optional<NetworkError> error) {
        post([completion = std::move(completion), data = std::move(data), isComplete,
              error = std::move(error)]() mutable { completion(std::move(data), isComplete, std::move(error)); });
    }

    void postSend(NetworkConnection::SendCompletion completion, std::optional<NetworkError> error) {
        post([completion = std::move(completion), error = std::move(error)] { completion(error); });
    }

    void run();

private:
    bool openSocket();
    void finishConnecting();
    void serviceReceive(short events);
    void serviceSends();
    void completePendingWork(const NetworkError& error);
    void failConnection(NetworkError error);
    std::string interfaceText() const;

    const NetworkEndpoint endpoint_;
    const NetworkParameters parameters_;
    const int wakeDescriptor_;
    int socket_ = -1;
    Phase phase_ = Phase::connecting;
    std::string remoteText_;
    bool peerFinished_ = false;
    std::optional<NetworkError> streamError_;  // a failed read or write ends the byte stream for good
    Bytes readBuffer_;
};

std::string ConnectionCore::interfaceText() const {
    return parameters_.requiredInterface ? parameters_.requiredInterface->name : std::string("any interface");
}

void ConnectionCore::failConnection(NetworkError error) {
    phase_ = Phase::failed;
    streamError_ = error;
    postState(ConnectionState::failed(std::move(error)));
}

bool ConnectionCore::openSocket() {
    auto target = socketAddressFor(endpoint_, parameters_.requiredInterface);
    if (auto* error = std::get_if<NetworkError>(&target)) {
        failConnection(*error);
        return false;
    }
    const SocketAddress& address = std::get<SocketAddress>(target);
    socket_ = ::socket(address.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        failConnection(networkErrorFromErrno(errno));
        return false;
    }
    if (parameters_.requiredInterface) {
        if (auto error = pinSocketToInterface(socket_, address.family(), *parameters_.requiredInterface)) {
            failConnection(*error);
            return false;
        }
    }
    remoteText_ = describeSocketAddress(address.get(), address.length);
    {
        std::lock_guard lock(mutex);
        path = NetworkPath{std::nullopt, "connecting to " + remoteText_ + " via " + interfaceText()};
    }
    if (::connect(socket_, address.get(), address.length) != 0 && errno != EINPROGRESS) {
        failConnection(networkErrorFromErrno(errno));
        return false;
    }
    return true;
}

void ConnectionCore::finishConnecting() {
    int socketError = 0;
    socklen_t length = sizeof socketError;
    if (::getsockopt(socket_, SOL_SOCKET, SO_ERROR, &socketError, &length) != 0) socketError = errno;
    if (socketError == EINPROGRESS) return;
    if (socketError != 0) {
        failConnection(networkErrorFromErrno(socketError));
        return;
    }
    sockaddr_storage local{};
    socklen_t localLength = sizeof local;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &localLength);
    {
        std::lock_guard lock(mutex);
        path = NetworkPath{std::nullopt, "satisfied, tcp " +
                                             describeSocketAddress(reinterpret_cast<sockaddr*>(&local), localLength) +
                                             " -> " + remoteText_ + " via " + interfaceText()};
    }
    phase_ = Phase::ready;
    postState(ConnectionState::ready());
}

void ConnectionCore::serviceReceive(short events) {
    std::unique_lock lock(mutex);
    if (!receive) return;
    if (streamError_) {
        PendingReceive done = std::move(*receive);
        receive.reset();
        lock.unlock();
        postReceive(std::move(done.completion), std::nullopt, false, streamError_);
        return;
    }
    if (!peerFinished_ && (events & (POLLIN | POLLHUP | POLLERR))) {
        const std::size_t wanted = receive->maximum - receive->received.size();
        lock.unlock();
        if (readBuffer_.size() < wanted) readBuffer_.resize(wanted);
        ssize_t count = ::read(socket_, readBuffer_.data(), wanted);
        int readError = errno;
        lock.lock();
        if (!receive) return;  // cancelled meanwhile
        if (count > 0) {
            receive->received.insert(receive->received.end(), readBuffer_.begin(), readBuffer_.begin() + count);
        } else if (count == 0) {
            peerFinished_ = true;
        } else if (readError != EAGAIN && readError != EINTR) {
            streamError_ = networkErrorFromErrno(readError);
            receive->received.clear();
        }
    }
    const bool enough = receive->received.size() >= receive->minimum;
    if (!enough && !peerFinished_ && !streamError_) return;
    PendingReceive done = std::move(*receive);
    receive.reset();
    lock.unlock();
    std::optional<Bytes> data;
    if (!done.received.empty()) data = std::move(done.received);
    postReceive(std::move(done.completion), std::move(data), peerFinished_ && !streamError_, streamError_);
}

void ConnectionCore::serviceSends() {
    std::unique_lock lock(mutex);
    while (!sends.empty()) {
        PendingSend& front = sends.front();
        if (!streamError_ && front.offset < front.content.size()) {
            ssize_t count = ::send(socket_, front.content.data() + front.offset, front.content.size() - front.offset,
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
            if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
            if (count < 0) streamError_ = networkErrorFromErrno(errno);
            if (count > 0) front.offset += static_cast<std::size_t>(count);
            if (!streamError_ && front.offset < front.content.size()) return;
        }
        PendingSend done = std::move(front);
        sends.pop_front();
        lock.unlock();
        postSend(std::move(done.completion), streamError_);
        lock.lock();
    }
}

void ConnectionCore::completePendingWork(const NetworkError& error) {
    std::unique_lock lock(mutex);
    std::optional<PendingReceive> pendingReceive = std::move(receive);
    receive.reset();
    std::deque<PendingSend> pendingSends = std::move(sends);
    sends.clear();
    lock.unlock();
    if (pendingReceive) postReceive(std::move(pendingReceive->completion), std::nullopt, false, error);
    for (PendingSend& send : pendingSends) postSend(std::move(send.completion), error);
}

void ConnectionCore::run() {
    postState(ConnectionState::preparing());
    if (openSocket()) phase_ = Phase::connecting;
    for (;;) {
        short socketEvents = 0;
        {
            std::lock_guard lock(mutex);
            if (shutdownRequested) return;
            if (cancelRequested) break;
            if (phase_ == Phase::connecting) socketEvents = POLLOUT;
            if (phase_ == Phase::ready && receive && !peerFinished_ && !streamError_) socketEvents |= POLLIN;
            if (phase_ == Phase::ready && !sends.empty() && !streamError_) socketEvents |= POLLOUT;
        }
        const bool answerAtOnce =
            phase_ == Phase::failed || (phase_ == Phase::ready && (peerFinished_ || streamError_));
        if (answerAtOnce && phase_ == Phase::failed) completePendingWork(*streamError_);
        if (answerAtOnce && phase_ == Phase::ready) {
            serviceReceive(0);
            serviceSends();
        }

        pollfd descriptors[2] = {{wakeDescriptor_, POLLIN, 0}, {socketEvents != 0 ? socket_ : -1, socketEvents, 0}};
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR) return;
        std::uint64_t wakeCount = 0;
        [[maybe_unused]] ssize_t drained = ::read(wakeDescriptor_, &wakeCount, sizeof wakeCount);

        const short events = descriptors[1].revents;
        if (phase_ == Phase::connecting && events != 0) finishConnecting();
        if (phase_ == Phase::ready) {
            serviceReceive(events);
            if (events & (POLLOUT | POLLERR | POLLHUP)) serviceSends();
        }
    }
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    completePendingWork(networkErrorFromErrno(ECANCELED));
    postState(ConnectionState::cancelled());
}

class TcpConnection final : public NetworkConnection {
public:
    TcpConnection(NetworkEndpoint endpoint, NetworkParameters parameters)
        : core_(std::make_shared<ConnectionCore>(std::move(endpoint), std::move(parameters))) {}

    ~TcpConnection() override {
        {
            std::lock_guard lock(core_->mutex);
            core_->shutdownRequested = true;
        }
        core_->wake();
        if (!thread_.joinable()) return;
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();  // dropped by the I/O thread itself: it ends right after
        } else {
            thread_.join();
        }
    }

    void setStateHandler(StateHandler handler) override {
        std::lock_guard lock(core_->mutex);
        core_->stateHandler = std::move(handler);
    }

    void start(std::shared_ptr<SerialQueue> queue) override {
        bool cancelledEarly = false;
        {
            std::lock_guard lock(core_->mutex);
            if (thread_.joinable() || startedCancelled_) return;
            core_->queue = queue;
            cancelledEarly = core_->cancelRequested;
            startedCancelled_ = cancelledEarly;
        }
        if (cancelledEarly) {
            core_->postState(ConnectionState::cancelled());
            return;
        }
        thread_ = std::thread([core = core_] { core->run(); });
    }

    void cancel() override {
        {
            std::lock_guard lock(core_->mutex);
            core_->cancelRequested = true;
        }
        core_->wake();
    }

    std::optional<NetworkPath> currentPath() const override {
        std::lock_guard lock(core_->mutex);
        return core_->path;
    }

    void receive(std::size_t minimumIncompleteLength, std::size_t maximumLength,
                 ReceiveCompletion completion) override {
        const std::size_t maximum = std::max<std::size_t>(maximumLength, 1);
        const std::size_t minimum = std::clamp<std::size_t>(minimumIncompleteLength, 1, maximum);
        {
            std::lock_guard lock(core_->mutex);
            if (!core_->receive) {
                core_->receive = PendingReceive{minimum, maximum, std::move(completion), {}};
                completion = nullptr;
            }
        }
        if (completion) {
            core_->postReceive(std::move(completion), std::nullopt, false,
                               networkErrorWithDescription("Another receive is still waiting for data."));
            return;
        }
        core_->wake();
    }

    void send(std::vector<std::uint8_t> content, SendCompletion completion) override {
        {
            std::lock_guard lock(core_->mutex);
            core_->sends.push_back({std::move(content), 0, std::move(completion)});
        }
        core_->wake();
    }

private:
    std::shared_ptr<ConnectionCore> core_;
    std::thread thread_;
    bool startedCancelled_ = false;
};

}  // namespace

std::shared_ptr<NetworkConnection> makeTcpConnection(const NetworkEndpoint& endpoint,
                                                     const NetworkParameters& parameters) {
    return std::make_shared<TcpConnection>(endpoint, parameters);
}

}  // namespace UmberlinPlatform
