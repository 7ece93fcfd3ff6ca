#pragma once
// Advertises the simulator as an _umberlin-camera._tcp service through the Avahi daemon, the
// way the phone app announces itself. Without a reachable daemon it says so once and the
// simulator goes on serving TCP.

#include <memory>
#include <string>

namespace UmberlinTools {

inline constexpr const char* cameraServiceType = "_umberlin-camera._tcp";

class DnsSdAdvertiser {
public:
    // Starts advertising `name` for `port`. Restricted to the interface that holds
    // listenAddress when it is a specific address; all interfaces for a wildcard address.
    // Progress (advertised, renamed after a name conflict, failed) is logged from Avahi's thread.
    DnsSdAdvertiser(const std::string& name, int port, const std::string& listenAddress);
    // Withdraws the service.
    ~DnsSdAdvertiser();
    DnsSdAdvertiser(const DnsSdAdvertiser&) = delete;
    DnsSdAdvertiser& operator=(const DnsSdAdvertiser&) = delete;

private:
    struct Avahi;
    std::unique_ptr<Avahi> avahi_;
};

}  // namespace UmberlinTools
