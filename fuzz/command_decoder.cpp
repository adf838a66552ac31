// Feeds arbitrary bytes to the command list reader and everything that reads a decoded command:
// labels, shortcut names, the target rules, and the writer, whose output must read back equal.
#include "json/CommandListFile.h"
#include "placement/TargetRules.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace panemark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto commands = CommandListFile::parse(text);
    if (!commands) {
        return 0;
    }
    const Rect visible{0, 25, 1440, 875};
    for (const ZoneCommand& command : commands.value()) {
        (void)command.displayName();
        if (command.shortcut) {
            (void)command.shortcut->displayString();
        }
        (void)TargetRules::ruleFor(command, static_cast<double>(command.colStart % 50))(visible,
                                                                                        visible);
    }
    const std::string written = CommandListFile::format(commands.value());
    auto reread = CommandListFile::parse(written);
    if (!reread || reread.value() != commands.value() ||
        CommandListFile::format(reread.value()) != written) {
        std::abort();
    }
    return 0;
}
