#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace panemark {

// What the tests' keyboards (one per compositor protocol) take on their command line:
//   KEYCODE [ctrl|alt|logo|shift]... [hold:MS]
//                                      one press of an evdev key, the modifiers held around it;
//                                      held down MS milliseconds (the compositor repeats it)
//   --lines                            one such press per line of standard input, each answered
//                                      with a line "pressed" once the compositor has it
// `send` hands the compositor one key going down or up.
namespace KeyPresses {

using Send = std::function<void(std::uint32_t evdevCode, bool down)>;

inline std::uint32_t modifierKey(const std::string& name) {
    return name == "ctrl" ? 29 : name == "alt" ? 56 : name == "logo" ? 125 : 42;
}

// Keys go down and up as a person presses them: the modifiers, the key, then the modifiers in
// reverse.
inline void press(const std::vector<std::string>& words, const Send& send) {
    const auto key = static_cast<std::uint32_t>(std::atoi(words.at(0).c_str()));
    std::vector<std::uint32_t> modifiers;
    int holdMilliseconds = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i].rfind("hold:", 0) == 0) {
            holdMilliseconds = std::atoi(words[i].c_str() + 5);
        } else {
            modifiers.push_back(modifierKey(words[i]));
        }
    }
    for (std::uint32_t modifier : modifiers) {
        send(modifier, true);
    }
    send(key, true);
    // A person's hold: the time is the point here, not something waited for.
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMilliseconds));
    send(key, false);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        send(*it, false);
    }
}

inline void run(int argc, char** argv, const Send& send) {
    if (std::string(argv[1]) != "--lines") {
        press(std::vector<std::string>(argv + 1, argv + argc), send);
        return;
    }
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        std::vector<std::string> words;
        for (char* word = std::strtok(line, " \n"); word; word = std::strtok(nullptr, " \n")) {
            words.push_back(word);
        }
        if (!words.empty()) {
            press(words, send);
            std::printf("pressed\n");
            std::fflush(stdout);
        }
    }
}

} // namespace KeyPresses

} // namespace panemark
