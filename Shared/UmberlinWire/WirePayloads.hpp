#pragma once
// The JSON records that travel as message payloads, and their enumerations.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "UmberlinWire/WireFraming.hpp"

namespace UmberlinWire {

// Enumerations travel as strings equal to the case name.
enum class Codec { hevc };
enum class AudioCodec { linearPCM16LittleEndian };
enum class AudioCaptureState { unknown, ready, denied, unavailable };
enum class BatteryState { unknown, unplugged, charging, full };
// `automatic` travels as "auto", which is a reserved word here.
enum class CameraExposureMode { automatic, locked, manual };
enum class CameraFocusMode { automatic, locked };

std::string_view rawValue(Codec value);
std::string_view rawValue(AudioCodec value);
std::string_view rawValue(AudioCaptureState value);
std::string_view rawValue(BatteryState value);
std::string_view rawValue(CameraExposureMode value);
std::string_view rawValue(CameraFocusMode value);

// The case whose raw value is exactly `text` (letter case included), or nothing.
template <typename Enumeration> std::optional<Enumeration> fromRawValue(std::string_view text);
template <> std::optional<Codec> fromRawValue<Codec>(std::string_view);
template <> std::optional<AudioCodec> fromRawValue<AudioCodec>(std::string_view);
template <> std::optional<AudioCaptureState> fromRawValue<AudioCaptureState>(std::string_view);
template <> std::optional<BatteryState> fromRawValue<BatteryState>(std::string_view);
template <> std::optional<CameraExposureMode> fromRawValue<CameraExposureMode>(std::string_view);
template <> std::optional<CameraFocusMode> fromRawValue<CameraFocusMode>(std::string_view);

struct Hello {
    std::string sourceID;
    std::string deviceName;
    std::string cameraName;
    Codec codec;
    std::int64_t width;
    std::int64_t height;
    std::int64_t framesPerSecond;
    std::int64_t averageBitRate;

    friend bool operator==(const Hello&, const Hello&) = default;
};

struct VideoConfiguration {
    Codec codec;
    std::int64_t width;
    std::int64_t height;
    std::int64_t nalUnitHeaderLength;
    std::vector<Bytes> parameterSets;

    friend bool operator==(const VideoConfiguration&, const VideoConfiguration&) = default;
};

struct VideoOrientation {
    std::int64_t rotationAngleDegrees;

    friend bool operator==(const VideoOrientation&, const VideoOrientation&) = default;
};

struct AudioConfiguration {
    AudioCodec codec;
    std::int64_t sampleRate;
    std::int64_t channelCount;

    friend bool operator==(const AudioConfiguration&, const AudioConfiguration&) = default;
};

// The phone's attitude as a quaternion.
struct DeviceAttitude {
    double x;
    double y;
    double z;
    double w;

    friend bool operator==(const DeviceAttitude&, const DeviceAttitude&) = default;
};

// The phone's telemetry.
struct DeviceStatus {
    std::optional<double> batteryLevel;
    BatteryState batteryState;
    std::optional<DeviceAttitude> attitude;
    std::optional<AudioCaptureState> audioCaptureState;
    std::optional<std::string> audioInputName;

    friend bool operator==(const DeviceStatus&, const DeviceStatus&) = default;
};

struct CameraControlCapabilities {
    bool supportsExposureCompensation;
    double minimumExposureBiasEV;
    double maximumExposureBiasEV;
    bool supportsExposureLock;
    bool supportsManualExposure;
    std::optional<double> minimumISO;
    std::optional<double> maximumISO;
    std::optional<double> minimumExposureDurationSeconds;
    std::optional<double> maximumExposureDurationSeconds;
    // Older phones leave the focus flags out; they read as false.
    bool supportsAutoFocus;
    bool supportsFocusLock;
    bool supportsFocusPoint;
    bool supportsManualFocus;

    friend bool operator==(const CameraControlCapabilities&, const CameraControlCapabilities&) = default;
};

struct CameraControlState {
    CameraExposureMode exposureMode;
    double exposureBiasEV;
    double iso;
    double exposureDurationSeconds;
    bool isAdjustingExposure;
    std::optional<CameraFocusMode> focusMode;
    std::optional<double> lensPosition;
    std::optional<bool> isAdjustingFocus;
    std::optional<bool> isManualFocus;

    friend bool operator==(const CameraControlState&, const CameraControlState&) = default;
};

struct CameraControlStatus {
    CameraControlCapabilities capabilities;
    CameraControlState state;

    friend bool operator==(const CameraControlStatus&, const CameraControlStatus&) = default;
};

// Sent by the monitor; fields left empty are not sent, so a command names only what it changes.
struct CameraControlCommand {
    bool requestStatus;
    std::optional<CameraExposureMode> exposureMode = std::nullopt;
    std::optional<double> exposureBiasEV = std::nullopt;
    std::optional<double> iso = std::nullopt;
    std::optional<double> exposureDurationSeconds = std::nullopt;
    std::optional<CameraFocusMode> focusMode = std::nullopt;
    std::optional<double> focusPointX = std::nullopt;
    std::optional<double> focusPointY = std::nullopt;
    std::optional<double> lensPosition = std::nullopt;

    friend bool operator==(const CameraControlCommand&, const CameraControlCommand&) = default;
};

// A payload that is not the JSON form of the expected record. what() says what is wrong.
class DecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A record that has no JSON form: a number field holds NaN or an infinity.
class EncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The compact JSON document of a record. Throws EncodingError.
Bytes encode(const Hello& record);
Bytes encode(const VideoConfiguration& record);
Bytes encode(const VideoOrientation& record);
Bytes encode(const AudioConfiguration& record);
Bytes encode(const DeviceAttitude& record);
Bytes encode(const DeviceStatus& record);
Bytes encode(const CameraControlCapabilities& record);
Bytes encode(const CameraControlState& record);
Bytes encode(const CameraControlStatus& record);
Bytes encode(const CameraControlCommand& record);

// The record a JSON payload holds. Throws DecodingError. Defined for every record above.
template <typename Record> Record decode(ByteView payload);
template <> Hello decode<Hello>(ByteView);
template <> VideoConfiguration decode<VideoConfiguration>(ByteView);
template <> VideoOrientation decode<VideoOrientation>(ByteView);
template <> AudioConfiguration decode<AudioConfiguration>(ByteView);
template <> DeviceAttitude decode<DeviceAttitude>(ByteView);
template <> DeviceStatus decode<DeviceStatus>(ByteView);
template <> CameraControlCapabilities decode<CameraControlCapabilities>(ByteView);
template <> CameraControlState decode<CameraControlState>(ByteView);
template <> CameraControlStatus decode<CameraControlStatus>(ByteView);
template <> CameraControlCommand decode<CameraControlCommand>(ByteView);

}  // namespace UmberlinWire
