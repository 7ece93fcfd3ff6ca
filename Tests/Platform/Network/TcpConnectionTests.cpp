#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <net/if.h>
#include <functional>
#include <thread>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Network/TcpConnection.hpp"
#include "Support/QueueProbe.hpp"

using namespace UmberlinPlatform;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto patience = 5s;

// A loopback listener; the test decides what the accepted side does.
class LoopbackListener {
public:
    LoopbackListener() {
        descriptor_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(descriptor_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(descriptor_, 4) != 0 ||
            ::getsockname(descriptor_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot listen on loopback";
        }
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackListener() {
        waitForPeer();
        ::close(descriptor_);
    }

    // Waits until the accepted side has finished serving.
    void waitForPeer() {
        if (peer_.joinable()) peer_.join();
    }

    std::uint16_t port() const { return port_; }
    HostPortEndpoint endpoint() const { return {"127.0.0.1", port_}; }

    // Accepts one connection on a thread and hands its socket to `serve` (which closes it).
    void serveOne(std::function<void(int)> serve) {
        peer_ = std::thread([this, serve = std::move(serve)] {
            int accepted = ::accept(descriptor_, nullptr, nullptr);
            if (accepted >= 0) serve(accepted);
        });
    }

private:
    int descriptor_ = -1;
    std::uint16_t port_ = 0;
    std::thread peer_;
};

void writeAll(int descriptor, const Bytes& bytes) {
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        ssize_t count = ::send(descriptor, bytes.data() + offset, bytes.size() - offset, MSG_NOSIGNAL);
        if (count <= 0) return;
        offset += static_cast<std::size_t>(count);
    }
}

Bytes readAll(int descriptor) {
    Bytes bytes;
    std::uint8_t buffer[4096];
    for (ssize_t count; (count = ::read(descriptor, buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + count);
    return bytes;
}

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t index = 0; index < size; ++index)
        bytes[index] = static_cast<std::uint8_t>(index * 7 + index / 251);
    return bytes;
}

using ConnectionProbe = QueueProbe<ConnectionState>;

struct Harness {
    std::shared_ptr<SerialQueue> queue = makeSerialQueue("org.umberlin.tests.network-camera");
    ConnectionProbe probe{queue, patience};

    std::shared_ptr<NetworkConnection> start(const NetworkEndpoint& endpoint, NetworkParameters parameters = {}) {
        auto connection = makeTcpConnection(endpoint, parameters);
        connection->setStateHandler(probe.stateHandler());
        connection->start(queue);
        return connection;
    }
};

}  // namespace

TEST(TcpConnection, DeliversALargeTransferInBoundedChunksAndReportsThePeerFinishing) {
    const Bytes sent = pattern(5 * 1024 * 1024 + 123);  // outlives the listener's peer thread
    LoopbackListener listener;
    listener.serveOne([&](int peer) {
        writeAll(peer, sent);
        ::close(peer);
    });
    Harness harness;
    auto connection = harness.start(listener.endpoint());
    ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::ready));
    ASSERT_TRUE(connection->currentPath().has_value());
    EXPECT_NE(connection->currentPath()->debugDescription.find("127.0.0.1:" + std::to_string(listener.port())),
              std::string::npos);

    Bytes received;
    std::size_t largestChunk = 0;
    bool finished = false;
    std::optional<NetworkError> failure;
    std::function<void()> receiveNext = [&] {
        connection->receive(1, 1'048'576,
                            [&](std::optional<Bytes> data, bool isComplete, std::optional<NetworkError> error) {
                                harness.probe.record([&] {
                                    if (data) {
                                        largestChunk = std::max(largestChunk, data->size());
                                        received.insert(received.end(), data->begin(), data->end());
                                    }
                                    failure = error;
                                    finished = isComplete;
                                });
                                if (!isComplete && !error) receiveNext();
                            });
    };
    harness.queue->async(receiveNext);
    ASSERT_TRUE(harness.probe.waitUntil([&] { return finished || failure; }));

    EXPECT_FALSE(failure.has_value());
    EXPECT_LE(largestChunk, 1'048'576u);
    EXPECT_TRUE(received == sent) << "received " << received.size() << " of " << sent.size() << " bytes";
    EXPECT_FALSE(harness.probe.everOffQueue());
    EXPECT_EQ(harness.probe.kinds(), (std::vector{ConnectionState::Kind::preparing, ConnectionState::Kind::ready}));
}

TEST(TcpConnection, SendsCompleteInOrderAndThePeerGetsEveryByte) {
    Bytes arrived;
    LoopbackListener listener;
    listener.serveOne([&](int peer) {
        arrived = readAll(peer);
        ::close(peer);
    });
    Harness harness;
    auto connection = harness.start(listener.endpoint());
    // Sends issued before ready wait for the connection.
    std::vector<int> completed;
    std::vector<std::optional<NetworkError>> errors;
    const Bytes first = pattern(300'000), second = {1, 2, 3};
    for (int index : {0, 1}) {
        connection->send(index == 0 ? first : second, [&, index](std::optional<NetworkError> error) {
            harness.probe.record([&] {
                completed.push_back(index);
                errors.push_back(error);
            });
        });
    }
    ASSERT_TRUE(harness.probe.waitUntil([&] { return completed.size() == 2; }));
    EXPECT_EQ(completed, (std::vector{0, 1}));
    EXPECT_EQ(errors, (std::vector<std::optional<NetworkError>>{std::nullopt, std::nullopt}));
    connection->cancel();
    ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::cancelled));
    listener.waitForPeer();  // it reads until the cancel closes our side
    Bytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_TRUE(arrived == expected) << arrived.size();
}

TEST(TcpConnection, EndpointsThatLeadNowhereFailWithASentence) {
    struct Case {
        NetworkEndpoint endpoint;
        NetworkParameters parameters;
        std::string description;
    };
    const NetworkInterface loopback{"lo", InterfaceType::loopback, ::if_nametoindex("lo"), false};
    const NetworkInterface missing{"nosuch0", InterfaceType::wiredEthernet, 0, false};
    std::uint16_t closedPort;
    {
        LoopbackListener listener;  // a port that was just free, now closed again
        closedPort = listener.port();
    }
    const std::vector<Case> cases = {
        {HostPortEndpoint{"127.0.0.1", closedPort}, {}, "Connection refused."},
        {ServiceEndpoint{"Studio", "_umberlin-camera._tcp", "local", {{loopback.index + 1000, "127.0.0.1", 7070}}},
         NetworkParameters{.includePeerToPeer = false, .requiredInterface = loopback},
         "The service \u201CStudio\u201D has no known address on lo."},
        {HostPortEndpoint{"127.0.0.1", 7070},
         NetworkParameters{.includePeerToPeer = false, .requiredInterface = missing}, "No such device."},
    };
    for (const Case& testCase : cases) {
        Harness harness;
        auto connection = harness.start(testCase.endpoint, testCase.parameters);
        ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::failed)) << testCase.description;
        const ConnectionState failed = harness.probe.lastState();
        ASSERT_TRUE(failed.error.has_value());
        EXPECT_EQ(failed.error->localizedDescription, testCase.description);
    }
}

TEST(TcpConnection, AServiceEndpointConnectsThroughTheAddressResolvedOnItsPinnedInterface) {
    LoopbackListener listener;
    listener.serveOne([](int peer) {
        writeAll(peer, {42});
        ::close(peer);
    });
    const NetworkInterface loopback{"lo", InterfaceType::loopback, ::if_nametoindex("lo"), false};
    ServiceEndpoint service{
        "Studio",
        "_umberlin-camera._tcp",
        "local",
        {{loopback.index + 1000, "10.99.99.99", 1}, {loopback.index, "127.0.0.1", listener.port()}}};
    Harness harness;
    auto connection = harness.start(service, {true, loopback});
    ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::ready));
    EXPECT_NE(connection->currentPath()->debugDescription.find("via lo"), std::string::npos);
    connection->cancel();
}

TEST(TcpConnection, CancelEndsPendingWorkAndIsSilentOnceTheHandlerIsRemoved) {
    LoopbackListener listener;
    listener.serveOne([](int peer) {
        readAll(peer);
        ::close(peer);
    });
    Harness harness;
    auto connection = harness.start(listener.endpoint());
    ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::ready));

    std::optional<NetworkError> receiveError;
    bool receiveDone = false;
    connection->receive(1, 1'048'576, [&](std::optional<Bytes>, bool, std::optional<NetworkError> error) {
        harness.probe.record([&] {
            receiveDone = true;
            receiveError = error;
        });
    });
    connection->cancel();
    ASSERT_TRUE(harness.probe.waitForState(ConnectionState::Kind::cancelled));
    ASSERT_TRUE(harness.probe.waitUntil([&] { return receiveDone; }));
    ASSERT_TRUE(receiveError.has_value());
    EXPECT_EQ(receiveError->localizedDescription, "Operation canceled.");

    // The receiver's teardown: on its queue, remove the handler, then cancel.
    LoopbackListener second;
    second.serveOne([](int peer) { ::close(peer); });
    Harness quiet;
    auto silent = quiet.start(second.endpoint());
    ASSERT_TRUE(quiet.probe.waitForState(ConnectionState::Kind::ready));
    bool tornDown = false;
    quiet.queue->async([&] {
        silent->setStateHandler(nullptr);
        silent->cancel();
        quiet.queue->async([&] { quiet.probe.record([&] { tornDown = true; }); });
    });
    ASSERT_TRUE(quiet.probe.waitUntil([&] { return tornDown; }));
    silent.reset();  // joins the I/O thread: every event it made is queued by now
    bool drained = false;
    quiet.queue->async([&] { quiet.probe.record([&] { drained = true; }); });
    ASSERT_TRUE(quiet.probe.waitUntil([&] { return drained; }));
    EXPECT_EQ(quiet.probe.kinds(), (std::vector{ConnectionState::Kind::preparing, ConnectionState::Kind::ready}));
}
