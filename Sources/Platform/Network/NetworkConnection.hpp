#pragma once
// The TCP connection port: one byte stream to an endpoint, pinned to one interface.
//
// Errors: like every platform port it throws nothing. Failures arrive as a NetworkError in the
// connection's state, a receive's or a send's completion, on the connection's queue.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Dispatch/SerialQueue.hpp"
#include "Network/NetworkTypes.hpp"

namespace UmberlinPlatform {

struct ConnectionState {
    enum class Kind { setup, preparing, waiting, ready, failed, cancelled };
    Kind kind = Kind::setup;
    std::optional<NetworkError> error;  // set for waiting and failed

    static ConnectionState preparing() { return {Kind::preparing, std::nullopt}; }
    static ConnectionState waiting(NetworkError error) { return {Kind::waiting, std::move(error)}; }
    static ConnectionState ready() { return {Kind::ready, std::nullopt}; }
    static ConnectionState failed(NetworkError error) { return {Kind::failed, std::move(error)}; }
    static ConnectionState cancelled() { return {Kind::cancelled, std::nullopt}; }

    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;
};

class NetworkConnection {
public:
    using StateHandler = std::function<void(const ConnectionState&)>;
    // data: the bytes read (none or empty when nothing arrived); isComplete: the peer
    // finished sending and nothing more will arrive; error: the read failed.
    using ReceiveCompletion = std::function<void(std::optional<std::vector<std::uint8_t>> data, bool isComplete,
                                                 std::optional<NetworkError> error)>;
    using SendCompletion = std::function<void(std::optional<NetworkError> error)>;

    virtual ~NetworkConnection() = default;

    // Called on the queue given to start. Setting a handler (or an empty one) takes effect
    // for every event not yet delivered: removed on that queue, it is never called again.
    // Handlers and completions hold the connection weakly: events in flight may be dropped
    // on the connection's own thread.
    virtual void setStateHandler(StateHandler handler) = 0;

    // Begins connecting: preparing, then ready, waiting or failed. Once. Every handler and
    // completion runs on `queue`; events are dropped once `queue` no longer exists.
    virtual void start(std::shared_ptr<SerialQueue> queue) = 0;

    // Closes the connection and reports cancelled. Outstanding receives and sends complete
    // with an error. Any thread; more than once is harmless.
    virtual void cancel() = 0;

    // The route in use; none before the connection has one (before start, while resolving).
    virtual std::optional<NetworkPath> currentPath() const = 0;

    // Completes once at least `minimumIncompleteLength` bytes (or the end of the stream, or an
    // error) are there, with at most `maximumLength` bytes. One receive at a time.
    virtual void receive(std::size_t minimumIncompleteLength, std::size_t maximumLength,
                         ReceiveCompletion completion) = 0;

    // Sends all of `content` as one complete message, after earlier sends; the completion
    // reports whether it was handed to the network.
    virtual void send(std::vector<std::uint8_t> content, SendCompletion completion) = 0;
};

using NetworkConnectionFactory = std::function<std::shared_ptr<NetworkConnection>(const NetworkEndpoint& endpoint,
                                                                                  const NetworkParameters& parameters)>;

}  // namespace UmberlinPlatform
