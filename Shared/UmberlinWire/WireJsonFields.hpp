#pragma once
// Strict reading and writing of record fields in JSON objects. Reading never trusts the
// document: every value's JSON type is checked, integers must be whole and fit 64 bits,
// enumeration strings must match a case exactly, byte buffers must be valid Base64.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

#include "UmberlinWire/WireBase64.hpp"
#include "UmberlinWire/WirePayloads.hpp"

namespace UmberlinWire::JsonFields {

using nlohmann::json;

// The JSON form of a record, and back; defined with the records.
template <typename Record> json toJson(const Record& record);
template <typename Record> Record fromJson(const json& value, const std::string& path);

// Reads the fields of one JSON object; `path` names it in error messages ("DeviceStatus.attitude").
// Defined with the records.
template <> json toJson(const Hello&);
template <> Hello fromJson(const json&, const std::string&);
template <> json toJson(const VideoConfiguration&);
template <> VideoConfiguration fromJson(const json&, const std::string&);
template <> json toJson(const VideoOrientation&);
template <> VideoOrientation fromJson(const json&, const std::string&);
template <> json toJson(const AudioConfiguration&);
template <> AudioConfiguration fromJson(const json&, const std::string&);
template <> json toJson(const DeviceAttitude&);
template <> DeviceAttitude fromJson(const json&, const std::string&);
template <> json toJson(const DeviceStatus&);
template <> DeviceStatus fromJson(const json&, const std::string&);
template <> json toJson(const CameraControlCapabilities&);
template <> CameraControlCapabilities fromJson(const json&, const std::string&);
template <> json toJson(const CameraControlState&);
template <> CameraControlState fromJson(const json&, const std::string&);
template <> json toJson(const CameraControlStatus&);
template <> CameraControlStatus fromJson(const json&, const std::string&);
template <> json toJson(const CameraControlCommand&);
template <> CameraControlCommand fromJson(const json&, const std::string&);

class ObjectReader {
public:
    ObjectReader(const json& value, std::string path);

    template <typename T> T required(const char* key) const {
        const json* value = find(key);
        if (!value) throw DecodingError(fieldName(key) + " is missing.");
        return convert<T>(*value, key);
    }

    template <typename T> std::optional<T> optional(const char* key) const {
        const json* value = find(key);
        if (!value) return std::nullopt;
        return convert<T>(*value, key);
    }

    // A flag that older senders leave out: absent or null reads as false.
    bool lenientFlag(const char* key) const { return optional<bool>(key).value_or(false); }

private:
    // The value under `key`, or null when it is missing or JSON null.
    const json* find(const char* key) const;
    std::string fieldName(const char* key) const;
    [[noreturn]] void fail(const char* key, std::string_view expected) const;

    template <typename T> T convert(const json& value, const char* key) const;

    const json& object_;
    std::string path_;
};

template <> std::int64_t ObjectReader::convert<std::int64_t>(const json&, const char*) const;
template <> double ObjectReader::convert<double>(const json&, const char*) const;
template <> bool ObjectReader::convert<bool>(const json&, const char*) const;
template <> std::string ObjectReader::convert<std::string>(const json&, const char*) const;
template <> Bytes ObjectReader::convert<Bytes>(const json&, const char*) const;
template <> std::vector<Bytes> ObjectReader::convert<std::vector<Bytes>>(const json&, const char*) const;

// Writes record fields; number fields must be finite.
class ObjectWriter {
public:
    explicit ObjectWriter(std::string_view recordName) : recordName_(recordName) {}

    template <typename T> ObjectWriter& set(const char* key, const T& value) {
        object_[key] = write(value, key);
        return *this;
    }
    template <typename T> ObjectWriter& set(const char* key, const std::optional<T>& value) {
        if (value) set(key, *value);
        return *this;
    }

    json take() { return std::move(object_); }

private:
    json write(double value, const char* key) const;
    json write(const std::vector<Bytes>& buffers, const char*) const;
    template <typename T> json write(const T& value, const char*) const {
        if constexpr (std::is_enum_v<T>)
            return std::string(rawValue(value));
        else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::string>)
            return value;
        else
            return toJson(value);
    }

    std::string_view recordName_;
    json object_ = json::object();
};

}  // namespace UmberlinWire::JsonFields
