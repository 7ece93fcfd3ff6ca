#include "Network/NetworkInterfaceClassifier.hpp"

#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>

namespace UmberlinPlatform {
namespace {

namespace fs = std::filesystem;

constexpr int arphrdEther = 1;
constexpr int arphrdRawIp = 519;
constexpr int arphrdLoopback = 772;
// Wireless-extensions "get name" request: only wireless interfaces answer it. (Its header,
// linux/wireless.h, cannot be included together with net/if.h; the request fits an ifreq.)
constexpr unsigned long wirelessGetName = 0x8B01;

// Drivers of mobile-broadband modems: their links are cellular even when they look like Ethernet.
constexpr std::array<std::string_view, 6> cellularDrivers = {"qmi_wwan",   "cdc_mbim", "huawei_cdc_ncm",
                                                             "sierra_net", "mhi_net",  "ipa"};

// The kernel's drivers for a phone sharing its network over a USB cable.
constexpr std::array<std::string_view, 6> usbTetheringDrivers = {"rndis_host", "cdc_ether", "cdc_ncm",
                                                                 "ipheth",     "cdc_eem",   "cdc_subset"};

template <std::size_t count> bool isOneOf(const std::string& value, const std::array<std::string_view, count>& names) {
    return std::find(names.begin(), names.end(), value) != names.end();
}

// What the kernel tells about one interface, from sysfs or from ioctls.
struct InterfaceFacts {
    bool exists = false;
    bool wireless = false;
    std::optional<int> linkType;  // ARPHRD_*
    std::string driver;
    bool wwanDevice = false;
};

NetworkInterface classify(const std::string& name, unsigned index, const InterfaceFacts& facts) {
    NetworkInterface result{name, InterfaceType::other, index, false};
    if (!facts.exists) return result;
    if (facts.wireless) {
        result.type = InterfaceType::wifi;
    } else if (facts.linkType == arphrdLoopback) {
        result.type = InterfaceType::loopback;
    } else if (isOneOf(facts.driver, cellularDrivers) || facts.wwanDevice || facts.linkType == arphrdRawIp) {
        result.type = InterfaceType::cellular;
    } else if (facts.linkType == arphrdEther) {
        result.type = InterfaceType::wiredEthernet;
        result.isPhoneUsbLink = isOneOf(facts.driver, usbTetheringDrivers);
    }
    return result;
}

std::optional<long> readNumber(const fs::path& file) {
    std::ifstream stream(file);
    long value = 0;
    if (stream >> value) return value;
    return std::nullopt;
}

bool hasLine(const fs::path& file, std::string_view wanted) {
    std::ifstream stream(file);
    std::string line;
    while (std::getline(stream, line)) {
        if (line == wanted) return true;
    }
    return false;
}

InterfaceFacts sysfsFacts(const fs::path& directory) {
    InterfaceFacts facts;
    std::error_code error;
    facts.exists = fs::exists(directory, error);
    if (!facts.exists) return facts;
    facts.wireless = fs::exists(directory / "wireless", error) || fs::exists(directory / "phy80211", error);
    if (auto type = readNumber(directory / "type")) facts.linkType = static_cast<int>(*type);
    fs::path driver = fs::read_symlink(directory / "device" / "driver", error);
    if (!error) facts.driver = driver.filename().string();
    facts.wwanDevice = hasLine(directory / "uevent", "DEVTYPE=wwan");
    return facts;
}

InterfaceFacts ioctlFacts(const std::string& name) {
    InterfaceFacts facts;
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0 || name.size() >= IFNAMSIZ) {
        if (probe >= 0) ::close(probe);
        return facts;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
    if (::ioctl(probe, SIOCGIFHWADDR, &request) == 0) {
        facts.exists = true;
        facts.linkType = request.ifr_hwaddr.sa_family;
    }
    ifreq wireless{};
    std::strncpy(wireless.ifr_name, name.c_str(), IFNAMSIZ - 1);
    facts.wireless = ::ioctl(probe, wirelessGetName, &wireless) == 0;
    ethtool_drvinfo driverInfo{};
    driverInfo.cmd = ETHTOOL_GDRVINFO;
    request.ifr_data = reinterpret_cast<char*>(&driverInfo);
    if (::ioctl(probe, SIOCETHTOOL, &request) == 0) facts.driver = driverInfo.driver;
    ::close(probe);
    return facts;
}

// Whether /sys/class/net shows this network namespace's interface of that name and index.
bool sysfsShows(const std::string& name, unsigned index) {
    return readNumber(fs::path("/sys/class/net") / name / "ifindex") == static_cast<long>(index);
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "..";
}

}  // namespace

NetworkInterface classifyNetworkInterface(const std::string& name, unsigned index, const fs::path& sysClassNet) {
    if (!isPlainName(name)) return {name, InterfaceType::other, index, false};
    return classify(name, index, sysfsFacts(sysClassNet / name));
}

std::optional<NetworkInterface> networkInterfaceNamed(const std::string& name) {
    const unsigned index = ::if_nametoindex(name.c_str());
    if (index == 0 || !isPlainName(name)) return std::nullopt;
    if (sysfsShows(name, index)) return classifyNetworkInterface(name, index);
    return classify(name, index, ioctlFacts(name));
}

NetworkInterface networkInterfaceWithIndex(unsigned index) {
    char name[IF_NAMESIZE] = {};
    if (::if_indextoname(index, name) == nullptr)
        return {"if" + std::to_string(index), InterfaceType::other, index, false};
    return networkInterfaceNamed(name).value_or(NetworkInterface{name, InterfaceType::other, index, false});
}

}  // namespace UmberlinPlatform
