// Receiving over loopback TCP through the connection adapter (I/O thread, hop to the
// owner's serial queue per read, 1 MiB receives) against a plain blocking read loop of the
// same bytes; and the cost of one hop through a serial queue.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>
#include <vector>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Network/TcpConnection.hpp"

using namespace UmberlinPlatform;

namespace {

constexpr std::size_t transferSize = 64 * 1024 * 1024;
constexpr std::size_t receiveLimit = 1'048'576;

// Listens on loopback and, per accepted connection, sends `transferSize` bytes and closes.
class LoopbackSender {
public:
    LoopbackSender() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener_, 4);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSender() { ::close(listener_); }

    std::uint16_t port() const { return port_; }

    std::thread serveOne() {
        return std::thread([this] {
            int peer = ::accept(listener_, nullptr, nullptr);
            std::vector<char> block(256 * 1024, 'x');
            for (std::size_t sent = 0; sent < transferSize;) {
                ssize_t count = ::send(peer, block.data(), std::min(block.size(), transferSize - sent), MSG_NOSIGNAL);
                if (count <= 0) break;
                sent += static_cast<std::size_t>(count);
            }
            ::close(peer);
        });
    }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
};

void plainReadLoop(benchmark::State& state) {
    LoopbackSender sender;
    std::vector<char> buffer(receiveLimit);
    for (auto _ : state) {
        std::thread peer = sender.serveOne();
        int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(sender.port());
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        std::size_t received = 0;
        for (ssize_t count; (count = ::read(socket, buffer.data(), buffer.size())) > 0;)
            received += static_cast<std::size_t>(count);
        ::close(socket);
        peer.join();
        benchmark::DoNotOptimize(received);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * transferSize));
}

void connectionReceiveLoop(benchmark::State& state) {
    LoopbackSender sender;
    auto queue = makeSerialQueue("org.umberlin.benchmarks.network-camera");
    std::size_t reads = 0;
    for (auto _ : state) {
        std::thread peer = sender.serveOne();
        auto connection = makeTcpConnection(HostPortEndpoint{"127.0.0.1", sender.port()}, {});
        std::promise<std::size_t> finished;
        std::size_t received = 0;
        std::function<void()> receiveNext = [&] {
            connection->receive(
                1, receiveLimit,
                [&](std::optional<std::vector<std::uint8_t>> data, bool isComplete, std::optional<NetworkError> error) {
                    if (data) received += data->size();
                    ++reads;
                    if (isComplete || error) {
                        finished.set_value(received);
                    } else {
                        receiveNext();
                    }
                });
        };
        connection->start(queue);
        queue->async(receiveNext);
        benchmark::DoNotOptimize(finished.get_future().get());
        connection->cancel();
        peer.join();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * transferSize));
    state.counters["bytesPerRead"] =
        static_cast<double>(state.iterations() * transferSize) / static_cast<double>(reads);
}

void serialQueueHop(benchmark::State& state) {
    auto queue = makeSerialQueue("org.umberlin.benchmarks.hop");
    for (auto _ : state) {
        std::promise<void> ran;
        queue->async([&] { ran.set_value(); });
        ran.get_future().wait();
    }
}

}  // namespace

BENCHMARK(plainReadLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(connectionReceiveLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(serialQueueHop)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_MAIN();
