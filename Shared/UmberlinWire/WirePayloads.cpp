#include "UmberlinWire/WirePayloads.hpp"

#include <array>

#include "UmberlinWire/WireJsonFields.hpp"

namespace UmberlinWire {
namespace {

template <typename Enumeration, std::size_t count>
std::optional<Enumeration> lookUp(const std::array<std::string_view, count>& names, std::string_view text) {
    for (std::size_t i = 0; i < count; ++i)
        if (names[i] == text) return static_cast<Enumeration>(i);
    return std::nullopt;
}

// Raw values, in declaration order.
constexpr std::array<std::string_view, 1> codecNames{"hevc"};
constexpr std::array<std::string_view, 1> audioCodecNames{"linearPCM16LittleEndian"};
constexpr std::array<std::string_view, 4> audioCaptureStateNames{"unknown", "ready", "denied", "unavailable"};
constexpr std::array<std::string_view, 4> batteryStateNames{"unknown", "unplugged", "charging", "full"};
constexpr std::array<std::string_view, 3> exposureModeNames{"auto", "locked", "manual"};
constexpr std::array<std::string_view, 2> focusModeNames{"auto", "locked"};

}  // namespace

std::string_view rawValue(Codec value) { return codecNames.at(static_cast<std::size_t>(value)); }
std::string_view rawValue(AudioCodec value) { return audioCodecNames.at(static_cast<std::size_t>(value)); }
std::string_view rawValue(AudioCaptureState value) {
    return audioCaptureStateNames.at(static_cast<std::size_t>(value));
}
std::string_view rawValue(BatteryState value) { return batteryStateNames.at(static_cast<std::size_t>(value)); }
std::string_view rawValue(CameraExposureMode value) { return exposureModeNames.at(static_cast<std::size_t>(value)); }
std::string_view rawValue(CameraFocusMode value) { return focusModeNames.at(static_cast<std::size_t>(value)); }

template <> std::optional<Codec> fromRawValue<Codec>(std::string_view text) { return lookUp<Codec>(codecNames, text); }
template <> std::optional<AudioCodec> fromRawValue<AudioCodec>(std::string_view text) {
    return lookUp<AudioCodec>(audioCodecNames, text);
}
template <> std::optional<AudioCaptureState> fromRawValue<AudioCaptureState>(std::string_view text) {
    return lookUp<AudioCaptureState>(audioCaptureStateNames, text);
}
template <> std::optional<BatteryState> fromRawValue<BatteryState>(std::string_view text) {
    return lookUp<BatteryState>(batteryStateNames, text);
}
template <> std::optional<CameraExposureMode> fromRawValue<CameraExposureMode>(std::string_view text) {
    return lookUp<CameraExposureMode>(exposureModeNames, text);
}
template <> std::optional<CameraFocusMode> fromRawValue<CameraFocusMode>(std::string_view text) {
    return lookUp<CameraFocusMode>(focusModeNames, text);
}

namespace JsonFields {

template <> json toJson(const Hello& r) {
    return ObjectWriter("Hello")
        .set("sourceID", r.sourceID)
        .set("deviceName", r.deviceName)
        .set("cameraName", r.cameraName)
        .set("codec", r.codec)
        .set("width", r.width)
        .set("height", r.height)
        .set("framesPerSecond", r.framesPerSecond)
        .set("averageBitRate", r.averageBitRate)
        .take();
}
template <> Hello fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return Hello{
        in.required<std::string>("sourceID"),         in.required<std::string>("deviceName"),
        in.required<std::string>("cameraName"),       in.required<Codec>("codec"),
        in.required<std::int64_t>("width"),           in.required<std::int64_t>("height"),
        in.required<std::int64_t>("framesPerSecond"), in.required<std::int64_t>("averageBitRate"),
    };
}

template <> json toJson(const VideoConfiguration& r) {
    return ObjectWriter("VideoConfiguration")
        .set("codec", r.codec)
        .set("width", r.width)
        .set("height", r.height)
        .set("nalUnitHeaderLength", r.nalUnitHeaderLength)
        .set("parameterSets", r.parameterSets)
        .take();
}
template <> VideoConfiguration fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return VideoConfiguration{
        in.required<Codec>("codec"),
        in.required<std::int64_t>("width"),
        in.required<std::int64_t>("height"),
        in.required<std::int64_t>("nalUnitHeaderLength"),
        in.required<std::vector<Bytes>>("parameterSets"),
    };
}

template <> json toJson(const VideoOrientation& r) {
    return ObjectWriter("VideoOrientation").set("rotationAngleDegrees", r.rotationAngleDegrees).take();
}
template <> VideoOrientation fromJson(const json& value, const std::string& path) {
    return VideoOrientation{ObjectReader(value, path).required<std::int64_t>("rotationAngleDegrees")};
}

template <> json toJson(const AudioConfiguration& r) {
    return ObjectWriter("AudioConfiguration")
        .set("codec", r.codec)
        .set("sampleRate", r.sampleRate)
        .set("channelCount", r.channelCount)
        .take();
}
template <> AudioConfiguration fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return AudioConfiguration{
        in.required<AudioCodec>("codec"),
        in.required<std::int64_t>("sampleRate"),
        in.required<std::int64_t>("channelCount"),
    };
}

template <> json toJson(const DeviceAttitude& r) {
    return ObjectWriter("DeviceAttitude").set("x", r.x).set("y", r.y).set("z", r.z).set("w", r.w).take();
}
template <> DeviceAttitude fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return DeviceAttitude{
        in.required<double>("x"),
        in.required<double>("y"),
        in.required<double>("z"),
        in.required<double>("w"),
    };
}

template <> json toJson(const DeviceStatus& r) {
    return ObjectWriter("DeviceStatus")
        .set("batteryLevel", r.batteryLevel)
        .set("batteryState", r.batteryState)
        .set("attitude", r.attitude)
        .set("audioCaptureState", r.audioCaptureState)
        .set("audioInputName", r.audioInputName)
        .take();
}
template <> DeviceStatus fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return DeviceStatus{
        in.optional<double>("batteryLevel"),        in.required<BatteryState>("batteryState"),
        in.optional<DeviceAttitude>("attitude"),    in.optional<AudioCaptureState>("audioCaptureState"),
        in.optional<std::string>("audioInputName"),
    };
}

template <> json toJson(const CameraControlCapabilities& r) {
    return ObjectWriter("CameraControlCapabilities")
        .set("supportsExposureCompensation", r.supportsExposureCompensation)
        .set("minimumExposureBiasEV", r.minimumExposureBiasEV)
        .set("maximumExposureBiasEV", r.maximumExposureBiasEV)
        .set("supportsExposureLock", r.supportsExposureLock)
        .set("supportsManualExposure", r.supportsManualExposure)
        .set("minimumISO", r.minimumISO)
        .set("maximumISO", r.maximumISO)
        .set("minimumExposureDurationSeconds", r.minimumExposureDurationSeconds)
        .set("maximumExposureDurationSeconds", r.maximumExposureDurationSeconds)
        .set("supportsAutoFocus", r.supportsAutoFocus)
        .set("supportsFocusLock", r.supportsFocusLock)
        .set("supportsFocusPoint", r.supportsFocusPoint)
        .set("supportsManualFocus", r.supportsManualFocus)
        .take();
}
template <> CameraControlCapabilities fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return CameraControlCapabilities{
        in.required<bool>("supportsExposureCompensation"),
        in.required<double>("minimumExposureBiasEV"),
        in.required<double>("maximumExposureBiasEV"),
        in.required<bool>("supportsExposureLock"),
        in.required<bool>("supportsManualExposure"),
        in.optional<double>("minimumISO"),
        in.optional<double>("maximumISO"),
        in.optional<double>("minimumExposureDurationSeconds"),
        in.optional<double>("maximumExposureDurationSeconds"),
        in.lenientFlag("supportsAutoFocus"),
        in.lenientFlag("supportsFocusLock"),
        in.lenientFlag("supportsFocusPoint"),
        in.lenientFlag("supportsManualFocus"),
    };
}

template <> json toJson(const CameraControlState& r) {
    return ObjectWriter("CameraControlState")
        .set("exposureMode", r.exposureMode)
        .set("exposureBiasEV", r.exposureBiasEV)
        .set("iso", r.iso)
        .set("exposureDurationSeconds", r.exposureDurationSeconds)
        .set("isAdjustingExposure", r.isAdjustingExposure)
        .set("focusMode", r.focusMode)
        .set("lensPosition", r.lensPosition)
        .set("isAdjustingFocus", r.isAdjustingFocus)
        .set("isManualFocus", r.isManualFocus)
        .take();
}
template <> CameraControlState fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return CameraControlState{
        in.required<CameraExposureMode>("exposureMode"),
        in.required<double>("exposureBiasEV"),
        in.required<double>("iso"),
        in.required<double>("exposureDurationSeconds"),
        in.required<bool>("isAdjustingExposure"),
        in.optional<CameraFocusMode>("focusMode"),
        in.optional<double>("lensPosition"),
        in.optional<bool>("isAdjustingFocus"),
        in.optional<bool>("isManualFocus"),
    };
}

template <> json toJson(const CameraControlStatus& r) {
    return ObjectWriter("CameraControlStatus").set("capabilities", r.capabilities).set("state", r.state).take();
}
template <> CameraControlStatus fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return CameraControlStatus{
        in.required<CameraControlCapabilities>("capabilities"),
        in.required<CameraControlState>("state"),
    };
}

template <> json toJson(const CameraControlCommand& r) {
    return ObjectWriter("CameraControlCommand")
        .set("requestStatus", r.requestStatus)
        .set("exposureMode", r.exposureMode)
        .set("exposureBiasEV", r.exposureBiasEV)
        .set("iso", r.iso)
        .set("exposureDurationSeconds", r.exposureDurationSeconds)
        .set("focusMode", r.focusMode)
        .set("focusPointX", r.focusPointX)
        .set("focusPointY", r.focusPointY)
        .set("lensPosition", r.lensPosition)
        .take();
}
template <> CameraControlCommand fromJson(const json& value, const std::string& path) {
    const ObjectReader in(value, path);
    return CameraControlCommand{
        in.required<bool>("requestStatus"),
        in.optional<CameraExposureMode>("exposureMode"),
        in.optional<double>("exposureBiasEV"),
        in.optional<double>("iso"),
        in.optional<double>("exposureDurationSeconds"),
        in.optional<CameraFocusMode>("focusMode"),
        in.optional<double>("focusPointX"),
        in.optional<double>("focusPointY"),
        in.optional<double>("lensPosition"),
    };
}

}  // namespace JsonFields

namespace {

template <typename Record> Bytes encodeRecord(const Record& record) {
    const std::string text = JsonFields::toJson(record).dump();
    return Bytes(text.begin(), text.end());
}

template <typename Record> Record decodeRecord(ByteView payload, const char* recordName) {
    JsonFields::json document = JsonFields::json::parse(payload.begin(), payload.end(), nullptr, false);
    if (document.is_discarded()) throw DecodingError(std::string(recordName) + " payload is not valid JSON.");
    return JsonFields::fromJson<Record>(document, recordName);
}

}  // namespace

#define UMBERLIN_WIRE_RECORD_CODING(Record)                             \
    Bytes encode(const Record& record) { return encodeRecord(record); } \
    template <> Record decode<Record>(ByteView payload) { return decodeRecord<Record>(payload, #Record); }

UMBERLIN_WIRE_RECORD_CODING(Hello)
UMBERLIN_WIRE_RECORD_CODING(VideoConfiguration)
UMBERLIN_WIRE_RECORD_CODING(VideoOrientation)
UMBERLIN_WIRE_RECORD_CODING(AudioConfiguration)
UMBERLIN_WIRE_RECORD_CODING(DeviceAttitude)
UMBERLIN_WIRE_RECORD_CODING(DeviceStatus)
UMBERLIN_WIRE_RECORD_CODING(CameraControlCapabilities)
UMBERLIN_WIRE_RECORD_CODING(CameraControlState)
UMBERLIN_WIRE_RECORD_CODING(CameraControlStatus)
UMBERLIN_WIRE_RECORD_CODING(CameraControlCommand)

}  // namespace UmberlinWire
