#include "Network/AvahiServiceBrowser.hpp"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/thread-watch.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "Network/BrowseResultSet.hpp"
#include "Network/NetworkErrors.hpp"
#include "Network/NetworkInterfaceClassifier.hpp"

namespace UmberlinPlatform {
namespace {

// How long the daemon may take to answer the first request. Avahi's own calls wait for D-Bus's
// timeout (about 25 s) when the daemon hangs; the user hears of it well before that.
constexpr auto daemonAnswerTimeout = std::chrono::seconds(3);

NetworkError avahiError(int code) {
    if (code == AVAHI_ERR_NO_DAEMON || code == AVAHI_ERR_DISCONNECTED) {
        return {code, "The DNS-SD service (Avahi) is not running."};
    }
    std::string text = avahi_strerror(code);
    if (!text.empty() && text.back() != '.') text += '.';
    return {code, "DNS-SD browsing failed: " + text};
}

// What the owner's queue sees: the handlers and the queue. Shared with every posted event,
// so events can outlive the browser without touching it.
class BrowserDelivery : public std::enable_shared_from_this<BrowserDelivery> {
public:
    std::mutex mutex;
    ServiceBrowser::StateHandler stateHandler;
    ServiceBrowser::ResultsChangedHandler resultsHandler;
    std::weak_ptr<SerialQueue> queue;
    bool closed = false;  // cancelled: nothing more is delivered
    bool daemonAnswered = false;
    bool failureReported = false;

    void postState(BrowserState state) {
        post([self = shared_from_this(), state = std::move(state)] {
            if (auto handler = self->copy(self->stateHandler)) handler(state);
        });
    }

    // Only the first failure is reported: a late answer from a hung daemon adds nothing.
    void postFailure(NetworkError error) {
        {
            std::lock_guard lock(mutex);
            if (failureReported) return;
            failureReported = true;
        }
        postState(BrowserState::failed(std::move(error)));
    }

    void markDaemonAnswered() {
        std::lock_guard lock(mutex);
        daemonAnswered = true;
    }

    // Reports a daemon that has not answered by then, on the owner's queue.
    void watchForAnswer() {
        std::shared_ptr<SerialQueue> target;
        {
            std::lock_guard lock(mutex);
            target = queue.lock();
        }
        if (!target) return;
        target->asyncAfter(daemonAnswerTimeout, [weakSelf = weak_from_this()] {
            const auto self = weakSelf.lock();
            if (!self) return;
            {
                std::lock_guard lock(self->mutex);
                if (self->daemonAnswered) return;
            }
            self->postFailure({AVAHI_ERR_TIMEOUT, "The DNS-SD service (Avahi) is not answering."});
        });
    }

    void close() {
        std::lock_guard lock(mutex);
        closed = true;
    }

    void postResults(std::vector<BrowseResult> results) {
        post([self = shared_from_this(), results = std::move(results)] {
            if (auto handler = self->copy(self->resultsHandler)) handler(results);
        });
    }

private:
    template <typename Handler> Handler copy(const Handler& handler) {
        std::lock_guard lock(mutex);
        return handler;
    }

    void post(Work work) {
        std::shared_ptr<SerialQueue> target;
        {
            std::lock_guard lock(mutex);
            if (closed) return;
            target = queue.lock();
        }
        if (target) target->async(std::move(work));
    }
};

// The Avahi client, browser and resolvers. After start everything here runs on Avahi's
// poll thread (or under its lock), which never waits for the owner's queue.
class AvahiBrowseSession {
public:
    AvahiBrowseSession(std::string serviceType, std::shared_ptr<BrowserDelivery> delivery)
        : serviceType_(std::move(serviceType)), delivery_(std::move(delivery)) {}
    ~AvahiBrowseSession() { stop(); }

    void start() {
        poll_ = avahi_threaded_poll_new();
        if (poll_ == nullptr) {
            delivery_->postFailure(avahiError(AVAHI_ERR_NO_MEMORY));
            return;
        }
        delivery_->watchForAnswer();
        // The client is made on the poll thread: connecting to the daemon may block.
        const AvahiPoll* api = avahi_threaded_poll_get(poll_);
        timeval now{};
        api->timeout_new(api, &now, &AvahiBrowseSession::connect, this);
        if (avahi_threaded_poll_start(poll_) < 0) {
            delivery_->postFailure(avahiError(AVAHI_ERR_FAILURE));
        }
    }

    // May wait for the daemon as long as D-Bus lets it: never call it on a thread someone waits on.
    void stop() {
        if (poll_ == nullptr) return;
        avahi_threaded_poll_lock(poll_);
        for (auto& [key, instance] : instances_) {
            if (instance.resolver) avahi_service_resolver_free(instance.resolver);
        }
        instances_.clear();
        if (browser_) avahi_service_browser_free(browser_);
        browser_ = nullptr;
        if (client_) avahi_client_free(client_);
        client_ = nullptr;
        avahi_threaded_poll_unlock(poll_);
        avahi_threaded_poll_stop(poll_);
        avahi_threaded_poll_free(poll_);
        poll_ = nullptr;
    }

private:
    using InstanceKey = std::tuple<AvahiIfIndex, AvahiProtocol, std::string, std::string, std::string>;
    struct Instance {
        FoundServiceInstance found;
        AvahiServiceResolver* resolver = nullptr;
    };

    static void connect(AvahiTimeout* timeout, void* context) {
        auto* self = static_cast<AvahiBrowseSession*>(context);
        const AvahiPoll* api = avahi_threaded_poll_get(self->poll_);
        api->timeout_free(timeout);
        int error = 0;
        self->client_ = avahi_client_new(api, AvahiClientFlags(0), &AvahiBrowseSession::clientChanged, self, &error);
        self->delivery_->markDaemonAnswered();
        if (self->client_ == nullptr) {
            self->fail(error);
            return;
        }
        self->browser_ =
            avahi_service_browser_new(self->client_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, self->serviceType_.c_str(),
                                      nullptr, AvahiLookupFlags(0), &AvahiBrowseSession::browseEvent, self);
        if (self->browser_ == nullptr) {
            self->fail(avahi_client_errno(self->client_));
            return;
        }
        self->delivery_->postState(BrowserState::ready());
    }

    static void clientChanged(AvahiClient* client, AvahiClientState state, void* context) {
        auto* self = static_cast<AvahiBrowseSession*>(context);
        if (state == AVAHI_CLIENT_FAILURE) self->fail(avahi_client_errno(client));
    }

    static void browseEvent(::AvahiServiceBrowser*, AvahiIfIndex interfaceIndex, AvahiProtocol protocol,
                            AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                            AvahiLookupResultFlags, void* context) {
        auto* self = static_cast<AvahiBrowseSession*>(context);
        switch (event) {
            case AVAHI_BROWSER_NEW:
                self->add(interfaceIndex, protocol, name, type, domain);
                break;
            case AVAHI_BROWSER_REMOVE:
                self->remove({interfaceIndex, protocol, name, type, domain});
                break;
            case AVAHI_BROWSER_ALL_FOR_NOW:
                self->publish(true);
                break;
            case AVAHI_BROWSER_FAILURE:
                self->fail(avahi_client_errno(self->client_));
                break;
            case AVAHI_BROWSER_CACHE_EXHAUSTED:
                break;
        }
    }

    static void resolveEvent(AvahiServiceResolver* resolver, AvahiIfIndex interfaceIndex, AvahiProtocol,
                             AvahiResolverEvent event, const char*, const char*, const char*, const char*,
                             const AvahiAddress* address, uint16_t port, AvahiStringList*, AvahiLookupResultFlags,
                             void* context) {
        auto* self = static_cast<AvahiBrowseSession*>(context);
        for (auto& [key, instance] : self->instances_) {
            if (instance.resolver != resolver) continue;
            if (event == AVAHI_RESOLVER_FOUND && address != nullptr) {
                char text[AVAHI_ADDRESS_STR_MAX] = {};
                avahi_address_snprint(text, sizeof text, address);
                instance.found.address = ResolvedServiceAddress{static_cast<unsigned>(interfaceIndex), text, port};
            } else {
                // No answer in time (a phone's Wi-Fi may doze): not connectable for now, and asked
                // again while the browser still lists the instance.
                instance.found.address.reset();
                avahi_service_resolver_free(resolver);
                instance.resolver = self->resolverFor(key);
            }
            self->publish(false);
            return;
        }
    }

    void add(AvahiIfIndex interfaceIndex, AvahiProtocol protocol, const char* name, const char* type,
             const char* domain) {
        InstanceKey key{interfaceIndex, protocol, name, type, domain};
        if (instances_.count(key) != 0) return;
        Instance& instance = instances_[key];
        instance.found = {name, type, domain, static_cast<unsigned>(interfaceIndex), std::nullopt};
        instance.resolver = resolverFor(key);
    }

    AvahiServiceResolver* resolverFor(const InstanceKey& key) {
        const auto& [interfaceIndex, protocol, name, type, domain] = key;
        return avahi_service_resolver_new(client_, interfaceIndex, protocol, name.c_str(), type.c_str(), domain.c_str(),
                                          protocol, AvahiLookupFlags(0), &AvahiBrowseSession::resolveEvent, this);
    }

    void remove(const InstanceKey& key) {
        auto found = instances_.find(key);
        if (found == instances_.end()) return;
        if (found->second.resolver) avahi_service_resolver_free(found->second.resolver);
        instances_.erase(found);
        publish(false);
    }

    // Delivers the set when it changed; `initial` also delivers a first, possibly empty, set.
    void publish(bool initial) {
        std::vector<FoundServiceInstance> found;
        for (const auto& [key, instance] : instances_) found.push_back(instance.found);
        std::vector<BrowseResult> results = browseResultSet(found, networkInterfaceWithIndex);
        if (published_ ? results == *published_ : !initial) return;
        published_ = results;
        delivery_->postResults(std::move(results));
    }

    void fail(int code) {
        if (failed_) return;
        failed_ = true;
        delivery_->postFailure(avahiError(code));
    }

    const std::string serviceType_;
    const std::shared_ptr<BrowserDelivery> delivery_;
    AvahiThreadedPoll* poll_ = nullptr;
    AvahiClient* client_ = nullptr;
    ::AvahiServiceBrowser* browser_ = nullptr;
    std::map<InstanceKey, Instance> instances_;
    std::optional<std::vector<BrowseResult>> published_;
    bool failed_ = false;
};

class AvahiBrowser final : public ServiceBrowser {
public:
    explicit AvahiBrowser(std::string serviceType)
        : delivery_(std::make_shared<BrowserDelivery>()),
          session_(std::make_shared<AvahiBrowseSession>(std::move(serviceType), delivery_)) {}

    ~AvahiBrowser() override {
        if (started_) stopInTheBackground();
    }

    void setStateHandler(StateHandler handler) override {
        std::lock_guard lock(delivery_->mutex);
        delivery_->stateHandler = std::move(handler);
    }

    void setResultsChangedHandler(ResultsChangedHandler handler) override {
        std::lock_guard lock(delivery_->mutex);
        delivery_->resultsHandler = std::move(handler);
    }

    void start(std::shared_ptr<SerialQueue> queue) override {
        std::lock_guard lock(lifecycleMutex_);
        if (started_) return;
        started_ = true;
        {
            std::lock_guard deliveryLock(delivery_->mutex);
            delivery_->queue = queue;
        }
        if (cancelled_) {
            delivery_->postState(BrowserState::cancelled());
            return;
        }
        session_->start();
    }

    void cancel() override {
        std::lock_guard lock(lifecycleMutex_);
        if (cancelled_) return;
        cancelled_ = true;
        if (!started_) return;
        delivery_->postState(BrowserState::cancelled());
        delivery_->close();
        stopInTheBackground();
    }

private:
    // Stopping talks to the daemon, which may hang: the session stops on a thread of its own,
    // which keeps it alive until Avahi lets go of it.
    void stopInTheBackground() {
        if (!session_) return;
        std::thread([session = std::move(session_)] { session->stop(); }).detach();
    }

    std::mutex lifecycleMutex_;
    bool started_ = false;
    bool cancelled_ = false;
    std::shared_ptr<BrowserDelivery> delivery_;
    std::shared_ptr<AvahiBrowseSession> session_;
};

}  // namespace

std::shared_ptr<ServiceBrowser> makeAvahiServiceBrowser(const std::string& serviceType, const NetworkParameters&) {
    return std::make_shared<AvahiBrowser>(serviceType);
}

}  // namespace UmberlinPlatform
