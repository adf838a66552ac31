#include "cli/KeysTool.h"

#include "cli/ArgumentParser.h"
#include "model/Shortcut.h"
#include "platform/evdev/EvdevKeyCodes.h"

#include <ostream>

namespace panemark {

int KeysTool::main(const std::vector<std::string>& args, std::istream& /*in*/, std::ostream& out,
                   std::ostream& err) {
    ArgumentParser parser("keys",
                          "Lists the key codes and modifier bits that shortcuts in command files "
                          "use. A key not listed has the code 256 + its Linux (evdev) key code.");
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "takes no arguments");
    }
    out << "modifiers (add the bits of the keys held):\n"
        << "  256\t⌘ command (Super)\n"
        << "  512\t⇧ shift\n"
        << "  2048\t⌥ option (Alt)\n"
        << "  4096\t⌃ control\n"
        << "keyCode\tkey\n";
    for (const std::uint32_t code : EvdevKeyCodes::classicCodes()) {
        if (EvdevKeyCodes::canExist(code)) {
            out << code << '\t' << Shortcut::keyName(code) << '\n';
        }
    }
    return 0;
}

} // namespace panemark
