#pragma once

#include <cstdint>
#include <string>

namespace panemark {

// The editing rules of the terminal number field and stepper, apart from any widget.
class NumberEditing {
public:
    struct Range {
        std::int64_t lower;
        std::int64_t upper;
    };
    struct Commit {
        std::int64_t value; // what the bound value becomes (perhaps unchanged)
        std::string draft;  // what the field shows afterwards
    };

    // What may stand in the field while typing: its digits, nothing else (no sign).
    static std::string filterDraft(const std::string& draft);
    // Return or losing focus: an empty or unreadable draft (overflow included) leaves the value;
    // a number is clamped into the range. The draft then shows the value.
    static Commit commit(const std::string& draft, std::int64_t value, Range range);
    // Escape: the draft shows the value again, which the loss of focus then commits unchanged.
    static std::string abandon(std::int64_t value);
    // A stepper press: value + delta within the range, never overflowing.
    static std::int64_t bump(std::int64_t value, std::int64_t delta, Range range);
    static std::int64_t clamp(std::int64_t value, Range range);
};

} // namespace panemark
