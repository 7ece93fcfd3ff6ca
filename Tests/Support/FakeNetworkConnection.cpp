#include "Support/FakeNetworkConnection.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace UmberlinPlatform {
namespace {

NetworkError cancelledError() { return NetworkError{125, "Operation canceled."}; }

}  // namespace

FakeNetworkConnection::FakeNetworkConnection(NetworkEndpoint endpoint, NetworkParameters parameters)
    : endpoint(std::move(endpoint)), parameters(std::move(parameters)) {}

void FakeNetworkConnection::setStateHandler(StateHandler handler) { stateHandler_ = std::move(handler); }

void FakeNetworkConnection::start(std::shared_ptr<SerialQueue> queue) {
    EXPECT_FALSE(isStarted()) << "a connection is started once";
    queue_ = std::move(queue);
}

void FakeNetworkConnection::cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    reportState(ConnectionState::cancelled());
    if (receive_) completeReceive(std::nullopt, false, cancelledError());
    for (std::size_t index = 0; index < sends_.size(); ++index) {
        if (sends_[index].completion) completeSend(index, cancelledError());
    }
}

void FakeNetworkConnection::receive(std::size_t minimumIncompleteLength, std::size_t maximumLength,
                                    ReceiveCompletion completion) {
    EXPECT_FALSE(receive_.has_value()) << "one receive at a time";
    receive_ = Receive{minimumIncompleteLength, maximumLength, std::move(completion)};
    if (cancelled_) completeReceive(std::nullopt, false, cancelledError());
}

void FakeNetworkConnection::send(std::vector<std::uint8_t> content, SendCompletion completion) {
    sends_.push_back({std::move(content), std::move(completion)});
    if (cancelled_) completeSend(sends_.size() - 1, cancelledError());
}

void FakeNetworkConnection::reportState(ConnectionState state) {
    // Held weakly, like the real connection: an event for a connection nobody holds is dropped.
    post([weakSelf = weak_from_this(), state = std::move(state)] {
        const auto self = weakSelf.lock();
        if (self && self->stateHandler_) self->stateHandler_(state);
    });
}

void FakeNetworkConnection::deliver(std::vector<std::uint8_t> data) {
    completeReceive(std::move(data), false, std::nullopt);
}

void FakeNetworkConnection::deliverEndOfStream() { completeReceive(std::nullopt, true, std::nullopt); }

void FakeNetworkConnection::deliverReceiveError(NetworkError error) {
    completeReceive(std::nullopt, false, std::move(error));
}

void FakeNetworkConnection::completeReceive(std::optional<std::vector<std::uint8_t>> data, bool isComplete,
                                            std::optional<NetworkError> error) {
    if (!receive_) {
        ADD_FAILURE() << "no receive is outstanding";
        return;
    }
    if (data) {
        EXPECT_LE(data->size(), receive_->maximumLength) << "more bytes than the receive asked for";
    }
    post([completion = std::move(receive_->completion), data = std::move(data), isComplete,
          error = std::move(error)]() mutable { completion(std::move(data), isComplete, std::move(error)); });
    receive_.reset();
}

void FakeNetworkConnection::completeSend(std::size_t index, std::optional<NetworkError> error) {
    if (index >= sends_.size() || !sends_[index].completion) {
        ADD_FAILURE() << "send " << index << " is not outstanding";
        return;
    }
    post([completion = std::move(sends_[index].completion), error = std::move(error)] { completion(error); });
    sends_[index].completion = nullptr;
}

void FakeNetworkConnection::post(std::function<void()> work) {
    if (queue_) queue_->async(std::move(work));
}

NetworkConnectionFactory FakeNetworkConnectionFactory::factory() {
    return [this](const NetworkEndpoint& endpoint, const NetworkParameters& parameters) {
        auto connection = std::make_shared<FakeNetworkConnection>(endpoint, parameters);
        created_.push_back(connection);
        return connection;
    };
}

FakeNetworkConnection& FakeNetworkConnectionFactory::latest() const {
    if (created_.empty()) throw std::logic_error("no connection has been made");
    return *created_.back();
}

}  // namespace UmberlinPlatform
