#include "widgets/NumberEditing.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace panemark {

std::string NumberEditing::filterDraft(const std::string& draft) {
    std::string digits;
    for (const char c : draft) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        }
    }
    return digits;
}

std::int64_t NumberEditing::clamp(std::int64_t value, Range range) {
    if (value < range.lower) {
        return range.lower;
    }
    return value > range.upper ? range.upper : value;
}

NumberEditing::Commit NumberEditing::commit(const std::string& draft, std::int64_t value,
                                            Range range) {
    if (!draft.empty()) {
        const char* start = draft.data();
        const char* end = draft.data() + draft.size();
        if (*start == '+') {
            ++start;
        }
        std::int64_t parsed = 0;
        const auto [stop, error] = std::from_chars(start, end, parsed);
        if (error == std::errc() && stop == end && start != end) {
            value = clamp(parsed, range);
        }
    }
    return {value, std::to_string(value)};
}

std::string NumberEditing::abandon(std::int64_t value) {
    return std::to_string(value);
}

std::int64_t NumberEditing::bump(std::int64_t value, std::int64_t delta, Range range) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(value, delta, &sum)) {
        sum = delta > 0 ? std::numeric_limits<std::int64_t>::max()
                        : std::numeric_limits<std::int64_t>::min();
    }
    return clamp(sum, range);
}

} // namespace panemark
