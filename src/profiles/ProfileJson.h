#pragma once

#include "base/Result.h"
#include "json/JsonReader.h"
#include "profiles/LegacyPersisted.h"
#include "profiles/Profile.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileIndex.h"

#include <string>
#include <string_view>

namespace panemark {

// The JSON forms of profiles, their files, the index and the older config.json. Writers emit
// compact JSON with keys in declaration order; readers take keys in any order, ignore unknown
// ones, are lenient only about the trigger and the format versions, and strict everywhere else.
namespace ProfileJson {

Json encode(const HIDDeviceID& keyboard);
Json encode(const ProfileTrigger& trigger);
Json encode(const Profile& profile);
Json encode(const ProfileFile& file);
Json encode(const ProfileIndex& index);

// One line of compact JSON; an error when a number is not finite (a gap that is NaN), in which
// case nothing is to be written.
Result<std::string> text(const ProfileFile& file);
Result<std::string> text(const ProfileIndex& index);

// Errors name the key: "profile.commands[3].ordering: …", or the place in the text.
Result<ProfileFile> decodeFile(std::string_view text);
Result<ProfileIndex> decodeIndex(std::string_view text);
Result<LegacyPersisted> decodeLegacy(std::string_view text);
Result<ProfileTrigger> decodeTrigger(std::string_view text);

} // namespace ProfileJson

} // namespace panemark
