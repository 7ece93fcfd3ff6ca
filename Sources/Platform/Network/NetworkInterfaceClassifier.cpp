#include "NetworkInterfaceClassifier.hpp"

#include <net/if.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>
#include <system_error>

namespace UmberlinPlatform {
namespace {

namespace fs = std::filesystem;

constexpr int arphrdEther = 1;
constexpr int arphrdRawIp = 519;
constexpr int arphrdLoopback = 772;

// Drivers of mobile-broadband modems: their links are cellular even when they look like Ethernet.
constexpr std::array<std::string_view, 6> cellularDrivers = {
    "qmi_wwan", "cdc_mbim", "huawei_cdc_ncm", "sierra_net", "mhi_net", "ipa"};

// The kernel's drivers for a phone sharing its network over a USB cable.
constexpr std::array<std::string_view, 6> usbTetheringDrivers = {
    "rndis_host", "cdc_ether", "cdc_ncm", "ipheth", "cdc_eem", "cdc_subset"};

template <std::size_t count>
bool isOneOf(const std::string& value, const std::array<std::string_view, count>& names) {
    return std::find(names.begin(), names.end(), value) != names.end();
}

std::optional<int> readLinkType(const fs::path& interfaceDirectory) {
    std::ifstream file(interfaceDirectory / "type");
    int type = 0;
    if (file >> type) return type;
    return std::nullopt;
}

std::string driverName(const fs::path& interfaceDirectory) {
    std::error_code error;
    fs::path target = fs::read_symlink(interfaceDirectory / "device" / "driver", error);
    return error ? std::string() : target.filename().string();
}

bool hasUeventLine(const fs::path& interfaceDirectory, std::string_view wanted) {
    std::ifstream file(interfaceDirectory / "uevent");
    std::string line;
    while (std::getline(file, line)) {
        if (line == wanted) return true;
    }
    return false;
}

}  // namespace

NetworkInterface classifyNetworkInterface(const std::string& name, unsigned index, const fs::path& sysClassNet) {
    NetworkInterface result{name, InterfaceType::other, index, false};
    const fs::path directory = sysClassNet / name;
    std::error_code error;
    if (name.empty() || name.find('/') != std::string::npos || !fs::exists(directory, error)) return result;

    if (fs::exists(directory / "wireless", error) || fs::exists(directory / "phy80211", error)) {
        result.type = InterfaceType::wifi;
        return result;
    }
    const std::optional<int> linkType = readLinkType(directory);
    if (linkType == arphrdLoopback) {
        result.type = InterfaceType::loopback;
        return result;
    }
    const std::string driver = driverName(directory);
    if (isOneOf(driver, cellularDrivers) || hasUeventLine(directory, "DEVTYPE=wwan") || linkType == arphrdRawIp) {
        result.type = InterfaceType::cellular;
        return result;
    }
    if (linkType == arphrdEther) {
        result.type = InterfaceType::wiredEthernet;
        result.isPhoneUsbLink = isOneOf(driver, usbTetheringDrivers);
    }
    return result;
}

std::optional<NetworkInterface> networkInterfaceNamed(const std::string& name) {
    const unsigned index = ::if_nametoindex(name.c_str());
    if (index == 0) return std::nullopt;
    return classifyNetworkInterface(name, index);
}

}  // namespace UmberlinPlatform
