#pragma once
// A TCP connection the test drives: states, received bytes, the end of the stream and
// send results are reported by the test and delivered through the queue the connection
// was started on, as the real connection does. Everything sent is recorded.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Network/NetworkConnection.hpp"

namespace UmberlinPlatform {

class FakeNetworkConnection final : public NetworkConnection,
                                    public std::enable_shared_from_this<FakeNetworkConnection> {
public:
    struct Receive {
        std::size_t minimumIncompleteLength;
        std::size_t maximumLength;
        ReceiveCompletion completion;
    };
    struct Send {
        std::vector<std::uint8_t> content;
        SendCompletion completion;
    };

    FakeNetworkConnection(NetworkEndpoint endpoint, NetworkParameters parameters);

    void setStateHandler(StateHandler handler) override;
    void start(std::shared_ptr<SerialQueue> queue) override;
    // Reports cancelled and completes the outstanding receive and sends with an error,
    // like the real connection.
    void cancel() override;
    std::optional<NetworkPath> currentPath() const override { return path_; }
    void receive(std::size_t minimumIncompleteLength, std::size_t maximumLength, ReceiveCompletion completion) override;
    void send(std::vector<std::uint8_t> content, SendCompletion completion) override;

    // Queue a state for the handler installed when it is delivered (none: dropped).
    void reportState(ConnectionState state);
    void setCurrentPath(std::optional<NetworkPath> path) { path_ = std::move(path); }

    // Completes the outstanding receive (the test fails when there is none).
    void deliver(std::vector<std::uint8_t> data);
    void deliverEndOfStream();
    void deliverReceiveError(NetworkError error);

    // Completes the send made `index`-th (from 0), with or without an error.
    void completeSend(std::size_t index, std::optional<NetworkError> error = std::nullopt);

    const NetworkEndpoint endpoint;
    const NetworkParameters parameters;
    bool isStarted() const { return queue_ != nullptr; }
    bool isCancelled() const { return cancelled_; }
    bool hasStateHandler() const { return static_cast<bool>(stateHandler_); }
    bool hasPendingReceive() const { return receive_.has_value(); }
    const std::optional<Receive>& pendingReceive() const { return receive_; }
    // Every send so far, in order; completed ones keep their content.
    const std::vector<Send>& sends() const { return sends_; }

private:
    void completeReceive(std::optional<std::vector<std::uint8_t>> data, bool isComplete,
                         std::optional<NetworkError> error);
    void post(std::function<void()> work);

    std::shared_ptr<SerialQueue> queue_;
    StateHandler stateHandler_;
    std::optional<NetworkPath> path_;
    std::optional<Receive> receive_;
    std::vector<Send> sends_;
    bool cancelled_ = false;
};

// Makes FakeNetworkConnections and keeps every one it made, in order.
class FakeNetworkConnectionFactory {
public:
    NetworkConnectionFactory factory();
    const std::vector<std::shared_ptr<FakeNetworkConnection>>& created() const { return created_; }
    // The connection made last; fails the test when there is none.
    FakeNetworkConnection& latest() const;

private:
    std::vector<std::shared_ptr<FakeNetworkConnection>> created_;
};

}  // namespace UmberlinPlatform
