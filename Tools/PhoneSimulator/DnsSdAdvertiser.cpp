#include "DnsSdAdvertiser.hpp"

#include <arpa/inet.h>
#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

#include "EventLog.hpp"

namespace UmberlinTools {
namespace {

struct AdvertisedScope {
    AvahiIfIndex interfaceIndex = AVAHI_IF_UNSPEC;
    AvahiProtocol protocol = AVAHI_PROTO_UNSPEC;
    std::string interfaceName;
};

// The interface that holds a specific listening address; everything for a wildcard address.
AdvertisedScope scopeForAddress(const std::string& listenAddress) {
    AdvertisedScope scope;
    in_addr ipv4{};
    in6_addr ipv6{};
    const bool isIPv4 = inet_pton(AF_INET, listenAddress.c_str(), &ipv4) == 1;
    const bool isIPv6 = !isIPv4 && inet_pton(AF_INET6, listenAddress.c_str(), &ipv6) == 1;
    if (isIPv4) scope.protocol = AVAHI_PROTO_INET;
    if (isIPv6) scope.protocol = AVAHI_PROTO_INET6;
    if ((isIPv4 && ipv4.s_addr == htonl(INADDR_ANY)) || (isIPv6 && IN6_IS_ADDR_UNSPECIFIED(&ipv6)) ||
        (!isIPv4 && !isIPv6))
        return scope;

    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return scope;
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) continue;
        const bool matches =
            (isIPv4 && entry->ifa_addr->sa_family == AF_INET &&
             reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr == ipv4.s_addr) ||
            (isIPv6 && entry->ifa_addr->sa_family == AF_INET6 &&
             std::memcmp(&reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, &ipv6, sizeof ipv6) == 0);
        if (matches) {
            scope.interfaceIndex = static_cast<AvahiIfIndex>(if_nametoindex(entry->ifa_name));
            scope.interfaceName = entry->ifa_name;
            break;
        }
    }
    freeifaddrs(interfaces);
    return scope;
}

}  // namespace

// Everything below runs on Avahi's poll thread, except construction and destruction.
struct DnsSdAdvertiser::Avahi {
    AvahiThreadedPoll* poll = nullptr;
    AvahiClient* client = nullptr;
    AvahiEntryGroup* group = nullptr;
    std::string name;
    int port;
    AdvertisedScope scope;
    bool announced = false;

    void publish(AvahiClient* owner) {
        if (group == nullptr) {
            group = avahi_entry_group_new(owner, &Avahi::groupChanged, this);
            if (group == nullptr) {
                logEvent(std::string("DNS-SD unavailable (") + avahi_strerror(avahi_client_errno(owner)) +
                         "); serving TCP only");
                return;
            }
        }
        if (!avahi_entry_group_is_empty(group)) return;
        const int status = avahi_entry_group_add_service(
            group, scope.interfaceIndex, scope.protocol, static_cast<AvahiPublishFlags>(0), name.c_str(),
            cameraServiceType, nullptr, nullptr, static_cast<std::uint16_t>(port), nullptr);
        if (status == AVAHI_ERR_COLLISION) {
            rename();
            publish(owner);
            return;
        }
        if (status < 0 || avahi_entry_group_commit(group) < 0) {
            logEvent(std::string("DNS-SD unavailable (could not publish: ") +
                     avahi_strerror(status < 0 ? status : avahi_client_errno(owner)) + "); serving TCP only");
        }
    }

    void rename() {
        char* alternative = avahi_alternative_service_name(name.c_str());
        logEvent("DNS-SD name \"" + name + "\" is taken; renamed to \"" + alternative + "\"");
        name = alternative;
        avahi_free(alternative);
    }

    static void groupChanged(AvahiEntryGroup* group, AvahiEntryGroupState state, void* context) {
        auto* self = static_cast<Avahi*>(context);
        switch (state) {
            case AVAHI_ENTRY_GROUP_ESTABLISHED:
                self->announced = true;
                logEvent("advertised \"" + self->name + "\" as " + cameraServiceType + " on port " +
                         std::to_string(self->port) +
                         (self->scope.interfaceName.empty() ? "" : " on " + self->scope.interfaceName));
                break;
            case AVAHI_ENTRY_GROUP_COLLISION:
                self->rename();
                avahi_entry_group_reset(group);
                self->publish(avahi_entry_group_get_client(group));
                break;
            case AVAHI_ENTRY_GROUP_FAILURE:
                logEvent(std::string("DNS-SD advertisement failed (") +
                         avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(group))) +
                         "); serving TCP only");
                break;
            case AVAHI_ENTRY_GROUP_UNCOMMITED:
            case AVAHI_ENTRY_GROUP_REGISTERING:
                break;
        }
    }

    static void clientChanged(AvahiClient* owner, AvahiClientState state, void* context) {
        auto* self = static_cast<Avahi*>(context);
        switch (state) {
            case AVAHI_CLIENT_S_RUNNING:
                self->publish(owner);
                break;
            case AVAHI_CLIENT_S_COLLISION:
            case AVAHI_CLIENT_S_REGISTERING:
                // The host name changes; the service is published again once the daemon runs.
                if (self->group != nullptr) avahi_entry_group_reset(self->group);
                break;
            case AVAHI_CLIENT_FAILURE:
                logEvent(std::string("DNS-SD unavailable (") + avahi_strerror(avahi_client_errno(owner)) +
                         "); serving TCP only");
                break;
            case AVAHI_CLIENT_CONNECTING:
                break;
        }
    }
};

DnsSdAdvertiser::DnsSdAdvertiser(const std::string& name, int port, const std::string& listenAddress)
    : avahi_(std::make_unique<Avahi>()) {
    avahi_->name = name;
    avahi_->port = port;
    avahi_->scope = scopeForAddress(listenAddress);
    avahi_->poll = avahi_threaded_poll_new();
    if (avahi_->poll == nullptr) {
        logEvent("DNS-SD unavailable (no event loop); serving TCP only");
        return;
    }
    int error = 0;
    avahi_->client = avahi_client_new(avahi_threaded_poll_get(avahi_->poll), static_cast<AvahiClientFlags>(0),
                                      &Avahi::clientChanged, avahi_.get(), &error);
    if (avahi_->client == nullptr) {
        logEvent(std::string("DNS-SD unavailable (") + avahi_strerror(error) + "); serving TCP only");
        return;
    }
    avahi_threaded_poll_start(avahi_->poll);
}

DnsSdAdvertiser::~DnsSdAdvertiser() {
    if (avahi_->poll != nullptr) avahi_threaded_poll_stop(avahi_->poll);
    const bool wasAnnounced = avahi_->announced;
    // Freeing the group withdraws the service; freeing the client frees the group too.
    if (avahi_->client != nullptr) avahi_client_free(avahi_->client);
    if (avahi_->poll != nullptr) avahi_threaded_poll_free(avahi_->poll);
    if (wasAnnounced) logEvent("withdrew DNS-SD service \"" + avahi_->name + "\"");
}

}  // namespace UmberlinTools
