// The Avahi browser against real daemons. Each test re-runs itself inside the private
// two-namespace sandbox (its own buses and avahi-daemons on a veth pair), so no mDNS ever
// reaches this machine's real interfaces; without namespace rights the tests skip.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Network/AvahiServiceBrowser.hpp"
#include "Support/QueueProbe.hpp"

using namespace UmberlinPlatform;
using namespace std::chrono_literals;

namespace {

constexpr auto patience = 10s;  // a new service shows up about 1 s after it is published
const std::string serviceType = "_umberlin-camera._tcp";
const std::string notRunning = "The DNS-SD service (Avahi) is not running.";

bool insideSandbox() { return std::getenv("UMBERLIN_SANDBOX_PHONE_PID") != nullptr; }

// Runs the current test again inside the sandbox and reports how that went.
void runCurrentTestInSandbox() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const std::string script = std::string(UMBERLIN_SANDBOX_DIR) + "/run-in-sandbox.sh";
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl("/bin/bash", "bash", script.c_str(), "--timeout", "60", "--", self, filter.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the sandbox run was killed";
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "private network namespaces are not available here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the test failed inside the sandbox (its output is above)";
}

// A helper program this test started; stopped by its process id when the scope ends.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() { stop(); }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

ChildProcess publishOnPhone(const std::string& name, int port) {
    return ChildProcess(
        {std::getenv("UMBERLIN_SANDBOX_IN_PHONE"), "avahi-publish", "-s", name, serviceType, std::to_string(port)});
}

// What a browser reported: its states, and the latest result set.
class BrowserProbe : public QueueProbe<BrowserState> {
public:
    explicit BrowserProbe(std::shared_ptr<SerialQueue> queue) : QueueProbe(std::move(queue), patience) {}

    void attach(ServiceBrowser& browser) {
        browser.setStateHandler(stateHandler());
        browser.setResultsChangedHandler([this](const std::vector<BrowseResult>& results) {
            record([&] {
                latest_ = results;
                ++resultDeliveries_;
            });
        });
    }

    // Waits until the latest result set satisfies `condition`; returns that set.
    std::optional<std::vector<BrowseResult>> waitForResults(
        const std::function<bool(const std::vector<BrowseResult>&)>& condition) {
        std::optional<std::vector<BrowseResult>> matched;
        waitUntil([&] {
            if (resultDeliveries_ > 0 && condition(latest_)) matched = latest_;
            return matched.has_value();
        });
        return matched;
    }

private:
    std::vector<BrowseResult> latest_;
    int resultDeliveries_ = 0;
};

bool lists(const std::vector<BrowseResult>& results, const std::string& name) {
    return std::any_of(results.begin(), results.end(),
                       [&](const BrowseResult& result) { return serviceEndpoint(result.endpoint)->name == name; });
}

pid_t deskAvahiDaemon() {
    std::ifstream file("/run/avahi-daemon/pid");
    pid_t pid = 0;
    file >> pid;
    return pid;
}

// Starts the desk's daemon again, inside the sandbox; the sandbox ends it with everything else.
bool startDeskAvahiDaemon(const std::string& configuration) {
    const std::string path = "/tmp/umberlin-desk-avahi-" + std::to_string(::getpid()) + ".conf";
    std::ofstream(path) << configuration;
    const std::string command = "avahi-daemon --daemonize --no-chroot --file=" + path;
    const bool started = std::system(command.c_str()) == 0;
    std::remove(path.c_str());
    return started;
}

}  // namespace

TEST(AvahiServiceBrowser, FindsAPhoneAcrossTheLinkWithItsAddressAndNoticesItLeaving) {
    if (!insideSandbox()) return runCurrentTestInSandbox();

    auto queue = makeSerialQueue("org.umberlin.tests.network-camera");
    BrowserProbe probe(queue);
    auto browser = makeAvahiServiceBrowser(serviceType, {true, std::nullopt});
    probe.attach(*browser);
    browser->start(queue);
    ASSERT_TRUE(probe.waitForState(BrowserState::Kind::ready));
    ASSERT_TRUE(probe.waitForResults([](const auto& results) { return results.empty(); }))
        << "a first, empty set arrives once the cache has been read";

    ChildProcess phone = publishOnPhone("Studio Phone", 7070);
    auto found = probe.waitForResults([](const auto& results) { return lists(results, "Studio Phone"); });
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    const BrowseResult& result = found->front();
    const ServiceEndpoint& endpoint = *serviceEndpoint(result.endpoint);
    EXPECT_EQ(endpoint.type, serviceType);
    EXPECT_EQ(endpoint.domain, "local");
    ASSERT_EQ(result.interfaces.size(), 1u);
    EXPECT_EQ(result.interfaces[0].name, "anri0");
    EXPECT_EQ(result.interfaces[0].type, InterfaceType::wiredEthernet);
    ASSERT_EQ(endpoint.addresses.size(), 1u);
    EXPECT_EQ(endpoint.addresses[0], (ResolvedServiceAddress{result.interfaces[0].index, "10.77.0.2", 7070}));

    // A service this desk publishes itself is listed on the link as well.
    ChildProcess desk({"avahi-publish", "-s", "Desk Test", serviceType, "7071"});
    ASSERT_TRUE(
        probe.waitForResults([](const auto& results) { return results.size() == 2 && lists(results, "Desk Test"); }));

    phone.stop();
    desk.stop();
    ASSERT_TRUE(probe.waitForResults([](const auto& results) { return results.empty(); }));

    browser->cancel();
    ASSERT_TRUE(probe.waitForState(BrowserState::Kind::cancelled));
    EXPECT_FALSE(probe.everOffQueue());
}

TEST(AvahiServiceBrowser, ReportsTheDaemonGoneAndANewBrowserWorksOnceItIsBack) {
    if (!insideSandbox()) return runCurrentTestInSandbox();

    const std::string configuration =
        "[server]\nhost-name=umberlin-desk\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=anri0\nenable-dbus=yes\n"
        "[wide-area]\nenable-wide-area=no\n[publish]\npublish-hinfo=no\npublish-workstation=no\n";
    ChildProcess phone = publishOnPhone("Studio Phone", 7070);

    auto queue = makeSerialQueue("org.umberlin.tests.network-camera");
    BrowserProbe running(queue);
    auto browser = makeAvahiServiceBrowser(serviceType, {});
    running.attach(*browser);
    browser->start(queue);
    ASSERT_TRUE(running.waitForState(BrowserState::Kind::ready));

    const pid_t daemon = deskAvahiDaemon();  // started by the sandbox for this test
    ASSERT_GT(daemon, 1);
    ASSERT_EQ(::kill(daemon, SIGTERM), 0);
    ASSERT_TRUE(running.waitForState(BrowserState::Kind::failed));
    EXPECT_EQ(running.lastState().error->localizedDescription, notRunning);

    BrowserProbe whileDown(queue);
    auto early = makeAvahiServiceBrowser(serviceType, {});
    whileDown.attach(*early);
    early->start(queue);
    ASSERT_TRUE(whileDown.waitForState(BrowserState::Kind::failed));
    EXPECT_EQ(whileDown.lastState().error->localizedDescription, notRunning);

    while (::kill(daemon, 0) == 0) std::this_thread::sleep_for(10ms);  // until its pid file is gone
    ASSERT_TRUE(startDeskAvahiDaemon(configuration));
    std::shared_ptr<ServiceBrowser> again;
    std::unique_ptr<BrowserProbe> recovered;
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    do {  // the daemon takes a moment to claim its bus name
        recovered = std::make_unique<BrowserProbe>(queue);
        again = makeAvahiServiceBrowser(serviceType, {});
        recovered->attach(*again);
        again->start(queue);
        ASSERT_TRUE(recovered->waitForAnyState());
    } while (recovered->lastState().kind != BrowserState::Kind::ready && std::chrono::steady_clock::now() < giveUp);
    ASSERT_EQ(recovered->lastState().kind, BrowserState::Kind::ready);
    EXPECT_TRUE(recovered->waitForResults([](const auto& results) { return lists(results, "Studio Phone"); }));
}

TEST(AvahiServiceBrowser, WithoutASystemBusItFailsWithASentenceAndCancelsCleanly) {
    // Pointing the client at a bus that does not exist keeps this test off any real daemon.
    const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = previous ? previous : "";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/umberlin-test-bus", 1);
    auto queue = makeSerialQueue("org.umberlin.tests.network-camera");
    BrowserProbe probe(queue);
    auto browser = makeAvahiServiceBrowser(serviceType, {});
    probe.attach(*browser);
    browser->start(queue);
    const bool failed = probe.waitForState(BrowserState::Kind::failed);
    if (previous)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    ASSERT_TRUE(failed);
    EXPECT_EQ(probe.lastState().error->localizedDescription, notRunning);
    browser->cancel();
    EXPECT_TRUE(probe.waitForState(BrowserState::Kind::cancelled));
    EXPECT_FALSE(probe.everOffQueue());
}
