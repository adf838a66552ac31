#pragma once

#include "model/LabeledChoice.h"
#include "model/Uuid.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace panemark {

// Written JSON keeps its keys in the order they were put in.
using Json = nlohmann::ordered_json;
// Read JSON looks its keys up in logarithmic time: a hostile file with a hundred thousand keys
// in one object must not cost quadratic time.
using JsonValue = nlohmann::json;

// A value that does not have the shape a decoder expects, and where it is ("[2].shortcut.keyCode").
// Thrown only inside a decoding and caught at its public entry point, which turns it into an
// Error; it never leaves the model.
class JsonDecodeError : public std::runtime_error {
public:
    JsonDecodeError(std::string path, std::string problem);
    const std::string& path() const { return path_; }
    const std::string& problem() const { return problem_; }

private:
    std::string path_;
    std::string problem_;
};

// Strict, typed access to one JSON value and its path, for decoders. Every mismatch throws a
// JsonDecodeError that names the path and what was found instead.
class JsonReader {
public:
    JsonReader(const JsonValue& value, std::string path) : value_(value), path_(std::move(path)) {}

    const JsonValue& value() const { return value_; }
    const std::string& path() const { return path_; }

    // Fails unless the value is an object; what names it in the message ("a command object").
    void expectObject(std::string_view what = "an object") const;
    // A key that must be there (any value, null included).
    JsonReader required(std::string_view key) const;
    // A key that may be left out; a JSON null counts as left out.
    std::optional<JsonReader> optional(std::string_view key) const;
    JsonReader element(std::size_t index) const;

    std::int64_t asInt64() const;
    std::uint32_t asUInt32() const;
    bool asBool() const;
    // Any JSON number, as a double.
    double asDouble() const;
    // The number of elements; fails unless the value is an array.
    std::size_t arraySize() const;
    std::string asString() const;
    Uuid asUuid() const;
    // A string holding one of the raw values of an enumeration with allCases()/fromRawValue().
    template <class Choice> Choice asChoice() const;

    [[noreturn]] void fail(std::string problem) const;

    // How a value is named in messages: "a string", "an array", "-3", "\"diagonal\"".
    static std::string describe(const JsonValue& value);
    static std::string quoted(std::string_view text);

private:
    std::string childPath(std::string_view key) const;
    const JsonValue& value_;
    std::string path_;
};

template <class Choice> Choice JsonReader::asChoice() const {
    const std::string raw = asString();
    if (auto choice = Choice::fromRawValue(raw)) {
        return *choice;
    }
    fail(quoted(raw) + " is not one of " + rawValueList<Choice>());
}

} // namespace panemark
