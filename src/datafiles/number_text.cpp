#include "datafiles/number_text.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace quenlor {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int kMaxDigits = 64;

// A number split into its parts, blanks already removed.
struct NumberParts {
    bool negative = false;
    char digits[kMaxDigits + 1] = {};  // mantissa digits without the point
    int digitCount = 0;
    int pointPosition = -1;  // digits before the point; -1 when there is no point
    long exponent = 0;
};

// Grammar: [sign] digits [. digits] [(E|D) [sign] digits | sign digits].
// allowSignExponent: the bare-sign exponent form of fixed fields.
NumberError splitNumber(std::string_view text, bool allowSignExponent, NumberParts& parts) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) parts.negative = text[i++] == '-';
    bool sawDigit = false;
    while (i < n && (isDigit(text[i]) || text[i] == '.')) {
        if (text[i] == '.') {
            if (parts.pointPosition >= 0) return NumberError::notANumber;
            parts.pointPosition = parts.digitCount;
        } else {
            sawDigit = true;
            if (parts.digitCount == 0 && text[i] == '0' && parts.pointPosition < 0) {
                // leading zeros before the point carry no value
            } else {
                if (parts.digitCount >= kMaxDigits) return NumberError::notANumber;
                parts.digits[parts.digitCount++] = text[i];
            }
        }
        ++i;
    }
    if (!sawDigit) return NumberError::notANumber;
    if (i == n) return NumberError::none;

    bool exponentMarker = false;
    if (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd') {
        exponentMarker = true;
        ++i;
    } else if (!allowSignExponent || (text[i] != '+' && text[i] != '-')) {
        return NumberError::notANumber;
    }
    bool negativeExponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negativeExponent = text[i] == '-';
        ++i;
    } else if (!exponentMarker) {
        return NumberError::notANumber;
    }
    if (i == n) return NumberError::notANumber;
    long e = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i])) return NumberError::notANumber;
        if (e < 100000) e = e * 10 + (text[i] - '0');
    }
    parts.exponent = negativeExponent ? -e : e;
    return NumberError::none;
}

// value = sign * 0.digits... scaled: digits as an integer times 10^power.
NumberError composeValue(const NumberParts& parts, long power, double& value) {
    if (parts.digitCount == 0) {
        value = parts.negative ? -0.0 : 0.0;
        return NumberError::none;
    }
    char buffer[kMaxDigits + 32];
    int len = std::snprintf(buffer, sizeof buffer, "%s%.*se%ld", parts.negative ? "-" : "",
                            parts.digitCount, parts.digits, power);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(buffer, buffer + len, v);
    if (ec == std::errc::result_out_of_range) {
        // from_chars reports underflow as out of range too: tiny values are 0
        if (power < 0) {
            value = parts.negative ? -0.0 : 0.0;
            return NumberError::none;
        }
        return NumberError::outOfRange;
    }
    if (ec != std::errc() || end != buffer + len) return NumberError::notANumber;
    value = v;
    return NumberError::none;
}

}  // namespace

NumberError parseFixedReal(std::string_view field, int impliedDecimals, double& value) {
    char packed[128];
    int len = 0;
    for (char c : field) {
        if (c == ' ') continue;
        if (len >= static_cast<int>(sizeof packed)) return NumberError::notANumber;
        packed[len++] = c;
    }
    if (len == 0) {
        value = 0.0;
        return NumberError::none;
    }
    NumberParts parts;
    const NumberError e = splitNumber(std::string_view(packed, len), true, parts);
    if (e != NumberError::none) return e;
    const int integerDigits = parts.pointPosition >= 0 ? parts.pointPosition : parts.digitCount - impliedDecimals;
    const long power = parts.exponent + integerDigits - parts.digitCount;
    return composeValue(parts, power, value);
}

NumberError parseFreeReal(std::string_view token, double& value) {
    NumberParts parts;
    const NumberError e = splitNumber(token, false, parts);
    if (e != NumberError::none) return e;
    const int integerDigits = parts.pointPosition >= 0 ? parts.pointPosition : parts.digitCount;
    const long power = parts.exponent + integerDigits - parts.digitCount;
    return composeValue(parts, power, value);
}

NumberError parseFixedInteger(std::string_view field, std::int32_t& value) {
    bool negative = false;
    bool sawSign = false;
    bool sawDigit = false;
    std::int64_t v = 0;
    for (char c : field) {
        if (c == ' ') continue;
        if ((c == '+' || c == '-') && !sawSign && !sawDigit) {
            sawSign = true;
            negative = c == '-';
            continue;
        }
        if (!isDigit(c)) return NumberError::notANumber;
        sawDigit = true;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return NumberError::outOfRange;
    }
    if (sawSign && !sawDigit) return NumberError::notANumber;
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return NumberError::outOfRange;
    value = static_cast<std::int32_t>(v);
    return NumberError::none;
}

}  // namespace quenlor
