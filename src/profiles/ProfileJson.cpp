#include "profiles/ProfileJson.h"

#include "json/CommandJson.h"
#include "json/JsonText.h"

#include <cmath>

namespace panemark::ProfileJson {

namespace {

HIDDeviceID readKeyboard(const JsonReader& reader) {
    reader.expectObject("a keyboard object");
    return HIDDeviceID{reader.required("vendorID").asInt64(),
                       reader.required("productID").asInt64()};
}

ProfileTrigger readTrigger(const JsonReader& reader) {
    reader.expectObject("a trigger object");
    ProfileTrigger trigger;
    if (auto flag = reader.optional("requireNoExternalDisplay")) {
        trigger.requireNoExternalDisplay = flag->asBool();
    }
    if (auto displays = reader.optional("displayUUIDs")) {
        for (std::size_t i = 0, count = displays->arraySize(); i < count; ++i) {
            trigger.displayUUIDs.push_back(displays->element(i).asString());
        }
    }
    if (auto keyboard = reader.optional("keyboard")) {
        trigger.keyboard = readKeyboard(*keyboard);
    }
    return trigger;
}

std::vector<ZoneCommand> readCommands(const JsonReader& reader) {
    std::vector<ZoneCommand> commands;
    const std::size_t count = reader.arraySize();
    commands.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        commands.push_back(CommandJson::readCommand(reader.element(i)));
    }
    return commands;
}

Profile readProfile(const JsonReader& reader) {
    reader.expectObject("a profile object");
    Profile profile;
    profile.id = reader.required("id").asUuid();
    profile.name = reader.required("name").asString();
    profile.commands = readCommands(reader.required("commands"));
    profile.gap = reader.required("gap").asDouble();
    if (auto trigger = reader.optional("trigger")) {
        profile.trigger = readTrigger(*trigger);
    }
    return profile;
}

// Any integer is taken and has no effect; missing means the current version.
std::int64_t readVersion(const JsonReader& reader) {
    auto version = reader.optional("formatVersion");
    return version ? version->asInt64() : 1;
}

template <class T, class Read> Result<T> decodeText(std::string_view text, Read read) {
    Result<JsonValue> json = JsonText::parse(text);
    if (!json) {
        return Error{json.error()};
    }
    try {
        return read(JsonReader(json.value(), ""));
    } catch (const JsonDecodeError& error) {
        return Error{error.what()};
    }
}

bool isFinite(const Json& value) {
    if (value.is_number_float()) {
        return std::isfinite(value.get<double>());
    }
    if (value.is_structured()) {
        for (const Json& element : value) {
            if (!isFinite(element)) {
                return false;
            }
        }
    }
    return true;
}

Result<std::string> compact(const Json& json) {
    if (!isFinite(json)) {
        return Error{"a number is not finite"};
    }
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

Json encode(const HIDDeviceID& keyboard) {
    Json object = Json::object();
    object["vendorID"] = keyboard.vendorID;
    object["productID"] = keyboard.productID;
    return object;
}

Json encode(const ProfileTrigger& trigger) {
    Json object = Json::object();
    object["requireNoExternalDisplay"] = trigger.requireNoExternalDisplay;
    object["displayUUIDs"] = trigger.displayUUIDs;
    if (trigger.keyboard) {
        object["keyboard"] = encode(*trigger.keyboard);
    }
    return object;
}

Json encode(const Profile& profile) {
    Json object = Json::object();
    object["id"] = profile.id.toString();
    object["name"] = profile.name;
    Json commands = Json::array();
    for (const ZoneCommand& command : profile.commands) {
        commands.push_back(CommandJson::encode(command));
    }
    object["commands"] = std::move(commands);
    object["gap"] = profile.gap;
    object["trigger"] = encode(profile.trigger);
    return object;
}

Json encode(const ProfileFile& file) {
    Json object = Json::object();
    object["formatVersion"] = file.formatVersion;
    object["profile"] = encode(file.profile);
    return object;
}

Json encode(const ProfileIndex& index) {
    Json object = Json::object();
    object["formatVersion"] = index.formatVersion;
    object["activeProfileID"] = index.activeProfileID.toString();
    Json order = Json::array();
    for (const Uuid& id : index.order) {
        order.push_back(id.toString());
    }
    object["order"] = std::move(order);
    object["autoSwitchEnabled"] = index.autoSwitchEnabled;
    return object;
}

Result<std::string> text(const ProfileFile& file) {
    return compact(encode(file));
}

Result<std::string> text(const ProfileIndex& index) {
    return compact(encode(index));
}

Result<ProfileFile> decodeFile(std::string_view text) {
    return decodeText<ProfileFile>(text, [](const JsonReader& reader) {
        reader.expectObject("a profile file object");
        ProfileFile file;
        file.formatVersion = readVersion(reader);
        file.profile = readProfile(reader.required("profile"));
        return file;
    });
}

Result<ProfileIndex> decodeIndex(std::string_view text) {
    return decodeText<ProfileIndex>(text, [](const JsonReader& reader) {
        reader.expectObject("an index object");
        ProfileIndex index;
        index.formatVersion = readVersion(reader);
        index.activeProfileID = reader.required("activeProfileID").asUuid();
        const JsonReader order = reader.required("order");
        for (std::size_t i = 0, count = order.arraySize(); i < count; ++i) {
            index.order.push_back(order.element(i).asUuid());
        }
        if (auto autoSwitch = reader.optional("autoSwitchEnabled")) {
            index.autoSwitchEnabled = autoSwitch->asBool();
        }
        return index;
    });
}

Result<ProfileTrigger> decodeTrigger(std::string_view text) {
    return decodeText<ProfileTrigger>(text, readTrigger);
}

Result<LegacyPersisted> decodeLegacy(std::string_view text) {
    return decodeText<LegacyPersisted>(text, [](const JsonReader& reader) {
        reader.expectObject("a settings object");
        LegacyPersisted legacy;
        legacy.commands = readCommands(reader.required("commands"));
        legacy.gap = reader.required("gap").asDouble();
        return legacy;
    });
}

} // namespace panemark::ProfileJson
