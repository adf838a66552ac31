#pragma once

#include <cstdint>
#include <string>

namespace panemark {

// Arithmetic on values that stored 64-bit integers can reach (hi + 1, C × R) without overflow.
using WideInt = __int128;

std::string toString(WideInt value);
// The value, or the nearest 64-bit one where it lies beyond: for showing and storing results.
std::int64_t saturatedInt64(WideInt value);

} // namespace panemark
