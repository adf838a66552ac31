#pragma once

#include <string>

namespace panemark {

// Arithmetic on values that stored 64-bit integers can reach (hi + 1, C × R) without overflow.
using WideInt = __int128;

std::string toString(WideInt value);

} // namespace panemark
