#pragma once
// The DNS-SD browser port: finds the instances of one service type in the default domains.
// Like every platform port it throws nothing: a failure arrives as a NetworkError in its state.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dispatch/SerialQueue.hpp"
#include "Network/NetworkTypes.hpp"

namespace UmberlinPlatform {

struct BrowserState {
    enum class Kind { setup, ready, failed, cancelled };
    Kind kind = Kind::setup;
    std::optional<NetworkError> error;  // set for failed only

    static BrowserState ready() { return {Kind::ready, std::nullopt}; }
    static BrowserState failed(NetworkError error) { return {Kind::failed, std::move(error)}; }
    static BrowserState cancelled() { return {Kind::cancelled, std::nullopt}; }

    friend bool operator==(const BrowserState&, const BrowserState&) = default;
};

// One service instance and the interfaces it is currently seen (and resolved) on, in the
// order of their interface indexes.
struct BrowseResult {
    NetworkEndpoint endpoint;
    std::vector<NetworkInterface> interfaces;

    friend bool operator==(const BrowseResult&, const BrowseResult&) = default;
};

class ServiceBrowser {
public:
    using StateHandler = std::function<void(const BrowserState&)>;
    // Receives the COMPLETE current result set on every change (an empty set too).
    using ResultsChangedHandler = std::function<void(const std::vector<BrowseResult>&)>;

    virtual ~ServiceBrowser() = default;

    // Handlers are called on the queue given to start. Setting a handler (or an empty one)
    // takes effect for every event not yet delivered, so a handler removed on that queue
    // is never called again. Handlers hold their owner and the browser weakly: events in
    // flight may be dropped on the browser's own thread.
    virtual void setStateHandler(StateHandler handler) = 0;
    virtual void setResultsChangedHandler(ResultsChangedHandler handler) = 0;

    // Starts browsing; once. Events are dropped once `queue` no longer exists.
    virtual void start(std::shared_ptr<SerialQueue> queue) = 0;

    // Stops browsing and reports cancelled (to a handler still installed). Any thread.
    virtual void cancel() = 0;
};

// Creates a browser for `serviceType` ("_umberlin-camera._tcp").
using ServiceBrowserFactory =
    std::function<std::shared_ptr<ServiceBrowser>(const std::string& serviceType, const NetworkParameters& parameters)>;

}  // namespace UmberlinPlatform
