#pragma once
// The listening socket. One client is served at a time, so accept() is called again only
// after the previous client has gone.

#include <optional>
#include <string>
#include <vector>

namespace UmberlinTools {

struct AcceptedClient {
    int descriptor;    // owned by the caller from now on
    std::string peer;  // "address:port"
};

class TcpListener {
public:
    // Binds and listens; throws std::runtime_error with the reason when it cannot.
    TcpListener(const std::string& address, int port);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    const std::string& address() const { return address_; }
    int port() const { return port_; }  // the bound port, also when 0 was asked for

    // Waits for the next client; nothing once wakeDescriptor becomes readable.
    std::optional<AcceptedClient> accept(int wakeDescriptor);

    // Readable while a client waits to be accepted.
    int descriptor() const { return descriptor_; }
    // Accepts every waiting client and closes its connection at once (the phone serves one
    // monitor at a time); returns their addresses.
    std::vector<std::string> refuseWaitingClients();

private:
    int descriptor_ = -1;
    std::string address_;
    int port_ = 0;
};

// "address:port" ("[address]:port" for IPv6) of a socket address.
std::string describeSocketAddress(const void* socketAddress);

}  // namespace UmberlinTools
