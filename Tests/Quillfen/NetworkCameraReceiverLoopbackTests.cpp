// The receiver on its real ports (worker-thread queue, TCP socket) against a phone
// stand-in on loopback: bytes in, buffers and state out, a command back.

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "NetworkCameraReceiverHarness.hpp"
#include "TcpConnection.hpp"
#include "ThreadSerialQueue.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
using UmberlinWire::Bytes;
using UmberlinWire::MessageType;

constexpr auto patience = 5s;

// Accepts one connection on 127.0.0.1 and runs `serve` with it on its own thread.
class LoopbackPhone {
public:
    explicit LoopbackPhone(std::function<void(int)> serve) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot listen on loopback";
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, serve = std::move(serve)] {
            const int peer = ::accept(listener_, nullptr, nullptr);
            if (peer < 0) return;
            serve(peer);
            ::close(peer);
        });
    }
    ~LoopbackPhone() {
        ::shutdown(listener_, SHUT_RDWR);  // ends an accept that never got a client
        thread_.join();
        ::close(listener_);
    }

    NetworkCameraService service() const {
        const UmberlinPlatform::NetworkInterface loopback{.name = "lo",
                                                          .type = UmberlinPlatform::InterfaceType::loopback,
                                                          .index = ::if_nametoindex("lo"),
                                                          .isPhoneUsbLink = false};
        return {.id = "camera:Loopback.local:lo",
                .claimID = "camera:Loopback.local",
                .name = "Loopback",
                .endpoint = UmberlinPlatform::ServiceEndpoint{"Loopback", "_umberlin-camera._tcp", "local",
                                                              {{loopback.index, "127.0.0.1", port_}}},
                .interface = loopback,
                .transport = NetworkCameraService::Transport::wireless};
    }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

bool writeAll(int descriptor, const Bytes& bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        const ssize_t count = ::send(descriptor, bytes.data() + offset, bytes.size() - offset, MSG_NOSIGNAL);
        if (count <= 0) return false;
        offset += static_cast<std::size_t>(count);
    }
    return true;
}

// Reads until one whole packet has arrived (or the stream ends).
std::optional<UmberlinWire::Message> readPacket(int descriptor) {
    UmberlinWire::UmberlinWireStreamParser parser;
    std::uint8_t buffer[512];
    for (ssize_t count; (count = ::read(descriptor, buffer, sizeof buffer)) > 0;) {
        auto messages = parser.append(UmberlinWire::ByteView(buffer, static_cast<std::size_t>(count)));
        if (!messages.empty()) return messages.front();
    }
    return std::nullopt;
}

// What the receiver reported on its queue, awaited from the test thread.
class Observations {
public:
    void record(std::function<void()> change) {
        {
            std::lock_guard lock(mutex_);
            change();
        }
        changed_.notify_all();
    }
    bool waitFor(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, patience, condition);
    }

    std::vector<State> states;
    int keyFrames = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

TEST(NetworkCameraReceiverLoopbackTests, AStreamBecomesFramesAndTheReceiverAsksForTheCameraStatus) {
    std::promise<std::optional<UmberlinWire::Message>> commandSeen;
    std::promise<void> mayClose;
    LoopbackPhone phone([&](int peer) {
        writeAll(peer, joined({jsonPacket(MessageType::hello, hello(30)),
                               jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                               phonePacket(MessageType::videoFrame, {0, 0, 0, 3, 0x26, 0x01, 0xAF}, 1'000,
                                           UmberlinWire::Flags::keyFrame)}));
        commandSeen.set_value(readPacket(peer));
        mayClose.get_future().wait_for(patience);
    });

    Observations observed;
    auto receiver = NetworkCameraReceiver::make({
        .queue = UmberlinPlatform::makeSerialQueue("org.umberlin.tests.network-camera"),
        .makeBrowser = {},
        .makeConnection = &UmberlinPlatform::makeTcpConnection,
        .uptimeSeconds = [] { return 1.0; },
    });
    receiver->onStateChanged = [&](const State& state) { observed.record([&] { observed.states.push_back(state); }); };
    receiver->onSampleBuffer = [&](const Media::SampleBufferRef&, bool isKeyFrame) {
        observed.record([&] { observed.keyFrames += isKeyFrame ? 1 : 0; });
    };
    receiver->connect(phone.service());

    ASSERT_TRUE(observed.waitFor([&] { return observed.keyFrames == 1; }));
    auto commandFuture = commandSeen.get_future();
    ASSERT_EQ(commandFuture.wait_for(patience), std::future_status::ready);
    const auto command = commandFuture.get();
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->header.type, MessageType::cameraControlCommand);
    EXPECT_EQ(command->header.sequenceNumber, 0u);
    EXPECT_EQ(UmberlinWire::decode<UmberlinWire::CameraControlCommand>(command->payload),
              (UmberlinWire::CameraControlCommand{.requestStatus = true}));

    mayClose.set_value();
    ASSERT_TRUE(observed.waitFor([&] { return observed.states.back() == State::browsing(); }));
    EXPECT_EQ(observed.states,
              (std::vector{State::connecting("Loopback"), State::connected("Loopback"), State::browsing()}));
}

TEST(NetworkCameraReceiverLoopbackTests, ABrokenStreamFailsAndReleasingMidStreamIsSafe) {
    LoopbackPhone phone([](int peer) {
        writeAll(peer, Bytes(64, 'x'));
        std::uint8_t byte;
        while (::read(peer, &byte, 1) > 0) {
        }
    });
    Observations observed;
    auto receiver = NetworkCameraReceiver::make({
        .queue = UmberlinPlatform::makeSerialQueue("org.umberlin.tests.network-camera"),
        .makeBrowser = {},
        .makeConnection = &UmberlinPlatform::makeTcpConnection,
        .uptimeSeconds = [] { return 1.0; },
    });
    receiver->onStateChanged = [&](const State& state) { observed.record([&] { observed.states.push_back(state); }); };
    receiver->connect(phone.service());
    ASSERT_TRUE(observed.waitFor([&] {
        return !observed.states.empty() && observed.states.back().kind() == State::Kind::failed;
    }));
    EXPECT_EQ(observed.states.back(), State::failed("The stream does not contain an Umberlin packet."));

    // A second attempt that is released while connected closes the socket, which ends the phone's read.
    LoopbackPhone idlePhone([](int peer) {
        std::uint8_t byte;
        while (::read(peer, &byte, 1) > 0) {
        }
    });
    receiver->connect(idlePhone.service());
    ASSERT_TRUE(observed.waitFor([&] { return observed.states.back() == State::connected("Loopback"); }));
    receiver.reset();
}

}  // namespace
}  // namespace Quillfen::Testing
