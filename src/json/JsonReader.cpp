#include "json/JsonReader.h"

#include <limits>

namespace panemark {

namespace {

std::string describedPath(const std::string& path, const std::string& problem) {
    return path.empty() ? problem : path + ": " + problem;
}

constexpr std::size_t quotedTextLimit = 60;

} // namespace

JsonDecodeError::JsonDecodeError(std::string path, std::string problem)
    : std::runtime_error(describedPath(path, problem)), path_(std::move(path)),
      problem_(std::move(problem)) {}

void JsonReader::expectObject(std::string_view what) const {
    if (!value_.is_object()) {
        fail("expected " + std::string(what) + ", found " + describe(value_));
    }
}

JsonReader JsonReader::required(std::string_view key) const {
    expectObject();
    auto found = value_.find(key);
    if (found == value_.end()) {
        throw JsonDecodeError(childPath(key), "required key is missing");
    }
    return JsonReader(*found, childPath(key));
}

std::optional<JsonReader> JsonReader::optional(std::string_view key) const {
    expectObject();
    auto found = value_.find(key);
    if (found == value_.end() || found->is_null()) {
        return std::nullopt;
    }
    return JsonReader(*found, childPath(key));
}

JsonReader JsonReader::element(std::size_t index) const {
    return JsonReader(value_.at(index), path_ + "[" + std::to_string(index) + "]");
}

std::int64_t JsonReader::asInt64() const {
    if (value_.is_number_unsigned()) {
        const auto value = value_.get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(std::to_string(value) + " is beyond the signed 64-bit range");
        }
        return static_cast<std::int64_t>(value);
    }
    if (value_.is_number_integer()) {
        return value_.get<std::int64_t>();
    }
    if (value_.is_number_float()) {
        fail("expected a whole number in the signed 64-bit range, found " + describe(value_));
    }
    fail("expected an integer, found " + describe(value_));
}

std::uint32_t JsonReader::asUInt32() const {
    constexpr auto max = std::numeric_limits<std::uint32_t>::max();
    if (value_.is_number_unsigned() && value_.get<std::uint64_t>() <= max) {
        return static_cast<std::uint32_t>(value_.get<std::uint64_t>());
    }
    if (value_.is_number_integer() && !value_.is_number_unsigned()) {
        const auto value = value_.get<std::int64_t>();
        if (value >= 0 && value <= static_cast<std::int64_t>(max)) {
            return static_cast<std::uint32_t>(value);
        }
    }
    if (value_.is_number()) {
        fail(describe(value_) + " is not a whole number from 0 to " + std::to_string(max));
    }
    fail("expected an integer, found " + describe(value_));
}

double JsonReader::asDouble() const {
    if (!value_.is_number()) {
        fail("expected a number, found " + describe(value_));
    }
    return value_.get<double>();
}

std::size_t JsonReader::arraySize() const {
    if (!value_.is_array()) {
        fail("expected an array, found " + describe(value_));
    }
    return value_.size();
}

bool JsonReader::asBool() const {
    if (!value_.is_boolean()) {
        fail("expected true or false, found " + describe(value_));
    }
    return value_.get<bool>();
}

std::string JsonReader::asString() const {
    if (!value_.is_string()) {
        fail("expected a string, found " + describe(value_));
    }
    return value_.get<std::string>();
}

Uuid JsonReader::asUuid() const {
    const std::string text = asString();
    if (auto uuid = Uuid::parse(text)) {
        return *uuid;
    }
    fail(quoted(text) + " is not a UUID (8-4-4-4-12 hexadecimal digits)");
}

void JsonReader::fail(std::string problem) const {
    throw JsonDecodeError(path_, std::move(problem));
}

std::string JsonReader::describe(const JsonValue& value) {
    switch (value.type()) {
    case JsonValue::value_t::null:
        return "null";
    case JsonValue::value_t::boolean:
        return value.get<bool>() ? "true" : "false";
    case JsonValue::value_t::string:
        return "a string";
    case JsonValue::value_t::array:
        return "an array";
    case JsonValue::value_t::object:
        return "an object";
    case JsonValue::value_t::number_integer:
    case JsonValue::value_t::number_unsigned:
    case JsonValue::value_t::number_float:
        return value.dump();
    default:
        return "a value of another kind";
    }
}

std::string JsonReader::quoted(std::string_view text) {
    std::string shown(text.substr(0, quotedTextLimit));
    std::string result = Json(shown).dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > quotedTextLimit) {
        result.insert(result.size() - 1, "…");
    }
    return result;
}

std::string JsonReader::childPath(std::string_view key) const {
    return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
}

} // namespace panemark
