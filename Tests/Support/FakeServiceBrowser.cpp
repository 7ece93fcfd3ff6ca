#include "Support/FakeServiceBrowser.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace UmberlinPlatform {

FakeServiceBrowser::FakeServiceBrowser(std::string serviceType, NetworkParameters parameters)
    : serviceType(std::move(serviceType)), parameters(std::move(parameters)) {}

void FakeServiceBrowser::setStateHandler(StateHandler handler) { stateHandler_ = std::move(handler); }

void FakeServiceBrowser::setResultsChangedHandler(ResultsChangedHandler handler) {
    resultsHandler_ = std::move(handler);
}

void FakeServiceBrowser::start(std::shared_ptr<SerialQueue> queue) {
    EXPECT_FALSE(isStarted()) << "a browser is started once";
    queue_ = std::move(queue);
}

void FakeServiceBrowser::cancel() {
    cancelled_ = true;
    reportState(BrowserState::cancelled());
}

void FakeServiceBrowser::reportState(BrowserState state) {
    deliver([state = std::move(state)](FakeServiceBrowser& browser) {
        if (browser.stateHandler_) browser.stateHandler_(state);
    });
}

void FakeServiceBrowser::reportResults(std::vector<BrowseResult> results) {
    deliver([results = std::move(results)](FakeServiceBrowser& browser) {
        if (browser.resultsHandler_) browser.resultsHandler_(results);
    });
}

void FakeServiceBrowser::deliver(std::function<void(FakeServiceBrowser&)> event) {
    if (!queue_) return;  // not started: a real browser reports nothing either
    // Held weakly, like the real browser: an event for a browser nobody holds is dropped.
    queue_->async([weakSelf = weak_from_this(), event = std::move(event)] {
        if (const auto self = weakSelf.lock()) event(*self);
    });
}

ServiceBrowserFactory FakeServiceBrowserFactory::factory() {
    return [this](const std::string& serviceType, const NetworkParameters& parameters) {
        auto browser = std::make_shared<FakeServiceBrowser>(serviceType, parameters);
        created_.push_back(browser);
        return browser;
    };
}

FakeServiceBrowser& FakeServiceBrowserFactory::latest() const {
    if (created_.empty()) throw std::logic_error("no browser has been made");
    return *created_.back();
}

}  // namespace UmberlinPlatform
