#include "UmberlinWire/WireJsonFields.hpp"

#include <cmath>

#include "UmberlinWire/WireShownText.hpp"

namespace UmberlinWire::JsonFields {

// An unknown enumeration value as the decoding error quotes it.
constexpr std::size_t longestShownUnknownValue = 40;

ObjectReader::ObjectReader(const json& value, std::string path) : object_(value), path_(std::move(path)) {
    if (!object_.is_object()) throw DecodingError(path_ + " is not a JSON object.");
}

const json* ObjectReader::find(const char* key) const {
    const auto found = object_.find(key);
    if (found == object_.end() || found->is_null()) return nullptr;
    return &*found;
}

std::string ObjectReader::fieldName(const char* key) const { return path_ + "." + key; }

void ObjectReader::fail(const char* key, std::string_view expected) const {
    throw DecodingError(fieldName(key) + " is not " + std::string(expected) + ".");
}

template <> std::int64_t ObjectReader::convert<std::int64_t>(const json& value, const char* key) const {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > INT64_MAX)
            fail(key, "an integer within 64 bits");
        return value.get<std::int64_t>();
    }
    if (!value.is_number_float()) fail(key, "an integer");
    // A number written with a fraction or exponent still counts when it is whole. Integer
    // text too large for 64 bits also arrives here, as a double: the bounds are exclusive
    // so that a value rounded to -2^63 or 2^63 is refused.
    const double number = value.get<double>();
    if (std::trunc(number) != number) fail(key, "an integer");
    if (!(number > -9223372036854775808.0 && number < 9223372036854775808.0)) fail(key, "an integer within 64 bits");
    return static_cast<std::int64_t>(number);
}

template <> double ObjectReader::convert<double>(const json& value, const char* key) const {
    if (!value.is_number()) fail(key, "a number");
    return value.get<double>();
}

template <> bool ObjectReader::convert<bool>(const json& value, const char* key) const {
    if (!value.is_boolean()) fail(key, "true or false");
    return value.get<bool>();
}

template <> std::string ObjectReader::convert<std::string>(const json& value, const char* key) const {
    if (!value.is_string()) fail(key, "a string");
    return value.get<std::string>();
}

template <> Bytes ObjectReader::convert<Bytes>(const json& value, const char* key) const {
    if (!value.is_string()) fail(key, "a Base64 string");
    auto bytes = base64Decode(value.get_ref<const std::string&>());
    if (!bytes) fail(key, "valid Base64");
    return std::move(*bytes);
}

template <> std::vector<Bytes> ObjectReader::convert<std::vector<Bytes>>(const json& value, const char* key) const {
    if (!value.is_array()) fail(key, "a list");
    std::vector<Bytes> buffers;
    buffers.reserve(value.size());
    for (const json& element : value) {
        if (element.is_null()) fail(key, "a list of Base64 strings");
        buffers.push_back(convert<Bytes>(element, key));
    }
    return buffers;
}

// Enumerations and nested records.
template <typename T> T ObjectReader::convert(const json& value, const char* key) const {
    if constexpr (std::is_enum_v<T>) {
        if (!value.is_string()) fail(key, "a string");
        const auto& text = value.get_ref<const std::string&>();
        const auto member = fromRawValue<T>(text);
        if (!member)
            throw DecodingError(fieldName(key) + " has the unknown value \"" +
                                shownPhoneText(text, longestShownUnknownValue) + "\".");
        return *member;
    } else {
        return fromJson<T>(value, fieldName(key));
    }
}

template Codec ObjectReader::convert<Codec>(const json&, const char*) const;
template AudioCodec ObjectReader::convert<AudioCodec>(const json&, const char*) const;
template AudioCaptureState ObjectReader::convert<AudioCaptureState>(const json&, const char*) const;
template BatteryState ObjectReader::convert<BatteryState>(const json&, const char*) const;
template CameraExposureMode ObjectReader::convert<CameraExposureMode>(const json&, const char*) const;
template CameraFocusMode ObjectReader::convert<CameraFocusMode>(const json&, const char*) const;
template DeviceAttitude ObjectReader::convert<DeviceAttitude>(const json&, const char*) const;
template CameraControlCapabilities ObjectReader::convert<CameraControlCapabilities>(const json&, const char*) const;
template CameraControlState ObjectReader::convert<CameraControlState>(const json&, const char*) const;

json ObjectWriter::write(double value, const char* key) const {
    if (!std::isfinite(value)) throw EncodingError(std::string(recordName_) + "." + key + " is not a finite number.");
    return value;
}

json ObjectWriter::write(const std::vector<Bytes>& buffers, const char*) const {
    json list = json::array();
    for (const Bytes& buffer : buffers) list.push_back(base64Encode(buffer));
    return list;
}

}  // namespace UmberlinWire::JsonFields
