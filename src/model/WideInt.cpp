#include "model/WideInt.h"

#include <algorithm>
#include <limits>

namespace panemark {

std::string toString(WideInt value) {
    if (value == 0) {
        return "0";
    }
    const bool negative = value < 0;
    std::string digits;
    while (value != 0) {
        const int digit = static_cast<int>(value % 10);
        digits.push_back(static_cast<char>('0' + (negative ? -digit : digit)));
        value /= 10;
    }
    if (negative) {
        digits.push_back('-');
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::int64_t saturatedInt64(WideInt value) {
    constexpr WideInt highest = std::numeric_limits<std::int64_t>::max();
    constexpr WideInt lowest = std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::clamp(value, lowest, highest));
}

} // namespace panemark
