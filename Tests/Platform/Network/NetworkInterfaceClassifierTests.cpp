#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "Network/NetworkInterfaceClassifier.hpp"

using namespace UmberlinPlatform;
namespace fs = std::filesystem;

namespace {

// A made-up /sys/class/net with the entries the classifier reads.
class FakeSysClassNet {
public:
    FakeSysClassNet() : root_(fs::temp_directory_path() / ("umberlin-sysfs-" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "net");
    }
    ~FakeSysClassNet() { fs::remove_all(root_); }

    fs::path net() const { return root_ / "net"; }

    FakeSysClassNet& add(const std::string& name, int type, const std::string& driver = {},
                         const std::string& extra = {}, const std::string& uevent = {}) {
        const fs::path directory = net() / name;
        fs::create_directories(directory);
        std::ofstream(directory / "type") << type << "\n";
        std::ofstream(directory / "uevent") << "INTERFACE=" << name << "\n" << uevent;
        if (!driver.empty()) {
            fs::create_directories(root_ / "drivers" / driver);
            fs::create_directories(directory / "device");
            fs::create_directory_symlink(root_ / "drivers" / driver, directory / "device" / "driver");
        }
        if (!extra.empty()) fs::create_directories(directory / extra);
        return *this;
    }

private:
    fs::path root_;
};

}  // namespace

TEST(NetworkInterfaceClassifier, ReadsTheLinkKindFromSysfs) {
    FakeSysClassNet sysfs;
    sysfs.add("lo", 772)
        .add("wlan0", 1, "iwlwifi", "wireless")
        .add("wlp2s0", 1, "mt7921e", "phy80211")
        .add("eno1", 1, "e1000e")
        .add("anri0", 1)  // a veth: no device at all
        .add("enx0a1b2c3d4e5f", 1, "cdc_ncm")
        .add("usb0", 1, "rndis_host")
        .add("eth1", 1, "ipheth")
        .add("wwan0", 1, "qmi_wwan")
        .add("wwan1", 519)
        .add("mbim0", 1, "", "", "DEVTYPE=wwan\n")
        .add("tun0", 65534);

    struct Expected {
        std::string name;
        InterfaceType type;
        bool phoneUsbLink;
    };
    const std::vector<Expected> expectations = {
        {"lo", InterfaceType::loopback, false},         {"wlan0", InterfaceType::wifi, false},
        {"wlp2s0", InterfaceType::wifi, false},         {"eno1", InterfaceType::wiredEthernet, false},
        {"anri0", InterfaceType::wiredEthernet, false}, {"enx0a1b2c3d4e5f", InterfaceType::wiredEthernet, true},
        {"usb0", InterfaceType::wiredEthernet, true},   {"eth1", InterfaceType::wiredEthernet, true},
        {"wwan0", InterfaceType::cellular, false},      {"wwan1", InterfaceType::cellular, false},
        {"mbim0", InterfaceType::cellular, false},      {"tun0", InterfaceType::other, false},
        {"missing0", InterfaceType::other, false},      {"../net/lo", InterfaceType::other, false},
    };
    unsigned index = 1;
    for (const Expected& expected : expectations) {
        const NetworkInterface found = classifyNetworkInterface(expected.name, index, sysfs.net());
        EXPECT_EQ(found, (NetworkInterface{expected.name, expected.type, index, expected.phoneUsbLink}))
            << expected.name;
        ++index;
    }
}

TEST(NetworkInterfaceClassifier, FindsThisMachinesLoopback) {
    const std::optional<NetworkInterface> loopback = networkInterfaceNamed("lo");
    ASSERT_TRUE(loopback.has_value());
    EXPECT_EQ(loopback->type, InterfaceType::loopback);
    EXPECT_GT(loopback->index, 0u);
    EXPECT_FALSE(networkInterfaceNamed("nosuch0").has_value());
}
