// Feeds arbitrary bytes to the profile, index and config.json readers; whatever decodes must
// write out and read back equal.
#include "profiles/ProfileJson.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace panemark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (Result<ProfileFile> file = ProfileJson::decodeFile(text)) {
        (void)file.value().profile.trigger.summary();
        Result<std::string> written = ProfileJson::text(file.value());
        if (written) {
            Result<ProfileFile> reread = ProfileJson::decodeFile(written.value());
            if (!reread || reread.value() != file.value()) {
                std::abort();
            }
        }
    }
    if (Result<ProfileIndex> index = ProfileJson::decodeIndex(text)) {
        Result<std::string> written = ProfileJson::text(index.value());
        Result<ProfileIndex> reread =
            written ? ProfileJson::decodeIndex(written.value()) : Result<ProfileIndex>(Error{""});
        if (!reread || reread.value() != index.value()) {
            std::abort();
        }
    }
    (void)ProfileJson::decodeLegacy(text);
    return 0;
}
