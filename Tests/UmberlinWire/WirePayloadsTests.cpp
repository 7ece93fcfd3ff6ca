#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

#include "UmberlinWire/WireBase64.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinWire {
namespace {

using nlohmann::json;

Bytes text(std::string_view document) { return Bytes(document.begin(), document.end()); }
json parsed(const Bytes& document) { return json::parse(document.begin(), document.end()); }

template <typename Record> std::string decodeFailure(std::string_view document) {
    try {
        decode<Record>(text(document));
    } catch (const DecodingError& error) {
        return error.what();
    }
    ADD_FAILURE() << "decoded: " << document;
    return {};
}

const char* const helloDocument =
    R"({"sourceID":"s","deviceName":"Phone","cameraName":"Back","codec":"hevc","width":1920,"height":1080,"framesPerSecond":30,"averageBitRate":8000000})";

TEST(WirePayloads, CommandWithOnlyRequestStatusIsCompleteBothWays) {
    const CameraControlCommand command = decode<CameraControlCommand>(text(R"({"requestStatus":true})"));
    EXPECT_EQ(command, CameraControlCommand{.requestStatus = true});
    EXPECT_EQ(parsed(encode(command)), json::parse(R"({"requestStatus":true})"));

    const CameraControlCommand full{
        true, CameraExposureMode::manual, -1.5, 400, 0.01, CameraFocusMode::automatic, 0.25, 0.75, 1.0};
    EXPECT_EQ(parsed(encode(full)),
              json::parse(R"({"requestStatus":true,"exposureMode":"manual","exposureBiasEV":-1.5,"iso":400.0,
                              "exposureDurationSeconds":0.01,"focusMode":"auto","focusPointX":0.25,"focusPointY":0.75,
                              "lensPosition":1.0})"));
    EXPECT_EQ(decode<CameraControlCommand>(encode(full)), full);
}

TEST(WirePayloads, EncodingIsCompact) {
    const Bytes document = encode(VideoOrientation{90});
    EXPECT_EQ(std::string(document.begin(), document.end()), R"({"rotationAngleDegrees":90})");
}

TEST(WirePayloads, OptionalFieldsMayBeMissingOrNullButRequiredOnesMayNot) {
    const DeviceStatus status = decode<DeviceStatus>(text(R"({"batteryState":"charging","batteryLevel":null})"));
    EXPECT_EQ(status, (DeviceStatus{std::nullopt, BatteryState::charging, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(parsed(encode(status)), json::parse(R"({"batteryState":"charging"})"));

    EXPECT_EQ(decodeFailure<DeviceStatus>(R"({"batteryLevel":0.5})"), "DeviceStatus.batteryState is missing.");
    EXPECT_EQ(decodeFailure<DeviceStatus>(R"({"batteryState":null})"), "DeviceStatus.batteryState is missing.");
    EXPECT_EQ(decodeFailure<DeviceStatus>(R"({"batteryState":"full","attitude":{"x":0,"y":0,"z":0}})"),
              "DeviceStatus.attitude.w is missing.");

    const DeviceStatus full = decode<DeviceStatus>(text(
        R"({"batteryLevel":1,"batteryState":"full","attitude":{"x":0.1,"y":0,"z":-0.5,"w":1},"audioCaptureState":"denied","audioInputName":"Mic"})"));
    EXPECT_EQ(full.batteryLevel, 1.0);
    EXPECT_EQ(full.attitude, (DeviceAttitude{0.1, 0, -0.5, 1}));
    EXPECT_EQ(full.audioCaptureState, AudioCaptureState::denied);
    EXPECT_EQ(decode<DeviceStatus>(encode(full)), full);
}

TEST(WirePayloads, FocusFlagsAreLenientAndAlwaysWritten) {
    const char* withoutFocusKeys =
        R"({"supportsExposureCompensation":true,"minimumExposureBiasEV":-8,"maximumExposureBiasEV":8,"supportsExposureLock":true,"supportsManualExposure":false})";
    const auto capabilities = decode<CameraControlCapabilities>(text(withoutFocusKeys));
    EXPECT_FALSE(capabilities.supportsAutoFocus || capabilities.supportsFocusLock || capabilities.supportsFocusPoint ||
                 capabilities.supportsManualFocus);
    EXPECT_FALSE(capabilities.minimumISO);

    const json written = parsed(encode(capabilities));
    for (const char* key : {"supportsAutoFocus", "supportsFocusLock", "supportsFocusPoint", "supportsManualFocus"})
        EXPECT_EQ(written.at(key), false) << key;
    EXPECT_FALSE(written.contains("minimumISO"));

    EXPECT_EQ(
        decodeFailure<CameraControlCapabilities>(
            R"({"supportsExposureCompensation":true,"minimumExposureBiasEV":-8,"maximumExposureBiasEV":8,"supportsManualExposure":false})"),
        "CameraControlCapabilities.supportsExposureLock is missing.");
    EXPECT_EQ(
        decodeFailure<CameraControlCapabilities>(
            R"({"supportsExposureCompensation":true,"minimumExposureBiasEV":-8,"maximumExposureBiasEV":8,"supportsExposureLock":true,"supportsManualExposure":false,"supportsAutoFocus":1})"),
        "CameraControlCapabilities.supportsAutoFocus is not true or false.");
}

TEST(WirePayloads, ByteBuffersAreStandardBase64) {
    const auto configuration = decode<VideoConfiguration>(
        text(R"({"codec":"hevc","width":1920,"height":1080,"nalUnitHeaderLength":4,"parameterSets":["AAEC"]})"));
    EXPECT_EQ(configuration.parameterSets, std::vector<Bytes>{Bytes({0x00, 0x01, 0x02})});
    EXPECT_TRUE(decode<VideoConfiguration>(
                    text(R"({"codec":"hevc","width":1,"height":1,"nalUnitHeaderLength":4,"parameterSets":[]})"))
                    .parameterSets.empty());

    const VideoConfiguration odd{Codec::hevc, 8, 8, 2, {Bytes{0xFF}, Bytes{0xFB, 0xEF}, Bytes{}}};
    EXPECT_EQ(parsed(encode(odd)).at("parameterSets"), json::parse(R"(["/w==","++8=",""])"));
    EXPECT_EQ(decode<VideoConfiguration>(encode(odd)), odd);

    for (const char* bad : {"AAE", "AA=C", "A===", "AAE\n", "AA-_", "AAEC====", " AAEC"}) {
        EXPECT_FALSE(base64Decode(bad)) << bad;
    }
    EXPECT_EQ(decodeFailure<VideoConfiguration>(
                  R"({"codec":"hevc","width":1,"height":1,"nalUnitHeaderLength":4,"parameterSets":["AAE"]})"),
              "VideoConfiguration.parameterSets is not valid Base64.");
    EXPECT_EQ(decodeFailure<VideoConfiguration>(
                  R"({"codec":"hevc","width":1,"height":1,"nalUnitHeaderLength":4,"parameterSets":"AAEC"})"),
              "VideoConfiguration.parameterSets is not a list.");
}

TEST(WirePayloads, IntegersMustBeWholeAndFitSixtyFourBits) {
    const Hello hello = decode<Hello>(text(helloDocument));
    EXPECT_EQ(hello, (Hello{"s", "Phone", "Back", Codec::hevc, 1920, 1080, 30, 8000000}));
    EXPECT_EQ(decode<Hello>(encode(hello)), hello);

    auto withWidth = [](const std::string& width) {
        json document = json::parse(helloDocument);
        document.erase("width");
        std::string textForm = document.dump();
        textForm.insert(1, "\"width\":" + width + ",");
        return textForm;
    };
    EXPECT_EQ(decodeFailure<Hello>(withWidth("1920.5")), "Hello.width is not an integer.");
    EXPECT_EQ(decodeFailure<Hello>(withWidth("\"1920\"")), "Hello.width is not an integer.");
    EXPECT_EQ(decodeFailure<Hello>(withWidth("true")), "Hello.width is not an integer.");
    EXPECT_EQ(decodeFailure<Hello>(withWidth("9223372036854775808")), "Hello.width is not an integer within 64 bits.");
    EXPECT_EQ(decodeFailure<Hello>(withWidth("-9223372036854775809")), "Hello.width is not an integer within 64 bits.");
    EXPECT_EQ(decodeFailure<Hello>(withWidth("1e30")), "Hello.width is not an integer within 64 bits.");
    EXPECT_EQ(decode<Hello>(text(withWidth("1920.0"))).width, 1920);
    EXPECT_EQ(decode<Hello>(text(withWidth("9223372036854775807"))).width, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(decode<Hello>(text(withWidth("-9223372036854775808"))).width, std::numeric_limits<std::int64_t>::min());
}

TEST(WirePayloads, NumbersAcceptAnyJsonNumberAndRefuseOtherTypes) {
    EXPECT_EQ(decode<DeviceAttitude>(text(R"({"x":1,"y":-2,"z":18446744073709551615,"w":1e-3})")),
              (DeviceAttitude{1, -2, 18446744073709551615.0, 0.001}));
    EXPECT_EQ(decodeFailure<DeviceAttitude>(R"({"x":"1","y":0,"z":0,"w":1})"), "DeviceAttitude.x is not a number.");
}

TEST(WirePayloads, EnumerationsMatchExactly) {
    EXPECT_EQ(
        decode<AudioConfiguration>(text(R"({"codec":"linearPCM16LittleEndian","sampleRate":48000,"channelCount":2})")),
        (AudioConfiguration{AudioCodec::linearPCM16LittleEndian, 48000, 2}));
    EXPECT_EQ(
        decodeFailure<AudioConfiguration>(R"({"codec":"LinearPCM16LittleEndian","sampleRate":48000,"channelCount":2})"),
        "AudioConfiguration.codec has the unknown value \"LinearPCM16LittleEndian\".");
    EXPECT_EQ(
        decodeFailure<Hello>(std::string(helloDocument).replace(std::string(helloDocument).find("hevc"), 4, "Hevc")),
        "Hello.codec has the unknown value \"Hevc\".");
    // The phone's text is shown to the user: no control characters, and not at any length.
    EXPECT_EQ(decodeFailure<AudioConfiguration>("{\"codec\":\"pcm\\n\\u001b[2J" + std::string(100, 'x') +
                                                "\",\"sampleRate\":1,\"channelCount\":1}"),
              "AudioConfiguration.codec has the unknown value \"pcm??[2J" + std::string(32, 'x') + "\u2026\".");
    EXPECT_EQ(rawValue(CameraExposureMode::automatic), "auto");
    EXPECT_EQ(fromRawValue<CameraFocusMode>("auto"), CameraFocusMode::automatic);
    EXPECT_FALSE(fromRawValue<CameraFocusMode>("Auto"));
    EXPECT_EQ(fromRawValue<BatteryState>("unplugged"), BatteryState::unplugged);
}

TEST(WirePayloads, UnknownKeysAreIgnoredAndKeyOrderIsFree) {
    const std::string document =
        R"({"extra":{"deep":[1,2,{"x":null}]},"channelCount":1,"sampleRate":8000,"codec":"linearPCM16LittleEndian","more":"x"})";
    EXPECT_EQ(decode<AudioConfiguration>(text(document)).sampleRate, 8000);
}

TEST(WirePayloads, PayloadsThatAreNotJsonObjectsFail) {
    EXPECT_EQ(decodeFailure<VideoOrientation>("[1]"), "VideoOrientation is not a JSON object.");
    EXPECT_EQ(decodeFailure<VideoOrientation>(""), "VideoOrientation payload is not valid JSON.");
    EXPECT_EQ(decodeFailure<VideoOrientation>(R"({"rotationAngleDegrees":90} trailing)"),
              "VideoOrientation payload is not valid JSON.");
    EXPECT_EQ(decodeFailure<VideoOrientation>("{\"rotationAngleDegrees\":90,\"n\":\"\xFF\"}"),
              "VideoOrientation payload is not valid JSON.");
    EXPECT_EQ(decodeFailure<VideoOrientation>(std::string(100000, '[')), "VideoOrientation payload is not valid JSON.");
    EXPECT_EQ(decodeFailure<CameraControlStatus>(R"({"capabilities":[],"state":{}})"),
              "CameraControlStatus.capabilities is not a JSON object.");
}

TEST(WirePayloads, DeeplyNestedUnknownValuesAreHarmless) {
    const std::string depth(1'000'000, '[');
    const std::string document =
        R"({"rotationAngleDegrees":270,"deep":)" + depth + std::string(depth.size(), ']') + "}";
    EXPECT_EQ(decode<VideoOrientation>(text(document)).rotationAngleDegrees, 270);
}

TEST(WirePayloads, NonFiniteNumbersCannotBeEncoded) {
    CameraControlCommand command{.requestStatus = false, .lensPosition = std::nan("")};
    EXPECT_THROW(encode(command), EncodingError);
    command.lensPosition = 0.5;
    command.iso = std::numeric_limits<double>::infinity();
    try {
        encode(command);
        ADD_FAILURE() << "an infinite ISO was encoded";
    } catch (const EncodingError& error) {
        EXPECT_STREQ(error.what(), "CameraControlCommand.iso is not a finite number.");
    }
}

}  // namespace
}  // namespace UmberlinWire
