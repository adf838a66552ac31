#include "control/ProfileRequests.h"

#include "json/CommandJson.h"
#include "profiles/ProfileJson.h"
#include "profiles/ProfileRules.h"

#include <cmath>
#include <functional>
#include <map>

namespace panemark {

namespace {

using Json = ProfileRequests::Json;

// A refused request: thrown by a handler before it changes anything, caught in answer().
struct Refusal {
    std::string message;
};

std::string stringArgument(const Json& request, const char* key) {
    const auto found = request.find(key);
    if (found == request.end() || !found->is_string()) {
        throw Refusal{std::string("the request has no \"") + key + "\""};
    }
    return found->get<std::string>();
}

template <class T> T checked(Result<T> result) {
    if (!result) {
        throw Refusal{result.error()};
    }
    return std::move(result).value();
}

Uuid resolve(const ProfileManager& manager, const std::string& text) {
    std::vector<Uuid> named;
    for (const Profile& profile : manager.profiles.get()) {
        if (profile.name == text) {
            named.push_back(profile.id);
        }
    }
    if (named.size() == 1) {
        return named.front();
    }
    if (named.size() > 1) {
        std::string ids;
        for (const Uuid& id : named) {
            ids += (ids.empty() ? "" : ", ") + id.toString();
        }
        throw Refusal{"\"" + text + "\" is the name of " + std::to_string(named.size()) +
                      " profiles; name one by its id: " + ids};
    }
    if (const std::optional<Uuid> id = Uuid::parse(text); id && manager.snapshot(*id)) {
        return *id;
    }
    throw Refusal{"no such profile \"" + text + "\""};
}

Uuid profileArgument(const ProfileManager& manager, const Json& request) {
    return resolve(manager, stringArgument(request, "profile"));
}

Json listing(const ProfileManager& manager) {
    Json profiles = Json::array();
    std::size_t position = 0;
    for (const Profile& profile : manager.profiles.get()) {
        profiles.push_back({{"position", ++position},
                            {"id", profile.id.toString()},
                            {"name", profile.name},
                            {"active", profile.id == manager.activeProfileID.get()},
                            {"trigger", profile.trigger.summary()},
                            {"commands", profile.commands.size()},
                            {"gap", profile.gap}});
    }
    Json skipped = Json::array();
    for (const ProfileFileStore::SkippedFile& file : manager.skippedFiles()) {
        skipped.push_back({{"file", file.path}, {"error", file.reason}});
    }
    Json reply = InstanceProtocol::reply();
    reply["profiles"] = std::move(profiles);
    reply["skipped"] = std::move(skipped);
    reply["autoSwitchEnabled"] = manager.autoSwitchEnabled.get();
    return reply;
}

std::vector<ZoneCommand> commandsArgument(const Json& request) {
    const auto found = request.find("commands");
    if (found == request.end() || !found->is_array()) {
        throw Refusal{"the request has no \"commands\""};
    }
    if (Result<bool> count = ProfileRules::commandCount(found->size()); !count) {
        throw Refusal{count.error()};
    }
    std::vector<ZoneCommand> commands;
    std::size_t index = 0;
    for (const Json& element : *found) {
        Result<ZoneCommand> command = CommandJson::decodeCommand(JsonValue::parse(element.dump()));
        if (!command) {
            throw Refusal{"[" + std::to_string(index) + "]" +
                          (command.error().starts_with("[") ? "" : ".") + command.error()};
        }
        commands.push_back(std::move(command).value());
        ++index;
    }
    return commands;
}

Json withId(const Uuid& id, const ProfileManager& manager) {
    Json reply = InstanceProtocol::reply();
    reply["id"] = id.toString();
    reply["name"] = manager.snapshot(id) ? manager.snapshot(id)->name : "";
    return reply;
}

using Handler = std::function<Json(ProfileManager&, const Json&)>;

const std::map<std::string, Handler>& handlers() {
    static const std::map<std::string, Handler> all{
        {"profiles", [](ProfileManager& m, const Json&) { return listing(m); }},
        {"profile.activate",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             m.activate(id);
             return withId(id, m);
         }},
        {"profile.create",
         [](ProfileManager& m, const Json& r) {
             const std::string name = stringArgument(r, "name");
             const std::string from = r.value("from", std::string("defaults"));
             const std::map<std::string, ProfileManager::NewProfileSeed> seeds{
                 {"empty", ProfileManager::NewProfileSeed::empty},
                 {"defaults", ProfileManager::NewProfileSeed::defaults},
                 {"active", ProfileManager::NewProfileSeed::copyActive}};
             const auto seed = seeds.find(from);
             if (seed == seeds.end()) {
                 throw Refusal{"--from: \"" + from + "\" is not one of empty, defaults, active"};
             }
             return withId(m.createProfile(checked(ProfileRules::name(name)), seed->second), m);
         }},
        {"profile.duplicate",
         [](ProfileManager& m, const Json& r) {
             return withId(m.duplicateProfile(profileArgument(m, r)), m);
         }},
        {"profile.rename",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             m.rename(id, checked(ProfileRules::name(stringArgument(r, "name"))));
             return withId(id, m);
         }},
        {"profile.delete",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             if (m.profiles.get().size() <= 1) {
                 throw Refusal{"the last profile cannot be deleted"};
             }
             m.deleteProfile(id);
             return InstanceProtocol::reply();
         }},
        {"profile.move",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             const auto position = r.find("position");
             const std::size_t count = m.profiles.get().size();
             if (position == r.end() || !position->is_number_integer() || *position < 1 ||
                 *position > static_cast<std::int64_t>(count)) {
                 throw Refusal{"the position must be 1 to " + std::to_string(count)};
             }
             std::size_t from = 0;
             while (m.profiles.get()[from].id != id) {
                 ++from;
             }
             const std::size_t to = position->get<std::size_t>() - 1;
             if (from == to) {
                 m.saveIndexNow(); // a move to where it already is still writes the index
             } else {
                 m.move(from, to); // which writes the index itself
             }
             return InstanceProtocol::reply();
         }},
        {"profile.export",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             Result<std::string> text = ProfileJson::text(ProfileFile{1, *m.snapshot(id)});
             // Checked here, so that an export that cannot be written changes nothing.
             if (!text) {
                 throw Refusal{"the profile cannot be written: " + text.error()};
             }
             Json reply = InstanceProtocol::reply();
             reply["name"] = m.snapshot(id)->name;
             reply["text"] = text.value();
             return reply;
         }},
        {"profile.import",
         [](ProfileManager& m, const Json& r) {
             Result<Uuid> imported = m.importProfile(stringArgument(r, "path"));
             if (!imported) {
                 throw Refusal{imported.error()};
             }
             return withId(imported.value(), m);
         }},
        {"profile.commands",
         [](ProfileManager& m, const Json& r) {
             const Profile profile = *m.snapshot(profileArgument(m, r));
             Json commands = Json::array();
             for (const ZoneCommand& command : profile.commands) {
                 commands.push_back(CommandJson::encode(command));
             }
             Json reply = InstanceProtocol::reply();
             reply["commands"] = std::move(commands);
             reply["gap"] = profile.gap;
             return reply;
         }},
        {"profile.set-commands",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             m.setCommands(id, commandsArgument(r));
             return InstanceProtocol::reply();
         }},
        {"profile.set-trigger",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             const auto trigger = r.find("trigger");
             if (trigger == r.end() || !trigger->is_object()) {
                 throw Refusal{"the request has no \"trigger\""};
             }
             Result<ProfileTrigger> decoded = ProfileJson::decodeTrigger(trigger->dump());
             if (!decoded) {
                 throw Refusal{"trigger." + decoded.error()};
             }
             m.setTrigger(decoded.value(), id);
             Json reply = InstanceProtocol::reply();
             reply["trigger"] = decoded.value().summary();
             return reply;
         }},
        {"profile.set-gap",
         [](ProfileManager& m, const Json& r) {
             const Uuid id = profileArgument(m, r);
             const auto gap = r.find("gap");
             const double value = gap != r.end() && gap->is_number() ? gap->get<double>() : NAN;
             m.setGap(id, checked(ProfileRules::gap(value)));
             return InstanceProtocol::reply();
         }},
        {"auto-switch",
         [](ProfileManager& m, const Json& r) {
             const std::string value = stringArgument(r, "value");
             if (value == "on" || value == "off") {
                 m.setAutoSwitchEnabled(value == "on");
             } else if (value != "status") {
                 throw Refusal{"say on, off or status"};
             }
             Json reply = InstanceProtocol::reply();
             reply["autoSwitchEnabled"] = m.autoSwitchEnabled.get();
             return reply;
         }},
    };
    return all;
}

} // namespace

const std::vector<std::string>& ProfileRequests::names() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> list;
        for (const auto& [name, handler] : handlers()) {
            list.push_back(name);
        }
        return list;
    }();
    return all;
}

bool ProfileRequests::isReadOnly(const Json& request) {
    const std::string name = request.value("request", std::string());
    return name == "profiles" || name == "profile.commands" || name == "profile.export" ||
           (name == "auto-switch" && request.value("value", std::string()) == "status");
}

ProfileRequests::Json ProfileRequests::answer(ProfileManager& manager, const Json& request) {
    const std::string name = request.value("request", std::string());
    const auto handler = handlers().find(name);
    if (handler == handlers().end()) {
        return InstanceProtocol::failure("unknown request \"" + name + "\"");
    }
    Json reply;
    try {
        reply = handler->second(manager, request);
    } catch (const Refusal& refusal) {
        return InstanceProtocol::failure(refusal.message);
    }
    // A change held only in memory is no success: the caller hears it was not saved (the
    // program keeps trying).
    if (const std::optional<std::string> unsaved = manager.unsavedChanges();
        unsaved && !isReadOnly(request)) {
        reply = InstanceProtocol::failure(*unsaved);
        reply["unsaved"] = true;
    }
    return reply;
}

} // namespace panemark
