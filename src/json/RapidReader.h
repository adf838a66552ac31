#pragma once

#include "model/LabeledChoice.h"
#include "model/Uuid.h"

#include <cstdint>
#include <optional>
#include <rapidjson/document.h>
#include <string>
#include <string_view>

namespace panemark {

// JsonReader's calls over a RapidJSON value, for reading ordinary files fast. It reads exactly
// what JsonReader reads and refuses exactly what it refuses, but without words: a refusal is a
// Mismatch, after which the value is read again the strict way, whose message is the one shown.
// JsonReadersAgreeTest holds the two to the same answers over the fuzz inputs and near misses.
class RapidReader {
public:
    struct Mismatch {};

    explicit RapidReader(const rapidjson::Value& value) : value_(value) {}

    void expectObject(std::string_view = {}) const;
    RapidReader required(std::string_view key) const;
    std::optional<RapidReader> optional(std::string_view key) const;

    std::int64_t asInt64() const;
    std::uint32_t asUInt32() const;
    bool asBool() const;
    std::string asString() const;
    Uuid asUuid() const;
    template <class Choice> Choice asChoice() const;

private:
    // The member a key names; the last of them when the key is given twice, as the strict
    // reader keeps.
    const rapidjson::Value* member(std::string_view key) const;
    std::string_view text() const;

    const rapidjson::Value& value_;
};

template <class Choice> Choice RapidReader::asChoice() const {
    if (auto choice = caseWithRawValue<Choice>(text())) {
        return *choice;
    }
    throw Mismatch{};
}

} // namespace panemark
