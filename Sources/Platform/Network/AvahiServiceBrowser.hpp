#pragma once
// The real browser on the Avahi client library. Each found instance is resolved to an
// address and port on every interface it is seen on; the complete set is delivered after
// every change. When the Avahi daemon is missing or goes away the browser reports failed
// ("The DNS-SD service (Avahi) is not running."); a new browser works again once it is back.

#include <memory>
#include <string>

#include "Network/ServiceBrowser.hpp"

namespace UmberlinPlatform {

std::shared_ptr<ServiceBrowser> makeAvahiServiceBrowser(const std::string& serviceType,
                                                        const NetworkParameters& parameters);

}  // namespace UmberlinPlatform
