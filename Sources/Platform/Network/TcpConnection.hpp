#pragma once
// The real connection: a non-blocking TCP socket driven by its own I/O thread. Every event
// hops to the queue the connection was started on.

#include <memory>

#include "Network/NetworkConnection.hpp"

namespace UmberlinPlatform {

// A connection to `endpoint`. For a service endpoint it uses the address the browser
// resolved on the required interface; with a required interface the socket is pinned to
// it (SO_BINDTODEVICE, or binding to the interface's address when that is not permitted).
// Linux offers no path monitor to wait on, so this connection never reports waiting: a
// connect that fails (refused, unreachable, no address) reports failed with the reason.
std::shared_ptr<NetworkConnection> makeTcpConnection(const NetworkEndpoint& endpoint,
                                                     const NetworkParameters& parameters);

}  // namespace UmberlinPlatform
