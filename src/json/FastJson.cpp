#include "json/FastJson.h"

#include <charconv>
#include <cmath>
#include <rapidjson/error/error.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <vector>

namespace panemark {

namespace {

// Builds the value as the usual parser would: a number without a sign as unsigned, one with a
// minus as signed; a key given twice keeps its last value.
class Builder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Builder> {
public:
    explicit Builder(JsonValue& root) : root_(root) {}

    bool Null() { return put(JsonValue(nullptr)); }
    bool Bool(bool value) { return put(JsonValue(value)); }
    // Numbers come as their text (RapidJSON's own conversion of fractions is not the one the
    // usual parser makes) and are read as that parser reads them.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        const std::optional<JsonValue> number = FastJson::readNumber({text, length});
        return number && put(*number);
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        return put(JsonValue(std::string(text, length)));
    }
    bool StartObject() { return open(JsonValue::object()); }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        key_.assign(text, length);
        return true;
    }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(JsonValue::array()); }
    bool EndArray(rapidjson::SizeType) { return close(); }

private:
    // Where the next value goes: the root, the end of an array, or the last key of an object.
    JsonValue* place() {
        if (stack_.empty()) {
            return &root_;
        }
        JsonValue& container = *stack_.back();
        if (container.is_array()) {
            container.push_back(nullptr);
            return &container.back();
        }
        return &container[key_];
    }
    bool put(JsonValue value) {
        *place() = std::move(value);
        return true;
    }
    bool open(JsonValue container) {
        JsonValue* at = place();
        *at = std::move(container);
        stack_.push_back(at);
        return true;
    }
    bool close() {
        stack_.pop_back();
        return true;
    }

    JsonValue& root_;
    std::vector<JsonValue*> stack_;
    std::string key_;
};

} // namespace

std::optional<JsonValue> FastJson::readNumber(std::string_view text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const bool whole = text.find_first_of(".eE") == std::string_view::npos;
    if (whole && text.starts_with('-')) {
        std::int64_t value = 0;
        if (std::from_chars(first, last, value).ec == std::errc()) {
            return JsonValue(value);
        }
    } else if (whole) {
        std::uint64_t value = 0;
        if (std::from_chars(first, last, value).ec == std::errc()) {
            return JsonValue(value);
        }
    }
    // A fraction, an exponent, or a whole number too large for 64 bits: a double, correctly
    // rounded as strtod rounds; one beyond a double's range is the usual parser's to refuse.
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return JsonValue(value);
}

std::optional<JsonValue> FastJson::parse(std::string_view text) {
    JsonValue root;
    Builder builder(root);
    rapidjson::MemoryStream bytes(text.data(), text.size());
    rapidjson::Reader reader;
    // Numbers as text, read as the usual parser reads them; checked text; one value and no more.
    constexpr unsigned flags = rapidjson::kParseNumbersAsStringsFlag |
                               rapidjson::kParseValidateEncodingFlag |
                               rapidjson::kParseIterativeFlag;
    if (reader.Parse<flags>(bytes, builder).IsError()) {
        return std::nullopt;
    }
    return root;
}

} // namespace panemark
