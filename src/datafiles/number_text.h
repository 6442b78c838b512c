// Reading numbers written in the data files' Fortran-style notations.
//
// parseFixedReal: a real field of a fixed-column record. Blanks anywhere
// are ignored and an all-blank field is 0. The number is an optional
// sign, digits with an optional decimal point, and an optional exponent:
// E or D (either case) with an optionally signed integer, or a sign
// directly followed by an integer (1.5E-3 = 1.5D-3 = 1.5-3). Without a
// decimal point the last impliedDecimals digits before the exponent are
// decimals (25 reads as 2.5e-9 with 10 implied decimals).
//
// parseFixedInteger: optional sign and digits, blanks ignored, all blank
// is 0; must fit a 32-bit signed integer.
//
// parseFreeReal: one token of a free-format list: optional sign, digits
// with an optional point, optional E/D exponent. No blanks inside.
//
// All conversions are correctly rounded (std::from_chars), so every
// platform reads the same doubles. A value out of the double range is not
// a number.
#pragma once

#include <cstdint>
#include <string_view>

namespace quenlor {

enum class NumberError { none, notANumber, outOfRange };

NumberError parseFixedReal(std::string_view field, int impliedDecimals, double& value);

NumberError parseFixedInteger(std::string_view field, std::int32_t& value);

NumberError parseFreeReal(std::string_view token, double& value);

}  // namespace quenlor
