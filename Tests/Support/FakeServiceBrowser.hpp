#pragma once
// A DNS-SD browser the test drives: it records how it was made and used, and delivers
// the states and result sets the test reports through the queue it was started on, as
// the real browser does.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Network/ServiceBrowser.hpp"

namespace UmberlinPlatform {

class FakeServiceBrowser final : public ServiceBrowser, public std::enable_shared_from_this<FakeServiceBrowser> {
public:
    FakeServiceBrowser(std::string serviceType, NetworkParameters parameters);

    void setStateHandler(StateHandler handler) override;
    void setResultsChangedHandler(ResultsChangedHandler handler) override;
    void start(std::shared_ptr<SerialQueue> queue) override;
    // Reports cancelled, like the real browser.
    void cancel() override;

    // Queue an event for the handler installed when it is delivered (none: dropped).
    void reportState(BrowserState state);
    void reportResults(std::vector<BrowseResult> results);

    const std::string serviceType;
    const NetworkParameters parameters;
    bool isStarted() const { return queue_ != nullptr; }
    bool isCancelled() const { return cancelled_; }
    bool hasHandlers() const { return stateHandler_ || resultsHandler_; }

private:
    void deliver(std::function<void(FakeServiceBrowser&)> event);

    std::shared_ptr<SerialQueue> queue_;
    StateHandler stateHandler_;
    ResultsChangedHandler resultsHandler_;
    bool cancelled_ = false;
};

// Makes FakeServiceBrowsers and keeps every one it made, in order.
class FakeServiceBrowserFactory {
public:
    ServiceBrowserFactory factory();
    const std::vector<std::shared_ptr<FakeServiceBrowser>>& created() const { return created_; }
    // The browser made last; fails the test when there is none.
    FakeServiceBrowser& latest() const;

private:
    std::vector<std::shared_ptr<FakeServiceBrowser>> created_;
};

}  // namespace UmberlinPlatform
