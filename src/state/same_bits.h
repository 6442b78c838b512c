// Bitwise equality of doubles, the test for reusing a kept result: the
// same input bits give the same result bits (a NaN input included, which
// == would never match), and +0 and -0 count as different inputs.
#pragma once

#include <bit>
#include <cstdint>

namespace quenlor {

inline bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace quenlor
