#include "json/RapidReader.h"

namespace panemark {

void RapidReader::expectObject(std::string_view) const {
    if (!value_.IsObject()) {
        throw Mismatch{};
    }
}

const rapidjson::Value* RapidReader::member(std::string_view key) const {
    expectObject();
    for (auto it = value_.MemberEnd(); it != value_.MemberBegin();) {
        --it;
        if (std::string_view(it->name.GetString(), it->name.GetStringLength()) == key) {
            return &it->value;
        }
    }
    return nullptr;
}

RapidReader RapidReader::required(std::string_view key) const {
    const rapidjson::Value* found = member(key);
    if (!found) {
        throw Mismatch{};
    }
    return RapidReader(*found);
}

std::optional<RapidReader> RapidReader::optional(std::string_view key) const {
    const rapidjson::Value* found = member(key);
    if (!found || found->IsNull()) {
        return std::nullopt;
    }
    return RapidReader(*found);
}

std::int64_t RapidReader::asInt64() const {
    // Whole numbers written without a fraction or exponent only, as the strict reader takes.
    if (!value_.IsInt64()) {
        throw Mismatch{};
    }
    return value_.GetInt64();
}

std::uint32_t RapidReader::asUInt32() const {
    if (!value_.IsUint()) {
        throw Mismatch{};
    }
    return value_.GetUint();
}

bool RapidReader::asBool() const {
    if (!value_.IsBool()) {
        throw Mismatch{};
    }
    return value_.GetBool();
}

std::string_view RapidReader::text() const {
    if (!value_.IsString()) {
        throw Mismatch{};
    }
    return {value_.GetString(), value_.GetStringLength()};
}

std::string RapidReader::asString() const {
    return std::string(text());
}

Uuid RapidReader::asUuid() const {
    if (auto uuid = Uuid::parse(text())) {
        return *uuid;
    }
    throw Mismatch{};
}

} // namespace panemark
