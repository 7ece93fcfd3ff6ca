#include <gtest/gtest.h>

#include "Reception/CameraAddress.hpp"

namespace Quillfen {
namespace {

TEST(CameraAddressTest, ReadsHostAndPortAndWritesThemBack) {
    struct Case {
        const char* typed;
        std::optional<UmberlinPlatform::HostPortEndpoint> read;
        const char* written;
    };
    const Case cases[] = {
        {"10.0.0.5:47810", UmberlinPlatform::HostPortEndpoint{"10.0.0.5", 47810}, "10.0.0.5:47810"},
        {"  [::1]:7 ", UmberlinPlatform::HostPortEndpoint{"::1", 7}, "[::1]:7"},
        {"[fe80::1%wlan0]:65535", UmberlinPlatform::HostPortEndpoint{"fe80::1%wlan0", 65535}, "[fe80::1%wlan0]:65535"},
        {"studio-phone.local:80", UmberlinPlatform::HostPortEndpoint{"studio-phone.local", 80},
         "studio-phone.local:80"},
        {"10.0.0.5", std::nullopt, ""},       // no port
        {"fe80::1:47810", std::nullopt, ""},  // IPv6 without brackets
        {"[10.0.0.5]:47810", std::nullopt, ""},
        {"[::1]47810", std::nullopt, ""},
        {"phone:0", std::nullopt, ""},
        {"phone:65536", std::nullopt, ""},
        {"phone:80x", std::nullopt, ""},
        {":47810", std::nullopt, ""},
        {"my phone:47810", std::nullopt, ""},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.typed);
        const auto read = parseCameraAddress(testCase.typed);
        EXPECT_EQ(read, testCase.read);
        if (read) {
            EXPECT_EQ(cameraAddressText(*read), testCase.written);
        }
    }
}

}  // namespace
}  // namespace Quillfen
